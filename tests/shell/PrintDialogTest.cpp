// The print dialog: its lists and remembered choices, the preview, printing
// through the print service (a recording one, and the PDF entry writing a
// real file), the two failures, and what OK and Cancel store.
#include "shell/CDialogPrint.h"

#include "ShellTestSupport.h"

#include "model/EqBuilder.h"
#include "model/EqModel.h"
#include "model/EqOutput.h"
#include "model/RenderContext.h"
#include "platform/AppContext.h"
#include "platform/LangTable.h"
#include "platform/PrintService.h"
#include "platform/gdiplus/Graphics.h"
#include "sheet/CKwEESheet.h"
#include "sheet/editing/CommandCodes.h"
#include "shell/ShellEditDialogs.h"
#include "tests/common/ModelFixtures.h"
#include "tests/common/TestSupport.h"
#include "uikit/print/SystemPrintService.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>
#include <cmath>
#include <memory>

namespace toliva {
namespace {

class PrintDialogTest : public test::ShellFixture {
protected:
    void SetUp() override {
        test::ShellFixture::SetUp();
        printers.names = {QStringLiteral("Office laser"), QStringLiteral("Label writer")};
        eq = std::make_unique<EqModel>(test::builtInStyle());
        EqBuilder b(eq.get());
        for (int i = 0; i < 3; ++i) test::addSampleLine(b, i);
        sheet = std::make_unique<CKwEESheet>(app, render);
        sheet->SetEquation(eq.get());
    }
    void TearDown() override {
        sheet.reset();
        eq.reset();
        test::ShellFixture::TearDown();
    }

    // Lines enough for a page and a half of A4 at scale 1 (3 lines there
    // already).
    void makeLong() {
        EqModel one(test::builtInStyle());
        EqBuilder sample(&one);
        test::addSampleLine(sample, 0);
        gp::RecordingGraphics measuring;
        LayoutForOutput(render, &measuring, &one, {0, 0}, 1.0f);
        const float step = one.totalHeight + one.settings.spacing[0] * one.settings.fontSize;
        const int lines = int(std::lround(1.5 * (297 * kPageUnitsPerMillimetre - 60) / step));
        EqBuilder b(eq.get());
        for (int i = 3; i < lines; ++i) test::addSampleLine(b, i);
    }
    std::unique_ptr<CDialogPrint> dialog() {
        auto dlg = std::make_unique<CDialogPrint>(context);
        dlg->m_pTarget = sheet.get();
        dlg->OnInitDialog();
        return dlg;
    }
    // Runs the dialog, answering it with act.
    int run(const std::function<int(CDialogPrint&)>& act) {
        CDialogPrint dlg(context);
        dlg.m_pTarget = sheet.get();
        dlg.runModal = act;
        return dlg.DoModal();
    }
    std::vector<QString> texts() const {
        std::vector<QString> out;
        for (const auto& e : messages.shown) out.push_back(e.text);
        return out;
    }

    AppContext app;
    RenderContext render = RenderContext::FromDataFolder();
    PrintDialogContext context{app, render, QStringLiteral("Segoe UI"), 15, QStringLiteral("Orbits.afx")};
    RecordingPrintService printers;
    ScopedPrintService scopedPrinters{&printers};
    std::unique_ptr<EqModel> eq;
    std::unique_ptr<CKwEESheet> sheet;
};

TEST_F(PrintDialogTest, ListsAndRememberedChoices) {
    {
        RegKey key;
        ASSERT_TRUE(OpenRegKey(kPrintKey, key));
        WriteRegDword(key, QStringLiteral("sel_printer"), 1);
        WriteRegDword(key, QStringLiteral("sel_color"), 1);
        WriteRegDword(key, QStringLiteral("sel_paper_size"), 5);
        WriteRegDword(key, QStringLiteral("sel_paper_layout"), 1);
        WriteRegDword(key, QStringLiteral("sel_scale"), 40);  // beyond the list
        WriteRegDword(key, QStringLiteral("print_centered"), 0);
    }
    for (int lanSel : {1, 2}) {
        SCOPED_TRACE(testing::Message() << "LanSel " << lanSel);
        app.lanSel = lanSel;
        auto dlg = dialog();
        EXPECT_EQ(dlg->windowTitle(), lanSel == 2 ? QStringLiteral("打印") : QStringLiteral("Print"));
        EXPECT_EQ(dlg->combo(CDialogPrint::kPaperSizes)->count(), kPaperCount);
        EXPECT_EQ(dlg->combo(CDialogPrint::kColours)->count(), 2);
        ASSERT_EQ(dlg->combo(CDialogPrint::kScales)->count(), kScaleCount);
        EXPECT_EQ(dlg->combo(CDialogPrint::kScales)->itemText(kScaleFitWidth),
                  lanSel == 2 ? QStringLiteral("适合宽度") : QStringLiteral("Fit to width"));
        for (int id : {int(CDialogPrint::kPortrait), int(CDialogPrint::kLandscape), int(CDialogPrint::kCentered),
                       int(CDialogPrint::kOk), int(CDialogPrint::kCancel)})
            EXPECT_FALSE(dlg->button(id)->text().isEmpty()) << id;

        QComboBox* list = dlg->combo(CDialogPrint::kPrinters);
        ASSERT_EQ(list->count(), 2);
        EXPECT_EQ(list->itemText(0), QStringLiteral("Office laser"));
        EXPECT_EQ(list->currentIndex(), 1);
        EXPECT_EQ(dlg->combo(CDialogPrint::kColours)->currentIndex(), 1);
        EXPECT_EQ(dlg->combo(CDialogPrint::kPaperSizes)->currentIndex(), 5);
        EXPECT_EQ(dlg->combo(CDialogPrint::kScales)->currentIndex(), -1);
        EXPECT_FALSE(dlg->button(CDialogPrint::kPortrait)->isChecked());
        EXPECT_TRUE(dlg->button(CDialogPrint::kLandscape)->isChecked());
        EXPECT_FALSE(dlg->button(CDialogPrint::kCentered)->isChecked());
    }
    // The PDF entry's text in both languages.
    app.lanSel = 1;
    EXPECT_FALSE(LangText(QStringLiteral("PRINT.xml"), QStringLiteral("gCS_1"), 11).isEmpty());
}

TEST_F(PrintDialogTest, OkPrintsThenStoresTheSixValuesAndCancelStoresNone) {
    EXPECT_EQ(run([](CDialogPrint& dlg) {
                  dlg.combo(CDialogPrint::kPaperSizes)->setCurrentIndex(3);
                  dlg.combo(CDialogPrint::kColours)->setCurrentIndex(1);
                  dlg.combo(CDialogPrint::kScales)->setCurrentIndex(6);
                  dlg.button(CDialogPrint::kPortrait)->click();
                  dlg.button(CDialogPrint::kCentered)->click();
                  dlg.button(CDialogPrint::kCancel)->click();
                  return dlg.result() == QDialog::Accepted ? IDOK : IDCANCEL;
              }),
              IDCANCEL);
    EXPECT_FALSE(test::hasValue(kPrintKey, QStringLiteral("sel_paper_size")));
    EXPECT_TRUE(printers.requests.empty());

    EXPECT_EQ(run([](CDialogPrint& dlg) {
                  dlg.combo(CDialogPrint::kPrinters)->setCurrentIndex(1);
                  dlg.combo(CDialogPrint::kPaperSizes)->setCurrentIndex(5);
                  dlg.combo(CDialogPrint::kColours)->setCurrentIndex(1);
                  dlg.combo(CDialogPrint::kScales)->setCurrentIndex(3);
                  dlg.button(CDialogPrint::kLandscape)->click();
                  dlg.button(CDialogPrint::kCentered)->click();
                  dlg.button(CDialogPrint::kOk)->click();
                  return dlg.result() == QDialog::Accepted ? IDOK : IDCANCEL;
              }),
              IDOK);
    EXPECT_EQ(ReadPrintChoices(), (PrintChoices{1, 1, 5, 1, 3, 0}));
    EXPECT_TRUE(messages.shown.empty());
    ASSERT_EQ(printers.jobs.size(), 1u);
    const RecordingPrintService::Job& job = *printers.jobs.front();
    EXPECT_EQ(job.request.printer, QStringLiteral("Label writer"));
    EXPECT_EQ(job.request.paperMillimetres, QSizeF(148, 210));
    EXPECT_TRUE(job.request.landscape);
    EXPECT_FALSE(job.request.colour);
    EXPECT_EQ(job.request.jobName, QStringLiteral("Orbits.afx"));
    EXPECT_TRUE(job.finished);
    ASSERT_EQ(job.pages.size(), 1u);
    // A5 landscape at a quarter pixel per unit.
    EXPECT_EQ(job.pages[0].size(), QSize(207, 146));
}

TEST_F(PrintDialogTest, LongEquationPrintsEveryPage) {
    makeLong();
    auto dlg = dialog();
    dlg->combo(CDialogPrint::kPrinters)->setCurrentIndex(0);
    dlg->combo(CDialogPrint::kPaperSizes)->setCurrentIndex(4);
    dlg->button(CDialogPrint::kPortrait)->click();
    dlg->combo(CDialogPrint::kScales)->setCurrentIndex(0);
    EXPECT_EQ(dlg->PrintEquation(), CDialogPrint::Printed);
    ASSERT_EQ(printers.jobs.size(), 1u);
    const RecordingPrintService::Job& job = *printers.jobs.front();
    EXPECT_TRUE(job.finished);
    ASSERT_GE(job.pages.size(), 2u);
    EXPECT_EQ(job.newPages, int(job.pages.size()) - 1);
    for (const QImage& page : job.pages) {
        int ink = 0;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x) ink += qGray(page.pixel(x, y)) < 128;
        EXPECT_GT(ink, 20);
    }
    // The sheet's own equation keeps its layout: printing lays out a copy.
    EXPECT_EQ(eq->outputMode, 0);
}

TEST_F(PrintDialogTest, NoPrinterAtTheIndexSaysSoAndPrintsNothing) {
    printers.names.clear();
    EXPECT_EQ(run([](CDialogPrint& dlg) {
                  dlg.button(CDialogPrint::kOk)->click();
                  return IDOK;
              }),
              IDOK);
    EXPECT_EQ(texts(), std::vector<QString>{QStringLiteral("Cannot connect the printer.")});
    EXPECT_TRUE(printers.requests.empty());
}

TEST_F(PrintDialogTest, PrinterThatCannotBeSetUpStopsThePrint) {
    printers.answer = PrintOpenStatus::Failed;
    auto dlg = dialog();
    dlg->combo(CDialogPrint::kPrinters)->setCurrentIndex(0);
    EXPECT_EQ(dlg->PrintEquation(), CDialogPrint::PrinterSetupFailed);
    EXPECT_EQ(texts(), std::vector<QString>{QStringLiteral("Failed to select custom printer")});
    EXPECT_EQ(printers.requests.size(), 1u);
    EXPECT_TRUE(printers.jobs.empty());
}

// The PDF entry with no printer on the machine: the save picker's file
// holds every page, each with its footer as text.
TEST_F(PrintDialogTest, PdfEntryWritesTheFile) {
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    const QString pdfinfo = QStandardPaths::findExecutable(QStringLiteral("pdfinfo"));
    if (pdftotext.isEmpty() || pdfinfo.isEmpty())
        TOLIVA_SKIP_UNLESS_CI() << "pdftotext and pdfinfo (poppler-utils) are not installed";
    PdfPrintService pdfOnly;
    ScopedPrintService scoped(&pdfOnly);
    makeLong();
    const QString path = home() + QStringLiteral("out/orbits.pdf");
    QDir().mkpath(home() + QStringLiteral("out"));
    dialogs.answers.push_back(ScriptedDialogService::Answer::withFile(path));

    auto dlg = dialog();
    ASSERT_EQ(dlg->printerNames(), QStringList{PdfPrinterEntryName()});
    dlg->combo(CDialogPrint::kPrinters)->setCurrentIndex(0);
    dlg->combo(CDialogPrint::kPaperSizes)->setCurrentIndex(4);
    dlg->combo(CDialogPrint::kScales)->setCurrentIndex(0);
    dlg->button(CDialogPrint::kPortrait)->click();
    EXPECT_EQ(dlg->PrintEquation(), CDialogPrint::Printed);
    EXPECT_TRUE(messages.shown.empty());
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_TRUE(dialogs.fileRequests[0].save);
    EXPECT_EQ(dialogs.fileRequests[0].defaultName, QStringLiteral("Orbits.pdf"));
    ASSERT_TRUE(QFileInfo::exists(path));

    QProcess info;
    info.start(pdfinfo, {path});
    ASSERT_TRUE(info.waitForFinished(30000));
    const QString infoText = QString::fromUtf8(info.readAllStandardOutput());
    EXPECT_TRUE(infoText.contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\b")))) << infoText.toStdString();
    // A4: 595.3 x 841.9 points.
    const QRegularExpression a4(QStringLiteral("Page size:\\s+595(\\.\\d+)? x 84[12](\\.\\d+)? pts"));
    EXPECT_TRUE(infoText.contains(a4)) << infoText.toStdString();

    QProcess text;
    text.start(pdftotext, {path, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(30000));
    const QString pages = QString::fromUtf8(text.readAllStandardOutput());
    const QStringList perPage = pages.split(QLatin1Char('\f'));
    ASSERT_GE(perPage.size(), 2);
    EXPECT_TRUE(perPage[0].contains(QStringLiteral("Page 1"))) << pages.toStdString();
    EXPECT_TRUE(perPage[1].contains(QStringLiteral("Page 2"))) << pages.toStdString();
}

TEST_F(PrintDialogTest, CancelledPdfPickerPrintsNothingSilently) {
    PdfPrintService pdfOnly;
    ScopedPrintService scoped(&pdfOnly);
    auto dlg = dialog();
    dlg->combo(CDialogPrint::kPrinters)->setCurrentIndex(0);
    EXPECT_EQ(dlg->PrintEquation(), CDialogPrint::PrintCancelled);
    EXPECT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_TRUE(messages.shown.empty());
}

// A PDF file that cannot be written is not reported as printed.
TEST_F(PrintDialogTest, UnwritablePdfFileSaysSo) {
    PdfPrintService pdfOnly;
    ScopedPrintService scoped(&pdfOnly);
    const QString path = home() + QStringLiteral("missing-folder/orbits.pdf");
    dialogs.answers.push_back(ScriptedDialogService::Answer::withFile(path));
    auto dlg = dialog();
    dlg->combo(CDialogPrint::kPrinters)->setCurrentIndex(0);
    EXPECT_EQ(dlg->PrintEquation(), CDialogPrint::PrintFailed);
    EXPECT_FALSE(QFileInfo::exists(path));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.endsWith(path)) << messages.shown[0].text.toStdString();
}

TEST_F(PrintDialogTest, PreviewDrawsThePageInItsArea) {
    auto dlg = dialog();
    const QRect area = dlg->previewArea();
    EXPECT_EQ(area.topLeft(), QPoint(0, 1));
    EXPECT_GT(area.width(), 300);
    EXPECT_GT(area.height(), 300);
    dlg->combo(CDialogPrint::kPaperSizes)->setCurrentIndex(4);  // redraws
    dlg->button(CDialogPrint::kPortrait)->click();
    ASSERT_TRUE(dlg->previewReady());
    const QImage& image = dlg->previewImage();
    ASSERT_EQ(image.size(), area.size());
    EXPECT_GT(dlg->equationSize().width, 0);
    const float f = dlg->previewFit();
    const gp::PointF corner = dlg->previewCorner();
    EXPECT_NEAR(f, std::min((area.width() - 50) / (210 * kPageUnitsPerMillimetre),
                            (area.height() - 50) / (297 * kPageUnitsPerMillimetre)),
                1e-4f);
    EXPECT_EQ(image.pixel(2, 2), CDialogPrint::kBandColour);
    EXPECT_EQ(image.pixel(int(corner.x), int(corner.y) + 20), CDialogPrint::kPageFrameColour);
    EXPECT_EQ(image.pixel(int(corner.x) - 1, int(corner.y) + 20), CDialogPrint::kOuterFrameColour);
    // Inside the page, below the equation and above the footer: white.
    EXPECT_EQ(image.pixel(int(corner.x + 400 * f), int(corner.y + 900 * f)), qRgb(255, 255, 255));

    // An area too small for the border still draws the page the right way up.
    dlg->setPreviewArea(QRect(0, 1, 40, 30));
    dlg->RenderPreview();
    EXPECT_FLOAT_EQ(dlg->previewFit(), kMinPreviewFit);
    EXPECT_EQ(dlg->previewImage().size(), QSize(40, 30));
}

// The program's service: the system's printers (none may be installed here),
// then the PDF entry; a name that is no printer does not open.
TEST_F(PrintDialogTest, SystemPrintersEndWithThePdfEntry) {
    SystemPrintService system;
    const QStringList names = system.printerNames();
    ASSERT_FALSE(names.isEmpty());
    EXPECT_EQ(names.back(), PdfPrinterEntryName());
    PrintRequest request;
    request.printer = QStringLiteral("no such printer \u2013 surely");
    PrintOpenStatus status = PrintOpenStatus::Opened;
    EXPECT_EQ(system.open(request, &status), nullptr);
    EXPECT_EQ(status, PrintOpenStatus::Failed);
    EXPECT_TRUE(dialogs.fileRequests.empty());
}

// The sheet's print command opens the dialog on the program's equation, with
// the document's title as the job's name; OK prints it.
class PrintCommandTest : public test::ProgramFixture {};

TEST_F(PrintCommandTest, SheetCommandPrintsTheEquation) {
    RecordingPrintService printers;
    printers.names = {QStringLiteral("Office laser")};
    ScopedPrintService scoped(&printers);
    ASSERT_TRUE(startProgram());
    sheet().InsertLaTeXText(QStringLiteral("a^2+b^2=c^2"));
    int runs = 0;
    view().editDialogs()->runPrint = [&](CDialogPrint& dlg) {
        ++runs;
        EXPECT_EQ(dlg.m_pTarget, &sheet());
        EXPECT_EQ(dlg.printerNames(), printers.names);
        dlg.button(CDialogPrint::kOk)->click();
        return IDOK;
    };
    sheet().ExecuteCommand(CMD_PRINT);
    EXPECT_EQ(runs, 1);
    ASSERT_EQ(printers.jobs.size(), 1u);
    EXPECT_EQ(printers.jobs[0]->request.jobName, doc().GetTitle());
    EXPECT_TRUE(printers.jobs[0]->finished);
    EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
}  // namespace toliva
