// The main window: its placement inside the virtual screen, the minimum
// tracking size, the close paths (stand-alone, maximised, embedded with and
// without an office job), dropped files, and the About box.
#include "ShellTestSupport.h"
#include "TestSupport.h"

#include "platform/LangTable.h"
#include "shell/CAboutDlg.h"
#include "shell/ShellTexts.h"
#include "shell/CMainFrame.h"
#include "shell/CTolivaApp.h"
#include "shell/CTolivaDoc.h"
#include "shell/CTolivaView.h"
#include "shell/OfficeLink.h"
#include "sheet/CKwEESheet.h"
#include "sheet/editing/Recognition.h"

#include <QApplication>
#include <QDropEvent>
#include <QEventLoop>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

#include <climits>

namespace toliva::test {
namespace {

int readDword(const QString& name) {
    RegKey key;
    int value = -1;
    if (!OpenRegKey(kAppSettings, key) || !ReadRegDword(key, name, value, -1)) return -1;
    return value;
}
void writeDword(const QString& name, int value) {
    RegKey key;
    ASSERT_TRUE(OpenRegKey(kAppSettings, key));
    ASSERT_TRUE(WriteRegDword(key, name, value));
}
QRect storedPlacement() {
    return QRect(readDword(QStringLiteral("MF_X")), readDword(QStringLiteral("MF_Y")), readDword(QStringLiteral("MF_W")),
                 readDword(QStringLiteral("MF_H")));
}

// ---- the placement arithmetic

TEST(FramePlacement, StoredPlacementIsKeptInsideTheVirtualScreen) {
    const QRect wide(-1920, 0, 3840, 1080);
    const QRect small(0, 0, 800, 600);
    struct Case {
        const char* what;
        int x, y, w, h;
        QRect screen;
        QRect expected;
    };
    const Case cases[] = {
        {"defaults fit", 0, 0, 1200, 800, {0, 0, 1920, 1080}, {0, 0, 1200, 800}},
        {"narrow width grows to 960", 0, 0, 500, 800, {0, 0, 1920, 1080}, {0, 0, 960, 800}},
        {"on a screen 800 wide, 800", 0, 0, 500, 800, small, {0, 0, 800, 600}},
        {"wider than the screen shrinks to it", 100, 0, 5000, 800, {0, 0, 1920, 1080}, {0, 0, 1920, 800}},
        {"left of the screen moves to its left edge", -5000, 10, 1200, 800, wide, {-1920, 10, 1200, 800}},
        {"right of the screen ends at its right edge", 5000, 10, 1200, 800, wide, {720, 10, 1200, 800}},
        {"low height grows to 640", 0, 0, 1200, 300, {0, 0, 1920, 1080}, {0, 0, 1200, 640}},
        {"height larger than the screen", 0, 50, 1200, 3000, {0, 0, 1920, 1080}, {0, 0, 1200, 1080}},
        {"above the screen moves to its top", 0, -400, 1200, 800, {0, -200, 1920, 1280}, {0, -200, 1200, 800}},
        {"below the screen ends at its bottom", 0, 900, 1200, 800, {0, 0, 1920, 1080}, {0, 280, 1200, 800}},
        {"negative size", 10, 10, -1, -1, {0, 0, 1920, 1080}, {10, 10, 960, 640}},
        {"stored extremes", INT_MAX, INT_MIN, INT_MAX, INT_MAX, {0, 0, 1920, 1080}, {0, 0, 1920, 1080}},
        {"no screen: the origin and the minimum size", -30, 20, 500, 300, QRect(), {0, 0, 960, 640}},
        {"no screen, stored extremes", INT_MIN, INT_MAX, INT_MAX, INT_MIN, QRect(), {0, 0, QWIDGETSIZE_MAX, 640}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ClampFramePlacement(c.x, c.y, c.w, c.h, c.screen), c.expected);
    }
}

// ---- the drop's files

TEST(FrameDrop, FilesAreSortedByTheirExtensionInLowerCase) {
    struct Case {
        const char* what;
        QStringList paths;
        QStringList documents;
        QString picture;
        bool metafile;
        bool documentsOnly;
    };
    const Case cases[] = {
        {"nothing", {}, {}, {}, false, true},
        {"documents in any case", {"/d/a.AFX", "/d/b.afx"}, {"/d/a.AFX", "/d/b.afx"}, {}, false, true},
        {"the last picture wins", {"/d/p.png", "/d/q.JPEG"}, {}, "/d/q.JPEG", false, false},
        {"a mixed drop", {"/d/a.afx", "/d/p.png"}, {"/d/a.afx"}, "/d/p.png", false, false},
        {"a windows metafile", {"/d/m.wmf"}, {}, "/d/m.wmf", true, false},
        {"a metafile, then a picture", {"/d/m.EMF", "/d/p.gif"}, {}, "/d/p.gif", false, false},
        {"a picture, then a metafile", {"/d/p.bmp", "/d/m.emf"}, {}, "/d/m.emf", true, false},
        {"the last dot of the name", {"/d/scan.tar.tiff", "/d/x.jpg"}, {}, "/d/x.jpg", false, false},
        {"other files", {"/d/notes.txt", "/d/a.afx.bak", "/d/noext", "/d.png/file"}, {}, {}, false, false},
        {"other files keep documents closed", {"/d/a.afx", "/d/notes.txt"}, {"/d/a.afx"}, {}, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const DroppedFiles drop = ClassifyDroppedFiles(c.paths);
        EXPECT_EQ(drop.documents, c.documents);
        EXPECT_EQ(drop.picture, c.picture);
        if (!c.picture.isEmpty()) {
            EXPECT_EQ(drop.pictureIsMetafile, c.metafile);
        }
        EXPECT_EQ(drop.documentsOnly, c.documentsOnly);
    }
}

// ---- the frame in a running program

class RecordingRecognition : public RecognitionService {
public:
    bool SaveRecognitionImage(const QImage& image, const QString& path) override {
        sizes.push_back(image.size());
        return image.save(path, "PNG");
    }
    QString RecognizeFormula(const QString&) override { return QStringLiteral("k"); }
    std::vector<QSize> sizes;
};

class FrameTest : public ProgramFixture {
protected:
    static constexpr QRect kScreen{-1920, 0, 3840, 1080};

    void start(const QStringList& arguments = {}) {
        ASSERT_TRUE(startProgram(arguments, [this](CTolivaApp& program) {
            program.virtualScreen = [] { return kScreen; };
            program.recognition = &recognition;
        }));
    }
    // Places the shown window as a user would and lets the events through;
    // the placement the window took.
    QRect place(const QRect& r) {
        frame().showNormal();
        frame().move(r.topLeft());
        frame().resize(r.size());
        wait(20);
        return QRect(frame().pos(), frame().size());
    }

    RecordingRecognition recognition;
};

TEST_F(FrameTest, StoredPlacementIsRestoredInsideTheScreen) {
    writeDword(QStringLiteral("MF_X"), -5000);
    writeDword(QStringLiteral("MF_Y"), 2000);
    writeDword(QStringLiteral("MF_W"), 500);
    writeDword(QStringLiteral("MF_H"), 700);
    start();
    const QRect expected(-1920, 1080 - 700, 960, 700);
    EXPECT_EQ(frame().pos(), expected.topLeft());
    EXPECT_EQ(frame().size(), expected.size());
    EXPECT_EQ(frame().rememberedRect(), expected);
    const AppSettings& s = theApp->settings();
    EXPECT_EQ(QRect(s.virtualLeft, s.virtualTop, s.virtualWidth, s.virtualHeight), kScreen);
    EXPECT_TRUE(frame().isVisible());
    EXPECT_TRUE(frame().acceptDrops());
}

TEST_F(FrameTest, MinimumTrackingWidthFollowsTheSidePanelOption) {
    struct Case {
        int dw1;
        int width;
    };
    for (const Case c : {Case{0x7F9F5, 760}, Case{0x7F9F4, 600}}) {
        SCOPED_TRACE(c.dw1);
        if (theApp) theApp->ExitInstance(0);
        theApp.reset();
        writeDword(QStringLiteral("dw1"), c.dw1);
        start();
        EXPECT_EQ(frame().minTrackWidth(), c.width);
        EXPECT_EQ(frame().minimumSize(), QSize(c.width, 500));
    }
    frame().SetMinTrackWidth(700);
    EXPECT_EQ(frame().minimumSize(), QSize(700, 500));
    frame().resize(300, 200);
    EXPECT_EQ(frame().size(), QSize(700, 500));
}

TEST_F(FrameTest, ClosingStoresTheLastRestoredPlacement) {
    start();
    const QRect placed = place({100, 50, 1000, 700});
    EXPECT_EQ(frame().rememberedRect(), placed);
    EXPECT_FALSE(frame().isMinOrMax());

    frame().showMaximized();
    wait(20);
    ASSERT_TRUE(frame().isMaximized());
    EXPECT_TRUE(frame().isMinOrMax());
    EXPECT_NE(QRect(frame().pos(), frame().size()), placed);
    EXPECT_EQ(frame().rememberedRect(), placed);

    EXPECT_TRUE(frame().close());
    EXPECT_TRUE(doc().m_bClosing);
    EXPECT_EQ(storedPlacement(), placed);
}

TEST_F(FrameTest, ClosingAStandAloneDocumentAsksAboutItsChanges) {
    start();
    const QRect placed = place({200, 60, 1100, 720});
    ASSERT_TRUE(sheet().InsertLaTeXText(QStringLiteral("y")));
    messages.answers = {IDCANCEL};
    EXPECT_FALSE(frame().close());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(frame().isVisible());
    EXPECT_FALSE(doc().m_bClosing);

    messages.answers = {IDNO};
    EXPECT_TRUE(frame().close());
    EXPECT_FALSE(frame().isVisible());
    EXPECT_EQ(storedPlacement(), placed);
}

class EmbeddedFrameTest : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        start({QStringLiteral("-Embedding")});
        storage = home() + QStringLiteral("item.afx");
        ASSERT_EQ(theApp->officeLink()->Execute(QStringLiteral("open ") + storage), "ok");
        doc().onEmbeddedChanged = [this] { ++updates; };
    }
    QString storage;
    int updates = 0;
};

TEST_F(EmbeddedFrameTest, FirstActivationStaysHidden) {
    EXPECT_FALSE(frame().isVisible());
    EXPECT_FALSE(frame().firstActivation());
    frame().ActivateFrame();
    EXPECT_TRUE(frame().isVisible());
}

TEST_F(EmbeddedFrameTest, AfterAJobTheWindowClosesWithoutStoringItsPlacement) {
    ASSERT_TRUE(sheet().InsertLaTeXText(QStringLiteral("q")));
    doc().m_nJobCode = 3;
    updates = 0;
    EXPECT_TRUE(frame().close());
    EXPECT_TRUE(doc().m_bClosing);
    EXPECT_EQ(updates, 1);
    EXPECT_FALSE(hasValue(kAppSettings, QStringLiteral("MF_X")));
    EXPECT_FALSE(hasValue(kAppSettings, QStringLiteral("MF_W")));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(EmbeddedFrameTest, WithoutAJobTheItemIsUpdatedAndSaved) {
    frame().ActivateFrame();
    const QRect placed = place({-300, 100, 1000, 650});
    ASSERT_TRUE(sheet().InsertLaTeXText(QStringLiteral("q")));
    QStringList saved;
    doc().onEmbeddingSaved = [&](const QString& path) { saved << path; };
    updates = 0;
    EXPECT_TRUE(frame().close());
    EXPECT_EQ(updates, 1);
    EXPECT_FALSE(doc().m_wmfCache.isEmpty());  // the picture was rendered for the container
    EXPECT_EQ(saved, QStringList{storage});
    EXPECT_EQ(storedPlacement(), placed);
    EXPECT_TRUE(messages.shown.empty());
}

// ---- dropped files

class FrameDropTest : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        start();
    }
    // A document holding a letter, saved under name; the open document is
    // a new one afterwards.
    QString documentFile(const QString& name, const QString& latex) {
        EXPECT_TRUE(doc().OnNewDocument());
        EXPECT_TRUE(sheet().InsertLaTeXText(latex));
        const QString path = home() + name;
        EXPECT_TRUE(doc().OnSaveDocument(path));
        EXPECT_TRUE(doc().OnNewDocument());
        return path;
    }
    QString pictureFile(const QString& name, QSize size, const char* format) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::white);
        const QString path = home() + name;
        EXPECT_TRUE(image.save(path, format));
        return path;
    }
    // The drop as the window system delivers it.
    void drop(const QStringList& paths) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
        data.setUrls(urls);
        // The drop goes to the widget that took the drag's entry.
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&frame(), &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent event(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&frame(), &event);
    }
    QString openPath() { return QFileInfo(doc().GetPathName()).fileName(); }
};

TEST_F(FrameDropTest, DroppedFilesOpenOrAreRecognised) {
    const QString upper = documentFile(QStringLiteral("Sum.AFX"), QStringLiteral("a"));
    const QString lower = documentFile(QStringLiteral("other.afx"), QStringLiteral("b"));
    const QString png = pictureFile(QStringLiteral("first.png"), QSize(40, 20), "PNG");
    const QString jpeg = pictureFile(QStringLiteral("second.jpeg"), QSize(60, 30), "JPEG");
    const QString text = home() + QStringLiteral("notes.txt");
    QFile(text).open(QIODevice::WriteOnly);

    struct Case {
        const char* what;
        QStringList paths;
        QString opened;             // the document open afterwards ("" unnamed)
        std::vector<QSize> recognised;
    };
    const Case cases[] = {
        {"a document in capitals opens", {upper}, QStringLiteral("Sum.AFX"), {}},
        {"of two documents the last stays open", {upper, lower}, QStringLiteral("other.afx"), {}},
        {"only the last picture is recognised", {png, jpeg}, QString(), {QSize(60, 30)}},
        {"a mixed drop opens no document", {lower, png}, QString(), {QSize(40, 20)}},
        {"other files do nothing", {text}, QString(), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(doc().OnNewDocument());
        recognition.sizes.clear();
        messages.shown.clear();
        drop(c.paths);
        EXPECT_EQ(openPath(), c.opened);
        EXPECT_EQ(recognition.sizes, c.recognised);
        EXPECT_TRUE(messages.shown.empty());
    }
}

// ---- the About box

TEST_F(FrameTest, AboutBoxTextsAndLinksFollowTheLanguage) {
    start();
    struct Case {
        int lanSel;
        const char* caption;
        const char* ok;
        const char* contact;
        const char* contactUrl;
        const char* webUrl;
    };
    const Case cases[] = {
        {0, "About Toliva", "OK", "Contact us", "mailto:toliva@ravelt.example", "https://www.ravelt.example/toliva"},
        {1, "About Toliva", "OK", "Contact us", "mailto:toliva@ravelt.example", "https://www.ravelt.example/toliva"},
        {2, "关于 Toliva", "确定", "联系我们", "mailto:toliva-cn@ravelt.example", "https://www.ravelt.example/cn/toliva"},
        {3, "About Toliva", "OK", "Contact us", "mailto:toliva-cn@ravelt.example",
         "https://www.ravelt.example/cn/toliva"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lanSel);
        context.lanSel = c.lanSel;
        shell.urls.clear();
        int runs = 0;
        theApp->runAboutDialog = [&](CAboutDlg& dialog) {
            ++runs;
            EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8(c.caption));
            EXPECT_EQ(dialog.button(CAboutDlg::kOk)->text(), QString::fromUtf8(c.ok));
            EXPECT_EQ(dialog.button(CAboutDlg::kContactLink)->text(), QString::fromUtf8(c.contact));
            LangTable table(context.languageCode(), QStringLiteral("LANG_07.xml"));
            const std::pair<int, int> labels[] = {{CAboutDlg::kVersionText, 3}, {CAboutDlg::kCopyright, 4},
                                                  {CAboutDlg::kDescription, 9}};
            for (const auto& [id, item] : labels) {
                const QString expected = LoadLangString(table, QStringLiteral("gCS_1"), item);
                EXPECT_FALSE(expected.isEmpty());
                EXPECT_EQ(dialog.label(id)->text(), expected);
            }
            EXPECT_EQ(dialog.button(CAboutDlg::kWebSiteLink)->text(),
                      LoadLangString(table, QStringLiteral("gCS_1"), 8));
            EXPECT_TRUE(dialog.hasPicture());
            dialog.button(CAboutDlg::kContactLink)->click();
            dialog.button(CAboutDlg::kWebSiteLink)->click();
            return int(IDOK);
        };
        EXPECT_EQ(theApp->OnAppAbout(), IDOK);
        EXPECT_EQ(runs, 1);
        const std::vector<QString> urls = {QString::fromLatin1(c.contactUrl), QString::fromLatin1(c.webUrl)};
        EXPECT_EQ(shell.urls, urls);
        EXPECT_EQ(MakerLink(MakerProductPage, c.lanSel), QString::fromLatin1(c.webUrl));
    }
}

TEST_F(FrameTest, AboutBoxWithoutItsLanguageFileKeepsItsOwnTexts) {
    start();
    CAboutDlg dialog(context);
    dialog.languageFile = QStringLiteral("LANG_missing.xml");
    dialog.OnInitDialog();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("About Toliva"));
    EXPECT_EQ(dialog.button(CAboutDlg::kOk)->text(), QStringLiteral("OK"));
    EXPECT_FALSE(dialog.label(CAboutDlg::kDescription)->text().isEmpty());
}

// The box as it shows, in both languages: nothing clipped. The pictures go
// to screenshots/ beside the build's programs.
TEST_F(FrameTest, AboutBoxShowsItsTextsWhole) {
    start();
    for (const int lanSel : {1, 2}) {
        SCOPED_TRACE(lanSel);
        context.lanSel = lanSel;
        CAboutDlg dialog(context);
        dialog.show();
        wait(20);
        for (const int id : {CAboutDlg::kOk, CAboutDlg::kContactLink, CAboutDlg::kWebSiteLink}) {
            const QPushButton* button = dialog.button(id);
            EXPECT_GE(button->width(), button->fontMetrics().horizontalAdvance(button->text())) << id;
        }
        for (const int id : {CAboutDlg::kVersionText, CAboutDlg::kCopyright, CAboutDlg::kDescription}) {
            const QLabel* label = dialog.label(id);
            EXPECT_GE(label->height(), label->heightForWidth(label->width())) << id;
        }
        const QImage shot = dialog.grab().toImage();
        EXPECT_FALSE(shot.isNull());
        const QString folder = screenshotFolder();
        QDir().mkpath(folder);
        EXPECT_TRUE(shot.save(folder + QStringLiteral("about_%1.png").arg(context.languageCode())));
        dialog.close();
    }
}

}  // namespace
}  // namespace toliva::test
