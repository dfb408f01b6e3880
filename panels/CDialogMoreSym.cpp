#include "panels/CDialogMoreSym.h"
#include "panels/PanelDialog.h"

#include "panels/CKwTBG.h"
#include "panels/CKwTBPanel.h"
#include "panels/PanelContext.h"
#include "platform/MessageSink.h"
#include "uikit/CKwMenu.h"
#include "uikit/LangTable.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>

namespace toliva {

namespace {

constexpr char kTextsFile[] = "LANG_12.xml";
constexpr char kTextsGroup[] = "gCS_1";
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 26;
constexpr int kButtonGap = 8;

}  // namespace

CDialogMoreSym::CDialogMoreSym(const std::vector<CKwTBN*>* nodes, const PanelContext& context, QWidget* parent)
    : QDialog(parent), m_nodes(nodes), m_context(context) {
    setObjectName(QStringLiteral("CDialogMoreSym"));
    setModal(true);
    m_panel = new CKwTBPanel(m_context, this);
    m_panel->Create(QString(), true, QRect(0, 0, 10, 10), this, CKwTBPanel::kControlId);
    m_scroll = WithCtrlId(new QScrollBar(Qt::Vertical, this), kScrollBar);
    m_placeholder = WithCtrlId(new QWidget(this), kPlaceholder);
    m_placeholder->setGeometry(kPlaceholderX, kPlaceholderY, 1, 1);
    m_placeholder->hide();
    m_ok = WithCtrlId(new QPushButton(QStringLiteral("OK"), this), kOk);
    m_cancel = WithCtrlId(new QPushButton(QStringLiteral("Cancel"), this), kCancel);
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_scroll, &QScrollBar::actionTriggered, this, [this](int action) {
        switch (action) {
        case QAbstractSlider::SliderSingleStepSub: OnVScroll(kLineUp); break;
        case QAbstractSlider::SliderSingleStepAdd: OnVScroll(kLineDown); break;
        case QAbstractSlider::SliderPageStepSub: OnVScroll(kPageUp); break;
        case QAbstractSlider::SliderPageStepAdd: OnVScroll(kPageDown); break;
        case QAbstractSlider::SliderMove: OnVScroll(kThumbTrack, m_scroll->sliderPosition()); break;
        default: break;
        }
        // The slider shows the dialog's row, not its own step.
        m_scroll->setSliderPosition(m_nFirstRow);
    });
}

CDialogMoreSym::~CDialogMoreSym() = default;

CKwTBG* CDialogMoreSym::pickerGroup() const { return m_panel->group(0); }

int CDialogMoreSym::nodeCount() const { return m_nodes ? int(m_nodes->size()) : 0; }

int CDialogMoreSym::DoModal() {
    return RunPanelDialog(*this, runModal);
}

void CDialogMoreSym::OnInitDialog() {
    if (m_initialized) return;
    m_initialized = true;
    LangTable texts(m_context.languageCode, QString::fromLatin1(kTextsFile));
    SetDialogLangTexts(texts, QString::fromLatin1(kTextsGroup), this, {{0, 1}, {kOk, 2}, {kCancel, 3}});

    // The grid: 16 x 8 cells of 36, or 12 x 6 of 48.
    const float cell = m_bLargeCells ? 48.0f : 36.0f;
    m_nCols = m_bLargeCells ? 12 : 16;
    m_nVisibleRows = m_bLargeCells ? 6 : 8;
    m_nCellsPerPage = m_nCols * m_nVisibleRows;
    m_panel->AddGroupFromNodes(m_nVisibleRows, m_nCols, cell, cell, m_nodes);

    // The dialog around the panel: the panel, 2 pixels, the scroll bar; the
    // placeholder's left offset as the margin; the buttons below, right-aligned
    // with the scroll bar.
    const QPoint corner = m_placeholder->geometry().topLeft();
    const int margin = corner.x();
    const int step = int(m_context.uiScale * cell);
    const QRect panelRect(corner, QSize(step * m_nCols + 1, step * m_nVisibleRows + 1));
    m_panel->setGeometry(panelRect);
    const int barWidth = std::max(12, m_scroll->sizeHint().width());
    const QRect barRect(panelRect.x() + panelRect.width() + 2, panelRect.y() + 1, barWidth, panelRect.height() - 2);
    m_scroll->setGeometry(barRect);
    const int right = barRect.x() + barRect.width();
    const int buttonsTop = panelRect.y() + panelRect.height() + margin;
    const int buttonWidth = std::max(kButtonWidth, std::max(m_ok->sizeHint().width(), m_cancel->sizeHint().width()));
    const int buttonHeight = std::max(kButtonHeight, m_ok->sizeHint().height());
    m_cancel->setGeometry(right - buttonWidth, buttonsTop, buttonWidth, buttonHeight);
    m_ok->setGeometry(right - 2 * buttonWidth - kButtonGap, buttonsTop, buttonWidth, buttonHeight);
    const QSize size(right + margin, buttonsTop + buttonHeight + margin);
    setFixedSize(size);

    const QPoint pointer = pointerPos ? pointerPos() : QCursor::pos();
    QScreen* screen = QGuiApplication::screenAt(pointer);
    if (!screen) screen = QGuiApplication::primaryScreen();
    const QRect workArea = screen ? screen->availableGeometry() : QRect(QPoint(0, 0), size);
    const QWidget* main = parentWidget() ? parentWidget()->window() : nullptr;
    const QRect mainRect = main ? main->frameGeometry() : workArea;
    move(Placement(size, pointer, mainRect, workArea));

    // Rows enough for every node; the caption with the count.
    const int count = nodeCount();
    m_nTotalRows = count / m_nCols + (count % m_nCols ? 1 : 0);
    setWindowTitle(LoadLangString(texts, QString::fromLatin1(kTextsGroup), 1) + QStringLiteral(" / %1").arg(count));

    if (m_bReplaceMode) {
        CKwTBG* group = pickerGroup();
        m_nCurrentIndex = group ? group->FindNodeByKey(m_currentKey) : -1;
        // The page that holds the current symbol (its first cell included).
        while (m_nCurrentIndex >= 0 && (m_nVisibleRows + m_nFirstRow) * m_nCols <= m_nCurrentIndex) ++m_nFirstRow;
        if (group) group->mark = m_nCurrentIndex >= 0 ? m_nCurrentIndex - m_nCols * m_nFirstRow + CKwTBG::kMarkCellBase : -1;
    } else {
        m_ok->hide();
    }
    syncScrollBar();
    showPage();
}

void CDialogMoreSym::syncScrollBar() {
    // The dialog's range is 0 .. total - 1 with a page of the visible rows;
    // the slider's own maximum is where its page ends at the last row.
    m_syncing = true;
    m_scroll->setRange(0, std::max(0, m_nTotalRows - m_nVisibleRows));
    m_scroll->setPageStep(m_nVisibleRows);
    m_scroll->setSingleStep(1);
    m_scroll->setValue(m_nFirstRow);
    m_syncing = false;
}

void CDialogMoreSym::showPage() {
    CKwTBG* group = pickerGroup();
    if (m_nFirstRow < 0) m_nFirstRow = 0;
    const int count = nodeCount();
    if (group && count > 0) {
        if (m_nFirstRow * m_nCols < count)
            group->ShowFrom(m_nFirstRow * m_nCols);
        else
            --m_nFirstRow;
    }
    if (group && m_bReplaceMode) {
        const int start = m_nFirstRow * m_nCols;
        if (m_nCurrentIndex < start || m_nCurrentIndex >= start + m_nCellsPerPage)
            group->mark = -1;
        else
            group->mark = m_nCurrentIndex - start + CKwTBG::kMarkCellBase;
        group->redraw = 1;
    }
    m_panel->Redraw();
}

void CDialogMoreSym::ScrollTo(int rows, bool relative) {
    const int wanted = relative ? m_nFirstRow + rows : rows;
    const int first = std::clamp(wanted, 0, std::max(0, m_nTotalRows - m_nVisibleRows));
    if (first == m_nFirstRow) return;
    m_nFirstRow = first;
    syncScrollBar();
    showPage();
}

void CDialogMoreSym::OnVScroll(ScrollCode code, int thumbPosition) {
    if (m_syncing) return;
    setFocus();
    switch (code) {
    case kLineUp: ScrollTo(-1, true); break;
    case kLineDown: ScrollTo(1, true); break;
    case kPageUp: ScrollTo(-(m_nVisibleRows / 2), true); break;
    case kPageDown: ScrollTo(m_nVisibleRows / 2, true); break;
    case kThumbTrack: ScrollTo(thumbPosition, false); break;
    }
}

void CDialogMoreSym::OnWheel(int notchesTowardsUser) {
    if (notchesTowardsUser > 0)
        ScrollTo(m_nVisibleRows / 2, true);
    else if (notchesTowardsUser < 0)
        ScrollTo(-(m_nVisibleRows / 2), true);
}

void CDialogMoreSym::OnLeftButtonDown(QPoint screenPoint) {
    if (!m_panel->Press(screenPoint, true)) return;
    m_pressed = true;
    if (m_bReplaceMode) m_panel->suspended = true;
}

void CDialogMoreSym::OnLeftButtonUp(QPoint screenPoint) {
    if (!m_pressed) return;
    m_pressed = false;
    m_panel->suspended = false;
    if (!m_panel->Release(screenPoint)) return;
    const SymbolKey key = m_panel->pressedKey();
    if (!m_bReplaceMode) {
        // A cell whose key has no kind or code closes nothing.
        if (key.kind > 0 && key.code > 0) {
            m_chosenKey = key;
            done(QDialog::Accepted);
        }
        return;
    }
    CKwTBG* group = pickerGroup();
    if (!group) return;
    m_currentKey = key;
    m_nCurrentIndex = group->FindNodeByKey(key);
    group->mark = m_nCurrentIndex - m_nFirstRow * m_nCols + CKwTBG::kMarkCellBase;
    group->redraw = 1;
    m_panel->Redraw();
}

void CDialogMoreSym::OnRightButtonDown(QPoint screenPoint) {
    if (m_bReplaceMode) return;
    m_panel->Press(screenPoint, false);
}

intptr_t CDialogMoreSym::OnWindowMessage(int message, intptr_t wParam, intptr_t) {
    if (message != WM_SYMBOL_PANEL_RCLICK || wParam != reinterpret_cast<intptr_t>(m_panel)) return 0;
    if (!m_pSheet || !m_panel->pressedGroup() || !m_panel->pressedNode()) return 0;
    ShowSymbolMenu(m_panel->pressedKey(), pointerPos ? pointerPos() : QCursor::pos());
    return 0;
}

void CDialogMoreSym::ShowSymbolMenu(const SymbolKey& key, QPoint screenPoint) {
    if (!m_pSheet) return;
    LangTable popup(m_context.languageCode, QStringLiteral("LANG_11.xml"));
    CKwMenu menu(this);
    if (m_pSheet->HasMarkedElements() && key.kind != 2) {
        menu.AppendItem(MF_STRING, kMenuReplaceMarked, popup, QStringLiteral("gPOP_1"), 20,
                        QStringLiteral("menu\\Replace"));
        menu.AppendItem(MF_SEPARATOR, 0, QString());
    }
    if (key != kMoreSymbolsKey)
        menu.AppendItem(MF_STRING, kMenuHotkey, m_pSheet->HotkeyText(key), QStringLiteral("menu\\HotKey"));
    const QString hint = m_pSheet->TeXHint(key);
    if (!hint.isEmpty()) {
        menu.AppendItem(MF_SEPARATOR, 0, QString());
        menu.AppendItem(MF_OWNERDRAW | MF_GRAYED, kMenuTeXHint, hint);
    }
    switch (trackMenu ? trackMenu(menu, screenPoint) : menu.TrackPopupMenu(screenPoint)) {
    case kMenuReplaceMarked: m_pSheet->ReplaceMarked(key); break;
    case kMenuHotkey: m_pSheet->EditHotkey(key, hint); break;
    default: break;
    }
}

QPoint CDialogMoreSym::Placement(QSize size, QPoint pointer, const QRect& mainWindow, const QRect& workArea) {
    const int w = size.width(), h = size.height();
    int x = pointer.x() - w / 2;
    x = std::min(x, mainWindow.x() + mainWindow.width() - 5 - w);
    x = std::min(x, workArea.x() + workArea.width() - 5 - w);
    x = std::max(x, mainWindow.x() + 5);
    // The screen's left edge wins over everything: the dialog stays on it.
    x = std::max(x, workArea.x() + 5);
    int y = pointer.y();
    y = std::min(y, mainWindow.y() + mainWindow.height() - 5 - h);
    y = std::min(y, workArea.y() + workArea.height() - h);
    y = std::max(y, workArea.y());
    return QPoint(x, y);
}

void CDialogMoreSym::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    painter.setPen(QColor(180, 180, 180));
    painter.drawRect(m_scroll->geometry().adjusted(-1, -1, 0, 0));
}

void CDialogMoreSym::mousePressEvent(QMouseEvent* event) {
    const QPoint global = event->globalPosition().toPoint();
    if (event->button() == Qt::LeftButton)
        OnLeftButtonDown(global);
    else if (event->button() == Qt::RightButton)
        OnRightButtonDown(global);
    event->accept();
}

void CDialogMoreSym::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) OnLeftButtonUp(event->globalPosition().toPoint());
    event->accept();
}

void CDialogMoreSym::wheelEvent(QWheelEvent* event) {
    const int notches = event->angleDelta().y() / 120;
    OnWheel(-notches);
    event->accept();
}

}  // namespace toliva
