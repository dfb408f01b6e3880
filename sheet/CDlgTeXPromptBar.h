// The TeX prompt bar: while a command that begins with a backslash is typed
// on the sheet or in the LaTeX source window, a frameless tool window under
// the caret shows one page of candidate commands side by side, each with its
// number and a rendered preview. The user picks one by number, key or mouse;
// the owner inserts it. The candidates, their ranking and use counts live in
// sheet/editing/TeXCandidates.h; the bar's look is kept in the registry under
// "Software\Toliva\Dlgs\TeXBar".
//
// TeXPromptDriver is the view's side: it decides when the bar shows, routes
// keys to it and hands picks to the sheet or the source window, so that a
// SheetHost passes its prompt calls straight on.
#pragma once

#include "model/EqLayoutSettings.h"
#include "model/RenderContext.h"
#include "sheet/editing/TeXCandidates.h"
#include "tex/TeXContext.h"

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <vector>

namespace toliva {

struct AppContext;
class CKwMenu;
class CKwEESheet;
class EditDialogService;

// What the bar asks of its owner.
class TeXPromptOwner {
public:
    virtual ~TeXPromptOwner() = default;
    // The user clicked the cell of this number.
    virtual bool PickPromptCandidate(int number) = 0;
    // The bar changed size or page: place it under the caret again.
    virtual void PlacePromptBar(bool refreshCaretPoint) = 0;
    // The bar never keeps the focus: typing goes on in the owner's editor.
    virtual void ReturnFocus() = 0;
};

// The look: the registry values under "Software\Toliva\Dlgs\TeXBar".
struct PromptBarLook {
    QString fontFace = QStringLiteral("Consolas");
    int fontSize = -16;  // LOGFONT height: negative is the character height in pixels
    int fontItalic = 0;
    int fontBold = 400;  // LOGFONT weight
    float sampleSize = 12.0f;
    uint32_t sepLineClr = 0xFFFFFF;  // COLORREF
    uint32_t titleBkClr = 0x00356A;
    uint32_t emfBkClr = 0x9D9DCE;
    uint32_t texTClr = 0xFFFFFF;
    int candidateN = 8;
    int flatApp = 0;
};

class CDlgTeXPromptBar : public QWidget {
public:
    static constexpr char kRegistryKey[] = "Software\\Toliva\\Dlgs\\TeXBar";
    // Cells per page the registry may give; the menu offers 4 to 9.
    static constexpr int kMaxCandidateN = 20;
    static constexpr float kMinSampleSize = 12.0f;
    static constexpr float kMaxSampleSize = 60.0f;
    static constexpr int kMinCellWidth = 50;
    // The fill over a cell under a mouse press.
    static constexpr uint32_t kMarkFill = 0x1E6464FF;

    // app: the UI scale, the language, the per-user folder and the drawing
    // lock; render: what previews are drawn with; owner may be null. Reads
    // the look from the registry; the candidates are read at the first
    // ranking.
    CDlgTeXPromptBar(AppContext& app, const RenderContext& render, TeXPromptOwner* owner,
                     QWidget* parent = nullptr);
    // Writes the use counts (the per-user copy of the candidate file).
    ~CDlgTeXPromptBar() override;

    // The owner may be set after construction (the driver is made with the bar).
    void setOwner(TeXPromptOwner* owner) { m_owner = owner; }

    // ---- look
    // 0 restores the default look (cells per page and preview size stay),
    // 1 reads the registry, 2 writes it.
    void PromptBarSettings(int mode);
    const PromptBarLook& look() const { return m_look; }
    void setLook(const PromptBarLook& look);
    const QFont& barFont() const { return m_font; }

    // ---- candidates
    // The TeX labels of the stored formulas; takes effect at the next load.
    void SetLabels(const QStringList& labels) { m_list.setLabels(labels); }
    // Reads the file and the labels again (the label list was rebuilt).
    void LoadCandidates();
    bool SaveCandidates() { return m_list.SaveCandidates(); }
    TeXCandidateList& list() { return m_list; }
    const TeXCandidateList& list() const { return m_list; }

    // False for an empty text; otherwise a new text is ranked and drawn.
    bool SetTypedText(const QString& text);
    const QString& typedText() const { return m_typed; }
    void RankCandidates();
    // Number 1 to CandidateN: the text and kind of that cell (its use count
    // goes up); -1 for any other number and an empty cell.
    int PickCandidate(int number, QString* text);
    // 0 start, 1 page back, 2 page forward, 3 one back, 4 one forward.
    void MovePage(int step);
    // Step 1 or 2; false (the key is typed) while the text is "\" alone.
    bool TurnPageByKey(int step);
    void RebuildAndPlace();

    // ---- the picture
    void RebuildBitmap();
    const QImage& bitmap() const { return m_bitmap; }
    const std::vector<int>& cellWidths() const { return m_cellWidths; }
    int labelBandHeight() const { return m_bandHeight; }
    // 1-based cell whose span holds x strictly inside its edges; 0 none.
    int HitTestCell(int x) const;
    int markedCell() const { return m_marked; }

    // The context menu at a screen point.
    void ShowContextMenu(QPoint screenPoint);

    // Tracks the context menu in place of its modal loop (tests choose an
    // identifier); empty: CKwMenu::TrackPopupMenu.
    std::function<unsigned(CKwMenu& menu, QPoint screenPoint)> trackMenu;
    // The one-line input of the preview size; null: the service that tells
    // the user it is not available.
    EditDialogService* dialogs = nullptr;
    // How previews read LaTeX, and the expansion of library references.
    TeXReadContext texRead;
    std::function<void(EqModel*)> expandReferences;
    // The style previews are read in.
    EqLayoutSettings previewStyle;

    // Context-menu identifiers.
    enum MenuId : unsigned {
        IdPrevPage = 1,
        IdNextPage = 2,
        IdFirstPage = 3,
        IdCells4 = 14,  // 14 to 19: 4 to 9 cells
        IdFont = 30,
        IdPreviewSize = 31,
        IdTitleColour = 32,
        IdPreviewColour = 33,
        IdSeparatorColour = 34,
        IdFlat = 35,
        IdDefaults = 36,
    };
    void RunMenuCommand(unsigned id);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void CreateBarFont();
    void MakePreview(TeXCandidate& c);
    void placeAndReturnFocus();

    AppContext& m_app;
    RenderContext m_render;
    TeXPromptOwner* m_owner;
    PromptBarLook m_look;
    QFont m_font;
    TeXCandidateList m_list;
    QString m_typed;
    QImage m_bitmap;
    std::vector<int> m_cellWidths;
    int m_bandHeight = 0;
    int m_marked = 0;
};

// The view's side of the prompt bar for a sheet (mode 1) and the LaTeX
// source window (mode 2).
class TeXPromptDriver : public TeXPromptOwner {
public:
    // Becomes the bar's owner.
    TeXPromptDriver(AppContext& app, CDlgTeXPromptBar* bar, CKwEESheet* sheet);

    // SheetHost::ShowPromptBar: mode 0 or an empty text hides the bar;
    // otherwise, when the option word enables the mode (bit 16 for 1, bit 17
    // for 2), the bar shows the text under the caret.
    void ShowPromptBar(const QString& text, int mode);
    // SheetHost::PromptBarKeyDown: only while the bar shows for a mode and
    // no modifier is held. Escape hides the bar and goes to the first page,
    // Home the first page, Page Up and Up one candidate back, Page Down and
    // Down one forward, comma and period a page back or forward, Space picks
    // candidate 1 and a digit the candidate of that number (used only when
    // something was picked).
    bool PromptBarKeyDown(int vk, bool ctrl, bool shift, bool alt);
    bool IsPromptBarShowingForSheet() const;
    int mode() const { return m_mode; }

    bool PickPromptCandidate(int number) override;
    void PlacePromptBar(bool refreshCaretPoint) override;
    void ReturnFocus() override;

    // Mode 2: the source window's caret point (screen coordinates, refreshed
    // first when asked), its insertion of a candidate, and its focus.
    std::function<QPoint(bool refresh)> sourceCaretPoint;
    std::function<void(int kind, const QString& text)> insertIntoSource;
    std::function<void()> focusSource;

private:
    AppContext& m_app;
    CDlgTeXPromptBar* m_bar;
    CKwEESheet* m_sheet;
    int m_mode = 0;
};

}  // namespace toliva
