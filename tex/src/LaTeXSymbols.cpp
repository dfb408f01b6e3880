// The LaTeX writer's symbol commands: operators, arrow symbols, glyph-library
// symbols, decorations, big operators and integrals.
#include "LaTeXWriter.h"

#include "GlyphChars.h"

#include "tex/TeXCode.h"
#include "model/EqElement.h"
#include "model/EqTypes.h"

namespace toliva {
namespace {

QString childChainText(const TeXWriteContext& ctx, const EqElement* e) { return LaTeXChildText(ctx, e, 1); }

struct StyledRange {
    int first;
    int last;
    int offset;            // index + offset = the letter
    const char* plain;     // pattern of type 6
    const char* bold;      // pattern of type 8, or null: the plain one
};

// Styled alphabets of the glyph library.
const StyledRange kStyledRanges[] = {
    {2, 27, 63, "\\mathbb{%1} ", "\\mathbbbf{%1} "},
    {441, 450, -393, "\\mathbb{%1} ", "\\mathbbbf{%1} "},
    {451, 476, -354, "\\mathbb{%1} ", "\\mathbbbf{%1} "},
    {32, 57, 33, "\\mathscr{%1} ", "\\mathscrbf{%1} "},
    {198, 223, -133, "\\mathscr{%1} ", "\\mathscrbf{%1} "},
    {58, 83, 7, "\\mathcal{%1} ", "\\mathcalbf{%1} "},
    {84, 109, -19, "\\mathfrak{%1} ", "\\mathfrakbf{%1} "},
    {110, 135, -13, "\\mathfrak{%1} ", "\\mathfrakbf{%1} "},
    {355, 380, -290, "\\mathcalbf{%1} ", nullptr},
    {383, 408, -318, "\\mathsf{%1} ", nullptr},
    {409, 434, -312, "\\mathsf{%1} ", nullptr},
};

// Fixed texts of type 6.
const char* fixedGlyphText(int index) {
    switch (index) {
    case 141: return "\\mathscr{B} ";
    case 142: return "\\mathscr{H} ";
    case 143: return "\\mathscr{J} ";
    case 144: return "\\mathscr{L} ";
    case 145: return "\\mathscr{R} ";
    case 146: return "\\mathscr{E} ";
    case 147: return "\\mathscr{F} ";
    case 148: return "\\symbol{\"24EA} ";
    default: return nullptr;
    }
}

// The styled-letter text of a glyph index, or an empty text when the name
// table has to answer.
QString styledGlyphText(int type, int index) {
    if (type == EqTypeUserSymbol) return {};
    for (const StyledRange& r : kStyledRanges) {
        if (index < r.first || index > r.last) continue;
        // Without a bold pattern the letter is written in its plain face
        // rather than not at all.
        const char* pattern = type == EqTypeGlyphSymbolBold && r.bold ? r.bold : r.plain;
        return QString::fromLatin1(pattern).arg(QChar(char16_t(index + r.offset)));
    }
    if (type != EqTypeGlyphSymbol) return {};
    if (index >= 149 && index <= 158)
        return QStringLiteral("\\symbol{\"") + QString::number(index + 9163, 16).toUpper() + QStringLiteral("} ");
    if (const char* fixed = fixedGlyphText(index)) return QLatin1String(fixed);
    return {};
}

const char* decorationCommand(int t) {
    switch (t) {
    case 208: return "\\overgroup";
    case 209: return "\\widetilde";
    case 210: return "\\overbracket";
    case 211: return "\\widehat";
    case 212: return "\\overrightarrow";
    case 213: return "\\overleftrightarrow";
    case 214: return "\\overleftarrow";
    case 215: return "\\overrightharpoon";
    case 216: return "\\overbrace";
    case 217: case 218: case 219: return "\\overline";
    case 226: return "\\underbracket";
    case 228: return "\\underrightarrow";
    case 229: return "\\underleftrightarrow";
    case 230: return "\\underleftarrow";
    case 231: return "\\underrightharpoon";
    case 232: return "\\underbrace";
    case 240: case 241: case 242: case 243: case 252: return "\\cancel";
    case 248: return "\\boxed";
    case 598: return "\\textcircled";
    default: return "\\underline";
    }
}

}  // namespace

void WriteLaTeXOperator(const TeXWriteContext& ctx, const EqElement* e, QString* text) {
    QString name;
    switch (e->type) {
    case 1042: name = QStringLiteral("+"); break;
    case 1043: name = QStringLiteral("-"); break;
    case 1049: name = QStringLiteral("="); break;
    case 1060: name = QStringLiteral("<"); break;
    case 1061: name = QStringLiteral(">"); break;
    case 1104: name = QStringLiteral("\\text{\u223D}"); break;
    case 1105: name = QStringLiteral("\\text{\u224C}"); break;
    default: if (ctx.names) ctx.names->TeXNameOfOperator(e->type, &name); break;
    }
    if (e->ch == 0xEEFF && !name.isEmpty()) name.prepend(QStringLiteral("\\not "));
    *text = name;
}

void WriteLaTeXArrow(const EqElement* e, QString* text) {
    // Each name follows the direction the symbol is drawn in.
    const char* name;
    switch (e->type) {
    case 507: name = "\\nearrow "; break;
    case 508: case 535: name = "\\uparrow "; break;
    case 509: name = "\\nwarrow "; break;
    case 510: case 531: case 544: name = "\\leftarrow "; break;
    case 511: name = "\\swarrow "; break;
    case 512: case 534: name = "\\downarrow "; break;
    case 513: name = "\\searrow "; break;
    case 514: case 515: case 541: name = "\\leftrightarrow "; break;
    case 516: case 517: name = "\\updownarrow "; break;
    case 518: name = "\\Rightarrow "; break;
    case 519: name = "\\Leftarrow "; break;
    case 520: name = "\\Downarrow "; break;
    case 521: name = "\\Uparrow "; break;
    case 522: name = "\\Leftrightarrow "; break;
    case 523: name = "\\Updownarrow "; break;
    case 524: case 525: case 526: name = "\\rightleftarrows "; break;
    case 527: case 528: case 529: name = "\\rightleftharpoons "; break;
    case 530: name = "\\mapsto "; break;
    case 532: name = "\\Rsh "; break;
    case 533: name = "\\Lsh "; break;
    case 536: name = "\\rightsquigarrow "; break;
    case 537: name = "\\leftsquigarrow "; break;
    case 538: name = "\\leftrightsquigarrow "; break;
    case 539: name = "\\looparrowright "; break;
    case 540: name = "\\looparrowleft "; break;
    case 542: name = "\\hookrightarrow "; break;
    case 543: name = "\\hookleftarrow "; break;
    default: name = "\\rightarrow "; break;
    }
    *text = QLatin1String(name);
}

void WriteLaTeXGlyph(const TeXWriteContext& ctx, const EqElement* e, QString* text) {
    QString name = styledGlyphText(e->type, e->ch);
    if (name.isEmpty() && ctx.names) ctx.names->TeXNameOfGlyph(e->ch, &name);
    // Without a name: the character the symbol records, by its code.
    if (name.isEmpty()) {
        if (const char16_t c = RecordedGlyphChar(ctx, e); c > 0x20 && !QChar::isSurrogate(c))
            name = QStringLiteral("\\symbol{\"") + QString::number(c, 16).toUpper() + QStringLiteral("} ");
    }
    *text = name.isEmpty() ? name : ApplyLaTeXAccents(e, name);
}

void WriteLaTeXDecoration(const TeXWriteContext& ctx, const EqElement* e, QString* text) {
    QString command;
    if (e->type == EqTypePhasor) {
        command = QStringLiteral("\\phase");
        if (e->parent && e->parent->type == 174) command += QStringLiteral("[2]");
    } else if (IsColourBoxType(e->type)) {
        command = QStringLiteral("\\bbox") + LaTeXColourText(GetBoxColour(e), 1);
    } else {
        command = QLatin1String(decorationCommand(e->type));
    }
    *text = command + QLatin1Char('{') + childChainText(ctx, e) + QLatin1Char('}');
}

QString LaTeXBigOperatorCommand(int t) {
    static const char* const kSideCommands[] = {
        "\\sum\\nolimits",    "\\prod\\nolimits",     "\\coprod\\nolimits",   "\\bigcap\\nolimits",
        "\\bigcup\\nolimits", "\\bigvee\\nolimits",   "\\bigwedge\\nolimits", "\\bigsqcup\\nolimits",
        "\\biguplus\\nolimits", "\\bigotimes\\nolimits", "\\bigodot\\nolimits", "\\bigoplus\\nolimits",
    };
    static const char* const kCommands[] = {"\\sum",    "\\prod",      "\\coprod",  "\\bigcap", "\\bigcup",
                                            "\\bigvee", "\\bigwedge", "\\bigotimes", "\\bigodot", "\\bigoplus"};
    if (inRange(t, 306, 335)) return QLatin1String(kCommands[(t - 306) / 3]);
    if (inRange(t, 800, 802)) return QStringLiteral("\\bigsqcup");
    if (inRange(t, 803, 805)) return QStringLiteral("\\biguplus");
    if (inRange(t, 848, 859)) return QLatin1String(kSideCommands[t - 848]);
    return QStringLiteral("\\sum");
}

QString LaTeXIntegralCommand(int t) {
    switch (t) {
    case 274: return QStringLiteral("\\lowint");
    case 275: return QStringLiteral("\\upint");
    case 276: case 277: case 278: return QStringLiteral("\\int\\dotsi\\int");
    case 279: case 304: case 305: return QStringLiteral("\\ointctrclockwise");
    case 280: case 302: case 303: return QStringLiteral("\\ointclockwise");
    case 281: case 291: case 292: return QStringLiteral("\\oint");
    case 282: case 293: case 294: return QStringLiteral("\\iint");
    case 283: case 295: case 296: return QStringLiteral("\\oiint");
    case 284: case 297: case 298: return QStringLiteral("\\iiint");
    case 285: case 299: case 300: return QStringLiteral("\\oiiint");
    case 286: case 287: case 301: return QStringLiteral("\\iiiint");
    case 769: case 773: return QStringLiteral("\\int\\limits");
    case 770: case 774: return QStringLiteral("\\ointctrclockwise\\limits");
    case 771: case 775: return QStringLiteral("\\ointclockwise\\limits");
    case 772: case 776: return QStringLiteral("\\oint\\limits");
    case 777: case 779: return QStringLiteral("\\iint\\limits");
    case 778: case 780: return QStringLiteral("\\oiint\\limits");
    case 781: case 783: return QStringLiteral("\\iiint\\limits");
    case 782: case 784: return QStringLiteral("\\oiiint\\limits");
    case 785: case 786: return QStringLiteral("\\iiiint\\limits");
    case 787: case 788: return QStringLiteral("\\int\\dotsi\\int\\limits");
    default: return QStringLiteral("\\int");
    }
}

void WriteLaTeXLimits(const TeXWriteContext& ctx, const EqElement* e, const QString& command, QString* text) {
    switch (e->children.size()) {
    case 0:
        text->clear();
        return;
    case 1:
        *text = command + QLatin1Char('{') + LaTeXChildText(ctx, e, 1) + QLatin1Char('}');
        return;
    case 2:
        *text = command + QLatin1Char('_') + LaTeXBareArgument(LaTeXChildText(ctx, e, 1)) + QLatin1Char('{') +
                LaTeXChildText(ctx, e, 2) + QLatin1Char('}');
        return;
    default:
        *text = command + QLatin1Char('_') + LaTeXBareArgument(LaTeXChildText(ctx, e, 2)) + QLatin1Char('^') +
                LaTeXBareArgument(LaTeXChildText(ctx, e, 1)) + QLatin1Char('{') + LaTeXChildText(ctx, e, 3) + QLatin1Char('}');
        return;
    }
}

void WriteLaTeXBigOperator(const TeXWriteContext& ctx, const EqElement* e, QString* text) {
    WriteLaTeXLimits(ctx, e, LaTeXBigOperatorCommand(e->type), text);
}

void WriteLaTeXIntegral(const TeXWriteContext& ctx, const EqElement* e, QString* text) {
    WriteLaTeXLimits(ctx, e, LaTeXIntegralCommand(e->type), text);
}

}  // namespace toliva
