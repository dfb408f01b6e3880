#include "shell/CMainFrame.h"

#include "platform/RegKey.h"
#include "shell/CTolivaApp.h"
#include "shell/CTolivaDoc.h"
#include "shell/CTolivaView.h"
#include "shell/OfficeLink.h"
#include "sheet/CDlgTeXPromptBar.h"
#include "sheet/CKwEESheet.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QScreen>
#include <QTimerEvent>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace toliva {
namespace {

// The stored placement and its defaults.
constexpr int kDefaultX = 0, kDefaultY = 0, kDefaultW = 1200, kDefaultH = 800;

// One side of the placement: the length at least minimum but at most the
// screen's, then the start inside [screenStart, screenStart + screenLength -
// length]. Computed wide, so that stored extremes cannot overflow.
void clampSpan(int storedStart, int storedLength, int minimum, int screenStart, int screenLength, int& start,
               int& length) {
    const long long len = std::clamp<long long>(storedLength, minimum, screenLength);
    start = int(std::clamp<long long>(storedStart, screenStart, (long long)screenStart + screenLength - len));
    length = int(len);
}

// The local files of a drop, in order.
QStringList droppedPaths(const QMimeData* data) {
    QStringList paths;
    if (!data || !data->hasUrls()) return paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) paths << url.toLocalFile();
    return paths;
}

}  // namespace

QRect ClampFramePlacement(int x, int y, int width, int height, const QRect& virtualScreen) {
    if (virtualScreen.isEmpty())
        return QRect(0, 0, std::clamp(width, kMinFrameWidth, QWIDGETSIZE_MAX),
                     std::clamp(height, kMinFrameHeight, QWIDGETSIZE_MAX));
    int left = 0, top = 0, w = 0, h = 0;
    clampSpan(x, width, std::min(kMinFrameWidth, virtualScreen.width()), virtualScreen.x(), virtualScreen.width(),
              left, w);
    clampSpan(y, height, std::min(kMinFrameHeight, virtualScreen.height()), virtualScreen.y(),
              virtualScreen.height(), top, h);
    return QRect(left, top, w, h);
}

QRect DesktopVirtualScreen() {
    QRect area;
    for (const QScreen* screen : QGuiApplication::screens()) area = area.united(screen->geometry());
    return area;
}

DroppedFiles ClassifyDroppedFiles(const QStringList& paths) {
    static const QStringList kPictures = {QStringLiteral("bmp"), QStringLiteral("jpg"), QStringLiteral("jpeg"),
                                          QStringLiteral("png"), QStringLiteral("gif"), QStringLiteral("tiff")};
    static const QStringList kMetafiles = {QStringLiteral("emf"), QStringLiteral("wmf")};
    DroppedFiles drop;
    for (const QString& path : paths) {
        const QString name = QFileInfo(path).fileName();
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        const QString extension = dot < 0 ? QString() : name.mid(dot + 1).toLower();
        if (extension == QLatin1String("afx")) {
            drop.documents << path;
            continue;
        }
        drop.documentsOnly = false;
        if (kPictures.contains(extension)) {
            drop.picture = path;
            drop.pictureIsMetafile = false;
        } else if (kMetafiles.contains(extension)) {
            drop.picture = path;
            drop.pictureIsMetafile = true;
        }
    }
    return drop;
}

// ---- the frame

CMainFrame::CMainFrame(CTolivaApp& app) : QWidget(nullptr), m_app(app) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    m_nMinTrackWidth = app.context().option(OptLibraryPanel) ? kMinTrackWidthWithPanel : kMinTrackWidthPlain;
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_view = new CTolivaView(app, this);
    layout->addWidget(m_view);
    setMinimumSize(m_nMinTrackWidth, kMinTrackHeight);
    PreCreateWindow();
    // Files dropped from the desktop (the view takes the drops it knows).
    setAcceptDrops(true);
    UpdateFrameTitle();
}

CMainFrame::~CMainFrame() = default;

// ---- placement and size

void CMainFrame::PreCreateWindow() {
    RegKey key;
    OpenRegKey(kAppSettingsKey, key);
    int x = kDefaultX, y = kDefaultY, w = kDefaultW, h = kDefaultH;
    ReadRegDword(key, QStringLiteral("MF_X"), x, kDefaultX);
    ReadRegDword(key, QStringLiteral("MF_Y"), y, kDefaultY);
    ReadRegDword(key, QStringLiteral("MF_W"), w, kDefaultW);
    ReadRegDword(key, QStringLiteral("MF_H"), h, kDefaultH);

    const QRect screen = m_app.virtualScreen ? m_app.virtualScreen() : DesktopVirtualScreen();
    AppSettings& settings = m_app.settings();
    settings.virtualLeft = screen.x();
    settings.virtualTop = screen.y();
    settings.virtualWidth = screen.width();
    settings.virtualHeight = screen.height();

    const QRect placement = ClampFramePlacement(x, y, w, h, screen);
    move(placement.topLeft());
    resize(placement.size());
    m_rcRemembered = placement;
}

void CMainFrame::SetMinTrackWidth(int width) {
    m_nMinTrackWidth = width;
    setMinimumSize(m_nMinTrackWidth, kMinTrackHeight);
}

void CMainFrame::OnSize() {
    m_bMinOrMax = (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) != 0;
}

void CMainFrame::OnExitSizeMove() {
    if (m_view)
        if (TeXPromptDriver* prompt = m_view->promptDriver()) prompt->PlacePromptBar(true);
    if (!m_bMinOrMax) m_rcRemembered = QRect(pos(), size());
}

void CMainFrame::StorePlacement() const {
    RegKey key;
    if (!OpenRegKey(kAppSettingsKey, key)) return;
    WriteRegDword(key, QStringLiteral("MF_X"), m_rcRemembered.x());
    WriteRegDword(key, QStringLiteral("MF_Y"), m_rcRemembered.y());
    WriteRegDword(key, QStringLiteral("MF_W"), m_rcRemembered.width());
    WriteRegDword(key, QStringLiteral("MF_H"), m_rcRemembered.height());
}

void CMainFrame::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange) OnSize();
    QWidget::changeEvent(event);
}

// The window system reports no end of a move or size loop: every move and
// size change counts as one.
void CMainFrame::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    OnSize();
    OnExitSizeMove();
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    OnSize();
    OnExitSizeMove();
}

// ---- showing and the title

void CMainFrame::ActivateFrame() {
    const CTolivaDoc* doc = m_app.document();
    const bool embedded = m_app.m_bRunEmbedded || (doc && doc->IsEmbedded());
    if (m_bFirstActivation && embedded) {
        m_bFirstActivation = false;
        hide();
        return;
    }
    show();
}

void CMainFrame::UpdateFrameTitle() {
    if (m_view)
        m_view->UpdateWindowTitle();
    else
        setWindowTitle(QString::fromLatin1(CTolivaApp::kAppTitle));
}

// ---- closing

void CMainFrame::SetCloseTimer() { m_closeTimer.start(kCloseTimerMs, this); }

void CMainFrame::OnTimer(int id) {
    if (id != kCloseTimer) return;
    m_closeTimer.stop();
    close();
}

void CMainFrame::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_closeTimer.timerId()) {
        OnTimer(kCloseTimer);
        return;
    }
    QWidget::timerEvent(event);
}

bool CMainFrame::OnClose() {
    CTolivaDoc* doc = m_app.document();
    if (doc) {
        doc->m_bClosing = true;
        if (doc->IsEmbedded()) {
            if (m_view) m_view->RenderMetafileCache(false);
            if (doc->onEmbeddedChanged) doc->onEmbeddedChanged();
            // After a job the document has been saved: close at once, and
            // the hidden window's placement is not kept.
            if (doc->m_nJobCode > 1) return true;
        }
    }
    StorePlacement();
    if (doc && !doc->SaveModified()) {
        doc->m_bClosing = false;
        return false;
    }
    return true;
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (!OnClose()) {
        event->ignore();
        return;
    }
    event->accept();
    m_closeTimer.stop();
    if (OfficeLink* link = m_app.officeLink()) link->Notify(QStringLiteral("closed"));
    // The program ends with its one window, shown or hidden.
    if (m_app.quitWithFrame) QCoreApplication::quit();
}

// ---- dropped files

void CMainFrame::OnDropFiles(const QStringList& paths) {
    const DroppedFiles drop = ClassifyDroppedFiles(paths);
    if (drop.documentsOnly) {
        activateWindow();
        for (const QString& path : drop.documents) m_app.OpenDocumentFile(path);
        return;
    }
    if (!drop.picture.isEmpty() && m_view && m_view->sheet())
        m_view->sheet()->RecognizeImageFile(drop.picture, drop.pictureIsMetafile);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedPaths(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void CMainFrame::dragMoveEvent(QDragMoveEvent* event) {
    if (!droppedPaths(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    const QStringList paths = droppedPaths(event->mimeData());
    if (paths.isEmpty()) return;
    event->acceptProposedAction();
    OnDropFiles(paths);
}

}  // namespace toliva
