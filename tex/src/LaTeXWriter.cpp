// The LaTeX writer's chain walk: element dispatch, phantom and colour groups,
// alignment markers, double scripts and the structures without a writer of
// their own.
#include "LaTeXWriter.h"

#include "tex/LaTeX.h"

#include "model/EqElement.h"
#include "model/EqModel.h"
#include "model/EqTypes.h"

#include <QStringList>

namespace toliva {
namespace {

constexpr uint32_t kOpaqueBlack = 0xFF000000;

bool isScriptForDoubling(const EqElement* e) { return e && inRange(e->type, 173, 176); }

// Groups opened along one chain walk. A phantom group opens inside the colour
// group and always closes before it, so the braces nest.
struct GroupState {
    bool colourOpen = false;
    uint32_t colour = 0;
    bool colourOpenedByLast = false;  // the last element written opened the colour group
    bool phantomOpen = false;
    int phantomKind = 0;
};

QString phantomPrefix(int kind) {
    switch (kind) {
    case 1: return QStringLiteral("\\hphantom{");
    case 2: return QStringLiteral("\\vphantom{");
    default: return QStringLiteral("\\phantom{");
    }
}

// The marker an element of an aligned block (370 or 371 with alignment 3)
// carries.
QString alignMarker(const EqElement* e) {
    if (!e || e->type == EqTypeChainHead) return {};
    const EqElement* p = e->parent;
    if (!p || (p->type != EqTypeMatrixColumn && p->type != EqTypeMatrix) || (p->ch & 0x0F) != 3) return {};
    if (e->alignMark) return kLaTeXAlignMarker;
    if (IsRelationOperator(e)) return kLaTeXRelationMarker;
    return {};
}

// Writes one element together with the elements its writer consumes and
// returns the last element used.
const EqElement* writeUnit(const TeXWriteContext& ctx, const EqElement* e, QString* out, GroupState& st, bool cont) {
    const EqElement* last = e;
    QString text = e->type == EqTypeChainHead ? QString() : LaTeXElementText(ctx, e, &last);
    // x^a^b: the first script goes into one group with the element (and so
    // on for longer runs of scripts, so that no base carries two).
    while (cont && isScriptForDoubling(last->next) && isScriptForDoubling(last->next->next)) {
        const EqElement* script = last->next;
        const EqElement* ignored = nullptr;
        text = QLatin1Char('{') + text + LaTeXElementText(ctx, script, &ignored) + QLatin1Char('}');
        last = script;
    }
    const EqElement* after = cont ? last->next : nullptr;
    const QString marker = alignMarker(e);

    // An open colour group ends where the colour changes, and before an
    // alignment marker so that the marker's "&" stays outside every group.
    if (st.colourOpen && (e->colour != st.colour || !marker.isEmpty())) {
        out->append(QLatin1Char('}'));
        st.colourOpen = false;
    }
    QString colourPrefix;
    const bool coloured = e->colour != kOpaqueBlack && e->type != EqTypeChainHead && !IsSpaceElement(e);
    if (coloured && !st.colourOpen && !(e->parent && e->parent->colour == e->colour)) {
        colourPrefix = LaTeXColourText(e->colour, 0);
        st.colourOpen = true;
        st.colour = e->colour;
    }
    st.colourOpenedByLast = !colourPrefix.isEmpty();

    // Neighbours of one phantom kind share one group; it opens and closes
    // under the same state, tested after the last element used.
    QString phantomOpen;
    QString phantomClose;
    const int kind = e->phantomKind();
    const bool phantomHere =
        e->type != EqTypeChainHead && kind != 0 && (!e->parent || e->parent->phantomKind() != kind);
    if (phantomHere && !st.phantomOpen) {
        phantomOpen = phantomPrefix(kind);
        st.phantomOpen = true;
        st.phantomKind = kind;
    }
    if (st.phantomOpen) {
        const bool goesOn = after && after->phantomKind() == st.phantomKind && after->colour == e->colour &&
                            alignMarker(after).isEmpty();
        if (!goesOn) {
            phantomClose = QStringLiteral("}");
            st.phantomOpen = false;
        }
    }

    out->append(marker);
    out->append(colourPrefix);
    out->append(phantomOpen);
    out->append(text);
    out->append(phantomClose);
    return last;
}

QString child(const TeXWriteContext& ctx, const EqElement* e, int i) { return LaTeXChildText(ctx, e, i); }
QString lastChild(const TeXWriteContext& ctx, const EqElement* e) { return LaTeXChildText(ctx, e, int(e->children.size())); }

QString twoArguments(const TeXWriteContext& ctx, const char* command, const EqElement* e) {
    return QLatin1String(command) + QLatin1Char('{') + child(ctx, e, 1) + QStringLiteral("}{") + child(ctx, e, 2) +
           QLatin1Char('}');
}

// An optional argument in square brackets. A '[' or ']' inside would pair
// with the argument's own brackets, so such text goes into braces.
QString optionalArgument(const QString& text) {
    if (text.contains(QLatin1Char('[')) || text.contains(QLatin1Char(']')))
        return QStringLiteral("[{") + text + QStringLiteral("}]");
    return QLatin1Char('[') + text + QLatin1Char(']');
}

QString radicalForm(const TeXWriteContext& ctx, const char* command, const EqElement* e) {
    if (e->children.size() <= 1) return QLatin1String(command) + QLatin1Char('{') + child(ctx, e, 1) + QLatin1Char('}');
    return QLatin1String(command) + optionalArgument(lastChild(ctx, e)) + QLatin1Char('{') + child(ctx, e, 1) +
           QLatin1Char('}');
}

// A subscript whose argument holds a phasor is written as the phasor alone:
// the phasor carries the subscript form itself ("\phase[2]").
// Whether a fraction stands in text style where it is read back: in a cell
// of a matrix, an array or cases (not of an aligned block), with no
// fraction or script between. There \frac reads as the small fraction, so
// the full fraction is written \dfrac.
bool inTextStyleCell(const EqElement* e) {
    for (const EqElement* p = e->parent; p; p = p->parent) {
        if (inRange(p->type, 128, 130) || p->type == 132 || inRange(p->type, 173, 175)) return false;
        if (inRange(p->type, 369, 372)) return (p->ch & 0x0F) != 3;
    }
    return false;
}

bool holdsPhasor(const EqElement* script) {
    if (script->type != 174 || script->children.empty()) return false;
    for (const EqElement* c = script->children[0]; c; c = c->next)
        if (c->type == EqTypePhasor) return true;
    return false;
}

QString scriptsText(const TeXWriteContext& ctx, const EqElement* e) {
    if (e->children.size() >= 2)
        return QStringLiteral("_{") + lastChild(ctx, e) + QStringLiteral("}^{") + child(ctx, e, 1) + QLatin1Char('}');
    if (e->type == 173) return QLatin1Char('^') + LaTeXBareArgument(child(ctx, e, 1));
    if (holdsPhasor(e)) return child(ctx, e, 1);
    return QLatin1Char('_') + LaTeXBareArgument(child(ctx, e, 1));
}

bool firstOfBigOperatorChain(const EqElement* e) {
    return e->prev && e->prev->type == EqTypeChainHead && !e->prev->prev && IsBigOperatorType(e->parent);
}

QString sidesetText(const TeXWriteContext& ctx, const EqElement* e) {
    if (firstOfBigOperatorChain(e)) return {};
    QString text = QStringLiteral("\\sideset{") + scriptsText(ctx, e) + QLatin1Char('}');
    // The second group is always written: the reader takes \sideset only
    // with both groups.
    QString second;
    const EqElement* op = e->next;
    if (op && IsBigOperatorType(op) && !op->children.empty()) {
        const EqElement* first = op->children.back()->next;
        if (first && first->type == 182) second = scriptsText(ctx, first);
    }
    return text + QLatin1Char('{') + second + QLatin1Char('}');
}

// Scripts that stand at the start of a big operator's operand belong to a
// \sideset before the operator. Without a sideset element in front, the
// operator writes the \sideset itself so that they are not lost.
QString sidesetBefore(const TeXWriteContext& ctx, const EqElement* op) {
    if (op->children.empty()) return {};
    const EqElement* first = op->children.back()->next;
    if (!first || first->type != 182) return {};
    const EqElement* prev = op->prev;
    if (prev && prev->type == 182 && !firstOfBigOperatorChain(prev)) return {};
    return QStringLiteral("\\sideset{}{") + scriptsText(ctx, first) + QLatin1Char('}');
}

QString limitUnderName(const TeXWriteContext& ctx, const EqElement* e) {
    const QString name = child(ctx, e, 1);
    if (name == QLatin1String("\\lim") || name == QLatin1String("\\max") || name == QLatin1String("\\min"))
        return name + QLatin1Char('_') + LaTeXBareArgument(child(ctx, e, 2)) + QLatin1Char(' ');
    return QStringLiteral("\\mathop ") + LaTeXBareArgument(name) + QStringLiteral(" \\limits_{") + child(ctx, e, 2) +
           QLatin1Char('}');
}

// Arrows with their text under the shaft.
QString arrowUnder(const TeXWriteContext& ctx, const char* command, const EqElement* e) {
    return QLatin1String(command) + optionalArgument(child(ctx, e, 1)) + QLatin1Char('{') +
           (e->children.size() >= 2 ? child(ctx, e, 2) : QString()) + QLatin1Char('}');
}

// Structures without a LaTeX form of their own keep their arguments.
QString argumentsOnly(const TeXWriteContext& ctx, const EqElement* e) {
    QString text;
    for (size_t i = 1; i <= e->children.size(); ++i) {
        const QString c = child(ctx, e, int(i));
        if (!c.isEmpty()) text += QLatin1Char('{') + c + QLatin1Char('}');
    }
    return text;
}

QString otherStructureText(const TeXWriteContext& ctx, const EqElement* e) {
    const int t = e->type;
    if (inRange(t, 557, 562) || inRange(t, 567, 572)) return radicalForm(ctx, "\\xleftrightharpoons", e);
    switch (t) {
    case 64:
        return e->children.empty() ? QString() : LaTeXChainText(ctx, e->children[0]);
    case 128: return twoArguments(ctx, inTextStyleCell(e) ? "\\dfrac" : "\\frac", e);
    case 129:
    case 130:
        return QStringLiteral("{{") + child(ctx, e, 1) + QStringLiteral("}\\Bigg/{") + child(ctx, e, 2) + QStringLiteral("}}");
    case 131: return twoArguments(ctx, "\\longdiv", e);
    case 132: return twoArguments(ctx, "\\tfrac", e);
    case 133:
    case 134:
    case 135:
    case 608:
        return argumentsOnly(ctx, e);
    case 136:
    case 137:
        return radicalForm(ctx, "\\sqrt", e);
    case 173:
    case 174:
    case 175:
    case 176:
        return scriptsText(ctx, e);
    case 177:
        if (e->ch == 1)
            return QStringLiteral("\\mathop {") + child(ctx, e, 1) + QStringLiteral("}^") + LaTeXBareArgument(child(ctx, e, 2));
        return QStringLiteral("\\overset{") + child(ctx, e, 2) + QStringLiteral("}{") + child(ctx, e, 1) + QLatin1Char('}');
    case 178:
        if (e->ch == 1)
            return QStringLiteral("\\mathop {") + child(ctx, e, 1) + QStringLiteral("}_") + LaTeXBareArgument(child(ctx, e, 3)) +
                   QLatin1Char('^') + LaTeXBareArgument(child(ctx, e, 2));
        return QStringLiteral("\\underset{") + child(ctx, e, 3) + QStringLiteral("}{\\overset{") + child(ctx, e, 2) +
               QStringLiteral("}{") + child(ctx, e, 1) + QStringLiteral("}}");
    case 179:
        if (e->ch == 1)
            return QStringLiteral("\\mathop {") + child(ctx, e, 1) + QStringLiteral("}_") + LaTeXBareArgument(child(ctx, e, 2));
        return QStringLiteral("\\underset{") + child(ctx, e, 2) + QStringLiteral("}{") + child(ctx, e, 1) + QLatin1Char('}');
    case 180: return limitUnderName(ctx, e);
    case 181: return QStringLiteral("\\mid") + scriptsText(ctx, e);
    case 182: return sidesetText(ctx, e);
    case 189: return radicalForm(ctx, "\\presuperscript", e);
    case 190: return radicalForm(ctx, "\\presubscript", e);
    case 191: return twoArguments(ctx, "\\prescript", e);
    case 553:
    case 574:
        return radicalForm(ctx, "\\xlongequal", e);
    case 554:
    case 564:
    case 624:
    case 628:
        return radicalForm(ctx, "\\xrightarrow", e);
    case 555:
    case 565:
    case 625:
    case 629:
        return radicalForm(ctx, "\\xleftarrow", e);
    case 556:
    case 566:
    case 626:
    case 630:
        return radicalForm(ctx, "\\xleftrightarrow", e);
    case 563:
    case 573:
    case 627:
    case 631:
        return radicalForm(ctx, "\\xRightarrow", e);
    case 632:
    case 640:
        return radicalForm(ctx, "\\xLeftarrow", e);
    case 633:
    case 641:
        return radicalForm(ctx, "\\xLeftrightarrow", e);
    case 634: return arrowUnder(ctx, "\\xrightarrow", e);
    case 635: return arrowUnder(ctx, "\\xleftarrow", e);
    case 636: return arrowUnder(ctx, "\\xleftrightarrow", e);
    case 637: return arrowUnder(ctx, "\\xRightarrow", e);
    case 638: return arrowUnder(ctx, "\\xLeftarrow", e);
    case 639: return arrowUnder(ctx, "\\xLeftrightarrow", e);
    case 642:
    case 643:
        return radicalForm(ctx, "\\xsim", e);
    case 1536: return radicalForm(ctx, "\\small", e);
    default:
        return {};
    }
}

}  // namespace

QString LaTeXElementText(const TeXWriteContext& ctx, const EqElement* e, const EqElement** last) {
    *last = e;
    const int t = e->type;
    QString text;
    if (IsCharType(t) || IsSpaceType(t)) {
        *last = WriteLaTeXCharRun(ctx, e, &text);
    } else if (IsBracketType(t)) {
        WriteLaTeXBracket(ctx, e, &text);
    } else if (IsOperatorType(t)) {
        WriteLaTeXOperator(ctx, e, &text);
    } else if (IsOverAccentType(t) || IsUnderAccentType(t) || IsEnclosureType(t) || IsFrameMarkType(t) ||
               t == EqTypePhasor) {
        WriteLaTeXDecoration(ctx, e, &text);
    } else if (IsArrowSymbolType(t)) {
        WriteLaTeXArrow(e, &text);
    } else if (IsGlyphSymbolType(t)) {
        WriteLaTeXGlyph(ctx, e, &text);
    } else if (IsBigOperatorType(t)) {
        WriteLaTeXBigOperator(ctx, e, &text);
        text.prepend(sidesetBefore(ctx, e));
    } else if (IsIntegralType(t)) {
        WriteLaTeXIntegral(ctx, e, &text);
    } else if (IsMatrixType(t)) {
        WriteLaTeXMatrix(ctx, e, &text);
    } else {
        text = otherStructureText(ctx, e);
    }
    return text;
}

void WriteLaTeX(const TeXWriteContext& ctx, const EqElement* e, QString* out, bool colourGroupOpen, bool cont) {
    if (!e || !out) return;
    GroupState st;
    st.colourOpen = colourGroupOpen;
    st.colour = e->prev ? e->prev->colour : e->colour;
    if (!cont) {
        writeUnit(ctx, e, out, st, false);
        if (st.colourOpen && st.colourOpenedByLast) out->append(QLatin1Char('}'));
        return;
    }
    for (const EqElement* cur = e; cur;) {
        const EqElement* last = writeUnit(ctx, cur, out, st, true);
        cur = last->next;
    }
    if (st.phantomOpen) out->append(QLatin1Char('}'));
    if (st.colourOpen) out->append(QLatin1Char('}'));
}

QString LaTeXChainText(const TeXWriteContext& ctx, const EqElement* head) {
    QString text;
    WriteLaTeX(ctx, head, &text, false, true);
    return text;
}

QString LaTeXChildText(const TeXWriteContext& ctx, const EqElement* e, int i) {
    if (!e || i < 1 || size_t(i) > e->children.size()) return {};
    QString text = LaTeXChainText(ctx, e->children[size_t(i - 1)]);
    ChopTrailingBlank(&text);
    return text;
}

void ChopTrailingBlank(QString* text) {
    const qsizetype n = text->size();
    if (n == 0 || text->at(n - 1) != QLatin1Char(' ')) return;
    // Count the backslashes before the blank: an odd number escapes it.
    qsizetype slashes = 0;
    while (slashes < n - 1 && text->at(n - 2 - slashes) == QLatin1Char('\\')) ++slashes;
    if (slashes % 2 == 0) text->chop(1);
}

QString EquationToLaTeX(const EqModel& eq, const TeXWriteContext& ctx) {
    QString open;
    QString close;
    switch (ctx.delimiters) {
    case LaTeXInlineDollar:
        open = QStringLiteral("$\n");
        close = QStringLiteral("\n$\n");
        break;
    case LaTeXDisplayBracket:
        open = QStringLiteral("\\[\n");
        close = QStringLiteral("\n\\]\n");
        break;
    case LaTeXInlineParen:
        open = QStringLiteral("\\(\n");
        close = QStringLiteral("\n\\)\n");
        break;
    case LaTeXNoDelimiters:
        break;
    default:
        open = QStringLiteral("$$\n");
        close = QStringLiteral("\n$$\n");
        break;
    }
    if (!ctx.delimiterLineFeeds) {
        open.remove(QLatin1Char('\n'));
        close.remove(QLatin1Char('\n'));
    }
    QStringList parts;
    for (const EqElement* head : eq.lines) parts << LaTeXChainText(ctx, head);
    return open + parts.join(QStringLiteral("\n\\\\\n")) + close;
}

QString LaTeXBareArgument(const QString& text) {
    if (text.size() == 1 && text != QLatin1String("'")) return text;
    return QLatin1Char('{') + text + QLatin1Char('}');
}

QString LaTeXColourText(uint32_t argb, int mode) {
    struct Named {
        uint32_t argb;
        const char* name;
    };
    static const Named kNames[] = {
        {0xFF000000, "black"},  {0xFF0000FF, "blue"},  {0xFF008000, "green"}, {0xFF00FFFF, "cyan"},
        {0xFF800080, "purple"}, {0xFF808080, "gray"},  {0xFFA52A2A, "brown"}, {0xFFDDA0DD, "plum"},
        {0xFFFF0000, "red"},    {0xFFFFA500, "orange"}, {0xFFFFC0CB, "pink"}, {0xFFFFFF00, "yellow"},
        {0xFFFFFFFF, "white"},
    };
    for (const Named& n : kNames) {
        if (n.argb != argb) continue;
        const QString name = QLatin1String(n.name);
        if (mode == 0) return QStringLiteral("{\\color{") + name + QStringLiteral("} ");
        return QLatin1Char('[') + name + QLatin1Char(']');
    }
    const QString rgb =
        QString::asprintf("%d, %d, %d", int((argb >> 16) & 0xFF), int((argb >> 8) & 0xFF), int(argb & 0xFF));
    if (mode == 0) return QStringLiteral("{\\color[RGB]{") + rgb + QStringLiteral("} ");
    return QLatin1Char('[') + rgb + QLatin1Char(']');
}

}  // namespace toliva
