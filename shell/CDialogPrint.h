// The print dialog: printers, paper size, orientation, colour and scale, a
// live preview of the first page, and printing of every line of the
// equation over as many pages as it needs, each with its page-number footer.
#pragma once

#include <QDialog>
#include <QString>

#include <functional>

namespace toliva {

struct AppContext;
class CKwEESheet;
class RenderContext;

struct PrintDialogContext {
    AppContext& app;
    const RenderContext& render;
    QString uiFontName;     // the footer's font
    int uiMetric = 15;      // the footer's size in pixels
    QString documentTitle;  // the print job's name
};

class CDialogPrint : public QDialog {
public:
    CDialogPrint(PrintDialogContext& context, QWidget* parent = nullptr);
    ~CDialogPrint() override;

    CKwEESheet* m_pTarget = nullptr;

    // Initialisation, then the modal loop (through runModal when set: tests
    // answer it). IDOK or IDCANCEL.
    int DoModal();
    std::function<int(CDialogPrint&)> runModal;

private:
    PrintDialogContext& m_context;
};

}  // namespace toliva
