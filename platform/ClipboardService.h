// The clipboard goes through one replaceable service, as messages and
// pickers do: the programs use the system clipboard, tests a recording one.
//
// The clipboard holds one set of formats (MIME types) at a time, in the order
// its owner offers them. A write replaces the whole set: setMimeData puts
// several formats there at once, the other setters one each. Reading goes
// through mimeData(), which the readers of the editor take as the data object
// they look at (the same readers look at a dropped object).
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

#include <memory>

class QMimeData;

namespace toliva {

class ClipboardService {
public:
    virtual ~ClipboardService() = default;

    // Replaces the contents by every format of mime, in one write; the
    // service takes the object. A null object empties the clipboard.
    virtual void setMimeData(std::unique_ptr<QMimeData> mime) = 0;
    // What the clipboard holds now; null when it holds nothing or there is
    // no clipboard. Owned by the service and valid until the next write.
    virtual const QMimeData* mimeData() const = 0;
    virtual void clear() = 0;

    // Shortcuts over the two above. Each setter replaces the contents.
    void setText(const QString& text);
    // Text in either of its formats (HoldsText); empty without one.
    QString text() const;
    bool hasText() const;
    void setData(const QString& format, const QByteArray& data);
    QByteArray data(const QString& format) const;
    bool hasFormat(const QString& format) const;
    // The formats held, in the order the owner offers them.
    QStringList formats() const;
    void setImage(const QImage& image);
    // A picture in any image format the clipboard holds; null when none.
    QImage image() const;
    bool hasImage() const;
};

// Whether the data holds text: "text/plain", or "text/plain;charset=utf-8",
// which some programs offer alone. A list of files is no text here.
bool HoldsText(const QMimeData& mime);

// The system clipboard (QGuiApplication::clipboard); without a GUI
// application it holds nothing and takes nothing.
class SystemClipboardService : public ClipboardService {
public:
    void setMimeData(std::unique_ptr<QMimeData> mime) override;
    const QMimeData* mimeData() const override;
    void clear() override;
};

// For tests: an in-memory clipboard that counts its writes and clears.
class MemoryClipboardService : public ClipboardService {
public:
    MemoryClipboardService();
    ~MemoryClipboardService() override;

    void setMimeData(std::unique_ptr<QMimeData> mime) override;
    const QMimeData* mimeData() const override;
    void clear() override;

    int writes = 0;
    int clears = 0;

private:
    std::unique_ptr<QMimeData> m_mime;
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
