// Printing goes through one replaceable service, as messages and pickers do.
// The service lists the printers a print can go to and opens a print target
// for one of them with the paper, orientation, colour and job name of a
// request. A target hands out one painter for the whole job, whose unit is a
// hundredth of an inch from the paper's top-left corner, and goes from page
// to page until it is finished.
//
// The list ends with one entry that writes a PDF file (its text is item 11 of
// group "gCS_1" of "PRINT.xml"); printing to it asks for the file through the
// save picker (DialogService.h), so a machine without a printer can print
// too. Without an installed service only that entry is offered: the program
// installs the service of uikit/print/, which puts the system's printers
// before it. Tests install a RecordingPrintService.
#pragma once

#include <QImage>
#include <QPainter>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class QObject;
class QPagedPaintDevice;
class QPdfWriter;

namespace toliva {

struct PrintRequest {
    QString printer;                     // a name the service listed
    QSizeF paperMillimetres{210, 297};   // the paper in portrait
    bool landscape = false;
    bool colour = true;                  // false: monochrome
    QString jobName;                     // the document's title; proposes the PDF file's name
    QObject* owner = nullptr;            // the window the save picker belongs to
};

// The resolution targets paint at: hundredths of an inch.
inline constexpr double kPrintUnitsPerInch = 100.0;

class PrintTarget {
public:
    virtual ~PrintTarget() = default;
    // Active from the opening until finish(): one unit is a hundredth of an
    // inch, the origin the paper's top-left corner.
    virtual QPainter* painter() = 0;
    // Ends the page and starts the next; false when the device refused.
    virtual bool newPage() = 0;
    // Ends the last page and the job; false when the job did not complete
    // (the file could not be written). Nothing more is drawn afterwards.
    virtual bool finish() = 0;
    // The file the job writes (the PDF entry); empty for a printer.
    virtual QString outputFile() const { return {}; }
};

enum class PrintOpenStatus {
    Opened,
    Failed,     // the printer is not known or could not be set up
    Cancelled,  // the user cancelled the PDF file's picker
};

class PrintService {
public:
    virtual ~PrintService() = default;
    // The printers in list order, the PDF entry last.
    virtual QStringList printerNames() = 0;
    // A target for the request's printer; null unless *status (may be null)
    // is Opened.
    virtual std::unique_ptr<PrintTarget> open(const PrintRequest& request, PrintOpenStatus* status) = 0;
};

// The PDF entry's text in the application's language ("PDF file" when the
// language file has none).
QString PdfPrinterEntryName();

// A job on a paged device (a PDF writer, a printer) through one painter at
// hundredths of an inch. Subclasses own the device; their destructors call
// end() before the device goes.
class PagedPrintTarget : public PrintTarget {
public:
    QPainter* painter() override { return &m_painter; }
    bool newPage() override;
    bool finish() override;
    bool isActive() const { return m_painter.isActive(); }

protected:
    PagedPrintTarget() = default;
    // Sets the device's page (the request's paper and orientation, no
    // margins) and begins painting on it; false when it cannot.
    bool begin(QPagedPaintDevice* device, const PrintRequest& request);
    // The job after the painter ended in finish(): true when it completed.
    virtual bool finished() { return true; }
    // Ends the painter when it is still active.
    void end();

private:
    QPainter m_painter;
    QPagedPaintDevice* m_device = nullptr;
    bool m_done = false;
};

// The service without an installed one: only the PDF entry.
class PdfPrintService : public PrintService {
public:
    QStringList printerNames() override;
    std::unique_ptr<PrintTarget> open(const PrintRequest& request, PrintOpenStatus* status) override;

protected:
    // The PDF entry: asks for the file, then a target that writes it when
    // the job finishes (the old file stays until then).
    std::unique_ptr<PrintTarget> openPdf(const PrintRequest& request, PrintOpenStatus* status);
};

// For tests: lists the given names and records every request; each opened
// job keeps its pages as pictures at pixelsPerUnit pixels per hundredth of
// an inch, white where nothing was drawn.
class RecordingPrintService : public PrintService {
public:
    struct Job {
        PrintRequest request;
        std::vector<QImage> pages;
        int newPages = 0;  // successful newPage calls
        bool finished = false;
    };

    QStringList printerNames() override { return names; }
    std::unique_ptr<PrintTarget> open(const PrintRequest& request, PrintOpenStatus* status) override;

    QStringList names;
    PrintOpenStatus answer = PrintOpenStatus::Opened;  // what open reports
    double pixelsPerUnit = 0.25;
    std::vector<PrintRequest> requests;               // every open, in order
    std::vector<std::shared_ptr<Job>> jobs;           // the opened ones
};

PrintService& printService();
// Installs a service (not owned); nullptr restores the PDF-only one.
void setPrintService(PrintService* service);

class ScopedPrintService {
public:
    explicit ScopedPrintService(PrintService* service);
    ~ScopedPrintService();
    ScopedPrintService(const ScopedPrintService&) = delete;
    ScopedPrintService& operator=(const ScopedPrintService&) = delete;

private:
    PrintService* m_previous;
};

}  // namespace toliva
