#include "shell/recognition/RecognitionClient.h"

#include "platform/LangTable.h"
#include "platform/MessageSink.h"
#include "platform/NetworkService.h"
#include "platform/RegKey.h"
#include "platform/SafeFile.h"
#include "platform/Utilities.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QStringDecoder>
#include <QThread>

#include <algorithm>
#include <cmath>

namespace toliva {

namespace {

const QString kStartMarker = QStringLiteral("\"res\": {\"latex\": \"");
// The reply's end marker is '", "conf"'; its first eight characters are
// matched, so the marker with or without its closing quote ends the text.
const QString kEndMarker = QStringLiteral("\", \"conf");

// The client block of the request record: the program's name, zero-filled.
constexpr char kClientName[] = "Toliva";

// A reply as text, or nothing when it is not valid UTF-8.
std::optional<QString> decodeUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) return std::nullopt;
    return text;
}

}  // namespace

// ---- settings

RecognitionSettings LoadRecognitionSettings() {
    RecognitionSettings s;
    RegKey key;
    OpenRegKey(kRecognitionKey, key);
    ReadRegDword(key, QStringLiteral("SerOpt"), s.mode, RECOGNITION_MODE_SERVERS);
    ReadRegFloat(key, QStringLiteral("WaitSec"), s.waitSec, float(kDefaultWaitSeconds));
    ReadRegString(key, QStringLiteral("SimpleTeX_token"), s.token, QString());
    ReadRegString(key, QStringLiteral("LocalPath"), s.localPath, QString());
    return s;
}

bool StoreRecognitionSettings(const RecognitionSettings& s) {
    RegKey key;
    if (!OpenRegKey(kRecognitionKey, key)) return false;
    bool ok = WriteRegDword(key, QStringLiteral("SerOpt"), s.mode);
    ok = WriteRegFloat(key, QStringLiteral("WaitSec"), s.waitSec) && ok;
    ok = WriteRegString(key, QStringLiteral("SimpleTeX_token"), s.token) && ok;
    ok = WriteRegString(key, QStringLiteral("LocalPath"), s.localPath) && ok;
    return ok;
}

double EffectiveWaitSeconds(float stored) {
    const double wait = stored;
    if (!std::isfinite(wait) || wait > kMaxWaitSeconds) return kDefaultWaitSeconds;
    return std::max(wait, 3.0);
}

int LocalFolderCheckCount(float storedWait) {
    return int(std::trunc(10.0 * EffectiveWaitSeconds(storedWait))) - 1;
}

ServerTiming ServerTimingFor(float storedWait) {
    ServerTiming t;
    t.waitSeconds = int(EffectiveWaitSeconds(storedWait));
    t.transferTimeout = std::max(t.waitSeconds / 3, 2);
    t.polls = t.waitSeconds / 3 + 3;
    return t;
}

// ---- the image

bool RecognitionImageTooLarge(const QSize& size) {
    return size.width() > 2000 || size.height() > 2000 || qint64(size.width()) * size.height() > 1000000;
}

QImage ConvertToGrayImage(const QImage& source) {
    const QImage argb = source.convertToFormat(QImage::Format_ARGB32);
    QImage grey(argb.size(), QImage::Format_Indexed8);
    if (grey.isNull()) return grey;
    QList<QRgb> palette(256);
    for (int i = 0; i < 256; ++i) palette[i] = qRgb(i, i, i);
    grey.setColorTable(palette);
    for (int y = 0; y < argb.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        uchar* out = grey.scanLine(y);
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb p = in[x];
            const double luminance = 0.299 * qRed(p) + 0.587 * qGreen(p) + 0.114 * qBlue(p);
            // Drawn with its alpha over index 0 (black).
            const double value = luminance * qAlpha(p) / 255.0;
            out[x] = uchar(std::clamp(int(std::lround(value)), 0, 255));
        }
    }
    return grey;
}

bool ConvertToGrayPng(const QImage& image, const QString& path, int dpi) {
    QImage grey = ConvertToGrayImage(image);
    if (grey.isNull()) return false;
    const int dotsPerMeter = int(std::lround(dpi / 0.0254));
    grey.setDotsPerMeterX(dotsPerMeter);
    grey.setDotsPerMeterY(dotsPerMeter);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, QFileInfo(path).suffix().toLower().toLatin1());
    if (!writer.write(grey)) return false;
    return WriteFileSafely(path, bytes, nullptr);
}

// ---- the request record

uint16_t Crc16Modbus(const uint8_t* data, size_t size) {
    uint16_t crc = 0xFFFF;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? uint16_t((crc >> 1) ^ 0xA001) : uint16_t(crc >> 1);
    }
    return crc;
}

RecognitionRequestRecord MakeRequestRecord(const QDateTime& localTime) {
    RecognitionRequestRecord record{};
    std::copy(std::begin(kClientName), std::end(kClientName) - 1, record.begin());
    const QDate d = localTime.date();
    const QTime t = localTime.time();
    const QByteArray stamp = QStringLiteral("%1%2%3_%4%5%6")
                                 .arg(d.year(), 4, 10, QLatin1Char('0'))
                                 .arg(d.month(), 2, 10, QLatin1Char('0'))
                                 .arg(d.day(), 2, 10, QLatin1Char('0'))
                                 .arg(t.hour(), 2, 10, QLatin1Char('0'))
                                 .arg(t.minute(), 2, 10, QLatin1Char('0'))
                                 .arg(t.second(), 2, 10, QLatin1Char('0'))
                                 .toLatin1()
                                 .left(15);
    std::copy(stamp.begin(), stamp.end(), record.begin() + kRequestClientBlockBytes);
    record[75] = 0;
    const uint16_t crc = Crc16Modbus(record.data(), 76);
    record[76] = uint8_t(crc & 0xFF);
    record[77] = uint8_t(crc >> 8);
    return record;
}

QString EncodeBase64Block(const RecognitionRequestRecord& record) {
    const QByteArray raw(reinterpret_cast<const char*>(record.data()), qsizetype(record.size()));
    return QString::fromLatin1(raw.toBase64());
}

// ---- replies

std::optional<QString> ParseWebServiceReply(const QByteArray& reply) {
    const std::optional<QString> text = decodeUtf8(reply);
    if (!text || text->size() <= kStartMarker.size()) return std::nullopt;
    const qsizetype start = text->indexOf(kStartMarker);
    if (start < 0) return std::nullopt;
    const QString rest = text->mid(start + kStartMarker.size());
    const qsizetype end = rest.indexOf(kEndMarker);
    if (end < 0) return std::nullopt;
    QString latex = rest.left(end);
    latex.replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
    if (latex.size() <= 2) return std::nullopt;
    return latex;
}

std::optional<QString> ParsePollReply(const QByteArray& reply) {
    const std::optional<QString> text = decodeUtf8(reply);
    if (!text || text->size() < 3 || !text->startsWith(QStringLiteral("$$"))) return std::nullopt;
    return text->mid(2);
}

bool IsUploadAccepted(const QByteArray& reply) {
    return reply.compare(QByteArrayLiteral("OK"), Qt::CaseInsensitive) == 0;
}

QString DecodeResultFile(const QByteArray& bytes) {
    std::optional<QString> text = decodeUtf8(bytes);
    if (!text) return DecodeTextFile(bytes);
    text->replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return *text;
}

// ---- the client

RecognitionClient::RecognitionClient()
    : sleep([](int ms) { QThread::msleep(unsigned(ms)); }),
      now([] { return QDateTime::currentDateTime(); }),
      randomIndex([](int count) { return int(QRandomGenerator::global()->bounded(count)); }) {}

void RecognitionClient::show(RecognitionMessage item) {
    LangTable table(languageCode ? languageCode() : QStringLiteral("en"), kRecognitionMessages);
    QString text = LoadLangString(table, QStringLiteral("gMSG"), int(item));
    text.replace(QLatin1Char('|'), QLatin1Char('\n'));
    showMessage(text, MB_OK | MB_ICONWARNING);
}

bool RecognitionClient::SaveRecognitionImage(const QImage& image, const QString& path) {
    if (LoadRecognitionSettings().mode == RECOGNITION_MODE_SERVERS && RecognitionImageTooLarge(image.size())) {
        show(MsgImageRefused);
        return false;
    }
    return ConvertToGrayPng(image, path, 72);
}

QString RecognitionClient::RecognizeFormula(const QString& imagePath) {
    QString latex;
    return Recognize(imagePath, &latex) ? latex : QString();
}

bool RecognitionClient::Recognize(const QString& imagePath, QString* latex) {
    const RecognitionSettings s = LoadRecognitionSettings();
    switch (s.mode) {
    case RECOGNITION_MODE_LOCAL_FOLDER: return RecognizeByLocalFolder(imagePath, s.waitSec, s.localPath, latex);
    case RECOGNITION_MODE_WEB_SERVICE: return RecognizeByWebService(imagePath, s.waitSec, s.token, latex);
    default: return RecognizeByServers(imagePath, s.waitSec, latex);
    }
}

bool RecognitionClient::RecognizeByLocalFolder(const QString& imagePath, float storedWait, const QString& folder,
                                               QString* latex) {
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        show(MsgLocalFolderMissing);
        return false;
    }
    const QString base = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    const QString result = base + QStringLiteral("res.tex");
    const QString request = base + QStringLiteral("src.png");
    QFile::remove(result);
    QFile::remove(request);
    QFile::copy(imagePath, request);
    const int checks = LocalFolderCheckCount(storedWait);
    for (int i = 0; i < checks; ++i) {
        sleep(100);
        const QFileInfo info(result);
        if (!info.exists() || info.isDir()) continue;
        QByteArray bytes;
        if (ReadFileCapped(result, kMaxInputFileBytes, &bytes, nullptr)) {
            *latex = DecodeResultFile(bytes);
            return true;
        }
    }
    show(MsgLocalFolderTimeout);
    return false;
}

bool RecognitionClient::RecognizeByWebService(const QString& imagePath, float storedWait, const QString& token,
                                              QString* latex) {
    if (token.size() <= 10) {
        show(MsgWebServiceFailed);
        return false;
    }
    HttpRequest request;
    request.method = HttpRequest::Post;
    request.url = endpoints.webServiceUrl;
    request.headers.push_back(QByteArrayLiteral("token: ") + token.toUtf8());
    request.timeoutSeconds = int(EffectiveWaitSeconds(storedWait));
    request.connectTimeoutSeconds = std::min(request.timeoutSeconds, 10);
    FormPart part;
    part.name = QByteArrayLiteral("file");
    part.fileName = QFileInfo(imagePath).fileName();
    std::optional<QString> parsed;
    if (ReadFileCapped(imagePath, kMaxInputFileBytes, &part.data, nullptr)) {
        request.form.push_back(std::move(part));
        const HttpReply reply = networkService().perform(request);
        if (reply.ok) parsed = ParseWebServiceReply(reply.body);
    }
    if (!parsed) {
        show(MsgWebServiceFailed);
        return false;
    }
    *latex = *parsed;
    return true;
}

void RecognitionClient::PickRecognitionServer() {
    if (m_servers.isEmpty()) {
        RegKey key;
        OpenRegKey(kRecognitionKey, key);
        for (int i = 1; i <= 10; ++i) {
            QString value;
            if (ReadRegString(key, QStringLiteral("SvrIP%1").arg(i, 2, 10, QLatin1Char('0')), value, QString()) &&
                value.size() > 8)
                m_servers.append(value);
        }
        if (m_servers.isEmpty()) m_servers.append(endpoints.defaultServer);
        m_current = std::clamp(randomIndex(int(m_servers.size())), 0, int(m_servers.size()) - 1);
    }
    if (m_current < 0 || m_current >= m_servers.size()) m_current = 0;
    const QString base = QStringLiteral("http://") + m_servers[m_current];
    m_uploadUrl = base + QStringLiteral(":%1/OCR@@@").arg(endpoints.uploadPort);
    m_pollUrl = base + QStringLiteral(":%1/OCR@@@").arg(endpoints.pollPort);
}

bool RecognitionClient::UploadRecognitionImage(const QString& imagePath, int timeoutSeconds) {
    HttpRequest request;
    request.method = HttpRequest::Put;
    if (!ReadFileCapped(imagePath, kMaxInputFileBytes, &request.body, nullptr)) {
        show(MsgImageRefused);
        return false;
    }
    request.url = m_uploadUrl + m_requestId;
    request.timeoutSeconds = timeoutSeconds;
    request.connectTimeoutSeconds = timeoutSeconds;
    const HttpReply reply = networkService().perform(request);
    return reply.ok && IsUploadAccepted(reply.body);
}

bool RecognitionClient::PollRecognitionResult(int timeoutSeconds, QString* latex) {
    HttpRequest request;
    request.url = m_pollUrl + m_requestId;
    request.timeoutSeconds = timeoutSeconds;
    request.connectTimeoutSeconds = timeoutSeconds;
    const HttpReply reply = networkService().perform(request);
    if (!reply.ok) return false;
    const std::optional<QString> result = ParsePollReply(reply.body);
    if (!result) return false;
    *latex = *result;
    return true;
}

bool RecognitionClient::RecognizeByServers(const QString& imagePath, float storedWait, QString* latex) {
    m_requestId = EncodeBase64Block(MakeRequestRecord(now()));
    const ServerTiming timing = ServerTimingFor(storedWait);
    const qsizetype attempts = m_servers.size() + 1;
    for (qsizetype attempt = 0; attempt < attempts; ++attempt) {
        PickRecognitionServer();
        if (UploadRecognitionImage(imagePath, timing.transferTimeout)) {
            for (int poll = 0; poll < timing.polls; ++poll) {
                sleep(3600);
                if (PollRecognitionResult(timing.transferTimeout, latex)) return true;
            }
            break;
        }
        ++m_current;
    }
    show(MsgServersFailed);
    return false;
}

}  // namespace toliva
