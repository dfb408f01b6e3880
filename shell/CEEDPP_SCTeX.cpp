#include "shell/CEEDPP_SCTeX.h"

#include "shell/CEESettingDlg.h"
#include "shell/CTolivaView.h"
#include "shell/settings/AppSettings.h"

#include "panels/CKwTBG.h"
#include "panels/CKwTBPanel.h"
#include "platform/AppContext.h"
#include "sheet/CDialogTeXEdt.h"
#include "sheet/CKwEESheet.h"
#include "sheet/editing/HotkeyTable.h"
#include "uikit/CKwEMF.h"
#include "uikit/CKwMenu.h"
#include "uikit/LangTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <array>
#include <mutex>

namespace toliva {
namespace {

constexpr char kGroup[] = "gPP_6";
const QString kLangFile = QStringLiteral("LANG_04.xml");
const QString kMenuLangFile = QStringLiteral("LANG_02.xml");
const QColor kGridLine(180, 180, 180);
const QColor kLeftColumn = QColor::fromRgba(0xFFF0F0F0);
const QColor kSelection = QColor::fromRgba(0x3CC8C8FF);
constexpr float kTargetRowHeight = 48;

// The delimiters of copied LaTeX, in the order of their codes.
const std::array<QString, 5> kDelimiterTexts = {QStringLiteral("$$..$$"), QStringLiteral("$..$"),
                                               QStringLiteral("\\[..\\]"), QStringLiteral("\\(..\\)"),
                                               QStringLiteral("None")};

// The check boxes and their bits; the last is shown inverted.
struct OptionBox {
    int id;
    uint32_t bit;
    bool inverted;
};
constexpr std::array<OptionBox, 6> kOptionBoxes = {{
    {CEEDPP_SCTeX::kTeXTyping, OptTeXTyping, false},
    {CEEDPP_SCTeX::kPromptSheet, OptPromptForSheet, false},
    {CEEDPP_SCTeX::kPromptSource, OptPromptForSource, false},
    {CEEDPP_SCTeX::kKeepLineFeeds, OptKeepDelimiterLineFeeds, false},
    {CEEDPP_SCTeX::kUsLayout, OptNativeUsLayout, false},
    {CEEDPP_SCTeX::kAltTap, OptNoAltTap, true},
}};

template <typename W>
W* withId(W* widget, int id) {
    widget->setProperty(kCtrlIdProperty, id);
    return widget;
}

// The sources of the program's view.
class ViewShortcutSources : public ShortcutSources {
public:
    explicit ViewShortcutSources(CTolivaView& view) : m_view(view) {}
    std::vector<const CKwTBG*> symbolGroups() const override {
        std::vector<const CKwTBG*> groups;
        if (const CKwTBPanel_Scr* strip = m_view.symbolStrip())
            for (const auto& group : strip->groups()) groups.push_back(group.get());
        return groups;
    }
    bool showLaTeXEditorSettings() override {
        CDialogTeXEdt* pane = m_view.latexPane();
        if (!pane) return false;
        pane->ShowEditorSettings();
        return true;
    }

private:
    CTolivaView& m_view;
};

}  // namespace

std::unique_ptr<ShortcutSources> MakeViewShortcutSources(CTolivaView& view) {
    return std::make_unique<ViewShortcutSources>(view);
}

CEEDPP_SCTeX::CEEDPP_SCTeX(CEESettingDlg* owner) : QWidget(owner), m_owner(owner) {
    setProperty(kCtrlIdProperty, kCtrlId);
    setWindowTitle(QStringLiteral("TeX Shortcuts"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setFont(owner->context().uiFont);

    // Laid out for the interface size like the dialog: the page is 718 x 548
    // at the normal size.
    const int metric = owner->context().settings.uiMetric;
    const double f = metric > 0 ? metric / 15.0 : 1.0;
    const auto place = [f](QWidget* w, int x, int y, int width, int height) {
        const auto px = [f](int v) { return int(v * f + 0.5); };
        w->setGeometry(px(x), px(y), px(width), px(height));
    };

    auto* tex = withId(new QGroupBox(QStringLiteral("TeX"), this), kTeXGroup);
    place(tex, 16, 8, 330, 338);
    place(withId(new QLabel(QStringLiteral("Dialect:"), this), kDialectLabel), 30, 38, 182, 26);
    place(withId(new QComboBox(this), kDialect), 214, 38, 120, 26);
    place(withId(new QLabel(QStringLiteral("Delimiters:"), this), kDelimitersLabel), 30, 72, 182, 26);
    place(withId(new QComboBox(this), kDelimiters), 214, 72, 120, 26);
    int y = 110;
    for (const OptionBox& box : kOptionBoxes) {
        auto* check = withId(new QCheckBox(this), box.id);
        place(check, 30, y, 312, 28);
        y += 30;
    }
    place(withId(new QPushButton(QStringLiteral("LaTeX Editor Settings..."), this), kEditorSettings), 30, 298, 240,
          32);
    auto* picture = withId(new QFrame(this), kPicture);
    place(picture, 16, 356, 330, 180);
    picture->hide();  // painted by the page

    place(withId(new QLabel(QStringLiteral("Shortcuts"), this), kListLabel), 362, 14, 230, 26);
    place(withId(new QPushButton(QStringLiteral("Menu"), this), kMenuButton), 604, 10, 100, 30);
    auto* area = withId(new QFrame(this), kArea);
    place(area, 362, 48, 322, 488);
    area->hide();  // the rows are painted by the page
    auto* bar = withId(new QScrollBar(Qt::Vertical, this), kScrollBar);
    place(bar, 686, 48, 18, 488);

    for (QWidget* child : findChildren<QWidget*>())
        if (child != bar) child->setPalette(pal);

    connect(bar, &QScrollBar::actionTriggered, this, [this, bar](int action) {
        if (m_bSettingScroll) return;
        switch (action) {
        case QAbstractSlider::SliderSingleStepSub: OnScrollBar(LineUp, 0); break;
        case QAbstractSlider::SliderSingleStepAdd: OnScrollBar(LineDown, 0); break;
        case QAbstractSlider::SliderPageStepSub: OnScrollBar(PageUp, 0); break;
        case QAbstractSlider::SliderPageStepAdd: OnScrollBar(PageDown, 0); break;
        case QAbstractSlider::SliderMove: OnScrollBar(ThumbTrack, bar->sliderPosition()); break;
        default: return;
        }
        // The page decides where the bar stands.
        bar->setSliderPosition(m_nFirstRow);
    });
    connect(qobject_cast<QPushButton*>(control(kEditorSettings)), &QPushButton::clicked, this,
            [this] { OnEditorSettings(); });
    connect(qobject_cast<QPushButton*>(control(kMenuButton)), &QPushButton::clicked, this,
            [this] { ShowRowMenu(QCursor::pos()); });
}

CEEDPP_SCTeX::~CEEDPP_SCTeX() = default;

QWidget* CEEDPP_SCTeX::control(int id) const { return DialogControl(const_cast<CEEDPP_SCTeX*>(this), id); }
QCheckBox* CEEDPP_SCTeX::checkBox(int id) const { return qobject_cast<QCheckBox*>(control(id)); }
QComboBox* CEEDPP_SCTeX::comboBox(int id) const { return qobject_cast<QComboBox*>(control(id)); }
QScrollBar* CEEDPP_SCTeX::scrollBar() const { return qobject_cast<QScrollBar*>(control(kScrollBar)); }

HotkeyTable* CEEDPP_SCTeX::hotkeys() const {
    return m_owner->m_pTarget ? &m_owner->m_pTarget->hotkeys() : nullptr;
}

ShortcutSources* CEEDPP_SCTeX::sources() const {
    static ShortcutSources none;
    ShortcutSources* given = m_owner->context().shortcuts;
    return given ? given : &none;
}

// ---- initialisation and the settings

bool CEEDPP_SCTeX::OnInitDialog() {
    LangTable table(m_owner->context().app.languageCode(), kLangFile);
    SetDialogLangTexts(table, QString::fromLatin1(kGroup), this,
                       {{0, 1},
                        {kTeXGroup, 2},
                        {kDialectLabel, 3},
                        {kDelimitersLabel, 4},
                        {kEditorSettings, 5},
                        {kListLabel, 6},
                        {kPromptSheet, 7},
                        {kPromptSource, 8},
                        {kTeXTyping, 9},
                        {kKeepLineFeeds, 10},
                        {kMenuButton, 11},
                        {kUsLayout, 12},
                        {kAltTap, 13}});

    // The rows fill the area exactly.
    const QRect frame = control(kArea)->geometry();
    m_area = QRect(frame.left() - 1, frame.top() - 1, frame.width() + 1, frame.height() + 2);
    const float target = kTargetRowHeight * m_owner->context().app.uiScale;
    m_nVisibleRows = std::max(1, int(float(m_area.height()) / std::max(target, 1.0f)));
    m_fRowHeight = float(m_area.height()) / float(m_nVisibleRows);

    if (!m_picture) {
        m_picture = std::make_unique<CKwEMF>();
        m_picture->LoadFile(m_owner->context().programFolder + QStringLiteral("GenDef/set_hk.apx"));
    }

    BuildRows();
    UpdateScrollBar();
    RenderRows();

    if (!m_bFilled) {
        m_bFilled = true;
        QComboBox* dialect = comboBox(kDialect);
        dialect->addItem(QStringLiteral("AMS/LaTeX"));
        dialect->setCurrentIndex(0);
        QComboBox* delimiters = comboBox(kDelimiters);
        for (const QString& text : kDelimiterTexts) delimiters->addItem(text);
    }
    TransferSettings(false);
    return true;
}

void CEEDPP_SCTeX::TransferSettings(bool apply) {
    AppContext& app = m_owner->context().app;
    QComboBox* delimiters = comboBox(kDelimiters);
    if (apply) {
        if (delimiters->currentIndex() >= 0) app.texDelimCode = delimiters->currentIndex();
        for (const OptionBox& box : kOptionBoxes) {
            const bool set = checkBox(box.id)->isChecked() != box.inverted;
            app.options = set ? (app.options | box.bit) : (app.options & ~box.bit);
        }
        return;
    }
    // A code outside the list selects nothing and is kept as it is.
    const int code = app.texDelimCode;
    delimiters->setCurrentIndex(code >= 0 && code < delimiters->count() ? code : -1);
    for (const OptionBox& box : kOptionBoxes) checkBox(box.id)->setChecked(app.option(box.bit) != box.inverted);
}

// ---- the rows

void CEEDPP_SCTeX::BuildRows() {
    m_rows.clear();
    ShortcutSources* src = sources();
    if (const HotkeyTable* table = hotkeys()) {
        for (const CKwTBG* group : src->symbolGroups()) {
            if (!group) continue;
            for (const TBCell& cell : group->cells())
                if (cell.node && table->HasBinding(cell.node->key())) m_rows.push_back({HotkeyRow::Symbol, cell.node, nullptr});
        }
    }
    for (ShortcutTile* tile : src->tileItems()) {
        if (!tile) continue;
        const ShortcutTile::Shortcut s = tile->shortcut();
        if (!s.texLabel.isEmpty() || ((s.ctrl > 0 || s.alt > 0) && s.keyCode > 0))
            m_rows.push_back({HotkeyRow::Tile, nullptr, tile});
    }
}

void CEEDPP_SCTeX::UpdateScrollBar() {
    QScrollBar* bar = scrollBar();
    m_bSettingScroll = true;
    bar->setRange(0, std::max(0, int(m_rows.size()) - 1));
    bar->setPageStep(m_nVisibleRows);
    bar->setSingleStep(1);
    bar->setValue(m_nFirstRow);
    m_bSettingScroll = false;
}

void CEEDPP_SCTeX::RenderRows() {
    if (m_area.isEmpty()) return;
    std::lock_guard<std::recursive_mutex> lock(m_owner->context().app.drawingLock);
    if (m_bitmap.size() != m_area.size()) m_bitmap = QImage(m_area.size(), QImage::Format_RGB32);
    m_bitmap.fill(Qt::white);
    QPainter p(&m_bitmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const qreal h = m_fRowHeight;
    const int width = m_bitmap.width(), height = m_bitmap.height();
    p.fillRect(QRectF(0, 0, h, height), kLeftColumn);

    const int count = int(m_rows.size());
    const int first = count > 0 ? std::clamp(m_nFirstRow, 0, count - 1) : 0;
    p.setFont(m_owner->context().uiFont);
    const QFontMetricsF metrics(p.font());
    const qreal cx = metrics.horizontalAdvance(QLatin1Char('A')), cy = metrics.height();
    p.setPen(Qt::black);
    const auto text = [&](int x, int y, const QString& s) {
        p.drawText(QRectF(x, y, width - x, cy + 2), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, s);
    };
    const HotkeyTable* table = hotkeys();
    for (int l = 0; l < m_nVisibleRows; ++l) {
        const int index = first + l;
        if (index >= count) break;
        const HotkeyRow& row = m_rows[size_t(index)];
        const qreal y = l * h;
        const QRectF cell(0, y, h, h);
        if (row.kind == HotkeyRow::Tile && row.tile) {
            row.tile->draw(p, cell, h - 6);
            QString hotkey, label;
            row.tile->formatHotkeyText(&hotkey, &label);
            const int x = int(h + 2 + cx / 2);
            if (!hotkey.isEmpty() && !label.isEmpty()) {
                text(x, int(y + h * 0.5 - cy - 2), hotkey);
                text(x, int(h * 0.5 + y + cy / 2 - 2), label);
            } else if (!hotkey.isEmpty() || !label.isEmpty()) {
                text(x, int(y + h * 0.5 - cy / 2), hotkey.isEmpty() ? label : hotkey);
            }
        } else if (row.kind == HotkeyRow::Symbol && row.cell) {
            if (const CKwTBG* group = row.cell->owner) group->DrawSymbolPicture(p, *row.cell, cell);
            const QString keys = table ? table->GetKeysText(row.cell->key(), false) : QString();
            if (!keys.isEmpty()) text(int(h + cx / 2), int(h * 0.5 + y - cy / 2), keys);
        }
        if (index == m_nSelected) p.fillRect(QRectF(0, y, width, h), kSelection);
    }

    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(kGridLine, 1));
    for (int i = 1; i < m_nVisibleRows; ++i) {
        const int ly = int(h * i);
        p.drawLine(0, ly, width - 1, ly);
    }
    p.drawLine(int(h), 0, int(h), height - 1);
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 0, width - 1, height - 1);
}

void CEEDPP_SCTeX::ScrollRows(int value, bool absolute) {
    const int count = int(m_rows.size());
    int first = absolute ? value : m_nFirstRow + value;
    // The upper bound first: with fewer rows than fit it is below 0.
    first = std::min(first, count - std::max(1, m_nVisibleRows));
    first = std::max(first, 0);
    if (first == m_nFirstRow) return;
    m_nFirstRow = first;
    m_bSettingScroll = true;
    scrollBar()->setValue(m_nFirstRow);
    m_bSettingScroll = false;
    RenderRows();
    update();
}

void CEEDPP_SCTeX::OnScrollBar(int code, int trackPosition) {
    setFocus();
    switch (code) {
    case LineUp: ScrollRows(-1, false); break;
    case LineDown: ScrollRows(1, false); break;
    case PageUp: ScrollRows(-kPageRows, false); break;
    case PageDown: ScrollRows(kPageRows, false); break;
    case ThumbTrack: ScrollRows(trackPosition, true); break;
    default: break;
    }
}

void CEEDPP_SCTeX::OnWheel(int delta) {
    if (delta < 0) ScrollRows(kPageRows, false);
    else if (delta > 0) ScrollRows(-kPageRows, false);
}

int CEEDPP_SCTeX::RowAt(QPoint point) const {
    if (!m_area.contains(point) || m_fRowHeight <= 0) return -1;
    const int row = int(float(point.y() - m_area.top()) / m_fRowHeight + float(m_nFirstRow));
    return row >= 0 && row < int(m_rows.size()) ? row : -1;
}

bool CEEDPP_SCTeX::OnLButtonDown(QPoint point) {
    const int row = RowAt(point);
    if (row < 0 || row == m_nSelected) return false;
    m_nSelected = row;
    RenderRows();
    update();
    return true;
}

bool CEEDPP_SCTeX::OnRButtonDown(QPoint point, QPoint screenPoint) {
    if (!m_area.contains(point)) return false;
    OnLButtonDown(point);
    ShowRowMenu(screenPoint);
    return true;
}

void CEEDPP_SCTeX::ShowRowMenu(QPoint screenPoint) {
    LangTable table(m_owner->context().app.languageCode(), kMenuLangFile);
    const QString group = QStringLiteral("gPOP_1");
    CKwMenu menu(this);
    menu.AppendItem(MF_STRING, RowDelete, table, group, 2);
    menu.AppendItem(MF_STRING, RowClearAll, table, group, 3);
    menu.AppendItem(MF_SEPARATOR, 0, QString());
    menu.AppendItem(MF_STRING, RowDefaults, table, group, 4);
    menu.AppendItem(MF_SEPARATOR, 0, QString());
    menu.AppendItem(MF_STRING, RowImport, table, group, 7);
    menu.AppendItem(MF_STRING, RowExport, table, group, 8);
    const auto& track = m_owner->context().trackMenu;
    const unsigned chosen = track ? track(menu, screenPoint) : menu.TrackPopupMenu(screenPoint);
    if (chosen) RunRowCommand(int(chosen));
}

void CEEDPP_SCTeX::RunRowCommand(int command) {
    HotkeyTable* table = hotkeys();
    if (!table) return;
    ShortcutSources* src = sources();
    switch (command) {
    case RowDelete: {
        if (m_nSelected < 0 || m_nSelected >= int(m_rows.size())) break;
        const HotkeyRow& row = m_rows[size_t(m_nSelected)];
        if (row.kind == HotkeyRow::Symbol && row.cell) {
            table->RemoveBinding(row.cell->key());
        } else if (row.kind == HotkeyRow::Tile && row.tile) {
            const int keyCode = row.tile->shortcut().keyCode;
            table->RemoveBinding(SymbolKey{kTileHotkeyMarker, kTileHotkeyMarker, uint16_t(keyCode)});
            row.tile->clearShortcut();
            src->publishTeXLabels();
        }
        break;
    }
    case RowClearAll: table->ClearAll(src->tileHotkeys()); break;
    case RowDefaults: table->SetDefaults(); break;
    case RowImport: table->ImportFile(); break;
    case RowExport: table->ExportFile(); break;
    default: return;
    }
    refreshRows();
}

void CEEDPP_SCTeX::refreshRows() {
    BuildRows();
    // The first row keeps within the new rows; the selection may now lie
    // beyond them, which selects nothing.
    const int count = int(m_rows.size());
    m_nFirstRow = std::max(0, std::min(m_nFirstRow, count - std::max(1, m_nVisibleRows)));
    UpdateScrollBar();
    RenderRows();
    update();
}

void CEEDPP_SCTeX::OnEditorSettings() { sources()->showLaTeXEditorSettings(); }

// ---- painting and the mouse

void CEEDPP_SCTeX::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!m_bitmap.isNull()) p.drawImage(m_area.topLeft(), m_bitmap);
    const QRect pictureRect = control(kPicture)->geometry();
    if (m_picture && m_picture->IsDrawable()) {
        std::lock_guard<std::recursive_mutex> lock(m_owner->context().app.drawingLock);
        m_picture->DrawToDC(&p, pictureRect);
    }
    const QRect bar = scrollBar()->geometry().adjusted(-1, -1, 1, 1);
    p.setPen(kGridLine);
    p.setBrush(Qt::NoBrush);
    p.drawRect(bar.adjusted(0, 0, -1, -1));
}

void CEEDPP_SCTeX::mousePressEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    bool handled = false;
    if (event->button() == Qt::LeftButton) handled = OnLButtonDown(point);
    else if (event->button() == Qt::RightButton) handled = OnRButtonDown(point, event->globalPosition().toPoint());
    if (!handled) QWidget::mousePressEvent(event);
}

void CEEDPP_SCTeX::wheelEvent(QWheelEvent* event) {
    OnWheel(event->angleDelta().y());
    event->accept();
}

}  // namespace toliva
