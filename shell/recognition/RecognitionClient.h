// Formula recognition: turns a picture of a formula into LaTeX text in one
// of three ways the user chooses under "Software\Toliva\OCR":
//   0  the maker's recognition servers over plain HTTP (an upload on port
//      6170, then polls on port 6172 for the result);
//   1  the SimpleTeX web service (a multipart POST with the user's token);
//   2  an outside program that watches a local folder ("src.png" in,
//      "res.tex" out).
// The caller saves the image with SaveRecognitionImage, then asks
// RecognizeFormula and inserts the LaTeX text it gets. Every failure is told
// to the user through the message sink (group "gMSG" of "LANG_13.xml").
//
// Recognition blocks its caller for at most its timeouts and waits. Every
// transfer goes through the network service; every reply is untrusted: it is
// bounded in size, decoded as UTF-8 (a reply that is not UTF-8 counts as no
// reply) and parsed without assumptions.
#pragma once

#include "sheet/editing/Recognition.h"

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

namespace toliva {

enum RecognitionMode : int {
    RECOGNITION_MODE_SERVERS = 0,
    RECOGNITION_MODE_WEB_SERVICE = 1,
    RECOGNITION_MODE_LOCAL_FOLDER = 2,
};

inline const QString kRecognitionKey = QStringLiteral("Software\\Toliva\\OCR");
inline const QString kRecognitionMessages = QStringLiteral("LANG_13.xml");

// The items of group "gMSG" of "LANG_13.xml" the client shows.
enum RecognitionMessage : int {
    MsgWebServiceFailed = 1,   // no token, the transfer failed, or no LaTeX in the reply
    MsgLocalFolderMissing = 2, // "LocalPath" empty or not a folder
    MsgLocalFolderTimeout = 3, // no "res.tex" in time
    MsgImageRefused = 5,       // too large for the servers, or the image file does not read
    MsgServersFailed = 6,      // no server took the upload, or no result within the polls
};

// The values of the "OCR" key.
struct RecognitionSettings {
    int mode = RECOGNITION_MODE_SERVERS;  // "SerOpt"
    float waitSec = 6.0f;                 // "WaitSec", as stored
    QString token;                        // "SimpleTeX_token"
    QString localPath;                    // "LocalPath"
};
// Reads the key (created when missing); missing values give the defaults.
RecognitionSettings LoadRecognitionSettings();
// Writes "SerOpt", "WaitSec" (unclamped), "SimpleTeX_token" and "LocalPath";
// false when the registry refused a write.
bool StoreRecognitionSettings(const RecognitionSettings& settings);

// The patience in seconds a stored "WaitSec" gives: at least 3; a value that
// is not a number, infinite or above kMaxWaitSeconds counts as the default 6.
inline constexpr double kDefaultWaitSeconds = 6.0;
inline constexpr double kMaxWaitSeconds = 600.0;
double EffectiveWaitSeconds(float stored);
// Mode 2: how many times the result file is looked for, 100 ms apart:
// trunc(10 x wait) - 1 (59 for the default).
int LocalFolderCheckCount(float storedWait);
// Mode 0: the whole seconds of patience W, the per-transfer timeout W / 3
// (at least 2) and the polls per upload W / 3 + 3.
struct ServerTiming {
    int waitSeconds = 6;
    int transferTimeout = 2;
    int polls = 5;
};
ServerTiming ServerTimingFor(float storedWait);

// ---- the image

// The servers refuse pictures wider or taller than 2000 pixels or of more
// than 1,000,000 pixels.
bool RecognitionImageTooLarge(const QSize& size);
// The picture as recognition reads it: 8-bit indexed with a 256-entry grey
// palette (entry i = opaque grey i), each pixel the luminance
// 0.299 R + 0.587 G + 0.114 B of the source drawn with its alpha over the
// new image's black.
QImage ConvertToGrayImage(const QImage& source);
// Saves ConvertToGrayImage(image) at the given resolution with the format
// of the path's extension (".png": PNG); false when it could not be saved.
bool ConvertToGrayPng(const QImage& image, const QString& path, int dpi);

// ---- the request of mode 0

using RecognitionRequestRecord = std::array<uint8_t, 78>;
inline constexpr size_t kRequestClientBlockBytes = 60;
// CRC-16/MODBUS (start 0xFFFF, reflected polynomial 0xA001, no final XOR).
uint16_t Crc16Modbus(const uint8_t* data, size_t size);
// Bytes 0-59 the client block, 60-75 the local time "YYYYMMDD_hhmmss" and
// a zero byte, 76-77 the CRC of bytes 0-75, little-endian.
RecognitionRequestRecord MakeRequestRecord(const QDateTime& localTime);
// Standard Base64 of the 78 bytes: 104 characters, no fill, no line breaks.
QString EncodeBase64Block(const RecognitionRequestRecord& record);

// ---- the replies

// The web service's reply: the text between "res": {"latex": " and the
// end marker ", "conf (so ", "conf" also matches), with every pair of
// backslashes made one; nothing when the reply is not UTF-8, a marker is
// missing or the text has 2 characters or fewer.
std::optional<QString> ParseWebServiceReply(const QByteArray& reply);
// A server's answer to a poll: the text after a leading "$$" when the reply
// is UTF-8 of at least 3 characters; nothing (not there yet) otherwise.
std::optional<QString> ParsePollReply(const QByteArray& reply);
// Whether a server's answer to an upload is "OK" in any case.
bool IsUploadAccepted(const QByteArray& reply);
// The result file of mode 2: UTF-8 (else the program's text-file reading),
// line ends made "\n".
QString DecodeResultFile(const QByteArray& bytes);

// Where the client sends its requests. The maker's servers come from
// "SvrIP01" to "SvrIP10"; the default below stands in when none is set.
struct RecognitionEndpoints {
    QString defaultServer = QStringLiteral("ocr.toliva.invalid");
    int uploadPort = 6170;
    int pollPort = 6172;
    QString webServiceUrl = QStringLiteral("https://server.simpletex.cn/api/latex_ocr");
    QString webServicePage = QStringLiteral("https://simpletex.cn/api_doc");
};

// The client. Holds the server list and the current server for the run.
class RecognitionClient : public RecognitionService {
public:
    RecognitionClient();

    // RecognitionService: the message texts in languageCode().
    bool SaveRecognitionImage(const QImage& image, const QString& path) override;
    QString RecognizeFormula(const QString& imagePath) override;

    // The recognition itself: true with the text (possibly empty: mode 2's
    // empty result file) or false after the message was shown.
    bool Recognize(const QString& imagePath, QString* latex);
    bool RecognizeByServers(const QString& imagePath, float storedWait, QString* latex);
    bool RecognizeByWebService(const QString& imagePath, float storedWait, const QString& token, QString* latex);
    bool RecognizeByLocalFolder(const QString& imagePath, float storedWait, const QString& folder, QString* latex);

    // Mode 0's steps. PickRecognitionServer loads the list on first use.
    void PickRecognitionServer();
    bool UploadRecognitionImage(const QString& imagePath, int timeoutSeconds);
    bool PollRecognitionResult(int timeoutSeconds, QString* latex);

    const QStringList& servers() const { return m_servers; }
    int currentServer() const { return m_current; }
    const QString& uploadUrl() const { return m_uploadUrl; }
    const QString& pollUrl() const { return m_pollUrl; }
    const QString& requestId() const { return m_requestId; }

    RecognitionEndpoints endpoints;
    // The language of the messages (empty function: "en").
    std::function<QString()> languageCode;
    // Waits (milliseconds), the clock and the random start in the server
    // list; tests put in their own.
    std::function<void(int)> sleep;
    std::function<QDateTime()> now;
    std::function<int(int count)> randomIndex;

private:
    void show(RecognitionMessage item);

    QStringList m_servers;
    int m_current = 0;
    QString m_uploadUrl, m_pollUrl, m_requestId;
};

}  // namespace toliva
