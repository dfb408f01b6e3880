// Page pictures (".apx") drawn by the property grid's painter: the field
// records come from the file, so every layout and every kind of field is
// painted from whatever geometry they hold, with values of every form.
#include "platform/Archive.h"
#include "platform/HostAddress.h"
#include "platform/gdiplus/Graphics.h"
#include "platform/gdiplus/GraphicsPath.h"
#include "uikit/CKwEMF_GPL.h"
#include "uikit/CKwPGL.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QImage>

#include <cstddef>
#include <cstdint>

using namespace toliva;

namespace {

void ensureApplication() {
    static QGuiApplication* app = []() -> QGuiApplication* {
        if (QCoreApplication::instance()) return nullptr;
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "fuzz_pagepainter";
        static char* argv[] = {name, nullptr};
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
}

// Items 1 to 16 hold a value of every form a field reads.
const CKwPGL& values() {
    static CKwPGL* list = [] {
        auto* l = new CKwPGL;
        const char* texts[] = {"some text that is long enough to wrap or to be cut short",
                               "@IPv4", "255", "#80FF0000", "1", "0", "Consolas,14,3,255", "#**#",
                               "line one\nline two\r\nline three", "中文文本", "FF00H", "-7", "", "@other",
                               "Segoe UI,300,1", "#name[2][3]#"};
        for (int i = 0; i < 16; ++i) {
            ParseItemValue(*l->GetOrAddItem(0, i), QString::fromUtf8(texts[i]));
            l->SetItemChoice(0, i, i % 3 == 0 ? i * 5 : i % 3);
        }
        return l;
    }();
    return *list;
}

}  // namespace

extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\nleak:libfreetype\nleak:libQt6Gui\nleak:libQt6Core\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ensureApplication();
    static ScopedHostIPv4Resolver resolver([] { return QStringLiteral("192.0.2.1"); });
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    CKwEMF_GPL page(size % 2 ? 25 : 12);
    Archive in(bytes);
    try {
        page.Load(in);
    } catch (const ArchiveException&) {
    }

    QImage image(96, 64, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    gp::PainterGraphics g(&image);
    const int selected = page.FieldCount() > 0 ? int(size % size_t(page.FieldCount())) : -1;
    page.DrawPage(g, gp::RectF{0, 0, 96, 64}, &values(), 0, selected);
    page.DrawPage(g, gp::RectF{10, 5, 30, 50}, &values(), 0, -1);
    page.DrawPage(g, gp::RectF{0, 0, 96, 64}, nullptr, 3, 0);
    page.DrawPreviewLine(g, QStringLiteral("(1.1)"));
    for (int style = -1; style <= 60; style += 7) {
        gp::GraphicsPath path;
        path.AddRectangle({2, 2, 30, 20});
        CKwEMF_GPL::FillPathWithStyle(0xFF112233, 0x80FFFFFF, 0xFF00FF00, g, path, style);
    }
    return 0;
}
