#include "shell/OfficeLink.h"

#include "platform/SafeFile.h"
#include "shell/CMainFrame.h"
#include "shell/CTolivaApp.h"
#include "shell/CTolivaDoc.h"

#include <QCoreApplication>
#include <QLocalServer>
#include <QLocalSocket>

namespace toliva {

QString OfficeLinkName(qint64 pid) { return QStringLiteral("toliva-embedding-%1").arg(pid); }

OfficeLink::OfficeLink(CTolivaApp& app) : m_app(app) {}

OfficeLink::~OfficeLink() {
    for (QLocalSocket* socket : m_clients) socket->disconnect(this);
}

QString OfficeLink::name() const { return OfficeLinkName(QCoreApplication::applicationPid()); }

bool OfficeLink::Listen(QString* reason) {
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket file left by a process that died with this number.
    QLocalServer::removeServer(name());
    if (!m_server->listen(name())) {
        if (reason) *reason = m_server->errorString();
        return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] { onConnection(); });
    return true;
}

void OfficeLink::onConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        m_clients.push_back(socket);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            std::erase(m_clients, socket);
            socket->deleteLater();
        });
    }
}

void OfficeLink::onReadyRead(QLocalSocket* socket) {
    while (socket->canReadLine()) {
        const QString line = QString::fromUtf8(socket->readLine()).trimmed();
        if (line.isEmpty()) continue;
        socket->write((Execute(line) + QLatin1Char('\n')).toUtf8());
        socket->flush();
    }
}

void OfficeLink::Notify(const QString& line) {
    const QByteArray bytes = (line + QLatin1Char('\n')).toUtf8();
    for (QLocalSocket* socket : m_clients) {
        socket->write(bytes);
        socket->flush();
    }
}

QString OfficeLink::Execute(const QString& line) {
    const qsizetype space = line.indexOf(QLatin1Char(' '));
    const QString command = space < 0 ? line : line.left(space);
    const QString argument = space < 0 ? QString() : line.mid(space + 1);

    // The container's first call makes the document, its frame and its view.
    const auto ensureDocument = [this] {
        if (m_app.document()) return true;
        m_app.EnsureFrame();
        CTolivaDoc* doc = m_app.document();
        doc->onEmbeddingSaved = [this](const QString& path) { Notify(QStringLiteral("saved ") + path); };
        doc->onEmbeddedChanged = [this] { Notify(QStringLiteral("changed")); };
        return doc->OnNewDocument();
    };

    if (command == QLatin1String("open")) {
        if (argument.isEmpty()) return QStringLiteral("error no storage named");
        if (!ensureDocument()) return QStringLiteral("error no document");
        QString reason;
        if (!m_app.document()->OpenEmbedding(argument, &reason)) return QStringLiteral("error ") + reason;
        m_app.frame()->UpdateFrameTitle();
        return QStringLiteral("ok");
    }
    if (command == QLatin1String("verb")) {
        bool ok = false;
        const int verb = argument.toInt(&ok);
        if (!ok) return QStringLiteral("error not a verb: ") + argument;
        if (!ensureDocument()) return QStringLiteral("error no document");
        m_app.document()->DoVerb(verb);
        return QStringLiteral("ok");
    }
    if (command == QLatin1String("draw")) {
        if (argument.isEmpty()) return QStringLiteral("error no file named");
        if (!ensureDocument()) return QStringLiteral("error no document");
        QByteArray picture;
        QSize size;
        if (!m_app.document()->GetEmbeddedItem()->OnDraw(&picture, size) || picture.isEmpty())
            return QStringLiteral("error the picture could not be made");
        QString reason;
        if (!WriteFileSafely(argument, picture, &reason)) return QStringLiteral("error ") + reason;
        return QStringLiteral("ok");
    }
    if (command == QLatin1String("state")) {
        const CTolivaDoc* doc = m_app.document();
        const CMainFrame* frame = m_app.frame();
        return QStringLiteral("state visible=%1 modified=%2 job=%3 embedded=%4")
            .arg(frame && frame->isVisible() ? 1 : 0)
            .arg(doc && doc->IsModified() ? 1 : 0)
            .arg(doc ? doc->m_nJobCode : 0)
            .arg(doc && doc->IsEmbedded() ? 1 : 0);
    }
    if (command == QLatin1String("close")) {
        if (CMainFrame* frame = m_app.frame()) {
            frame->close();
        } else {
            Notify(QStringLiteral("closed"));
            if (m_app.quitWithFrame) QCoreApplication::quit();
        }
        return QStringLiteral("ok");
    }
    return QStringLiteral("error unknown command: ") + command;
}

}  // namespace toliva
