// The LaTeX writer's brackets and matrices.
#include "LaTeXWriter.h"

#include "model/EqElement.h"
#include "model/EqTypes.h"

namespace toliva {
namespace {

QString sided(bool leftSide, const char* piece) {
    return (leftSide ? QStringLiteral("\\left") : QStringLiteral(" \\right")) + QLatin1String(piece);
}

QString fixedSize(int code, bool leftSide) {
    static const char* const kPieces[] = {"( ", ") ", "[ ", "] ", "\\{ ", "\\} ", "< ", "> ", "| ", "\\| "};
    const int piece = code & 0x0F;
    if (piece < 1 || piece > 10) return {};
    const int size = code >> 4;
    const char* word = size <= 3 ? "Bigg" : size <= 5 ? "bigg" : size <= 7 ? "Big" : "big";
    return (leftSide ? QStringLiteral("\\") : QStringLiteral(" \\")) + QLatin1String(word) +
           QLatin1Char(leftSide ? 'l' : 'r') + QLatin1String(kPieces[piece - 1]);
}

bool hasBit(uint32_t m, int bit) { return bit >= 0 && bit < 32 && (m >> bit) & 1u; }

// The separator at a column boundary: ':' for a line of style 0 only, '|'
// for style 2 only, nothing otherwise.
QString columnSeparator(const MatrixShape& shape, int bit) {
    const bool s0 = hasBit(MatrixRuleMask(shape, 0), bit);
    const bool s1 = hasBit(MatrixRuleMask(shape, 2), bit);
    const bool s2 = hasBit(MatrixRuleMask(shape, 4), bit);
    const bool s3 = hasBit(MatrixRuleMask(shape, 6), bit);
    if (s0 && !s1 && !s2 && !s3) return QStringLiteral(":");
    if (s2 && !s0 && !s1 && !s3) return QStringLiteral("|");
    return {};
}

// The rule line after row bit, or an empty text.
QString rowLine(const MatrixShape& shape, int bit) {
    const bool s0 = hasBit(MatrixRuleMask(shape, 1), bit);
    const bool s1 = hasBit(MatrixRuleMask(shape, 3), bit);
    const bool s2 = hasBit(MatrixRuleMask(shape, 5), bit);
    const bool s3 = hasBit(MatrixRuleMask(shape, 7), bit);
    if (!s0 && !s1 && !s2 && !s3) return {};
    if (s2 && !s0 && !s1 && !s3) return QStringLiteral("\t\\hline\n");
    return QStringLiteral("\t\\hdashline\n");
}

QString withoutMarkers(QString text) {
    text.remove(kLaTeXAlignMarker);
    text.remove(kLaTeXRelationMarker);
    return text;
}

// A left-brace-only bracket whose content is one left-aligned matrix: the
// cases environment, which carries the brace itself. With anything else
// beside the matrix the bracket keeps its delimiters and the matrix is an
// array.
bool holdsCaseList(const EqElement* bracket) {
    if (!bracket || bracket->type != 355 || bracket->children.size() != 1) return false;
    const EqElement* only = bracket->children[0]->next;
    return only && !only->next && IsMatrixType(only->type) && (only->ch & 0x0F) == 1 &&
           only->children.size() != 1;
}

}  // namespace

QString LaTeXDelimiterText(int code, bool leftSide, bool* sideWord) {
    bool word = true;
    QString text;
    if (code > 32) {
        word = false;
        text = fixedSize(code, leftSide);
    } else {
        switch (code) {
        case 1: text = sided(leftSide, "( "); break;
        case 17: text = sided(leftSide, ") "); break;
        case 2: text = sided(leftSide, "[ "); break;
        case 18: text = sided(leftSide, "] "); break;
        case 3: text = sided(leftSide, "\\{ "); break;
        case 19: text = sided(leftSide, "\\} "); break;
        case 4: text = sided(leftSide, "< "); break;
        case 20: text = sided(leftSide, "> "); break;
        // Bars take the word of the side they stand on, so that \left and
        // \right always pair.
        case 5:
        case 21:
            text = leftSide ? QStringLiteral("\\left| ") : QStringLiteral(" \\right|");
            break;
        case 6:
        case 22:
            text = leftSide ? QStringLiteral("\\left\\| ") : QStringLiteral(" \\right\\| ");
            break;
        case 7: text = QStringLiteral("\\lfloor "); word = false; break;
        case 8: text = QStringLiteral("\\lceil "); word = false; break;
        case 9: text = QStringLiteral("\\Lbrack "); word = false; break;
        case 23: text = QStringLiteral(" \\rceil "); word = false; break;
        case 24: text = QStringLiteral(" \\rfloor "); word = false; break;
        case 25: text = QStringLiteral(" \\Rbrack "); word = false; break;
        default: text = sided(leftSide, ". "); break;
        }
    }
    if (sideWord) *sideWord = word;
    return text;
}

void WriteLaTeXBracket(const TeXWriteContext& ctx, const EqElement* e, QString* text) {
    const BracketDelimiters d = GetBracketDelimiters(e);
    bool leftWord = false;
    bool rightWord = false;
    QString left = LaTeXDelimiterText(d.left, true, &leftWord);
    QString right = LaTeXDelimiterText(d.right, false, &rightWord);
    const bool twoParts = e->children.size() >= 2;
    const QString first = LaTeXChildText(ctx, e, 1);
    if (!twoParts && holdsCaseList(e)) {
        *text = first;
        return;
    }
    // A side without \left or \right gets an empty one when the other side
    // (or \middle) needs its partner.
    if (leftWord || rightWord || twoParts) {
        if (!leftWord) left = QStringLiteral("\\left. ") + left;
        if (!rightWord)
            right += right.endsWith(QLatin1Char(' ')) ? QStringLiteral("\\right. ") : QStringLiteral(" \\right. ");
    }
    if (twoParts)
        *text = left + first + QStringLiteral(" \\middle| ") + LaTeXChildText(ctx, e, 2) + right;
    else
        *text = left + first + right;
}

QString ResolveLaTeXAlignMarkers(const QString& row) {
    QString text = row;
    if (text.contains(kLaTeXAlignMarker)) {
        text.replace(kLaTeXAlignMarker, QStringLiteral("&"));
        text.remove(kLaTeXRelationMarker);
    } else {
        const qsizetype at = text.indexOf(kLaTeXRelationMarker);
        if (at >= 0) {
            text.replace(at, kLaTeXRelationMarker.size(), QStringLiteral("&"));
            text.remove(kLaTeXRelationMarker);
        }
    }
    return text;
}

void WriteLaTeXMatrix(const TeXWriteContext& ctx, const EqElement* e, QString* text) {
    // One cell: its text alone; with no environment around it, alignment
    // markers have nothing to resolve against.
    if (e->children.size() == 1) {
        *text = withoutMarkers(LaTeXChildText(ctx, e, 1));
        return;
    }
    const MatrixShape shape = GetMatrixShape(e);
    const int columns = shape.count1;
    const int rows = shape.count2;
    const int k = e->ch & 0x0F;
    const bool small = (e->ch & 0xF0) == 0x10;
    const bool aligned = k == 3;
    const bool cases = holdsCaseList(e->parent) && e->parent->children[0]->next == e;
    const bool alignedRows = e->type == EqTypeMatrixColumn && aligned;
    // A matrix aligned at the point holds pairs: each cell is written as
    // its two parts.
    const bool alignedPairs = e->type == EqTypeMatrix && aligned;

    // Column letters: one per column, with the rule separators between them.
    const bool letterPreamble = (k == 0 && e->type == EqTypeMatrixColumn) || (k == 1 && !cases) || k == 2;
    const QChar letter = k == 1 ? QLatin1Char('l') : k == 2 ? QLatin1Char('r') : QLatin1Char('c');
    QString preamble = columns > 0 ? QString(letter) : QString();
    bool separators = false;
    for (int i = 1; i < columns; ++i) {
        const QString sep = columnSeparator(shape, i - 1);
        separators = separators || !sep.isEmpty();
        preamble += sep + letter;
    }

    QString body;
    bool lines = false;
    for (int r = 0; r < rows; ++r) {
        QString row;
        for (int c = 0; c < columns; ++c) {
            const size_t cell = size_t(r) * size_t(columns) + size_t(c);
            if (c > 0) row += QLatin1Char('&');
            QString text = LaTeXChildText(ctx, e, int(cell + 1));
            // A marked head puts the alignment point at the end of its cell.
            if ((alignedRows || alignedPairs) && cell < e->children.size() && e->children[cell]->alignMark)
                text += kLaTeXAlignMarker;
            if (alignedPairs) {
                // Without a point the pair hangs right of it.
                const bool point = text.contains(kLaTeXAlignMarker) || text.contains(kLaTeXRelationMarker);
                text = point ? ResolveLaTeXAlignMarkers(text) : QLatin1Char('&') + text;
            }
            row += QLatin1Char('\t') + text;
        }
        if (alignedRows) row = ResolveLaTeXAlignMarkers(row);
        body += row + QStringLiteral("\\\\\n");
        const QString line = rowLine(shape, r);
        lines = lines || !line.isEmpty();
        body += line;
    }

    QString environment;
    if (cases)
        environment = QStringLiteral("cases");
    else if (small)
        environment = QStringLiteral("smallmatrix");
    else if (e->type == EqTypeMatrixColumn || e->type == EqTypeCases)
        environment = aligned ? QStringLiteral("aligned") : QStringLiteral("array");
    else if (alignedPairs)
        environment = QStringLiteral("aligned");
    else
        environment = letterPreamble || separators || lines ? QStringLiteral("array") : QStringLiteral("matrix");

    // Only array takes a column format; elsewhere it would become cell text.
    const bool array = environment == QLatin1String("array");
    *text = QStringLiteral("\\begin{") + environment + QLatin1Char('}') +
            (array ? QLatin1Char('{') + preamble + QLatin1Char('}') : QString()) + QLatin1Char('\n') + body +
            QStringLiteral("\\end{") + environment + QLatin1Char('}');
}

}  // namespace toliva
