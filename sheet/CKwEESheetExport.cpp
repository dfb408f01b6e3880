// Export of the equation to picture files, and the picture copy.
#include "sheet/CKwEESheet.h"

#include "model/EqModel.h"
#include "platform/ClipboardService.h"
#include "platform/DialogService.h"
#include "platform/LangTable.h"
#include "platform/MessageSink.h"
#include "platform/RegKey.h"
#include "platform/gdiplus/Bitmap.h"
#include "sheet/editing/ClipboardFormats.h"
#include "sheet/editing/PictureExport.h"
#include "uikit/KitDialogs.h"

#include <QFileInfo>

namespace toliva {
namespace {

const QString kExportTypeValue = QStringLiteral("iExp");
const QString kCaptureFormatValue = QStringLiteral("CaptureFormat");
const QString kExportTexts = QStringLiteral("EXP.xml");

// "CaptureFormat" 1: the picture copy puts a bitmap on the clipboard; any
// other value a metafile.
constexpr int kCaptureBitmap = 1;

// Groups of "EXP.xml": the filter pieces, the default extensions and the
// initial file names of the six types, and the messages.
const QString kFilterGroup = QStringLiteral("gCS_3");
const QString kExtensionGroup = QStringLiteral("gCS_1");
const QString kFileNameGroup = QStringLiteral("gCS_2");
const QString kMessageGroup = QStringLiteral("gMSG_1");
enum ExportMessage : int {
    MsgTooLarge = 1,   // %1 dpi, %2 x %3 pixels, %4 the limit
    MsgCannotSave = 2, // followed by the path and the reason
};

QString messageText(LangTable& texts, ExportMessage item) {
    QString text = LoadLangString(texts, kMessageGroup, int(item));
    text.replace(QLatin1Char('|'), QLatin1Char('\n'));
    return text;
}

void tellCannotSave(const QString& languageCode, const QString& path, const QString& problem) {
    LangTable texts(languageCode, kExportTexts);
    QString text = messageText(texts, MsgCannotSave) + path;
    if (!problem.isEmpty()) text += QLatin1Char('\n') + problem;
    showMessage(text, MB_OK | MB_ICONWARNING);
}

// The bitmap export of the equation at the stored resolution to a file, or
// with an empty path to the clipboard; a picture too large for the
// resolution and a file that could not be saved are reported.
void exportBitmap(const RenderContext& context, EqModel* eq, const QString& path, const QString& languageCode) {
    const int dpi = ReadExportResolution();
    QString problem;
    QSizeF asked;
    switch (ExportBitmap(context, eq, path, dpi, &problem, &asked)) {
    case BitmapExportResult::TooLarge: {
        LangTable texts(languageCode, kExportTexts);
        showMessage(messageText(texts, MsgTooLarge)
                        .arg(dpi)
                        .arg(asked.width(), 0, 'f', 0)
                        .arg(asked.height(), 0, 'f', 0)
                        .arg(gp::kMaxBitmapPixels),
                    MB_OK | MB_ICONWARNING);
        break;
    }
    case BitmapExportResult::Failed:
        // The clipboard's picture is dropped without a word, as a clipboard
        // that cannot be opened is.
        if (!path.isEmpty()) tellCannotSave(languageCode, path, problem);
        break;
    case BitmapExportResult::Done:
    case BitmapExportResult::Nothing: break;
    }
}

}  // namespace

void CKwEESheet::ExportDialog() {
    if (!m_eq) return;
    LangTable texts(m_app.languageCode(), kExportTexts);
    RegKey settings;
    OpenRegKey(kAppSettingsKey, settings);
    int stored = 0;
    ReadRegDword(settings, kExportTypeValue, stored, 0);
    const int offered = PreselectedExportType(stored);

    // The dialog shows the first filter at the start: the offered type's
    // piece leads, the others follow in their order.
    QString filter = LoadLangString(texts, kFilterGroup, offered);
    for (int type = 1; type <= kExportTypeCount; ++type)
        if (type != offered) filter += LoadLangString(texts, kFilterGroup, type);
    const QString extension = LoadLangString(texts, kExtensionGroup, offered);
    const QString name = LoadLangString(texts, kFileNameGroup, offered);

    QString path;
    // The save dialog starts in the folder of the last export and keeps the
    // chosen file's folder for the next.
    if (!PickFileWithLastFolder(filter, this, path, QString::fromLatin1(kLastFolderKey), true, extension, kSiteExport,
                                name))
        return;

    const int type = ExportTypeOfPath(path, offered);
    m_backend->setCursor(Qt::WaitCursor);
    if (type == ExportMetafileType) {
        RenderContext context = m_render;
        context.options = m_app.options;
        QString problem;
        const bool written = ExportMetafile(context, m_eq, path, &problem);
        Refresh(0);
        if (!written) tellCannotSave(m_app.languageCode(), path, problem);
    } else {
        ExportBitmapFile(path);
    }
    m_backend->setCursor(Qt::ArrowCursor);
    WriteRegDword(settings, kExportTypeValue, type - 1);
}

void CKwEESheet::ExportBitmapFile(const QString& path) {
    if (!m_eq) return;
    RenderContext context = m_render;
    context.options = m_app.options;
    exportBitmap(context, m_eq, path, m_app.languageCode());
    Refresh(0);
}

void CKwEESheet::CopyPicture() {
    if (!m_eq) return;
    RegKey settings;
    OpenRegKey(kAppSettingsKey, settings);
    int format = kCaptureBitmap;
    ReadRegDword(settings, kCaptureFormatValue, format, kCaptureBitmap);
    RenderContext context = m_render;
    context.options = m_app.options;
    if (format == kCaptureBitmap) {
        exportBitmap(context, m_eq, QString(), m_app.languageCode());
    } else {
        // Recorded in memory: no temporary file.
        const QByteArray emf = RecordEquationMetafile(context, m_eq);
        if (!emf.isEmpty()) clipboardService().setData(kMetafileFormat, emf);
    }
    Refresh(0);
}

}  // namespace toliva
