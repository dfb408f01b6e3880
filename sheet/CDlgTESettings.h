// The settings dialog of the LaTeX source editor: colours, font, options and
// the look of every token style, with a preview, the shipped defaults and
// ".alx" import and export. It edits the editor's own record in place: OK
// keeps the changes and writes the user's file, Cancel puts the record back
// as it was when the dialog opened.
#pragma once

#include "sheet/editing/LaTeXEditorStyle.h"

#include <QDialog>
#include <QFont>
#include <QString>

class QCheckBox;
class QComboBox;
class QListWidget;
class QPainter;
class QSpinBox;

namespace toliva {

struct AppContext;

class CDlgTESettings : public QDialog {
    Q_OBJECT
public:
    // Control ids.
    static constexpr int kTokenList = 1267;
    static constexpr int kFontFace = 1286;
    static constexpr int kFontSize = 1323;
    static constexpr int kWrap = 1423;
    static constexpr int kCaretLine = 1424;
    static constexpr int kLineNumbers = 1427;
    static constexpr int kSmoothFont = 1428;
    static constexpr int kOwnBackground = 1372;
    static constexpr int kItalic = 1357;
    static constexpr int kBold = 1358;
    static constexpr int kUnderline = 1359;
    static constexpr int kBackSwatch = 1361;
    static constexpr int kCaretLineSwatch = 1364;
    static constexpr int kTokenForeSwatch = 1354;
    static constexpr int kTokenBackSwatch = 1356;
    static constexpr int kPreview = 1363;
    static constexpr int kDefaults = 1299;
    static constexpr int kImport = 1300;
    static constexpr int kExport = 1301;
    static constexpr int kOk = 1;
    static constexpr int kCancel = 2;
    // The largest size the preview draws the sample at.
    static constexpr int kPreviewMaxSize = 30;

    static inline const QString kImportFilter = QStringLiteral("Toliva LaTeX Editor Settings (*.alx)|*.alx|");
    static inline const QString kExportFilter =
        QStringLiteral("Toliva LaTeX Editor Settings (*.alx)|*.alx|All Files (*.*)|*.*||");

    // The sample text the preview shows for a list position.
    static QString SampleText(int position);

    CDlgTESettings(LaTeXEditorStyle& style, const AppContext& app, QWidget* parent = nullptr);
    ~CDlgTESettings() override;

    // Where "Dat/KwTESData.alx" is looked for (default: the program folder).
    void setProgramFolder(const QString& folder) { m_programFolder = folder; }

    int currentToken() const { return m_current; }
    const QString& sampleText() const { return m_sample; }
    // The font the preview draws the sample with.
    QFont SampleFont() const;

    // A click in one of the four colour swatches (by control id).
    void OnSwatchClicked(int ctrlId);
    void OnRestoreDefaults();
    void OnImport();
    void OnExport();

    void accept() override;
    void reject() override;

private:
    void buildControls();
    void OnInitDialog();
    void fillTokenList();
    void selectToken(int row);
    void showOptions();
    void takeOptions(LaTeXEditorStyle& style) const;
    void setTokenFlag(uint8_t flag, bool on);
    void redraw();
    TokenStyle* current();
    void paintSwatch(int ctrlId, QPainter& p, const QRect& r);
    void paintPreview(QPainter& p, const QRect& r);

    LaTeXEditorStyle& m_style;
    const LaTeXEditorStyle m_snapshot;  // the record as the dialog found it
    const AppContext& m_app;
    QString m_programFolder;
    int m_current = -1;
    QString m_sample;

    QListWidget* m_list = nullptr;
    QComboBox* m_face = nullptr;
    QSpinBox* m_size = nullptr;
    QCheckBox* m_options[4] = {};
    QCheckBox* m_flags[4] = {};
    QWidget* m_areas[5] = {};
};

}  // namespace toliva
