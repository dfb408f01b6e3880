// Reads bytes as a tool-bar description, then lays the bar out in every
// layout, hit-tests it, moves a mouse over it, paints it and builds its
// overflow menu.
#include "FuzzWidgets.h"
#include "panels/CDlgToolbar.h"
#include "uikit/CKwMenu.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

using namespace toliva;

namespace {

void mouse(CDlgToolbar& bar, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons) {
    QMouseEvent e(type, QPointF(at), QPointF(at), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(&bar, &e);
}

}  // namespace

// The application stays to the end (its widgets' fonts cannot be released
// in order at exit): what fontconfig holds for the captions' fonts then is
// not a leak of the bar, as for the tests (tests/lsan.supp).
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::startWidgetsApplication();
    static QTemporaryDir folder;
    static const bool ready = QDir(folder.path()).mkpath(QStringLiteral("icons"));
    if (!ready) return 0;
    {
        QFile f(folder.path() + QStringLiteral("/icons/tb_fuzz.xml"));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    PanelContext context;
    context.programFolder = folder.path() + QLatin1Char('/');
    context.languageCode = size % 2 ? QStringLiteral("cn") : QStringLiteral("en");
    QObject owner;
    CDlgToolbar bar(&owner, context, nullptr);
    bar.trackMenu = [](CKwMenu& menu, QPoint) {
        const QList<QAction*> actions = menu.actions();
        return actions.isEmpty() ? 0u : CKwMenu::ActionId(actions.last());
    };
    if (!bar.LoadButtons(QStringLiteral("tb_fuzz"))) return 0;
    struct Layout {
        int mode, spacing, cols, rows;
        QSize size;
    };
    const Layout layouts[] = {{1, 1, 0, 0, QSize(220, 40)}, {0, 5, 0, 0, QSize(90, 30)}, {2, 3, 0, 0, QSize(40, 300)},
                              {3, 1, 0, 0, QSize(300, 36)}, {4, 2, 0, 0, QSize(100, 20)}, {0, 0, 3, 4, QSize(150, 200)},
                              {0, 0, 2, 0, QSize(120, 30)}, {1, 1, 0, 0, QSize(0, 0)}};
    for (const Layout& l : layouts) {
        bar.m_nLayoutMode = l.mode;
        bar.m_nSpacing = l.spacing;
        bar.m_nGridCols = l.cols;
        bar.m_nGridRows = l.rows;
        bar.m_bDragHandle = l.mode == 0;
        bar.m_bRightClickHotkey = true;
        bar.resize(l.size);
        bar.RecalcLayout();
        for (int y = 0; y < l.size.height(); y += 7)
            for (int x = 0; x < l.size.width(); x += 11) bar.HitTest(QPoint(x, y));
        for (size_t i = 0; i < bar.buttons().size() && i < 64; ++i) {
            const QPoint at = bar.buttons()[i]->rect.center();
            mouse(bar, QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton);
            bar.OnAnimationTimer();
            mouse(bar, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
            mouse(bar, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
            mouse(bar, QEvent::MouseButtonPress, at, Qt::RightButton, Qt::RightButton);
            bar.SetButtonState(int(i), int(i % 3) * 21 - 21, false);
        }
        if (bar.overflowActive()) {
            const QPoint at = bar.overflowButton().rect.center();
            mouse(bar, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
            mouse(bar, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
        }
        bar.renderImage();
    }
    // What was posted goes now, while the owner lives.
    QCoreApplication::sendPostedEvents(&owner);
    return 0;
}
