#include "platform/ClipboardService.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace toliva {

namespace {
const QString kTextFormat = QStringLiteral("text/plain");

QClipboard* systemClipboard() { return qGuiApp ? QGuiApplication::clipboard() : nullptr; }
}  // namespace

void SystemClipboardService::setText(const QString& text) {
    if (QClipboard* c = systemClipboard()) c->setText(text);
}

QString SystemClipboardService::text() const {
    QClipboard* c = systemClipboard();
    return c ? c->text() : QString();
}

void SystemClipboardService::setData(const QString& format, const QByteArray& data) {
    QClipboard* c = systemClipboard();
    if (!c) return;
    auto* mime = new QMimeData;
    mime->setData(format, data);
    c->setMimeData(mime);
}

QByteArray SystemClipboardService::data(const QString& format) const {
    QClipboard* c = systemClipboard();
    const QMimeData* mime = c ? c->mimeData() : nullptr;
    return mime ? mime->data(format) : QByteArray();
}

bool SystemClipboardService::hasFormat(const QString& format) const {
    QClipboard* c = systemClipboard();
    const QMimeData* mime = c ? c->mimeData() : nullptr;
    return mime && mime->hasFormat(format);
}

void SystemClipboardService::clear() {
    if (QClipboard* c = systemClipboard()) c->clear();
}

void MemoryClipboardService::setText(const QString& text) {
    formats.clear();
    formats[kTextFormat] = text.toUtf8();
    ++writes;
}

QString MemoryClipboardService::text() const {
    const auto it = formats.find(kTextFormat);
    return it == formats.end() ? QString() : QString::fromUtf8(it->second);
}

void MemoryClipboardService::setData(const QString& format, const QByteArray& data) {
    formats.clear();
    formats[format] = data;
    ++writes;
}

QByteArray MemoryClipboardService::data(const QString& format) const {
    const auto it = formats.find(format);
    return it == formats.end() ? QByteArray() : it->second;
}

bool MemoryClipboardService::hasFormat(const QString& format) const { return formats.count(format) != 0; }

void MemoryClipboardService::clear() {
    formats.clear();
    ++clears;
}

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
