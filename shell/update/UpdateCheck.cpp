#include "shell/update/UpdateCheck.h"

#include "platform/NetworkService.h"
#include "platform/RegKey.h"

#include <QMetaObject>
#include <QPointer>

namespace toliva {

QString GetBuildDate() { return QStringLiteral("20250222"); }

int DayNumber(const QDate& date) { return date.year() * 365 + date.month() * 30 + date.day(); }

int ReadLastUpdateCheckDay() {
    RegKey key;
    int day = 0;
    if (OpenRegKey(kAppSettingsKey, key)) ReadRegDword(key, QString::fromLatin1(kLastUpdateCheckValue), day, 0);
    return day;
}

bool WriteLastUpdateCheckDay(int day) {
    RegKey key;
    return OpenRegKey(kAppSettingsKey, key) && WriteRegDword(key, QString::fromLatin1(kLastUpdateCheckValue), day);
}

bool UpdateCheckDue(int lastCheckDay, int today) {
    // The stored value is the registry's DWORD: wide arithmetic keeps any
    // value from wrapping round.
    return qint64(lastCheckDay) + 2 < qint64(today);
}

QString UpdateCheckConfig::defaultHost() {
    const QString configured = qEnvironmentVariable("TOLIVA_UPDATE_HOST").trimmed();
    return configured.isEmpty() ? QString::fromLatin1(kDefaultHost) : configured;
}

QString UpdateCheckConfig::url(bool automatic) const {
    QString address = QStringLiteral("http://%1:%2/M@%3==").arg(host).arg(port).arg(GetBuildDate());
    if (automatic) address += clientId;
    return address;
}

UpdateReplyMeaning InterpretUpdateReply(const QByteArray& reply) {
    UpdateReplyMeaning meaning;
    // Characters, not bytes: the reply is read as UTF-8 text.
    const QList<uint> text = QString::fromUtf8(reply).toUcs4();
    if (text.size() != 12) return meaning;
    meaning.answered = true;
    const auto eq = [&](int i) { return text[i] == uint('='); };
    if (!(eq(0) && eq(1) && eq(10) && eq(11))) return meaning;
    // Every '=' removed, the leading digits of the rest (at most eight
    // digits remain, so the number cannot overflow).
    int number = 0;
    for (uint c : text) {
        if (c == uint('=')) continue;
        if (c < uint('0') || c > uint('9')) break;
        number = number * 10 + int(c - uint('0'));
    }
    meaning.newer = kBuildDateNumber < number;
    return meaning;
}

UpdateCheckResult RunUpdateCheck(const UpdateCheckConfig& config, bool automatic, const std::atomic<bool>* cancel) {
    UpdateCheckResult result;
    result.automatic = automatic;
    HttpRequest request;
    request.method = HttpRequest::Get;
    request.url = config.url(automatic);
    request.timeoutSeconds = config.timeoutSeconds;
    request.connectTimeoutSeconds = config.connectTimeoutSeconds;
    request.maxReplyBytes = config.maxReplyBytes;
    request.cancel = cancel;

    HttpReply reply = networkService().perform(request);
    const auto cancelled = [&] { return cancel && cancel->load(); };
    if (!reply.ok && !cancelled()) {
        const QString proxy = SystemProxyFor(request.url);
        if (!proxy.isEmpty()) {
            request.proxy = proxy;
            reply = networkService().perform(request);
            result.throughProxy = true;
        }
    }
    if (!reply.ok || cancelled()) return result;
    result.transferred = true;
    result.meaning = InterpretUpdateReply(reply.body);
    return result;
}

// ---- UpdateChecker

struct UpdateChecker::Job {
    std::atomic<bool> cancel{false};
    std::atomic<bool> finished{false};
    // Cleared when the user asks while an automatic check runs.
    std::atomic<bool> automatic{true};
};

UpdateChecker::~UpdateChecker() { cancel(); }

void UpdateChecker::reap() {
    if (m_thread.joinable()) m_thread.join();
    m_job.reset();
}

bool UpdateChecker::start(const UpdateCheckConfig& config, bool automatic, QObject* receiver, Done done) {
    if (running()) {
        if (!automatic) m_job->automatic = false;
        return false;
    }
    reap();
    auto job = std::make_shared<Job>();
    job->automatic = automatic;
    m_job = job;
    QPointer<QObject> guard(receiver);
    m_thread = std::thread([config, job, guard, receiver, done = std::move(done)]() mutable {
        UpdateCheckResult result = RunUpdateCheck(config, job->automatic.load(), &job->cancel);
        // The receiver lives until the checker has joined this thread, so it
        // can take the posted call; the call itself checks again that neither
        // the receiver went nor the check was given up meanwhile.
        if (!job->cancel.load()) {
            QMetaObject::invokeMethod(
                receiver,
                [guard, job, result, done = std::move(done)]() mutable {
                    if (!guard || job->cancel.load()) return;
                    result.automatic = job->automatic.load();
                    done(result);
                },
                Qt::QueuedConnection);
        }
        job->finished = true;
    });
    return true;
}

void UpdateChecker::cancel() {
    if (m_job) m_job->cancel = true;
    reap();
}

bool UpdateChecker::running() const { return m_job && !m_job->finished.load(); }

}  // namespace toliva
