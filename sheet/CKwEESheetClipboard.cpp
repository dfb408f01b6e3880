// Copy, cut, paste, drag and drop, replace-all, the LaTeX file and MathML
// jobs of the office add-in, and recognition of images. The readers and the
// tree work are in sheet/editing/ClipboardData.cpp; here are the undo steps,
// the clipboard, the drag and the refreshes.
#include "sheet/CKwEESheet.h"

#include "model/EqElement.h"
#include "model/EqModel.h"
#include "platform/ClipboardService.h"
#include "platform/LangTable.h"
#include "platform/MessageSink.h"
#include "platform/RegKey.h"
#include "platform/SafeFile.h"
#include "platform/Utilities.h"
#include "platform/emf/EmfImages.h"
#include "platform/emf/EmfInfo.h"
#include "platform/emf/EmfPlayer.h"
#include "sheet/editing/ClipboardData.h"
#include "sheet/editing/ClipboardFormats.h"
#include "sheet/editing/CommandWork.h"
#include "sheet/editing/PictureExport.h"
#include "tex/LaTeX.h"
#include "tex/MathML.h"

#include <QDir>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace toliva {

namespace {

// The LaTeX the office add-in hands over (job 11), in the per-user folder.
const QString kOfficeLaTeXFile = QStringLiteral("TLObj.tex");
// The image recognition reads, in the temporary folder.
const QString kRecognitionImage = QStringLiteral("src0.png");
// The message of a LaTeX file that opened but could not be read
// ("LANG_03.xml", group "gMSG_2").
constexpr int kMsgCannotLoadLaTeX = 5;

QString fileErrorText(const QString& path) { return QStringLiteral("failed to open file : ") + path; }

QString cannotLoadLaTeXText(const QString& languageCode) {
    LangTable table(languageCode, QStringLiteral("LANG_03.xml"));
    QString text = LoadLangString(table, QStringLiteral("gMSG_2"), kMsgCannotLoadLaTeX);
    if (text.isEmpty()) text = QStringLiteral("Unable to load LaTeX code.");
    return text;
}

// An enhanced metafile drawn at its own size onto opaque white; null when
// the file does not read or is no usable metafile.
QImage metafileImage(const QString& path) {
    QByteArray bytes;
    if (!ReadFileCapped(path, kMaxInputFileBytes, &bytes, nullptr)) return {};
    const std::optional<emf::EmfHeader> header = emf::readEmfHeader(bytes);
    if (!header) return {};
    const QRectF rect = header->pictureRect();
    const double width = std::ceil(rect.width());
    const double height = std::ceil(rect.height());
    if (!(width >= 1 && height >= 1) || width * height > double(emf::kMaxDibPixels)) return {};
    QImage image(int(width), int(height), QImage::Format_ARGB32);
    if (image.isNull()) return {};
    image.fill(Qt::white);
    QPainter painter(&image);
    emf::EmfPlayer::play(bytes, &painter, QRectF(0, 0, width, height));
    return image;
}

}  // namespace

ClipboardReadContext CKwEESheet::clipboardReadContext() {
    ClipboardReadContext context;
    context.style = m_eq ? &m_eq->settings : nullptr;
    context.tex = texRead;
    context.autoFormat.options = m_app.options;
    context.autoFormat.words = &m_words;
    context.autoFormat.autoWords = autoWords;
    context.autoFormat.texWrite = &texWrite;
    context.readEmbeddedItem = readEmbeddedItem;
    return context;
}

// ---- copy

bool CKwEESheet::PrepareClipboardEquation() {
    if (!m_eq || !m_sel.exists()) return false;
    // A fresh equation each time: it takes the sheet's style with its fonts.
    m_clipboardEq = std::make_unique<EqModel>(m_eq->settings);
    CopySelectionToEquation(m_sel, m_clipboardEq.get(), m_eq->settings);
    return !m_clipboardEq->lines.empty();
}

void CKwEESheet::Copy() {
    if (!PrepareClipboardEquation()) return;
    // The native format and the picture in one write.
    const QByteArray picture = RecordEquationMetafile(m_render, m_clipboardEq.get());
    if (std::unique_ptr<QMimeData> data = EquationMimeData(m_clipboardEq.get(), picture))
        clipboardService().setMimeData(std::move(data));
    m_host->AddEquationToNotes(*m_clipboardEq);
}

void CKwEESheet::Cut() {
    if (!m_eq || !m_sel.exists()) return;
    Copy();
    PushUndo(SelectionScope() == 2);
    DeleteSelection(m_eq, m_sel);
    m_pressCaret = nullptr;
    Refresh(0);
    EnsureCaretVisible();
    DropUnchangedUndo();
}

void CKwEESheet::CopyAsText(bool asMathML) {
    if (!m_eq || !m_sel.exists()) return;
    EqModel copy(m_eq->settings);
    CopySelectionToEquation(m_sel, &copy, m_eq->settings);
    if (asMathML) {
        SetClipboardText(EquationToMathML(copy, texWrite));
        return;
    }
    SetClipboardText(ClipboardLaTeXText(copy, texWrite, m_app.texDelimCode, m_app.option(OptKeepDelimiterLineFeeds)));
}

EqElement* CKwEESheet::CopyElementTreeIntoSheet(const EqElement* source, EqElement* previous, EqElement* parent) {
    return m_eq ? CopyChainAfter(source, previous, parent, m_eq) : nullptr;
}

// ---- insertion of an equation

void CKwEESheet::InsertEquationAtCaret(EqModel* source) { placeEquation(source, false); }

EqElement* CKwEESheet::placeEquation(EqModel* source, bool move) {
    if (!m_eq || !source) return nullptr;
    EqElement* last = move ? MoveEquationLines(m_eq, *source) : InsertEquationLines(m_eq, *source);
    if (!last) return nullptr;
    m_sel.rebuildHitBoxes = true;
    m_lastKey = PendingKey{};
    m_pendingKey = PendingKey{};
    m_host->UpdateAlignButtons();
    return last;
}

// One undo step around a change that brings elements in: the snapshot, the
// change with recording off, then the hit boxes, the picture and the caret
// brought up to date; a change that changed nothing leaves no step.
void CKwEESheet::pastedStep(const std::function<void()>& change) {
    PushUndo(false);
    const bool recording = m_undo.recording;
    m_undo.recording = false;
    change();
    m_undo.recording = recording;
    m_sel.rebuildHitBoxes = true;
    m_pressCaret = nullptr;
    Refresh(0);
    EnsureCaretVisible();
    DropUnchangedUndo();
}

void CKwEESheet::InsertEquation(EqModel* eq) { insertEquation(eq, false); }

void CKwEESheet::insertEquation(EqModel* eq, bool move) {
    if (!m_eq || !eq || IsEquationEmpty(eq)) return;
    pastedStep([&] {
        // A paste replaces the selection.
        if (m_sel.exists()) DeleteSelection(m_eq, m_sel);
        placeEquation(eq, move);
    });
}

bool CKwEESheet::InsertLaTeXText(const QString& text) {
    if (!m_eq) return false;
    EqModel read(m_eq->settings);
    const bool ok = ReadLaTeXDocument(text, &read, texRead);
    if (ok) insertEquation(&read, true);
    return ok;
}

// ---- paste

void CKwEESheet::Paste() {
    if (!m_eq) return;
    ClipboardService& clipboard = clipboardService();
    const int kind = ClipboardContentKind(clipboard);
    if (kind == 0) return;
    // Only a picture: its formula is recognised.
    if (kind == 6) {
        RecognizeClipboardImage();
        return;
    }
    const QMimeData* data = clipboard.mimeData();
    if (!data) return;
    // What was read is only there to be inserted: its elements move in.
    if (std::unique_ptr<EqModel> eq = EquationFromClipboardData(*data, clipboardReadContext()))
        insertEquation(eq.get(), true);
}

void CKwEESheet::PasteText() {
    if (!m_eq) return;
    const QString text = clipboardService().text();
    if (text.isEmpty()) return;
    pastedStep([&] {
        if (m_sel.exists()) DeleteSelection(m_eq, m_sel);
        if (!GetEquationCaret(m_eq)) SetEquationCaret(m_eq, nullptr);
        PastePlainText(m_eq, m_sel, text);
    });
}

void CKwEESheet::InsertPlainText(QStringView text) {
    if (!m_eq) return;
    toliva::InsertPlainText(m_eq, m_sel, text);
    m_sel.rebuildHitBoxes = true;
}

// ---- replace-all

void CKwEESheet::ReplaceMarked() {
    if (!m_eq) return;
    EqModel replacement(m_eq->settings);
    CopySelectionToEquation(m_sel, &replacement, m_eq->settings);
    ClearEquationMarks(&replacement, false);
    ReplaceAllMarked(&replacement);
}

void CKwEESheet::ReplaceAllMarked(EqModel* replacement) {
    if (!m_eq || !replacement) return;
    ClearSelection(false);
    pastedStep([&] { ReplaceMarkedRuns(m_eq, m_sel, m_sel.foundPatternLength, *replacement); });
}

// ---- drag and drop

bool CKwEESheet::startSelectionDrag() {
    if (!PrepareClipboardEquation()) return false;
    const QByteArray picture = RecordEquationMetafile(m_render, m_clipboardEq.get());
    std::unique_ptr<QMimeData> data = EquationMimeData(m_clipboardEq.get(), picture);
    if (!data) return false;
    // The drag takes the mouse from here on; it owns its data and goes
    // (deleteLater) when it ends.
    m_backend->releaseMouse();
    auto* drag = new QDrag(this);
    drag->setMimeData(data.release());
    m_host->SetDragging(true);
    drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
    m_host->SetDragging(false);
    return true;
}

bool CKwEESheet::DropDataObject(const QMimeData& data, bool ctrlHeld) {
    if (!m_eq) return false;
    const bool fromHere = m_dragFromHere;
    const bool move = fromHere && !ctrlHeld;
    // Dropped onto itself: nothing.
    if (move && !MayDropSelectionAtCaret(m_eq, m_sel)) return false;
    std::unique_ptr<EqModel> dropped = EquationFromDataObject(data, clipboardReadContext());
    if (!dropped || IsEquationEmpty(dropped.get())) return false;

    PushUndo(false);
    const bool recording = m_undo.recording;
    m_undo.recording = false;
    EqElement* before = GetEquationCaret(m_eq);
    if (!before) {
        SetEquationCaret(m_eq, nullptr);
        before = GetEquationCaret(m_eq);
    }
    EqElement* after = placeEquation(dropped.get(), true);
    if (!after) {
        m_undo.recording = recording;
        DropUnchangedUndo();
        return false;
    }
    // The dragged selection goes; the inserted elements stay where they are.
    if (move) DeleteSelection(m_eq, m_sel);
    m_sel.rebuildHitBoxes = true;
    if (fromHere) SelectRange(before, after);
    SetEquationCaret(m_eq, after);
    m_pressCaret = nullptr;
    Refresh(0);
    EnsureCaretVisible();
    m_undo.recording = recording;
    return true;
}

namespace {

// Within the sheet a drag moves unless Ctrl is held; from outside it copies.
Qt::DropAction dropActionOf(bool fromHere, Qt::KeyboardModifiers modifiers, Qt::DropActions possible) {
    const Qt::DropAction wanted =
        fromHere && !(modifiers & Qt::ControlModifier) ? Qt::MoveAction : Qt::CopyAction;
    return (possible & wanted) ? wanted : Qt::CopyAction;
}

}  // namespace

bool CKwEESheet::takesDrop(const QMimeData* data) const { return m_eq && data && IsDroppableData(*data); }

bool CKwEESheet::acceptDrag(QDropEvent* event) {
    if (!takesDrop(event->mimeData())) {
        event->ignore();
        return false;
    }
    event->setDropAction(dropActionOf(m_dragFromHere, event->modifiers(), event->possibleActions()));
    event->accept();
    return true;
}

void CKwEESheet::dragEnterEvent(QDragEnterEvent* event) { acceptDrag(event); }

void CKwEESheet::dragMoveEvent(QDragMoveEvent* event) {
    if (!acceptDrag(event)) return;
    // The caret shows where the drop goes.
    StopCaret();
    MoveCaretToPoint(event->position().toPoint());
    StartCaret();
}

void CKwEESheet::dropEvent(QDropEvent* event) {
    const QMimeData* data = event->mimeData();
    if (!takesDrop(data)) {
        event->ignore();
        return;
    }
    MoveCaretToPoint(event->position().toPoint());
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const Qt::DropAction action = dropActionOf(m_dragFromHere, event->modifiers(), event->possibleActions());
    if (!DropDataObject(*data, ctrl)) {
        event->ignore();
        return;
    }
    event->setDropAction(action);
    event->accept();
}

// ---- the office add-in

void CKwEESheet::ImportLaTeXFile() {
    if (!m_eq) return;
    const QString path = m_app.userFolder + kOfficeLaTeXFile;
    {
        QFile file(path);
        if (m_app.userFolder.isEmpty() || !file.open(QIODevice::ReadOnly)) {
            showMessage(fileErrorText(path), MB_OK | MB_ICONWARNING);
            return;
        }
    }
    QByteArray bytes;
    if (!ReadFileCapped(path, kMaxInputFileBytes, &bytes, nullptr)) {
        showMessage(cannotLoadLaTeXText(m_app.languageCode()), MB_OK | MB_ICONWARNING);
        return;
    }
    // The file's text (code page 936). Its line feeds stay: joined without
    // them, a comment ("%") would swallow every line after it and a command
    // would run into the next line's letters.
    const QString text = DecodeTextFile(bytes);
    if (text.trimmed().isEmpty()) return;

    PushUndo(false);
    const bool recording = m_undo.recording;
    m_undo.recording = false;
    // What the sheet held stays when nothing converts.
    ClearSelection(false);
    const LaTeXReadResult read = ReadLaTeXInto(text, m_eq, texRead);
    if (read.ok) {
        m_sel.forgetElements();
        m_pressCaret = nullptr;
        RegKey key;
        int options = int(AppContext::kDefaultOptions);
        if (OpenRegKey(kAppSettingsKey, key))
            ReadRegDword(key, QStringLiteral("dw1"), options, int(AppContext::kDefaultOptions));
        m_app.options = uint32_t(options);
        if (m_app.option(OptDocFontSizeAfterImport)) ApplyDocEnvSize(m_eq, QString());
        ExpandItemReferences(m_eq);
        InvalidateAllLineCaches(m_eq);
        m_eq->needsLayout = 1;
    }
    m_undo.recording = recording;
    Refresh(0);
    EnsureCaretVisible();
    DropUnchangedUndo();
}

void CKwEESheet::PasteClipboardMathML() {
    if (!m_eq) return;
    const QMimeData* data = clipboardService().mimeData();
    if (!data) return;
    std::unique_ptr<EqModel> eq = EquationFromMathMLData(*data, clipboardReadContext());
    if (!eq) return;
    // The add-in's own clipboard work settles first.
    m_backend->sleep(100);
    insertEquation(eq.get(), true);
}

// ---- recognition

RecognitionService& CKwEESheet::recognition() {
    if (m_recognition) return *m_recognition;
    if (!m_noRecognition) m_noRecognition = std::make_unique<UnavailableRecognition>();
    m_noRecognition->languageCode = m_app.languageCode();
    return *m_noRecognition;
}

void CKwEESheet::recognizeImage(const QImage& image) {
    const QString folder = m_app.tempFolder.isEmpty() ? QDir::tempPath() + QLatin1Char('/') : m_app.tempFolder;
    const QString path = folder + kRecognitionImage;
    RecognitionService& client = recognition();
    if (!client.SaveRecognitionImage(image, path)) return;
    const QString latex = client.RecognizeFormula(path);
    if (latex.isEmpty()) return;
    lastRecognitionInserted = InsertLaTeXText(latex);
    SetClipboardText(latex);
}

void CKwEESheet::RecognizeClipboardImage() {
    ClipboardService& clipboard = clipboardService();
    if (!clipboard.hasImage()) return;
    m_backend->setCursor(Qt::WaitCursor);
    const QImage image = clipboard.image();
    if (!image.isNull()) recognizeImage(image);
    m_backend->setCursor(Qt::ArrowCursor);
}

void CKwEESheet::RecognizeImageFile(const QString& path, bool isMetafile) {
    m_backend->setCursor(Qt::WaitCursor);
    const QImage image = isMetafile ? metafileImage(path) : QImage(path);
    if (image.isNull()) {
        m_backend->setCursor(Qt::ArrowCursor);
        showMessage(fileErrorText(path), MB_OK | MB_ICONWARNING);
        return;
    }
    recognizeImage(image);
    m_backend->setCursor(Qt::ArrowCursor);
}

}  // namespace toliva
