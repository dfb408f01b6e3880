#include "MathMLReader.h"

#include "MathMLReadTree.h"
#include "model/EqModel.h"

#include <algorithm>

namespace toliva {
namespace {

bool isXmlSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

QString fromUtf8(const char* s) { return QString::fromUtf8(s); }

}  // namespace

// --- reader state -----------------------------------------------------------

MathMLReader::MathMLReader() = default;
MathMLReader::~MathMLReader() = default;

pugi::xml_document& MathMLReader::newDocument() {
    m_document.reset();
    m_document = std::make_unique<pugi::xml_document>();
    return *m_document;
}

void FreeMathMLDocument(MathMLReader& reader) { reader.freeDocument(); }

// --- nodes and attributes ---------------------------------------------------

QString MathMLNodeName(pugi::xml_node node) {
    QString name = fromUtf8(node.name());
    name.remove(QStringLiteral("mml:"));
    name.remove(QStringLiteral("m:"));
    name.remove(QLatin1Char(' '));
    return name.toLower();
}

QString MathMLAttribute(pugi::xml_node node, const char* name, const QString& fallback, bool inherit) {
    if (pugi::xml_attribute a = node.attribute(name)) return fromUtf8(a.value());
    if (inherit) {
        for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
            if (c.type() != pugi::node_element) continue;
            if (pugi::xml_attribute a = c.attribute(name)) return fromUtf8(a.value());
        }
    }
    return fallback;
}

int MathMLBoolAttribute(pugi::xml_node node, const char* name) {
    const QString v = MathMLAttribute(node, name);
    if (v == QLatin1String("true")) return 1;
    if (v == QLatin1String("false")) return 2;
    return 0;
}

int MathMLChildCount(pugi::xml_node node) {
    int n = 0;
    for (pugi::xml_node c = mathmlread::firstElement(node); c; c = mathmlread::nextElement(c)) ++n;
    return n;
}

std::u16string MathMLTokenText(pugi::xml_node node) { return mathmlread::withLookAlikes(mathmlread::rawTokenText(node)); }

uint8_t DelimiterCode(char16_t c, bool closing) {
    switch (c) {
    case u'(': return 1;
    case u')': return 0x11;
    case u'[': return 2;
    case u']': return 0x12;
    case u'{': return 3;
    case u'}': return 0x13;
    case 0x2329: case 0x27E8: return 4;
    case 0x232A: case 0x27E9: return 0x14;
    case u'|': return closing ? 21 : 5;
    case 0x2016: return closing ? 22 : 6;
    case 0x230A: return 7;
    case 0x230B: return 24;
    case 0x2308: return 8;
    case 0x2309: return 23;
    case 0x27E6: return 9;
    case 0x27E7: return 25;
    default: return 0;
    }
}

namespace mathmlread {

pugi::xml_node nextElement(pugi::xml_node node) {
    for (node = node.next_sibling(); node; node = node.next_sibling())
        if (node.type() == pugi::node_element) return node;
    return {};
}

pugi::xml_node firstElement(pugi::xml_node node) {
    pugi::xml_node c = node.first_child();
    if (!c || c.type() == pugi::node_element) return c;
    return nextElement(c);
}

pugi::xml_node elementAt(pugi::xml_node node, int i) {
    pugi::xml_node c = firstElement(node);
    for (; c && i > 0; --i) c = nextElement(c);
    return c;
}

bool nameIs(pugi::xml_node node, const char16_t* name) { return MathMLNodeName(node) == QStringView(name); }

std::u16string rawTokenText(pugi::xml_node node, qsizetype* written) {
    QString all;
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata) all += fromUtf8(c.value());
    if (written) *written = all.size();
    std::u16string text;
    text.reserve(size_t(all.size()));
    bool blank = false;
    for (QChar q : all) {
        const char16_t c = q.unicode();
        if (isXmlSpace(c)) {
            blank = true;
            continue;
        }
        if (blank && !text.empty()) text += u' ';
        blank = false;
        text += c;
    }
    return text;
}

std::u16string withLookAlikes(std::u16string text) {
    for (char16_t& c : text) c = LookAlike(c);
    return text;
}

QString attribute(pugi::xml_node node, const char* name, const QString& fallback) {
    return MathMLAttribute(node, name, fallback, false);
}

}  // namespace mathmlread

// --- entry and walk ---------------------------------------------------------

EqElement* ReadMathMLElement(pugi::xml_node node, EqElement* after, EqModel* eq, bool cont) {
    mathmlread::TreeReader reader(eq);
    return reader.read(node, after, cont);
}

QString ReadMathMLTree(pugi::xml_node node, EqModel* eq, bool* overflow, std::vector<MathMLReadProblem>* problems) {
    mathmlread::TreeReader reader(eq);
    // Document order without recursion: every "math" element is read as one
    // line and not descended into; everything else is descended into.
    const pugi::xml_node top = node.parent();
    pugi::xml_node n = node;
    while (n && !reader.full()) {
        if (n.type() == pugi::node_element && MathMLNodeName(n) == QLatin1String("math")) {
            if (EqElement* line = reader.newLine()) reader.read(n.first_child(), line, true);
        } else if (n.first_child()) {
            n = n.first_child();
            continue;
        }
        while (n) {
            if (pugi::xml_node s = n.next_sibling()) {
                n = s;
                break;
            }
            n = n.parent();
            if (n == top) n = pugi::xml_node();
        }
    }
    if (overflow) *overflow = reader.full();
    if (problems) *problems = reader.problems();
    return reader.report();
}

namespace {

MathMLReadResult readInto(MathMLReader& reader, const void* data, size_t size, std::unique_ptr<EqModel> eq) {
    MathMLReadResult result;
    pugi::xml_document& doc = reader.newDocument();
    if (!data || !size) {
        result.message = QStringLiteral("The text is empty.");
        return result;
    }
    if (size > kMaxMathMLInputSize) {
        result.overflow = true;
        result.message = QStringLiteral("The text is larger than the input limit (%1 bytes) and was not read.")
                             .arg(qulonglong(kMaxMathMLInputSize));
        return result;
    }
    const pugi::xml_parse_result parsed = doc.load_buffer(data, size, pugi::parse_default, pugi::encoding_auto);
    if (!parsed) {
        result.message = QStringLiteral("The text is not well-formed XML (%1 at byte %2).")
                             .arg(QString::fromUtf8(parsed.description()))
                             .arg(qlonglong(parsed.offset));
        return result;
    }
    if (!doc.first_child()) {
        result.message = QStringLiteral("The text holds no XML element.");
        return result;
    }
    const QString leftOut = ReadMathMLTree(doc.first_child(), eq.get(), &result.overflow, &result.problems);
    if (eq->lines.empty()) {
        result.message = QStringLiteral("The text holds no MathML \"math\" element.");
        return result;
    }
    if (IsEquationEmpty(eq.get())) {
        result.message = leftOut.isEmpty() ? QStringLiteral("The MathML holds nothing that converts.") : leftOut;
        return result;
    }
    result.equation = std::move(eq);
    result.ok = true;
    result.message = leftOut;
    return result;
}

}  // namespace

MathMLReadResult ReadMathML(MathMLReader& reader, const void* data, size_t size) {
    return readInto(reader, data, size, std::make_unique<EqModel>());
}

MathMLReadResult ReadMathML(MathMLReader& reader, const void* data, size_t size, const EqLayoutSettings& style) {
    return readInto(reader, data, size, std::make_unique<EqModel>(style));
}

}  // namespace toliva

namespace toliva {

QStringList MathMLReadReport(const MathMLReadResult& result) {
    QStringList report;
    if (!result.message.isEmpty()) report << result.message;
    std::vector<MathMLReadProblem> problems = result.problems;
    std::stable_sort(problems.begin(), problems.end(), [](const MathMLReadProblem& a, const MathMLReadProblem& b) {
        return qulonglong(a.position) < qulonglong(b.position);
    });
    for (const MathMLReadProblem& p : problems)
        report << (p.position < 0 ? p.message : QStringLiteral("byte %1: %2").arg(p.position).arg(p.message));
    return report;
}

}  // namespace toliva
