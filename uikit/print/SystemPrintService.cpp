#include "uikit/print/SystemPrintService.h"

#include <QPrinter>
#include <QPrinterInfo>

namespace toliva {
namespace {

class PrinterTarget : public PagedPrintTarget {
public:
    PrinterTarget(const QPrinterInfo& info, const PrintRequest& request)
        : m_printer(std::make_unique<QPrinter>(info, QPrinter::HighResolution)) {
        m_printer->setDocName(request.jobName);
        m_printer->setColorMode(request.colour ? QPrinter::Color : QPrinter::GrayScale);
        m_printer->setFullPage(true);
        begin(m_printer.get(), request);
    }
    ~PrinterTarget() override {
        // A job left unfinished is not sent to the printer.
        if (isActive()) m_printer->abort();
        end();
    }

private:
    std::unique_ptr<QPrinter> m_printer;
};

}  // namespace

QStringList SystemPrintService::printerNames() {
    QStringList names = QPrinterInfo::availablePrinterNames();
    names += PdfPrintService::printerNames();
    return names;
}

std::unique_ptr<PrintTarget> SystemPrintService::open(const PrintRequest& request, PrintOpenStatus* status) {
    const QPrinterInfo info = QPrinterInfo::printerInfo(request.printer);
    if (info.isNull()) return PdfPrintService::open(request, status);
    auto target = std::make_unique<PrinterTarget>(info, request);
    const bool active = target->isActive();
    if (status) *status = active ? PrintOpenStatus::Opened : PrintOpenStatus::Failed;
    if (!active) return nullptr;
    return target;
}

}  // namespace toliva
