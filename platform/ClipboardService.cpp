#include "platform/ClipboardService.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace toliva {

bool HoldsText(const QMimeData& mime) {
    return mime.hasFormat(QStringLiteral("text/plain")) || mime.hasFormat(QStringLiteral("text/plain;charset=utf-8"));
}

// ---- the shortcuts

void ClipboardService::setText(const QString& text) {
    auto mime = std::make_unique<QMimeData>();
    mime->setText(text);
    setMimeData(std::move(mime));
}

QString ClipboardService::text() const {
    const QMimeData* mime = mimeData();
    return mime && HoldsText(*mime) ? mime->text() : QString();
}

bool ClipboardService::hasText() const {
    const QMimeData* mime = mimeData();
    return mime && HoldsText(*mime);
}

void ClipboardService::setData(const QString& format, const QByteArray& data) {
    auto mime = std::make_unique<QMimeData>();
    mime->setData(format, data);
    setMimeData(std::move(mime));
}

QByteArray ClipboardService::data(const QString& format) const {
    const QMimeData* mime = mimeData();
    return mime ? mime->data(format) : QByteArray();
}

bool ClipboardService::hasFormat(const QString& format) const {
    const QMimeData* mime = mimeData();
    return mime && mime->hasFormat(format);
}

QStringList ClipboardService::formats() const {
    const QMimeData* mime = mimeData();
    return mime ? mime->formats() : QStringList();
}

void ClipboardService::setImage(const QImage& image) {
    auto mime = std::make_unique<QMimeData>();
    mime->setImageData(image);
    setMimeData(std::move(mime));
}

QImage ClipboardService::image() const {
    const QMimeData* mime = mimeData();
    if (!mime || !mime->hasImage()) return {};
    return qvariant_cast<QImage>(mime->imageData());
}

bool ClipboardService::hasImage() const {
    const QMimeData* mime = mimeData();
    return mime && mime->hasImage();
}

// ---- the system clipboard

namespace {
QClipboard* systemClipboard() { return qGuiApp ? QGuiApplication::clipboard() : nullptr; }
}  // namespace

void SystemClipboardService::setMimeData(std::unique_ptr<QMimeData> mime) {
    QClipboard* c = systemClipboard();
    if (!c) return;
    if (!mime) {
        c->clear();
        return;
    }
    c->setMimeData(mime.release());
}

const QMimeData* SystemClipboardService::mimeData() const {
    QClipboard* c = systemClipboard();
    return c ? c->mimeData() : nullptr;
}

void SystemClipboardService::clear() {
    if (QClipboard* c = systemClipboard()) c->clear();
}

// ---- the clipboard of tests

MemoryClipboardService::MemoryClipboardService() = default;
MemoryClipboardService::~MemoryClipboardService() = default;

void MemoryClipboardService::setMimeData(std::unique_ptr<QMimeData> mime) {
    if (!mime) {
        clear();
        return;
    }
    m_mime = std::move(mime);
    ++writes;
}

const QMimeData* MemoryClipboardService::mimeData() const { return m_mime.get(); }

void MemoryClipboardService::clear() {
    m_mime.reset();
    ++clears;
}

// ---- the service in use

namespace {
ClipboardService* g_clipboard = nullptr;
}

ClipboardService& clipboardService() {
    static SystemClipboardService system;
    return g_clipboard ? *g_clipboard : system;
}

void setClipboardService(ClipboardService* service) { g_clipboard = service; }

ScopedClipboardService::ScopedClipboardService(ClipboardService* service) : m_previous(g_clipboard) {
    g_clipboard = service;
}
ScopedClipboardService::~ScopedClipboardService() { g_clipboard = m_previous; }

}  // namespace toliva
