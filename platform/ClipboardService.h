// The clipboard goes through one replaceable service, as messages and
// pickers do: the programs use the system clipboard, tests a recording one.
#pragma once

#include <QByteArray>
#include <QString>

#include <map>

namespace toliva {

class ClipboardService {
public:
    virtual ~ClipboardService() = default;
    // Replaces the clipboard's contents by the text.
    virtual void setText(const QString& text) = 0;
    virtual QString text() const = 0;
    // Replaces the contents by data in a named format (a MIME type).
    virtual void setData(const QString& format, const QByteArray& data) = 0;
    virtual QByteArray data(const QString& format) const = 0;
    virtual bool hasFormat(const QString& format) const = 0;
    virtual void clear() = 0;
};

// The system clipboard (QGuiApplication::clipboard).
class SystemClipboardService : public ClipboardService {
public:
    void setText(const QString& text) override;
    QString text() const override;
    void setData(const QString& format, const QByteArray& data) override;
    QByteArray data(const QString& format) const override;
    bool hasFormat(const QString& format) const override;
    void clear() override;
};

// For tests: an in-memory clipboard that counts its writes.
class MemoryClipboardService : public ClipboardService {
public:
    void setText(const QString& text) override;
    QString text() const override;
    void setData(const QString& format, const QByteArray& data) override;
    QByteArray data(const QString& format) const override;
    bool hasFormat(const QString& format) const override;
    void clear() override;

    std::map<QString, QByteArray> formats;  // "text/plain" holds the text as UTF-8
    int writes = 0;
    int clears = 0;
};

ClipboardService& clipboardService();
void setClipboardService(ClipboardService* service);

class ScopedClipboardService {
public:
    explicit ScopedClipboardService(ClipboardService* service);
    ~ScopedClipboardService();
    ScopedClipboardService(const ScopedClipboardService&) = delete;
    ScopedClipboardService& operator=(const ScopedClipboardService&) = delete;

private:
    ClipboardService* m_previous;
};

}  // namespace toliva
