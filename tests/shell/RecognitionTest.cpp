// Formula recognition: the picture it sends, the request of the maker's
// servers, the replies it trusts and the three ways of asking, against
// servers on the loopback interface (one address per test, so the servers'
// fixed ports never clash), a scripted network and a local folder.
#include "shell/recognition/RecognitionClient.h"

#include "shell/CRecognitionSettingsDlg.h"

#include "common/LoopbackHttpServer.h"
#include "common/ScratchRegistryHome.h"
#include "common/TestSupport.h"
#include "platform/LangTable.h"
#include "platform/MessageSink.h"
#include "platform/NetworkService.h"
#include "platform/RegKey.h"
#include "platform/ShellService.h"
#include "uikit/WindowMessages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QUrl>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <thread>

namespace toliva {
namespace {

using test::LoopbackHttpServer;
using test::LoopbackRequest;

QString messageText(int item) {
    LangTable table(QStringLiteral("en"), QStringLiteral("LANG_13.xml"));
    return LoadLangString(table, QStringLiteral("gMSG"), item).replace(QLatin1Char('|'), QLatin1Char('\n'));
}

void setValue(const QString& name, const QString& text) {
    RegKey key;
    OpenRegKey(kRecognitionKey, key);
    WriteRegString(key, name, text);
}

void setMode(int mode, float wait = 6.0f) {
    RegKey key;
    OpenRegKey(kRecognitionKey, key);
    WriteRegDword(key, QStringLiteral("SerOpt"), mode);
    WriteRegFloat(key, QStringLiteral("WaitSec"), wait);
}

// A fresh registry, a folder, recorded messages and a client that never
// waits for real (it counts its waits instead).
class RecognitionTest : public ::testing::Test {
protected:
    RecognitionTest() : home(folder.path()), messages(&sink) {
        client.sleep = [this](int ms) {
            sleeps.push_back(ms);
            if (realSleep) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        };
        client.now = [] { return QDateTime(QDate(2025, 2, 22), QTime(10, 30, 5)); };
        client.randomIndex = [](int) { return 0; };
        image = folder.file(QStringLiteral("src0.png"));
        QImage picture(40, 20, QImage::Format_RGB32);
        picture.fill(Qt::white);
        EXPECT_TRUE(ConvertToGrayPng(picture, image, 72));
        imageBytes = test::readFile(image);
    }

    std::vector<QString> shownTexts() const {
        std::vector<QString> texts;
        for (const auto& e : sink.shown) texts.push_back(e.text);
        return texts;
    }

    test::ScratchFolder folder;
    test::ScratchRegistryHome home;
    RecordingMessageSink sink;
    ScopedMessageSink messages;
    RecognitionClient client;
    std::vector<int> sleeps;
    bool realSleep = false;
    QString image;
    QByteArray imageBytes;
};

// ---- the request record and the timing

TEST(RecognitionRecordTest, CrcAndRecordLayout) {
    const QByteArray check("123456789");
    EXPECT_EQ(Crc16Modbus(reinterpret_cast<const uint8_t*>(check.constData()), 9), 0x4B37);

    const RecognitionRequestRecord record = MakeRequestRecord(QDateTime(QDate(2025, 2, 22), QTime(9, 5, 7)));
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(record.data()) + 60, 16),
              QByteArray("20250222_090507", 16));
    const uint16_t crc = Crc16Modbus(record.data(), 76);
    EXPECT_EQ(record[76], crc & 0xFF);
    EXPECT_EQ(record[77], crc >> 8);
    const QString id = EncodeBase64Block(record);
    EXPECT_EQ(id.size(), 104);
    EXPECT_FALSE(id.contains(QLatin1Char('=')));
    EXPECT_EQ(QByteArray::fromBase64(id.toLatin1()),
              QByteArray(reinterpret_cast<const char*>(record.data()), 78));
}

TEST(RecognitionRecordTest, PatienceFromTheStoredWait) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        float stored;
        int checks, wait, timeout, polls;
    };
    const Case cases[] = {
        {6.0f, 59, 6, 2, 5},   {1.0f, 29, 3, 2, 4},   {-5.0f, 29, 3, 2, 4}, {9.0f, 89, 9, 3, 6},
        {nan, 59, 6, 2, 5},    {inf, 59, 6, 2, 5},    {-inf, 59, 6, 2, 5},  {1e9f, 59, 6, 2, 5},
        {600.0f, 5999, 600, 200, 203},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        EXPECT_EQ(LocalFolderCheckCount(c.stored), c.checks);
        const ServerTiming t = ServerTimingFor(c.stored);
        EXPECT_EQ(t.waitSeconds, c.wait);
        EXPECT_EQ(t.transferTimeout, c.timeout);
        EXPECT_EQ(t.polls, c.polls);
    }
}

// ---- the replies

TEST(RecognitionReplyTest, WebServiceMarkers) {
    struct Case {
        QByteArray reply;
        std::optional<QString> latex;
    };
    const Case cases[] = {
        {R"({"status": true, "res": {"latex": "\\frac{a}{b}", "conf": 0.98}})", QStringLiteral("\\frac{a}{b}")},
        // The end marker without its closing quote, and text before the start.
        {R"(xx"res": {"latex": "x^{2}", "conf)", QStringLiteral("x^{2}")},
        {R"("res": {"latex": "\\\\alpha", "conf")", QStringLiteral("\\\\alpha")},
        {R"("res": {"latex": "ab", "conf")", std::nullopt},  // 2 characters are not a result
        {R"("res": {"latex": "\\a", "conf")", std::nullopt},  // "\a" once the pair is made one
        {R"("res": {"latex": "x^2"})", std::nullopt},         // no end marker
        {R"({"res": {"text": "x^2", "conf": 1}})", std::nullopt},
        {R"("res": {"latex": ")", std::nullopt},              // not longer than the start marker
        {"", std::nullopt},
        {QByteArray("\"res\": {\"latex\": \"\xff\xfex^2\", \"conf\""), std::nullopt},  // not UTF-8
        {R"("res": {"latex": "\u03b1+1", "conf")", QStringLiteral("\\u03b1+1")},
        {"\"res\": {\"latex\": \"\xce\xb1+1\", \"conf\"", QStringLiteral(u"\u03b1+1")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply.toStdString());
        EXPECT_EQ(ParseWebServiceReply(c.reply), c.latex);
    }
}

TEST(RecognitionReplyTest, PollAndUploadAnswers) {
    struct Poll {
        QByteArray reply;
        std::optional<QString> latex;
    };
    const Poll polls[] = {
        {"", std::nullopt},        {"$$", std::nullopt},     {"$$x^2", QStringLiteral("x^2")},
        {"x^2", std::nullopt},     {"$x^2", std::nullopt},   {"$$ ", QStringLiteral(" ")},
        {"$$\xff\xfe", std::nullopt},
    };
    for (const Poll& p : polls) {
        SCOPED_TRACE(p.reply.toStdString());
        EXPECT_EQ(ParsePollReply(p.reply), p.latex);
    }
    for (const char* yes : {"OK", "ok", "Ok"}) EXPECT_TRUE(IsUploadAccepted(yes)) << yes;
    for (const char* no : {"", "OK\n", "NO", "OKAY", " ok"}) EXPECT_FALSE(IsUploadAccepted(no)) << no;
}

// ---- the picture

TEST_F(RecognitionTest, PictureIsGreyIndexedAt72Dpi) {
    QImage source(3, 1, QImage::Format_ARGB32);
    source.setPixel(0, 0, qRgba(255, 0, 0, 255));
    source.setPixel(1, 0, qRgba(0, 0, 255, 255));
    source.setPixel(2, 0, qRgba(255, 255, 255, 128));
    const QString path = folder.file(QStringLiteral("grey.png"));
    ASSERT_TRUE(ConvertToGrayPng(source, path, 72));
    const QByteArray png = test::readFile(path);
    ASSERT_GT(png.size(), 33);
    EXPECT_EQ(uint8_t(png[24]), 8);  // bit depth
    EXPECT_TRUE(uint8_t(png[25]) == 3 || uint8_t(png[25]) == 0) << int(png[25]);  // palette or grey
    const qsizetype phys = png.indexOf("pHYs");
    ASSERT_GT(phys, 0);
    EXPECT_EQ(QByteArray(png.constData() + phys + 4, 4), QByteArray("\x00\x00\x0b\x13", 4));  // 2835 per metre
    const QImage back(path);
    EXPECT_EQ(qGray(back.pixel(0, 0)), 76);   // 0.299 x 255
    EXPECT_EQ(qGray(back.pixel(1, 0)), 29);   // 0.114 x 255
    EXPECT_EQ(qGray(back.pixel(2, 0)), 128);  // white at half alpha over black
}

TEST_F(RecognitionTest, SizeLimitOnlyForTheServers) {
    struct Case {
        int mode, width, height;
        bool saved;
    };
    const Case cases[] = {
        {0, 2001, 10, false}, {0, 10, 2001, false}, {0, 1001, 1000, false}, {0, 2000, 500, true},
        {0, 1000, 1000, true}, {1, 2001, 10, true},  {2, 2001, 10, true},    {7, 2001, 10, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.mode << " " << c.width << "x" << c.height);
        sink.shown.clear();
        setMode(c.mode);
        const QString path = folder.file(QStringLiteral("size.png"));
        QFile::remove(path);
        QImage picture(c.width, c.height, QImage::Format_RGB32);
        picture.fill(Qt::black);
        EXPECT_EQ(client.SaveRecognitionImage(picture, path), c.saved);
        EXPECT_EQ(QFileInfo::exists(path), c.saved);
        EXPECT_EQ(shownTexts(), c.saved ? std::vector<QString>{} : std::vector<QString>{messageText(5)});
    }
}

// ---- mode 0, the maker's servers

TEST_F(RecognitionTest, ServersUploadThenPollUntilTheResult) {
    const char* address = "127.0.0.31";
    LoopbackHttpServer upload(address, 6170, [](const LoopbackRequest&, int fd, const std::atomic<bool>&) {
        LoopbackHttpServer::reply(fd, "ok");
    });
    int polls = 0;
    LoopbackHttpServer poll(address, 6172, [&](const LoopbackRequest&, int fd, const std::atomic<bool>&) {
        static const char* answers[] = {"", "$$", "$$x^2"};
        LoopbackHttpServer::reply(fd, answers[std::min(polls++, 2)]);
    });
    ASSERT_TRUE(upload.ok() && poll.ok());
    setMode(RECOGNITION_MODE_SERVERS);
    setValue(QStringLiteral("SvrIP01"), QStringLiteral("1.2.3.45"));  // 8 characters: not a server
    setValue(QStringLiteral("SvrIP02"), QString::fromLatin1(address));

    EXPECT_EQ(client.RecognizeFormula(image), QStringLiteral("x^2"));
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_EQ(client.servers(), QStringList{QString::fromLatin1(address)});

    const QString id = client.requestId();
    const QByteArray record = QByteArray::fromBase64(id.toLatin1());
    ASSERT_EQ(record.size(), 78);
    EXPECT_EQ(record.mid(60, 16), QByteArray("20250222_103005", 16));
    EXPECT_EQ(client.uploadUrl(), QStringLiteral("http://127.0.0.31:6170/OCR@@@"));
    EXPECT_EQ(client.pollUrl(), QStringLiteral("http://127.0.0.31:6172/OCR@@@"));

    const std::vector<LoopbackRequest> puts = upload.requests();
    ASSERT_EQ(puts.size(), 1u);
    EXPECT_EQ(puts[0].method, "PUT");
    EXPECT_EQ(puts[0].target, "/OCR@@@" + id.toStdString());
    EXPECT_EQ(QByteArray::fromStdString(puts[0].body), imageBytes);
    const std::vector<LoopbackRequest> gets = poll.requests();
    ASSERT_EQ(gets.size(), 3u);
    for (const LoopbackRequest& r : gets) {
        EXPECT_EQ(r.method, "GET");
        EXPECT_EQ(r.target, "/OCR@@@" + id.toStdString());
    }
    EXPECT_EQ(sleeps, (std::vector<int>{3600, 3600, 3600}));
}

// Answers by script and records the URLs asked.
class ScriptedNetwork : public NetworkService {
public:
    HttpReply perform(const HttpRequest& request) override {
        urls.push_back(request.url);
        timeouts.push_back(request.timeoutSeconds);
        return answer(request);
    }
    std::function<HttpReply(const HttpRequest&)> answer = [](const HttpRequest&) { return HttpReply{}; };
    QStringList urls;
    std::vector<int> timeouts;
};

HttpReply replied(const QByteArray& body) {
    HttpReply r;
    r.ok = true;
    r.status = 200;
    r.body = body;
    return r;
}

TEST_F(RecognitionTest, ServersRotateOneAttemptFirstThenOneMoreThanListed) {
    ScriptedNetwork network;
    ScopedNetworkService scoped(&network);
    setMode(RECOGNITION_MODE_SERVERS);
    for (int i = 1; i <= 3; ++i) setValue(QStringLiteral("SvrIP0%1").arg(i), QStringLiteral("127.0.0.4%1").arg(i));
    client.randomIndex = [](int count) {
        EXPECT_EQ(count, 3);
        return 1;
    };
    const auto uploads = [&] {
        QStringList hosts;
        for (const QString& url : network.urls) hosts << QUrl(url).host();
        network.urls.clear();
        return hosts;
    };

    EXPECT_TRUE(client.RecognizeFormula(image).isEmpty());
    EXPECT_EQ(uploads(), QStringList{QStringLiteral("127.0.0.42")});
    EXPECT_EQ(shownTexts(), std::vector<QString>{messageText(6)});

    EXPECT_TRUE(client.RecognizeFormula(image).isEmpty());
    EXPECT_EQ(uploads(), (QStringList{QStringLiteral("127.0.0.43"), QStringLiteral("127.0.0.41"),
                                      QStringLiteral("127.0.0.42"), QStringLiteral("127.0.0.43")}));
    EXPECT_EQ(sink.shown.size(), 2u);
    EXPECT_TRUE(sleeps.empty());

    // The second server takes the upload but never has a result: the polls
    // run out (4 at WaitSec 1, each 2 s at most) and no other server is tried.
    setMode(RECOGNITION_MODE_SERVERS, 1.0f);
    network.answer = [](const HttpRequest& r) {
        if (r.method == HttpRequest::Put) return QUrl(r.url).host() == QStringLiteral("127.0.0.42") ? replied("OK") : HttpReply{};
        return replied("");
    };
    network.timeouts.clear();
    EXPECT_TRUE(client.RecognizeFormula(image).isEmpty());
    EXPECT_EQ(uploads(), (QStringList{QStringLiteral("127.0.0.41"), QStringLiteral("127.0.0.42"),
                                      QStringLiteral("127.0.0.42"), QStringLiteral("127.0.0.42"),
                                      QStringLiteral("127.0.0.42"), QStringLiteral("127.0.0.42")}));
    EXPECT_EQ(network.timeouts, std::vector<int>(6, 2));
    EXPECT_EQ(sleeps, std::vector<int>(4, 3600));
    EXPECT_EQ(sink.shown.size(), 3u);
    EXPECT_EQ(sink.shown.back().text, messageText(6));
}

TEST_F(RecognitionTest, ServersWithNothingAnsweringFailCleanly) {
    setMode(RECOGNITION_MODE_SERVERS);
    client.endpoints.defaultServer = QStringLiteral("127.0.0.33");  // nothing listens there
    EXPECT_TRUE(client.RecognizeFormula(image).isEmpty());
    EXPECT_EQ(client.servers(), QStringList{QStringLiteral("127.0.0.33")});
    EXPECT_EQ(shownTexts(), std::vector<QString>{messageText(6)});

    // An image file that does not read is told once per attempt.
    sink.shown.clear();
    EXPECT_TRUE(client.RecognizeFormula(folder.file(QStringLiteral("missing.png"))).isEmpty());
    EXPECT_EQ(shownTexts(), (std::vector<QString>{messageText(5), messageText(5), messageText(6)}));
}

TEST_F(RecognitionTest, ServersIgnoreMalformedPolls) {
    ScriptedNetwork network;
    ScopedNetworkService scoped(&network);
    setMode(RECOGNITION_MODE_SERVERS);
    client.endpoints.defaultServer = QStringLiteral("127.0.0.34");
    int poll = 0;
    network.answer = [&](const HttpRequest& r) {
        if (r.method == HttpRequest::Put) return replied("oK");
        static const QByteArray answers[] = {QByteArray("$$\xff\xfe", 4), "$$", "x^2"};
        return poll < 3 ? replied(answers[poll++]) : replied("$$\\sqrt{2}");
    };
    EXPECT_EQ(client.RecognizeFormula(image), QStringLiteral("\\sqrt{2}"));
    EXPECT_TRUE(sink.shown.empty());
}

// ---- mode 1, the web service

TEST_F(RecognitionTest, WebServicePostsTheFileWithTheToken) {
    const char* address = "127.0.0.32";
    QByteArray answer = R"({"status": true, "res": {"latex": "\\frac{a}{b}", "conf": 0.9}, "request_id": "x"})";
    LoopbackHttpServer server(address, 0, [&](const LoopbackRequest&, int fd, const std::atomic<bool>&) {
        LoopbackHttpServer::reply(fd, answer.toStdString());
    });
    ASSERT_TRUE(server.ok());
    client.endpoints.webServiceUrl = QStringLiteral("http://%1:%2/api/latex_ocr").arg(QLatin1String(address)).arg(server.port());
    setMode(RECOGNITION_MODE_WEB_SERVICE);
    setValue(QStringLiteral("SimpleTeX_token"), QStringLiteral("tok-0123456789"));

    EXPECT_EQ(client.RecognizeFormula(image), QStringLiteral("\\frac{a}{b}"));
    EXPECT_TRUE(sink.shown.empty());
    const std::vector<LoopbackRequest> seen = server.requests();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].method, "POST");
    EXPECT_EQ(seen[0].target, "/api/latex_ocr");
    EXPECT_EQ(seen[0].header("token"), "tok-0123456789");
    EXPECT_NE(seen[0].header("Content-Type").find("multipart/form-data"), std::string::npos);
    const QByteArray body = QByteArray::fromStdString(seen[0].body);
    EXPECT_TRUE(body.contains("Content-Disposition: form-data; name=\"file\"; filename=\"src0.png\""));
    EXPECT_TRUE(body.contains(imageBytes));

    // Replies without LaTeX, not UTF-8 or too short fail with the message.
    for (const QByteArray& bad : {QByteArray(R"({"status": false, "err_info": "bad token"})"),
                                  QByteArray("\"res\": {\"latex\": \"\xff\xfe\xfd\", \"conf\""),
                                  QByteArray(R"("res": {"latex": "x", "conf")")}) {
        sink.shown.clear();
        answer = bad;
        EXPECT_TRUE(client.RecognizeFormula(image).isEmpty());
        EXPECT_EQ(shownTexts(), std::vector<QString>{messageText(1)});
    }
}

TEST_F(RecognitionTest, WebServiceRefusesShortTokensAndFailsCleanly) {
    ScriptedNetwork network;
    ScopedNetworkService scoped(&network);
    setMode(RECOGNITION_MODE_WEB_SERVICE, 1.0f);
    setValue(QStringLiteral("SimpleTeX_token"), QStringLiteral("0123456789"));  // 10: too short
    EXPECT_TRUE(client.RecognizeFormula(image).isEmpty());
    EXPECT_TRUE(network.urls.isEmpty());
    EXPECT_EQ(shownTexts(), std::vector<QString>{messageText(1)});

    setValue(QStringLiteral("SimpleTeX_token"), QStringLiteral("0123456789a"));
    sink.shown.clear();
    EXPECT_TRUE(client.RecognizeFormula(image).isEmpty());  // the transfer failed
    EXPECT_EQ(network.urls, QStringList{client.endpoints.webServiceUrl});
    EXPECT_EQ(network.timeouts, std::vector<int>{3});
    EXPECT_EQ(shownTexts(), std::vector<QString>{messageText(1)});
}

// ---- mode 2, the local folder

TEST_F(RecognitionTest, LocalFolderTakesTheResultFileAnOutsideProgramWrites) {
    const QString exchange = folder.file(QStringLiteral("exchange"));
    ASSERT_TRUE(QDir().mkpath(exchange));
    setMode(RECOGNITION_MODE_LOCAL_FOLDER, 60.0f);
    setValue(QStringLiteral("LocalPath"), exchange);
    test::writeFile(exchange + QStringLiteral("/res.tex"), "stale");
    test::writeFile(exchange + QStringLiteral("/src.png"), "stale");
    realSleep = true;

    for (const QByteArray& result : {QByteArray("\\int_0^1 x\\,dx\r\n+1"), QByteArray()}) {
        SCOPED_TRACE(result.toStdString());
        const QString request = exchange + QStringLiteral("/src.png");
        QFile::remove(request);
        std::thread outside([&] {
            for (int i = 0; i < 5000 && !QFileInfo::exists(request); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            EXPECT_EQ(test::readFile(request), imageBytes);
            test::writeFile(exchange + QStringLiteral("/res.tmp"), result);
            QFile::rename(exchange + QStringLiteral("/res.tmp"), exchange + QStringLiteral("/res.tex"));
        });
        QString latex = QStringLiteral("unchanged");
        EXPECT_TRUE(client.Recognize(image, &latex));
        outside.join();
        EXPECT_EQ(latex, QString::fromUtf8(result).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        EXPECT_TRUE(sink.shown.empty());
    }
}

TEST_F(RecognitionTest, LocalFolderChecksAndGivesUp) {
    const QString exchange = folder.file(QStringLiteral("exchange"));
    ASSERT_TRUE(QDir().mkpath(exchange));
    setValue(QStringLiteral("LocalPath"), exchange);
    struct Case {
        float stored;
        size_t checks;
    };
    for (const Case c : {Case{6.0f, 59}, Case{1.0f, 29}, Case{std::nanf(""), 59}, Case{3e30f, 59}}) {
        SCOPED_TRACE(c.stored);
        setMode(RECOGNITION_MODE_LOCAL_FOLDER, c.stored);
        sleeps.clear();
        sink.shown.clear();
        EXPECT_TRUE(client.RecognizeFormula(image).isEmpty());
        EXPECT_EQ(sleeps, std::vector<int>(c.checks, 100));
        EXPECT_EQ(shownTexts(), std::vector<QString>{messageText(3)});
        EXPECT_TRUE(QFileInfo::exists(exchange + QStringLiteral("/src.png")));  // left for the outside program
    }

    // A folder named "res.tex" is no result.
    ASSERT_TRUE(QDir().mkpath(exchange + QStringLiteral("/res.tex")));
    setMode(RECOGNITION_MODE_LOCAL_FOLDER, 1.0f);
    sink.shown.clear();
    EXPECT_TRUE(client.RecognizeFormula(image).isEmpty());
    EXPECT_EQ(shownTexts(), std::vector<QString>{messageText(3)});

    for (const QString& path : {QString(), folder.file(QStringLiteral("nowhere")), image}) {
        SCOPED_TRACE(path.toStdString());
        setValue(QStringLiteral("LocalPath"), path);
        sink.shown.clear();
        sleeps.clear();
        EXPECT_TRUE(client.RecognizeFormula(image).isEmpty());
        EXPECT_TRUE(sleeps.empty());
        EXPECT_EQ(shownTexts(), std::vector<QString>{messageText(2)});
    }
}

// ---- the settings dialog

TEST_F(RecognitionTest, SettingsDialogShowsAndStoresTheValues) {
    RecordingShellService shell;
    shell.forcedResult = ShellFileNotFound;
    setShellService(&shell);
    RecognitionSettings stored;
    stored.mode = RECOGNITION_MODE_LOCAL_FOLDER;
    stored.waitSec = 1.5f;
    stored.token = QStringLiteral("abc");
    stored.localPath = folder.file(QStringLiteral("gone"));  // not a folder: the temporary folder stands in
    ASSERT_TRUE(StoreRecognitionSettings(stored));

    for (const int answer : {IDCANCEL, IDOK}) {
        SCOPED_TRACE(answer);
        CRecognitionSettingsDlg dialog(nullptr, QStringLiteral("en"), QStringLiteral("/tmp/toliva/Temp/"),
                                       QStringLiteral("https://example.invalid/api"));
        dialog.modalRunner = [&](CDlgGU& dlg) {
            const CKwPGL& list = dlg.propertyList;
            EXPECT_EQ(list.GetItemChoice(0, 0), 2);
            EXPECT_DOUBLE_EQ(list.GetItemDouble(0, 1), 1.5);
            EXPECT_EQ(list.GetItemText(0, 2, false), QStringLiteral("abc"));
            EXPECT_EQ(list.GetItemText(0, 3, false), QStringLiteral("/tmp/toliva/Temp/"));
            dlg.GetOrAddItem(0, 0)->choice = 1;
            dlg.SetItemDouble(0, 1, 0.5);
            ParseItemValue(*dlg.GetOrAddItem(0, 2), QStringLiteral("token-0123456789"));
            ParseItemValue(*dlg.GetOrAddItem(0, 3), folder.path());
            EXPECT_EQ(dlg.OnWindowMessage(WM_PROPERTY_ITEM_CLICK, 6, 0), 0);
            EXPECT_EQ(dlg.OnWindowMessage(WM_PROPERTY_ITEM_CLICK, 5, 0), 0);
            EXPECT_EQ(dlg.OnWindowMessage(WM_PROPERTY_ITEM_CLICK, 4, 0), 0);
            return answer;
        };
        EXPECT_EQ(dialog.Run(), answer);
        const RecognitionSettings now = LoadRecognitionSettings();
        if (answer == IDCANCEL) {
            EXPECT_EQ(now.mode, 2);
            EXPECT_EQ(now.token, QStringLiteral("abc"));
        } else {
            EXPECT_EQ(now.mode, 1);
            EXPECT_EQ(now.waitSec, 0.5f);  // stored as typed; raised to 3 when used
            EXPECT_EQ(now.token, QStringLiteral("token-0123456789"));
            EXPECT_EQ(now.localPath, folder.path());
        }
    }
    setShellService(nullptr);
    EXPECT_EQ(shell.urls, (std::vector<QString>(2, QStringLiteral("https://example.invalid/api"))));
    ASSERT_EQ(shell.documents.size(), 2u);
    EXPECT_TRUE(shell.documents[0].endsWith(QStringLiteral("Help/OCR_Help.pdf")));
    ASSERT_EQ(sink.shown.size(), 2u);
    LangTable table(QStringLiteral("en"), QStringLiteral("LANG_01.xml"));
    EXPECT_EQ(sink.shown[0].text, LoadLangString(table, QStringLiteral("gMSG_2"), 1) + shell.documents[0]);
}

TEST(RecognitionMessagesTest, EveryMessageHasBothLanguages) {
    for (const char* code : {"en", "cn"}) {
        LangTable table(QString::fromLatin1(code), QStringLiteral("LANG_13.xml"));
        for (int item : {1, 2, 3, 5, 6}) EXPECT_FALSE(LoadLangString(table, QStringLiteral("gMSG"), item).isEmpty()) << code << item;
    }
}

}  // namespace
}  // namespace toliva
