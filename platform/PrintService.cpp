#include "platform/PrintService.h"

#include "platform/DialogService.h"
#include "platform/LangTable.h"
#include "platform/SafeFile.h"

#include <QBuffer>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPdfWriter>

namespace toliva {

QString PdfPrinterEntryName() {
    const QString text = LangText(QStringLiteral("PRINT.xml"), QStringLiteral("gCS_1"), 11);
    return text.isEmpty() ? QStringLiteral("PDF file") : text;
}

// ---- paged targets

bool PagedPrintTarget::begin(QPagedPaintDevice* device, const PrintRequest& request) {
    m_device = device;
    if (!device || !(request.paperMillimetres.width() > 0) || !(request.paperMillimetres.height() > 0)) return false;
    device->setPageSize(QPageSize(request.paperMillimetres, QPageSize::Millimeter));
    device->setPageOrientation(request.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    device->setPageMargins(QMarginsF(0, 0, 0, 0));
    if (!m_painter.begin(device)) return false;
    m_painter.scale(device->logicalDpiX() / kPrintUnitsPerInch, device->logicalDpiY() / kPrintUnitsPerInch);
    return true;
}

bool PagedPrintTarget::newPage() {
    if (m_done || !m_device || !m_painter.isActive()) return false;
    return m_device->newPage();
}

bool PagedPrintTarget::finish() {
    if (m_done || !m_painter.isActive()) return false;
    m_done = true;
    if (!m_painter.end()) return false;
    return finished();
}

void PagedPrintTarget::end() {
    if (m_painter.isActive()) m_painter.end();
}

namespace {

// A PDF file written whole when the job finishes.
class PdfFileTarget : public PagedPrintTarget {
public:
    PdfFileTarget(const QString& path, const PrintRequest& request) : m_path(path) {
        m_buffer.open(QIODevice::WriteOnly);
        m_writer = std::make_unique<QPdfWriter>(&m_buffer);
        m_writer->setTitle(request.jobName);
        m_writer->setCreator(QStringLiteral("Toliva"));
        begin(m_writer.get(), request);
    }
    ~PdfFileTarget() override { end(); }
    QString outputFile() const override { return m_path; }

protected:
    bool finished() override { return WriteFileSafely(m_path, m_buffer.data(), nullptr); }

private:
    QString m_path;
    QBuffer m_buffer;
    std::unique_ptr<QPdfWriter> m_writer;
};

// The file name the picker proposes: the job's name without the document's
// extension and without the characters file names cannot hold.
QString proposedPdfName(const QString& jobName) {
    QString name = jobName.trimmed();
    if (name.endsWith(QLatin1String(".afx"), Qt::CaseInsensitive)) name.chop(4);
    for (QChar& c : name) {
        if (QStringLiteral("/\\:*?\"<>|").contains(c) || c.unicode() < 0x20) c = QLatin1Char('_');
    }
    if (name.isEmpty()) name = QStringLiteral("Toliva");
    return name + QStringLiteral(".pdf");
}

void report(PrintOpenStatus* status, PrintOpenStatus value) {
    if (status) *status = value;
}

}  // namespace

// ---- the PDF entry

QStringList PdfPrintService::printerNames() { return {PdfPrinterEntryName()}; }

std::unique_ptr<PrintTarget> PdfPrintService::open(const PrintRequest& request, PrintOpenStatus* status) {
    if (request.printer == PdfPrinterEntryName()) return openPdf(request, status);
    report(status, PrintOpenStatus::Failed);
    return nullptr;
}

std::unique_ptr<PrintTarget> PdfPrintService::openPdf(const PrintRequest& request, PrintOpenStatus* status) {
    FileDialogRequest pick;
    pick.save = true;
    pick.filter = QStringLiteral("PDF (*.pdf)|*.pdf||");
    pick.defaultExtension = QStringLiteral("pdf");
    pick.defaultName = proposedPdfName(request.jobName);
    pick.owner = request.owner;
    QString path;
    if (!dialogService().pickFile(pick, &path) || path.isEmpty()) {
        report(status, PrintOpenStatus::Cancelled);
        return nullptr;
    }
    auto target = std::make_unique<PdfFileTarget>(path, request);
    if (!target->isActive()) {
        report(status, PrintOpenStatus::Failed);
        return nullptr;
    }
    report(status, PrintOpenStatus::Opened);
    return target;
}

// ---- recording

namespace {

class RecordingTarget : public PrintTarget {
public:
    RecordingTarget(std::shared_ptr<RecordingPrintService::Job> job, double pixelsPerUnit)
        : m_job(std::move(job)), m_pixelsPerUnit(pixelsPerUnit) {
        QSizeF mm = m_job->request.paperMillimetres;
        if (m_job->request.landscape) mm.transpose();
        m_size = QSize(qMax(1, qRound(mm.width() / 25.4 * kPrintUnitsPerInch * pixelsPerUnit)),
                       qMax(1, qRound(mm.height() / 25.4 * kPrintUnitsPerInch * pixelsPerUnit)));
        startPage();
    }
    ~RecordingTarget() override {
        if (m_painter.isActive()) m_painter.end();
    }

    QPainter* painter() override { return &m_painter; }
    bool newPage() override {
        if (m_job->finished) return false;
        // The painter's transform carries over to the next page, as on a device.
        const QTransform transform = m_painter.worldTransform();
        m_painter.end();
        startPage();
        m_painter.setWorldTransform(transform);
        ++m_job->newPages;
        return true;
    }
    bool finish() override {
        if (m_job->finished) return false;
        m_painter.end();
        m_job->finished = true;
        return true;
    }

private:
    void startPage() {
        m_job->pages.emplace_back(m_size, QImage::Format_ARGB32_Premultiplied);
        m_job->pages.back().fill(Qt::white);
        m_painter.begin(&m_job->pages.back());
        m_painter.scale(m_pixelsPerUnit, m_pixelsPerUnit);
    }

    std::shared_ptr<RecordingPrintService::Job> m_job;
    double m_pixelsPerUnit;
    QSize m_size;
    QPainter m_painter;
};

}  // namespace

std::unique_ptr<PrintTarget> RecordingPrintService::open(const PrintRequest& request, PrintOpenStatus* status) {
    requests.push_back(request);
    report(status, answer);
    if (answer != PrintOpenStatus::Opened) return nullptr;
    auto job = std::make_shared<Job>();
    job->request = request;
    jobs.push_back(job);
    return std::make_unique<RecordingTarget>(job, pixelsPerUnit);
}

// ---- the service in use

namespace {
PrintService* g_print = nullptr;
}

PrintService& printService() {
    static PdfPrintService pdfOnly;
    return g_print ? *g_print : pdfOnly;
}

void setPrintService(PrintService* service) { g_print = service; }

ScopedPrintService::ScopedPrintService(PrintService* service) : m_previous(g_print) { g_print = service; }
ScopedPrintService::~ScopedPrintService() { g_print = m_previous; }

}  // namespace toliva
