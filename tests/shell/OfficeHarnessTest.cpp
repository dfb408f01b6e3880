// The office add-in's side played against the program itself: an embedded
// instance is started, handed an item's storage and a verb over its link,
// and what it saved and left in the registry is read back.
#include "ShellTestSupport.h"

#include "../sheet/SheetTestSupport.h"
#include "common/TestSupport.h"
#include "model/EqBuilder.h"
#include "model/EqModel.h"
#include "platform/Archive.h"
#include "platform/SafeFile.h"
#include "platform/emf/EmfCheck.h"
#include "shell/OfficeLink.h"
#include "shell/document/AfxFile.h"

#include <QElapsedTimer>
#include <QLocalSocket>
#include <QProcess>
#include <QThread>
#include <QtEndian>

namespace toliva::test {
namespace {

#ifdef TOLIVA_PATH

// One embedded instance and the container's end of its link.
class Container {
public:
    explicit Container(const QString& home) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TOLIVA_HOME"), home);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        KeepUpdateCheckLocal(env);
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::ForwardedChannels);
        m_process.start(QStringLiteral(TOLIVA_PATH), {QStringLiteral("-Embedding")});
    }
    ~Container() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    bool connect() {
        if (!m_process.waitForStarted(10000)) return false;
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 30000) {
            m_socket.connectToServer(OfficeLinkName(m_process.processId()));
            if (m_socket.waitForConnected(500)) return true;
            QThread::msleep(100);
        }
        return false;
    }
    // Sends a command and returns its answer, keeping the notices that came
    // before it.
    QString ask(const QString& command) {
        m_socket.write((command + QLatin1Char('\n')).toUtf8());
        m_socket.flush();
        while (true) {
            const QString line = nextLine(20000);
            if (line.isEmpty() || line == QLatin1String("ok") || line.startsWith(QLatin1String("error")) ||
                line.startsWith(QLatin1String("state")))
                return line;
            notices << line;
        }
    }
    // Waits for the process to end, collecting the notices it sent.
    bool finished() {
        while (m_socket.state() == QLocalSocket::ConnectedState) {
            const QString line = nextLine(20000);
            if (line.isEmpty()) break;
            notices << line;
        }
        return m_process.waitForFinished(20000) && m_process.exitStatus() == QProcess::NormalExit &&
               m_process.exitCode() == 0;
    }
    QStringList notices;

private:
    QString nextLine(int timeoutMs) {
        QElapsedTimer clock;
        clock.start();
        while (!m_socket.canReadLine()) {
            if (m_socket.state() != QLocalSocket::ConnectedState && !m_socket.bytesAvailable()) return {};
            if (clock.elapsed() > timeoutMs) return {};
            m_socket.waitForReadyRead(200);
        }
        return QString::fromUtf8(m_socket.readLine()).trimmed();
    }
    QProcess m_process;
    QLocalSocket m_socket;
};

class OfficeHarnessTest : public ShellFixture {};

TEST_F(OfficeHarnessTest, VerbOneShowsTheWindowAndCloseEndsTheInstance) {
    Container container(home());
    ASSERT_TRUE(container.connect());
    const QString storage = home() + QStringLiteral("shown.afx");
    EXPECT_EQ(container.ask(QStringLiteral("open ") + storage), "ok");
    EXPECT_EQ(container.ask(QStringLiteral("verb 1")), "ok");
    EXPECT_EQ(container.ask(QStringLiteral("state")), "state visible=1 modified=0 job=1 embedded=1");
    container.ask(QStringLiteral("close"));
    EXPECT_TRUE(container.finished());
    EXPECT_TRUE(container.notices.contains(QStringLiteral("closed")));
    EXPECT_EQ(readString(kWordCmds, QStringLiteral("TolivaOccupy")), "0");
}

TEST_F(OfficeHarnessTest, JobsSaveTheEmbeddingAndEndTheInstance) {
    struct Case {
        int job;
        const char* waitingConvert;
        bool drawn;  // the job copied the item, whose picture gave the extent
    };
    for (const Case c : {Case{3, "<none>", false}, Case{14, "<none>", false}, Case{32, "1", true}}) {
        SCOPED_TRACE(c.job);
        RegistryStore::instance().deleteKey(kWordCmds);
        const QString storage = home() + QStringLiteral("job%1.afx").arg(c.job);
        int option = 0;  // the option job 3 switches
        {
            EqModel eq;
            option = eq.settings.ints[0];
            QString reason;
            ASSERT_TRUE(WriteAfxFile(storage, AfxArchiveBytes(&eq, 1234.0f, 567.0f), &reason));
        }
        Container container(home());
        ASSERT_TRUE(container.connect());
        EXPECT_EQ(container.ask(QStringLiteral("open ") + storage), "ok");
        EXPECT_EQ(container.ask(QStringLiteral("verb %1").arg(c.job)), "ok");
        ASSERT_TRUE(container.finished());
        EXPECT_TRUE(container.notices.contains(QStringLiteral("saved ") + storage));
        EXPECT_EQ(readString(kWordCmds, QStringLiteral("WaitingConvert")), c.waitingConvert);
        EXPECT_EQ(readString(kWordCmds, QStringLiteral("DocEnvSize")), "0");

        AfxContent content;
        QString reason;
        ASSERT_TRUE(ReadAfxFile(storage, content, &reason)) << reason.toStdString();
        if (c.drawn) {
            EXPECT_GT(content.extentX, 0.0f);
            EXPECT_LT(content.extentX, 1234.0f);
        } else {
            EXPECT_FLOAT_EQ(content.extentX, 1234.0f);
        }
        EXPECT_EQ(content.equation->settings.ints[0], c.job == 3 ? (option ? 0 : 1) : option);
    }
}

TEST_F(OfficeHarnessTest, PictureOfTheItemThenAJobSavesTheEmbedding) {
    const QString storage = home() + QStringLiteral("drawn.afx");
    {
        EqModel eq;
        EqBuilder b(&eq);
        b.text(b.line(), u"x", EqTypeCharItalic);
        QString reason;
        ASSERT_TRUE(WriteAfxFile(storage, AfxArchiveBytes(&eq, 300.0f, 200.0f), &reason));
    }
    Container container(home());
    ASSERT_TRUE(container.connect());
    EXPECT_EQ(container.ask(QStringLiteral("open ") + storage), "ok");
    EXPECT_EQ(container.ask(QStringLiteral("verb 1")), "ok");
    const QString path = home() + QStringLiteral("shown.wmf");
    EXPECT_EQ(container.ask(QStringLiteral("draw ") + path), "ok");
    EXPECT_TRUE(container.ask(QStringLiteral("draw ")).startsWith(QLatin1String("error")));

    QByteArray picture;
    ASSERT_TRUE(ReadFileCapped(path, kMaxInputFileBytes, &picture, nullptr));
    const emf::MetafileCheck check = emf::checkWmf(picture);
    ASSERT_TRUE(check.ok) << check.problem.toStdString();
    // The escapes in order: the baseline first, then the LaTeX text.
    QList<QByteArray> comments;
    for (qsizetype at = 22 + 18; at + 6 <= picture.size();) {
        const quint32 words = qFromLittleEndian<quint32>(picture.constData() + at);
        if (words < 3) break;
        if (qFromLittleEndian<quint16>(picture.constData() + at + 4) == 0x0626)
            comments << picture.mid(at + 10, qFromLittleEndian<quint16>(picture.constData() + at + 8));
        at += qsizetype(words) * 2;
    }
    ASSERT_GE(comments.size(), 2);
    EXPECT_EQ(comments[0].size(), 12);
    EXPECT_TRUE(comments[0].startsWith("MathType"));
    EXPECT_GT(qFromLittleEndian<qint16>(comments[0].constData() + 10), 0);
    EXPECT_TRUE(comments[1].startsWith("TL-TEX-1"));
    EXPECT_TRUE(comments[1].mid(16).contains(QByteArray("x\0", 2)));

    EXPECT_EQ(container.ask(QStringLiteral("verb 3")), "ok");
    ASSERT_TRUE(container.finished());
    EXPECT_TRUE(container.notices.contains(QStringLiteral("saved ") + storage));
    AfxContent content;
    QString reason;
    ASSERT_TRUE(ReadAfxFile(storage, content, &reason)) << reason.toStdString();
    EXPECT_EQ(content.equation->lines.size(), 1u);
}

#endif

}  // namespace
}  // namespace toliva::test
