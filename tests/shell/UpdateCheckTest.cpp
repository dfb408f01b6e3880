// The update check: its schedule, the reply rule, the request against
// servers on the loopback interface (directly and through a proxy), the
// result on the GUI thread, the automatic notice switch, the dialog, and a
// check given up when the view goes.
#include "ShellTestSupport.h"
#include "TestSupport.h"
#include "tests/common/LoopbackHttpServer.h"

#include "shell/CDlgCheckUpdate.h"
#include "shell/ShellTexts.h"
#include "shell/update/UpdateCheck.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QThread>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

namespace toliva::test {
namespace {

// Every test has an address of its own: the port is fixed and tests of one
// program may run at the same time.
constexpr int kPort = UpdateCheckConfig::kPort;
const QDate kToday(2025, 3, 10);

// ---- a server on the loopback interface

// The shared loopback server answering each request with answer(its head); a
// null answer holds the connection open without a word until the server
// stops.
class LoopbackServer {
public:
    using Answer = std::function<QByteArray(const QByteArray& head)>;

    LoopbackServer(const char* address, int port, Answer answer)
        : m_server(address, port, [answer](const LoopbackRequest& request, int fd, const std::atomic<bool>& stopping) {
              if (!answer) {
                  LoopbackHttpServer::holdOpen(fd, stopping);
                  return;
              }
              LoopbackHttpServer::sendAll(fd, answer(headOf(request)).toStdString());
          }) {}
    bool listening() const { return m_server.ok(); }
    // The head of each request as it came (curl speaks HTTP/1.1).
    std::vector<QByteArray> requests() const {
        std::vector<QByteArray> heads;
        for (const LoopbackRequest& request : m_server.requests()) heads.push_back(headOf(request));
        return heads;
    }
    // The first line of each request.
    std::vector<QByteArray> requestLines() const {
        std::vector<QByteArray> lines;
        for (const QByteArray& head : requests()) lines.push_back(head.left(head.indexOf("\r\n")));
        return lines;
    }

    static QByteArray ok(const QByteArray& body) {
        return "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " + QByteArray::number(body.size()) +
               "\r\nConnection: close\r\n\r\n" + body;
    }

private:
    static QByteArray headOf(const LoopbackRequest& request) {
        QByteArray head = QByteArray::fromStdString(request.method + " " + request.target + " HTTP/1.1\r\n");
        for (const std::string& line : request.headers) head += QByteArray::fromStdString(line) + "\r\n";
        return head + "\r\n";
    }

    LoopbackHttpServer m_server;
};

// The proxy variables as the test sets them, restored afterwards; every
// other proxy setting of the machine is out of the way meanwhile.
class ScopedProxyEnvironment {
public:
    explicit ScopedProxyEnvironment(const QByteArray& httpProxy = {}) {
        for (const char* name : kNames) {
            m_saved.emplace_back(name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
            qunsetenv(name);
        }
        if (!httpProxy.isEmpty()) qputenv("http_proxy", httpProxy);
    }
    ~ScopedProxyEnvironment() {
        for (const auto& [name, value] : m_saved) {
            if (value) qputenv(name, *value);
            else qunsetenv(name);
        }
    }

private:
    static constexpr const char* kNames[] = {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY",
                                             "all_proxy",  "ALL_PROXY",  "no_proxy",    "NO_PROXY"};
    std::vector<std::pair<const char*, std::optional<QByteArray>>> m_saved;
};

// Answers every transfer with one reply, recording the requests (from any
// thread).
class ScriptedNetworkService : public NetworkService {
public:
    HttpReply perform(const HttpRequest& request) override {
        {
            std::lock_guard lock(m_mutex);
            m_urls.push_back(request.url);
        }
        while (hold && !(request.cancel && *request.cancel)) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::lock_guard lock(m_mutex);
        HttpReply r;
        r.ok = ok;
        r.status = ok ? 200 : 0;
        r.body = body;
        return r;
    }
    std::vector<QString> urls() const {
        std::lock_guard lock(m_mutex);
        return m_urls;
    }
    // The transfer waits while this is set.
    std::atomic<bool> hold{false};
    // Set before a check starts.
    bool ok = true;
    QByteArray body;

private:
    mutable std::mutex m_mutex;
    std::vector<QString> m_urls;
};

UpdateCheckConfig loopbackConfig(const char* host) {
    UpdateCheckConfig config;
    config.host = QString::fromLatin1(host);
    config.today = [] { return kToday; };
    return config;
}

int storedDay() {
    RegKey key;
    int day = -1;
    if (!OpenRegKey(kAppSettings, key) || !ReadRegDword(key, QStringLiteral("dw3"), day, -1)) return -1;
    return day;
}

void storeDay(int day) { ASSERT_TRUE(WriteLastUpdateCheckDay(day)); }

// Runs the event loop until the condition holds or a few seconds passed.
bool waitFor(const std::function<bool()>& condition) {
    for (int i = 0; i < 200 && !condition(); ++i) wait(25);
    return condition();
}

}  // namespace

// ---- the build date, the day number and the reply rule

TEST(UpdateCheck, BuildDateDayNumberAndAddress) {
    EXPECT_EQ(GetBuildDate(), QStringLiteral("20250222"));
    EXPECT_EQ(GetBuildDate().toInt(), kBuildDateNumber);
    EXPECT_EQ(DayNumber(QDate(2025, 3, 10)), 2025 * 365 + 3 * 30 + 10);
    // Months count 30 days: 31 January and 1 February are one day apart.
    EXPECT_EQ(DayNumber(QDate(2025, 2, 1)) - DayNumber(QDate(2025, 1, 31)), 0);

    // The host: the environment's when it names one, else the maker's.
    const QByteArray saved = qgetenv("TOLIVA_UPDATE_HOST");
    qunsetenv("TOLIVA_UPDATE_HOST");
    EXPECT_EQ(UpdateCheckConfig().host, QStringLiteral("update.ravelt.example"));
    qputenv("TOLIVA_UPDATE_HOST", " 127.0.0.9 ");
    EXPECT_EQ(UpdateCheckConfig().host, QStringLiteral("127.0.0.9"));
    if (saved.isEmpty()) qunsetenv("TOLIVA_UPDATE_HOST");
    else qputenv("TOLIVA_UPDATE_HOST", saved);

    UpdateCheckConfig config;
    config.host = QStringLiteral("127.0.0.40");
    EXPECT_EQ(config.url(false), QStringLiteral("http://127.0.0.40:3310/M@20250222=="));
    EXPECT_EQ(config.url(true), QStringLiteral("http://127.0.0.40:3310/M@20250222==") + config.clientId);
}

TEST(UpdateCheck, ScheduleIsDueAfterMoreThanTwoDays) {
    const int today = DayNumber(kToday);
    EXPECT_FALSE(UpdateCheckDue(today - 2, today));
    EXPECT_TRUE(UpdateCheckDue(today - 3, today));
    EXPECT_FALSE(UpdateCheckDue(today, today));
    EXPECT_TRUE(UpdateCheckDue(0, today));
    // A stored value past the range of day numbers does not wrap round.
    EXPECT_FALSE(UpdateCheckDue(INT32_MAX, today));
    EXPECT_TRUE(UpdateCheckDue(INT32_MIN, today));
}

struct ReplyCase {
    const char* name;
    QByteArray reply;
    bool answered;
    std::optional<bool> newer;
};

void PrintTo(const ReplyCase& c, std::ostream* os) { *os << c.name; }

class UpdateReplyRule : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(UpdateReplyRule, Interprets) {
    const ReplyCase& c = GetParam();
    const UpdateReplyMeaning meaning = InterpretUpdateReply(c.reply);
    EXPECT_EQ(meaning.answered, c.answered);
    EXPECT_EQ(meaning.newer, c.newer);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, UpdateReplyRule,
    ::testing::Values(ReplyCase{"LaterBuild", "==20250223==", true, true},
                      ReplyCase{"SameBuild", "==20250222==", true, false},
                      ReplyCase{"EarlierBuild", "==20241231==", true, false},
                      ReplyCase{"ElevenCharacters", "==2025023==", false, std::nullopt},
                      ReplyCase{"ThirteenCharacters", "==20250223==\n", false, std::nullopt},
                      ReplyCase{"Empty", "", false, std::nullopt},
                      ReplyCase{"FirstNotEquals", "x=20250223==", true, std::nullopt},
                      ReplyCase{"LastNotEquals", "==20250223=x", true, std::nullopt},
                      // No leading digits: the number is 0.
                      ReplyCase{"NoDigits", "==abcdefgh==", true, false},
                      // Every '=' goes, then the leading digits count.
                      ReplyCase{"EqualsInside", "==2=025030==", true, false},
                      ReplyCase{"DigitsThenLetters", "==2026abcd==", true, false},
                      // Twelve characters in UTF-8, not twelve bytes.
                      ReplyCase{"WideCharacters", "==\xE2\x91\xA0\xE2\x91\xA0\xE2\x91\xA0\xE2\x91\xA0"
                                                  "\xE2\x91\xA0\xE2\x91\xA0\xE2\x91\xA0\xE2\x91\xA0==",
                                true, false},
                      // Invalid UTF-8: each bad byte is one replacement character.
                      ReplyCase{"InvalidUtf8", QByteArray(12, '\xFF'), true, std::nullopt},
                      ReplyCase{"EmbeddedNul", QByteArray("==2026\0\0\0\0==", 12), true, false}),
    [](const ::testing::TestParamInfo<ReplyCase>& info) { return std::string(info.param.name); });

// ---- the request against the loopback interface

class UpdateRequestTest : public ::testing::Test {
protected:
    CurlNetworkService curl;
    ScopedNetworkService scopedNetwork{&curl};
};

TEST_F(UpdateRequestTest, AsksTheServerAndReadsItsReply) {
    ScopedProxyEnvironment noProxy;
    LoopbackServer server("127.0.0.40", kPort, [](const QByteArray&) { return LoopbackServer::ok("==20250301=="); });
    ASSERT_TRUE(server.listening());
    const UpdateCheckConfig config = loopbackConfig("127.0.0.40");

    const UpdateCheckResult manual = RunUpdateCheck(config, false);
    EXPECT_TRUE(manual.transferred);
    EXPECT_FALSE(manual.throughProxy);
    EXPECT_TRUE(manual.meaning.answered);
    EXPECT_EQ(manual.meaning.newer, true);

    const UpdateCheckResult automatic = RunUpdateCheck(config, true);
    EXPECT_TRUE(automatic.transferred);
    ASSERT_EQ(server.requestLines().size(), 2u);
    EXPECT_EQ(server.requestLines()[0], QByteArray("GET /M@20250222== HTTP/1.1"));
    EXPECT_EQ(server.requestLines()[1], "GET /M@20250222==" + config.clientId.toLatin1() + " HTTP/1.1");
    EXPECT_TRUE(server.requests()[0].contains("Host: 127.0.0.40:3310\r\n"));
}

// Replies no one should trust: each fails cleanly or counts as no answer.
TEST_F(UpdateRequestTest, HostileRepliesFailCleanly) {
    ScopedProxyEnvironment noProxy;
    struct Case {
        const char* address;
        LoopbackServer::Answer answer;
        bool transferred;
    };
    const Case cases[] = {
        // Far more than an answer's size: the transfer stops at the limit.
        {"127.0.0.45", [](const QByteArray&) { return LoopbackServer::ok(QByteArray(1 << 20, '=')); }, false},
        // Closed in the middle of the reply.
        {"127.0.0.46",
         [](const QByteArray&) {
             return QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 12\r\n\r\n==2026");
         },
         false},
        // Not HTTP at all.
        {"127.0.0.47", [](const QByteArray&) { return QByteArray("\x00\xFF garbage\r\n\r\n", 14); }, false},
        // An error page of an answer's size is the server's answer.
        {"127.0.0.48",
         [](const QByteArray&) {
             return QByteArray("HTTP/1.1 404 Not Found\r\nContent-Length: 3\r\nConnection: close\r\n\r\nno!");
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        LoopbackServer server(c.address, kPort, c.answer);
        ASSERT_TRUE(server.listening());
        const UpdateCheckResult result = RunUpdateCheck(loopbackConfig(c.address), false);
        EXPECT_EQ(result.transferred, c.transferred);
        EXPECT_FALSE(result.meaning.answered);
        EXPECT_FALSE(result.meaning.newer.has_value());
    }
}

// A failed transfer is tried once more through the proxy the system names
// (http_proxy for the server's http address); without one it stays failed.
TEST_F(UpdateRequestTest, RetriesOnceThroughTheSystemProxy) {
    // Nothing listens on 127.0.0.42: the direct transfer is refused.
    LoopbackServer proxy("127.0.0.41", 8080, [](const QByteArray&) { return LoopbackServer::ok("==20250222=="); });
    ASSERT_TRUE(proxy.listening());
    const UpdateCheckConfig config = loopbackConfig("127.0.0.42");
    {
        ScopedProxyEnvironment withProxy("http://127.0.0.41:8080");
        const UpdateCheckResult result = RunUpdateCheck(config, false);
        EXPECT_TRUE(result.throughProxy);
        EXPECT_TRUE(result.transferred);
        EXPECT_TRUE(result.meaning.answered);
        EXPECT_EQ(result.meaning.newer, false);
        // A proxy receives the absolute address.
        ASSERT_EQ(proxy.requestLines().size(), 1u);
        EXPECT_EQ(proxy.requestLines()[0], QByteArray("GET http://127.0.0.42:3310/M@20250222== HTTP/1.1"));
    }
    {
        ScopedProxyEnvironment noProxy;
        const UpdateCheckResult result = RunUpdateCheck(config, false);
        EXPECT_FALSE(result.throughProxy);
        EXPECT_FALSE(result.transferred);
        EXPECT_FALSE(result.meaning.answered);
        EXPECT_EQ(proxy.requests().size(), 1u);
    }
}

// ---- the check in the program

class UpdateProgramTest : public ProgramFixture {
protected:
    struct Shown {
        bool newer;
        bool onGuiThread;
    };

    // Starts the program with the day and the dialog's stand-in; the check
    // asks host (through the test's service unless one is installed).
    bool start(const char* host = "127.0.0.44") {
        return startProgram({}, [this, host](CTolivaApp& app) {
            app.updateCheck = loopbackConfig(host);
            app.runUpdateDialog = [this](CDlgCheckUpdate& dialog) {
                shown.push_back({dialog.newer(), QThread::currentThread() == qApp->thread()});
                return int(IDCANCEL);
            };
        });
    }
    // Lets the running check end and its result arrive.
    void settle() {
        ASSERT_TRUE(waitFor([this] { return !view().IsUpdateCheckRunning(); }));
        wait(20);
    }

    ScriptedNetworkService service;
    std::vector<Shown> shown;
};

TEST_F(UpdateProgramTest, StartsTheAutomaticCheckWhenItIsDue) {
    const int today = DayNumber(kToday);
    for (int lastDay : {today - 2, today - 3}) {
        SCOPED_TRACE(lastDay);
        ScopedNetworkService scoped(&service);
        service.body = "==20250222==";
        storeDay(lastDay);
        const size_t before = service.urls().size();
        ASSERT_TRUE(start());
        settle();
        const bool due = lastDay == today - 3;
        ASSERT_EQ(service.urls().size() - before, due ? 1u : 0u);
        if (due) {
            EXPECT_EQ(service.urls().back(), loopbackConfig("127.0.0.44").url(true));
        }
        EXPECT_EQ(storedDay(), due ? today : lastDay);
        // Nothing newer: the automatic check shows nothing.
        EXPECT_TRUE(shown.empty());
        stopProgram();
    }
}

// The automatic notice: with a newer build the dialog shows only while
// "auto_chk_update" is on; the day is stored either way.
TEST_F(UpdateProgramTest, AutomaticCheckHonoursTheNoticeSwitch) {
    for (bool notice : {false, true}) {
        SCOPED_TRACE(notice);
        shown.clear();
        ScopedNetworkService scoped(&service);
        service.body = "==20260101==";
        {
            RegKey key;
            ASSERT_TRUE(OpenRegKey(kAppSettings, key));
            ASSERT_TRUE(WriteRegBool(key, QStringLiteral("auto_chk_update"), notice));
            ASSERT_TRUE(WriteLastUpdateCheckDay(0));
        }
        ASSERT_TRUE(start());
        settle();
        EXPECT_EQ(storedDay(), DayNumber(kToday));
        EXPECT_TRUE(view().UpdateNewerFlag());
        ASSERT_EQ(shown.size(), notice ? 1u : 0u);
        if (notice) {
            EXPECT_TRUE(shown[0].newer);
            EXPECT_TRUE(shown[0].onGuiThread);
        }
        stopProgram();
    }
}

// Manual checks one after another: each shows the dialog (on the GUI
// thread) with the flag as the replies leave it; a failed transfer stores
// nothing and shows the previous flag.
TEST_F(UpdateProgramTest, ManualChecksKeepTheNewerFlagAsRepliesSay) {
    ScopedNetworkService scoped(&service);
    storeDay(DayNumber(kToday));  // no automatic check
    ASSERT_TRUE(start());
    struct Step {
        bool ok;
        QByteArray body;
        bool stored;
        bool newer;
    };
    const Step steps[] = {
        {false, "", false, false},             // no check has succeeded yet
        {true, "==20250301==", true, true},   // newer
        {true, "x=20250101==", true, true},   // malformed: the flag stays
        {true, "==2025030==", false, true},   // wrong size: nothing changes
        {true, "==20250222==", true, false},  // the build itself
        {false, "==20260101==", false, false},
    };
    int step = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(step++);
        storeDay(7);
        service.ok = s.ok;
        service.body = s.body;
        shown.clear();
        EXPECT_TRUE(view().CheckForUpdate());
        // The user's check waits for the network off the GUI thread.
        settle();
        EXPECT_EQ(storedDay(), s.stored ? DayNumber(kToday) : 7);
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].newer, s.newer);
        EXPECT_TRUE(shown[0].onGuiThread);
    }
    // The manual address carries no identification.
    EXPECT_EQ(service.urls().back(), loopbackConfig("127.0.0.44").url(false));
}

// Asked for while the automatic check runs, the check is not made twice:
// the running one answers as the user's would.
TEST_F(UpdateProgramTest, ManualRequestDuringTheAutomaticCheck) {
    ScopedNetworkService scoped(&service);
    service.body = "==20250222==";
    service.hold = true;
    storeDay(0);
    ASSERT_TRUE(start());
    ASSERT_TRUE(waitFor([&] { return service.urls().size() == 1; }));
    EXPECT_TRUE(view().CheckForUpdate());
    service.hold = false;
    settle();
    EXPECT_EQ(service.urls().size(), 1u);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_FALSE(shown[0].newer);
    EXPECT_EQ(storedDay(), DayNumber(kToday));
}

// A check the server never answers is given up when the view goes: the
// program ends at once, nothing is stored and no dialog appears. A check
// cancelled by hand ends the same way.
TEST_F(UpdateProgramTest, CheckIsCancelledWhenTheViewGoes) {
    CurlNetworkService curl;
    ScopedNetworkService scoped(&curl);
    ScopedProxyEnvironment noProxy;
    LoopbackServer silent("127.0.0.43", kPort, nullptr);
    ASSERT_TRUE(silent.listening());
    storeDay(0);
    ASSERT_TRUE(start("127.0.0.43"));
    ASSERT_TRUE(waitFor([&] { return silent.requests().size() == 1; }));
    EXPECT_TRUE(view().IsUpdateCheckRunning());

    view().CancelUpdateCheck();
    EXPECT_FALSE(view().IsUpdateCheckRunning());
    EXPECT_TRUE(view().CheckForUpdate());
    ASSERT_TRUE(waitFor([&] { return silent.requests().size() == 2; }));
    stopProgram();
    wait(50);
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(storedDay(), 0);
}

// ---- the dialog

class UpdateDialogTest : public ShellFixture {};

TEST_F(UpdateDialogTest, TextsByLanguageAndNewerFlag) {
    struct Case {
        int lanSel;
        bool newer;
        const char* title;
        const char* message;
        const char* ok;
        const char* check;
    };
    const Case cases[] = {
        {1, false, "Check for updates", "No newer version of Toliva was found.", "Visit the web site",
         "Tell me when a newer version is available"},
        {1, true, "Check for updates", "A newer version of Toliva is available.", "Visit the web site",
         "Tell me when a newer version is available"},
        {2, false, "检查更新", "未发现 Toliva 的新版本。", "访问网站", "有新版本时通知我"},
        {2, true, "检查更新", "Toliva 有新版本可用。", "访问网站", "有新版本时通知我"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        AppContext app;
        app.lanSel = c.lanSel;
        AppSettings settings;
        CDlgCheckUpdate dialog(app, settings, c.newer);
        dialog.OnInitDialog();
        EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8(c.title));
        EXPECT_EQ(dialog.messageLabel()->text(), QString::fromUtf8(c.message));
        EXPECT_EQ(dialog.button(CDlgCheckUpdate::kOk)->text(), QString::fromUtf8(c.ok));
        EXPECT_EQ(dialog.autoCheckBox()->text(), QString::fromUtf8(c.check));
        // The dialog as a person sees it, for a look.
        dialog.adjustSize();
        const QString folder = screenshotFolder();
        QDir().mkpath(folder);
        dialog.grab().save(QDir(folder).filePath(
            QStringLiteral("update_%1_%2.png").arg(app.languageCode(), c.newer ? QStringLiteral("newer") : QStringLiteral("same"))));
    }
}

// The check box changes "auto_chk_update" at once; OK opens the web site of
// the language, Cancel only closes.
TEST_F(UpdateDialogTest, SwitchAndWebSite) {
    for (int lanSel : {1, 2}) {
        SCOPED_TRACE(lanSel);
        shell.urls.clear();
        AppContext app;
        app.lanSel = lanSel;
        AppSettings settings;
        settings.autoCheckUpdate = true;
        CDlgCheckUpdate dialog(app, settings, false);
        dialog.OnInitDialog();
        EXPECT_TRUE(dialog.autoCheckBox()->isChecked());
        dialog.autoCheckBox()->click();
        EXPECT_FALSE(settings.autoCheckUpdate);
        EXPECT_EQ(dialog.autoCheckState(), 0);
        dialog.autoCheckBox()->click();
        EXPECT_TRUE(settings.autoCheckUpdate);

        dialog.button(CDlgCheckUpdate::kCancel)->click();
        EXPECT_EQ(dialog.result(), int(QDialog::Rejected));
        EXPECT_TRUE(shell.urls.empty());
        dialog.button(CDlgCheckUpdate::kOk)->click();
        EXPECT_EQ(dialog.result(), int(QDialog::Accepted));
        ASSERT_EQ(shell.urls.size(), 1u);
        EXPECT_EQ(shell.urls[0], MakerLink(MakerProductPage, lanSel));
    }
}

}  // namespace toliva::test
