// Pictures of the settings dialog and its property grid with the shipped
// pages, in English and Chinese, for a person to look at. They go to the
// folder TOLIVA_SCREENSHOT_DIR names, or to a temporary folder that is thrown
// away (the run still shows that every dialog opens and draws); best looked
// at from a real display server:
//   TOLIVA_SCREENSHOT_DIR=/tmp/shots QT_QPA_PLATFORM=xcb xvfb-run -a
//       tests_uikit --gtest_filter='*DialogScreenshot*'
#include "uikit/CDlgGU.h"

#include "platform/AppContext.h"
#include "uikit/LangTable.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QLineEdit>
#include <QPixmap>

#include <cstdlib>

namespace toliva {
namespace {

QString shotFolder() {
    const QString named = QString::fromLocal8Bit(std::getenv("TOLIVA_SCREENSHOT_DIR"));
    if (!named.isEmpty()) return named;
    static QTemporaryDir scratch;
    return scratch.path();
}

void settle() {
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
}

void save(QWidget& w, const QString& name) {
    settle();
    const QString path = QDir(shotFolder()).filePath(name);
    const QPixmap shot = w.grab();
    EXPECT_FALSE(shot.isNull()) << name.toStdString();
    EXPECT_TRUE(shot.save(path)) << path.toStdString();
}

class DialogScreenshot : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        QDir().mkpath(shotFolder());
        saved = app().lanSel;
        app().lanSel = GetParam();
        owner.setGeometry(0, 0, 1280, 900);
    }
    void TearDown() override { app().lanSel = saved; }
    QString suffix() const { return app().languageCode(); }

    int saved = 1;
    QWidget owner;
};

TEST_P(DialogScreenshot, InterfaceSettings) {
    CDlgGU dlg(&owner);
    dlg.title = LangText(QStringLiteral("DlgGU.xml"), QStringLiteral("gTT_1"), 1);
    dlg.pageFolder = QStringLiteral("AppSet");
    dlg.pageListFraction = 0.26f;
    dlg.widthFactor = 0.72f;
    dlg.gridVerticalFraction = -0.1f;
    dlg.heightFactor = 1.0f;
    dlg.showButton3 = true;
    dlg.showButton1389 = true;
    dlg.SetItemInt(0, 0, 0xF0F0F0);
    dlg.SetItemBool(0, 1, false);
    dlg.SetItemBool(0, 2, true);
    dlg.GetOrAddItem(0, 3)->choice = 2;
    dlg.SetItemInt(1, 0, 0xF0E6E6);
    dlg.SetItemInt(1, 1, 0xAAE6AA);
    dlg.SetItemInt(1, 2, 50);
    dlg.SetItemInt(1, 3, 25);
    dlg.SetItemInt(1, 4, 75);
    dlg.SetItemBool(1, 5, true);
    dlg.SetItemBool(1, 6, true);
    dlg.SetItemInt(2, 0, 2);
    dlg.SetItemInt(2, 1, 0);
    dlg.show();
    ASSERT_EQ(dlg.Grid()->PageCount(), 3);
    save(dlg, QStringLiteral("settings_appset_1_%1.png").arg(suffix()));
    dlg.Grid()->SetCurrentPage(1);
    dlg.Grid()->ActivateField(3, CDlgAMF::Activation::Click);  // an edit open on "Button glass"
    save(dlg, QStringLiteral("settings_appset_2_%1.png").arg(suffix()));
}

TEST_P(DialogScreenshot, RecognitionSettings) {
    CDlgGU dlg(&owner);
    dlg.title = LangText(QStringLiteral("DlgGU.xml"), QStringLiteral("gTT_1"), 4);
    dlg.pageFolder = QStringLiteral("OCR");
    dlg.widthFactor = 0.86f;
    dlg.heightFactor = 1.08f;
    dlg.showButton1390 = true;
    dlg.GetOrAddItem(0, 0)->choice = 1;
    dlg.SetItemDouble(0, 1, 6.0);
    ParseItemValue(*dlg.GetOrAddItem(0, 2), QStringLiteral("sk-0123456789abcdef"));
    ParseItemValue(*dlg.GetOrAddItem(0, 3), QStringLiteral("/home/user/.local/share/Toliva/Temp/"));
    dlg.show();
    ASSERT_EQ(dlg.Grid()->PageCount(), 1);
    dlg.Grid()->ActivateField(7, CDlgAMF::Activation::Space);  // the Desktop path button, pressed
    dlg.Grid()->ActivateField(0, CDlgAMF::Activation::Tab);    // the wait field, edit open
    save(dlg, QStringLiteral("settings_ocr_%1.png").arg(suffix()));
    save(*dlg.Grid(), QStringLiteral("grid_ocr_%1.png").arg(suffix()));
}

INSTANTIATE_TEST_SUITE_P(Languages, DialogScreenshot, ::testing::Values(1, 2),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return info.param == 2 ? std::string("Chinese") : std::string("English");
                         });

}  // namespace
}  // namespace toliva
