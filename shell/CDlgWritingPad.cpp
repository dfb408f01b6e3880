#include "shell/CDlgWritingPad.h"

#include "panels/CDlgToolbar.h"
#include "platform/AppContext.h"
#include "platform/Folders.h"
#include "platform/LangTable.h"
#include "platform/RegKey.h"
#include "sheet/CKwEESheet.h"
#include "sheet/editing/CommandCodes.h"
#include "sheet/editing/EditDialogs.h"
#include "shell/DialogPlacement.h"

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <mutex>

namespace toliva {

namespace {

QColor colourOf(QRgb rgb) { return QColor::fromRgb(rgb); }

// What the pad's bar reads of the program.
PanelContext padToolbarContext(AppContext& context) {
    PanelContext c;
    c.uiScale = context.uiScale;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) c.dpiScale = float(screen->logicalDotsPerInchX() / 96.0);
    c.programFolder = programFolder();
    c.userFolder = context.userFolder;
    c.languageCode = context.languageCode();
    c.drawingLock = &context.drawingLock;
    return c;
}

}  // namespace

// ---- the pad

CDlgWritingPad::CDlgWritingPad(CKwEESheet& sheet, QWidget* parent) : QDialog(parent), m_sheet(&sheet) {
    setObjectName(QStringLiteral("WritingPad"));
    setModal(false);
    setSizeGripEnabled(true);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(kMinWidth, kMinHeight);

    // The bar, its buttons from "tb_wp", one-row layout, spacing 1.
    m_toolbar = new CDlgToolbar(this, padToolbarContext(sheet.appContext()), this);
    m_toolbar->setObjectName(QStringLiteral("tb_wp"));
    m_toolbar->LoadButtons(QStringLiteral("tb_wp"));
    m_toolbar->m_nLayoutMode = 1;
    m_toolbar->m_nSpacing = 1;
    UpdateToolbarChecks(false);
    m_toolbar->show();

    LangTable texts(sheet.appContext().languageCode(), QStringLiteral("EXT_01.xml"));
    setWindowTitle(LoadLangString(texts, QStringLiteral("WP"), 1));
    RegKey key;
    OpenRegKey(kPlacementKey, key);
    RestoreDialogPlacement(&sheet, key, this);
}

CDlgWritingPad::~CDlgWritingPad() {
    if (m_sheet) {
        RegKey key;
        if (OpenRegKey(kPlacementKey, key)) SaveDialogPlacement(m_sheet, this, key);
    }
}

// ---- size and painting

void CDlgWritingPad::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    m_cache = QImage();
    const QRect client = rect();
    const int barHeight = m_sheet ? int(20 + 24 * m_sheet->appContext().uiScale) : m_toolbar->height();
    m_toolbar->setGeometry(client.left(), client.top(), client.width(), barHeight);
    m_drawArea = QRect(client.left(), client.top() + barHeight, client.width(), std::max(0, client.height() - barHeight));
    m_innerArea = m_drawArea.adjusted(2, 2, -2, -2);
}

void CDlgWritingPad::DrawPad() {
    if (m_drawArea.isEmpty()) return;
    m_cache = QImage(m_drawArea.size(), QImage::Format_RGB32);
    m_cache.fill(Qt::white);
    QPainter painter(&m_cache);
    painter.setPen(QPen(colourOf(kTopLineColour), 1));
    painter.drawLine(0, 0, m_cache.width() - 1, 0);
    painter.setRenderHint(QPainter::Antialiasing);
    for (const PadStroke& s : m_strokes.strokes()) {
        QPolygon line;
        for (int k = 0; k < s.count; ++k) line << QPoint(s.x[size_t(k)], s.y[size_t(k)]);
        painter.setPen(QPen(colourOf(kPadPenColour), s.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPolyline(line);
    }
}

void CDlgWritingPad::paintEvent(QPaintEvent*) {
    if (m_cache.isNull()) DrawPad();
    QPainter painter(this);
    painter.drawImage(m_drawArea.topLeft(), m_cache);
    // The stroke being drawn.
    const std::vector<QPoint>& points = m_strokes.currentPoints();
    if (points.size() < 2) return;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipRect(m_drawArea);
    painter.setPen(QPen(colourOf(kPadPenColour), PadPenWidth(m_strokes.mode()), Qt::SolidLine, Qt::RoundCap,
                        Qt::RoundJoin));
    QPolygon line;
    for (const QPoint& p : points) line << p + m_drawArea.topLeft();
    painter.drawPolyline(line);
}

// ---- the mouse

void CDlgWritingPad::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QDialog::mousePressEvent(event);
        return;
    }
    const QPoint p = event->position().toPoint();
    if (m_strokes.mode() == PAD_MODE_ERASER) {
        EraseAt(p - m_drawArea.topLeft());
        return;
    }
    m_drawing = true;
    AddPoint(p);
}

void CDlgWritingPad::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    updateCursor(p);
    if (m_drawing && m_innerArea.contains(p)) AddPoint(p);
}

void CDlgWritingPad::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QDialog::mouseReleaseEvent(event);
        return;
    }
    if (!m_drawing) return;
    FinishStroke();
    m_drawing = false;
}

void CDlgWritingPad::updateCursor(QPoint clientPoint) {
    if (!m_innerArea.contains(clientPoint)) {
        unsetCursor();
        return;
    }
    if (m_strokes.mode() != PAD_MODE_ERASER) {
        setCursor(Qt::CrossCursor);
        return;
    }
    // The eraser: a square as wide as its reach.
    static const QCursor eraser = [] {
        const int side = 2 * int(kEraseDistance) + 3;
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setPen(Qt::white);
        painter.drawRect(0, 0, side - 1, side - 1);
        painter.setPen(Qt::black);
        painter.drawRect(1, 1, side - 3, side - 3);
        painter.end();
        return QCursor(pixmap, side / 2, side / 2);
    }();
    setCursor(eraser);
}

void CDlgWritingPad::AddPoint(QPoint clientPoint) {
    const QPoint areaPoint = clientPoint - m_drawArea.topLeft();
    const bool first = m_strokes.currentPoints().empty();
    if (!m_strokes.AddPoint(areaPoint)) return;
    if (!first) {
        const int reach = PadPenWidth(m_strokes.mode());
        update(QRect(m_lastPoint, clientPoint).normalized().adjusted(-reach, -reach, reach, reach));
    }
    m_lastPoint = clientPoint;
}

void CDlgWritingPad::FinishStroke() {
    if (m_strokes.FinishStroke()) m_cache = QImage();
    update(m_drawArea);
}

// ---- modes, erasing, clearing

void CDlgWritingPad::SetMode(int mode) {
    m_strokes.SetMode(mode);
    UpdateToolbarChecks(true);
}

void CDlgWritingPad::UpdateToolbarChecks(bool redraw) {
    for (int m = PAD_MODE_THIN; m <= PAD_MODE_ERASER; ++m)
        m_toolbar->SetButtonState(kModeButtons[m - 1], m == m_strokes.mode() ? 21 : 1, redraw);
}

void CDlgWritingPad::EraseAt(QPoint areaPoint) {
    const PadStrokes::EraseResult result = m_strokes.EraseAt(areaPoint);
    if (!result.erased) return;
    if (result.modeChanged) UpdateToolbarChecks(true);
    m_cache = QImage();
    update(m_drawArea);
}

void CDlgWritingPad::ClearStrokes(bool refresh) {
    m_strokes.ClearStrokes();
    if (!refresh) return;
    UpdateToolbarChecks(true);
    m_cache = QImage();
    update(m_drawArea);
}

// ---- recognition

bool CDlgWritingPad::RenderStrokesImage(const QString& path) {
    const QImage image = m_strokes.RenderStrokesImage();
    if (image.isNull() || !m_sheet) return false;
    return m_sheet->recognition().SaveRecognitionImage(image, path);
}

bool CDlgWritingPad::RecognizeAndInsert() {
    if (!m_sheet || m_strokes.strokes().empty()) return false;
    const AppContext& context = m_sheet->appContext();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    struct RestoreCursor {
        ~RestoreCursor() { QApplication::restoreOverrideCursor(); }
    } restoreCursor;
    const QString folder = context.tempFolder.isEmpty() ? QDir::tempPath() + QLatin1Char('/') : context.tempFolder;
    const QString path = folder + QStringLiteral("src0.png");
    if (!RenderStrokesImage(path)) return false;
    const QString latex = m_sheet->recognition().RecognizeFormula(path);
    if (latex.isEmpty()) return false;
    // Text the reader cannot take inserts nothing: the strokes stay.
    if (!m_sheet->InsertLaTeXText(latex)) return false;
    ClearStrokes(true);
    return true;
}

// ---- commands

intptr_t CDlgWritingPad::OnToolbarCommand(int code) {
    switch (code) {
    case CmdRecognitionSettings:
        if (showRecognitionSettings)
            showRecognitionSettings();
        else
            ShowNotAvailableYet(m_sheet ? m_sheet->appContext().languageCode() : QStringLiteral("en"), Unavailable::Dialog);
        break;
    case CmdThin: SetMode(PAD_MODE_THIN); break;
    case CmdMedium: SetMode(PAD_MODE_MEDIUM); break;
    case CmdThick: SetMode(PAD_MODE_THICK); break;
    case CmdEraser: SetMode(PAD_MODE_ERASER); break;
    case CmdClear: ClearStrokes(true); break;
    case CmdRecognize: RecognizeAndInsert(); break;
    case CmdRecognizeAndClose:
        RecognizeAndInsert();
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
        break;
    case CmdClearAndClose:
        ClearStrokes(true);
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
        break;
    case CmdHelp:
        if (m_sheet) m_sheet->ExecuteCommand(CMD_OCR_HELP);
        break;
    default: break;
    }
    return 0;
}

intptr_t CDlgWritingPad::OnWindowMessage(int message, intptr_t wParam, intptr_t) {
    if (message == WM_TOOLBAR_COMMAND) return OnToolbarCommand(int(wParam));
    return 0;
}

bool CDlgWritingPad::event(QEvent* event) {
    if (DispatchPostedMessage(event, this)) return true;
    return QDialog::event(event);
}

}  // namespace toliva
