// The system's printers (Qt's print support, through the system's print
// spooler) ahead of the PDF entry. The program installs this service at
// start; nothing else links Qt's print support.
#pragma once

#include "platform/PrintService.h"

namespace toliva {

class SystemPrintService : public PdfPrintService {
public:
    // The installed printers in the spooler's order, then the PDF entry.
    QStringList printerNames() override;
    // A printer with the request's paper, orientation, colour and job name,
    // printing the whole paper; Failed when the name is not an installed
    // printer or the printer cannot start the job.
    std::unique_ptr<PrintTarget> open(const PrintRequest& request, PrintOpenStatus* status) override;
};

}  // namespace toliva
