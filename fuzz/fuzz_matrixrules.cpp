// Bytes as a matrix's stored shape and rule-line record (a file's matrix
// payload): two counts, the 32-byte record, a preview size and clicks. The
// rule-line dialog must refuse a shape the record cannot hold and, for the
// others, unpack, draw, take clicks on its preview and pack again without
// touching bits beyond the matrix's lines; typed counts from the rest of the
// bytes stay within 1 .. 32.
#include "panels/CDlgSetMatVecSL.h"
#include "panels/MatrixDialogWork.h"

#include "FuzzWidgets.h"

#include <QCoreApplication>
#include <QString>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

using namespace toliva;

namespace {

// The record with only the bits of the shape's lines.
RuleLineRecord masked(const RuleLineRecord& record, int columns, int rows) {
    return PackRuleLines(UnpackRuleLines(record, columns, rows), columns, rows);
}

}  // namespace

// What the font libraries keep for the life of the process (the dialog's
// texts), not a leak of the dialog, as for the tests (tests/lsan.supp).
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\nleak:libfreetype\n"; }

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::startWidgetsApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 36) return 0;
    const int columns = int(int8_t(data[0])), rows = int(int8_t(data[1]));
    const QSize preview(data[2], data[3]);
    RuleLineRecord record;
    std::copy(data + 4, data + 36, record.begin());
    data += 36;
    size -= 36;

    const bool editable = CanEditRuleLines(columns, rows);
    const std::vector<uint8_t> codes = UnpackRuleLines(record, columns, rows);
    if (editable != !codes.empty() || (editable && codes.size() != size_t(columns + rows - 2))) __builtin_trap();
    if (editable) {
        const RuleLineRecord packed = PackRuleLines(codes, columns, rows);
        if (UnpackRuleLines(packed, columns, rows) != codes || masked(packed, columns, rows) != packed) __builtin_trap();
    }

    // The preview's arithmetic at any size, and the hits of the clicks.
    const RulePreviewGeometry g = RulePreviewGeometryOf(preview, columns, rows);
    if (g.cell < 0 || g.cell > 45) __builtin_trap();
    const std::vector<QRect> bands = editable ? RulePreviewBands(g, columns, rows) : std::vector<QRect>{};
    for (size_t i = 0; i + 1 < size && i < 16; i += 2) {
        const std::vector<int> hits = HitRuleLines(bands, QPoint(data[i], data[i + 1]));
        if (hits.size() > 2) __builtin_trap();
        for (int hit : hits)
            if (hit < 0 || size_t(hit) >= bands.size()) __builtin_trap();
    }

    // The dialog itself on the shape: refused, or drawn and clicked.
    {
        // A program folder without pictures: the dialog draws without them.
        static QTemporaryDir programFolder;
        PanelContext context;
        context.programFolder = programFolder.path() + QLatin1Char('/');
        CDlgSetMatVecSL dialog(context);
        dialog.m_nColumns = columns;
        dialog.m_nRows = rows;
        dialog.m_record = record;
        dialog.runModal = [&](CDlgSetMatVecSL& d) {
            const QRect r = d.previewRect();
            for (size_t i = 0; i + 1 < size && i < 16; i += 2) {
                const QPoint p = r.topLeft() + QPoint(data[i] % (r.width() + 1), data[i + 1] % (r.height() + 1));
                if (data[i] & 1) d.OnLButtonDown(p);
                else d.OnRButtonDown(p);
            }
            d.OnOK();
            return IDOK;
        };
        const int answer = dialog.DoModal();
        if (!editable && (answer != IDCANCEL || dialog.m_record != record)) __builtin_trap();
        if (editable && masked(dialog.m_record, columns, rows) != dialog.m_record) __builtin_trap();
    }
    // What the widgets posted (layout requests, deferred deletions) goes
    // now: there is no event loop between inputs.
    QCoreApplication::sendPostedEvents();

    // The rest as typed counts.
    const int count = ParseMatrixCount(QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (count < 1 || count > 32) __builtin_trap();
    return 0;
}
