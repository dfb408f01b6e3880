// The update check: the program asks the maker's update server for the build
// date of the newest release and compares it with its own. An automatic check
// runs when the sheet starts and the last answered check is more than two
// days old; the user can ask for one at any time.
//
// Every check runs on a worker thread of its own with its own state (the
// request, the reply, a cancel flag); its result is handed to the GUI thread,
// which stores the day of the check, keeps the newer flag and shows the
// dialog. Nothing here shows a window.
#pragma once

#include <QByteArray>
#include <QDate>
#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

namespace toliva {

// The program's own build date, as text and as the number it is compared as.
QString GetBuildDate();
inline constexpr int kBuildDateNumber = 20250222;

// A coarse day count of a date: year * 365 + month * 30 + day.
int DayNumber(const QDate& date);

// "dw3" under AppSettings: the day number of the last check that received a
// well-sized reply (0 when none).
inline constexpr char kLastUpdateCheckValue[] = "dw3";
int ReadLastUpdateCheckDay();
bool WriteLastUpdateCheckDay(int day);

// An automatic check is due when more than two days have passed since the
// last answered one.
bool UpdateCheckDue(int lastCheckDay, int today);

// Where and how the program asks. The server has no public instance: the host
// is a value to configure (the environment's TOLIVA_UPDATE_HOST, else a host
// of the maker's that does not answer).
struct UpdateCheckConfig {
    static constexpr char kDefaultHost[] = "update.ravelt.example";
    static constexpr int kPort = 3310;

    QString host = defaultHost();
    int port = kPort;
    // Follows the address of an automatic check.
    QString clientId = QStringLiteral("lnx1");
    // The whole transfer and its connection; a reply longer than
    // maxReplyBytes fails the transfer (the answer is 12 characters).
    int timeoutSeconds = 60;
    int connectTimeoutSeconds = 15;
    qint64 maxReplyBytes = 64 << 10;
    // Today's date (empty: the local date).
    std::function<QDate()> today;

    static QString defaultHost();
    QDate currentDate() const { return today ? today() : QDate::currentDate(); }
    // "http://host:port/M@<build date>==", with the client id when automatic.
    QString url(bool automatic) const;
};

// What a reply means: a 12-character reply is an answer (its day is stored);
// one of the form "==YYYYMMDD==" also says whether a newer build exists.
struct UpdateReplyMeaning {
    bool answered = false;
    std::optional<bool> newer;
};
UpdateReplyMeaning InterpretUpdateReply(const QByteArray& reply);

struct UpdateCheckResult {
    bool automatic = true;
    bool transferred = false;  // a transfer completed (directly or through the proxy)
    bool throughProxy = false;
    UpdateReplyMeaning meaning;
};

// One check, blocking: the request, and when it fails and the system names a
// proxy for its address, once more through that proxy. cancel (may be null)
// gives it up from another thread.
UpdateCheckResult RunUpdateCheck(const UpdateCheckConfig& config, bool automatic,
                                 const std::atomic<bool>* cancel = nullptr);

// Runs one check at a time on a worker thread. The result goes to a receiver
// object on the GUI thread; the receiver must outlive the checker (make the
// checker its member). Destroying the checker cancels the running check and
// waits for its thread; a cancelled check delivers nothing.
class UpdateChecker {
public:
    using Done = std::function<void(const UpdateCheckResult&)>;

    UpdateChecker() = default;
    ~UpdateChecker();
    UpdateChecker(const UpdateChecker&) = delete;
    UpdateChecker& operator=(const UpdateChecker&) = delete;

    // Starts a check; done runs on the receiver's thread. While a check runs
    // no other starts: a manual request makes the running check deliver as a
    // manual one (returns false then).
    bool start(const UpdateCheckConfig& config, bool automatic, QObject* receiver, Done done);
    // Gives the running check up and waits for its thread.
    void cancel();
    bool running() const;

private:
    struct Job;
    void reap();

    std::shared_ptr<Job> m_job;
    std::thread m_thread;
};

}  // namespace toliva
