// The LaTeX writer against the TeX name table: every name the writer takes
// from the table reads back to its own key, and every command the writer
// emits is a name the reader finds.
#include "LaTeXTestTrees.h"

#include "MathMLTables.h"
#include "tex/TeXCode.h"

#include <gtest/gtest.h>

#include <QSet>

#include <set>

namespace toliva::test {
namespace {

bool tableLoaded() {
    shippedNames().LoadTeXNameTable();
    return shippedNames().loaded();
}

// "\name " to "name".
QString nameOf(const QString& text) {
    QString name = text;
    if (name.startsWith(QLatin1String("\\not "))) name = name.mid(5);
    if (name.startsWith(QLatin1Char('\\'))) name = name.mid(1);
    if (name.endsWith(QLatin1Char(' '))) name.chop(1);
    return name;
}

struct Key {
    int kind = 0;
    int value1 = 0;
    int value2 = 0;
};

bool lookup(const QString& name, Key* key) {
    return shippedNames().LookupTeXName(name, &key->kind, &key->value1, &key->value2);
}

// The character a key stands for, or 0.
char16_t symbolOf(const Key& key) {
    switch (key.kind) {
    case 3: return mathml::OperatorChar(key.value1);
    case 4: return char16_t(key.value2);
    case 6: return char16_t(key.value1);
    case 13: return mathml::GlyphMeaningOf(key.value1, 6).ch;
    default: return 0;
    }
}

// A name reads back to its own key, or to another key of the same symbol
// (the table keeps such synonyms for the reverse lookups only).
bool readsBack(const QString& text, const Key& own, Key* found) {
    if (!lookup(nameOf(text), found)) return false;
    if (found->kind == own.kind && (own.kind == 4 ? found->value2 == own.value2 : found->value1 == own.value1))
        return true;
    const char16_t c = symbolOf(own);
    return c != 0 && symbolOf(*found) == c;
}

// Every command name in a LaTeX text ("\\" and "\{" give "\" and "{").
void collectCommands(const QString& s, std::set<QString>* names) {
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] != QLatin1Char('\\') || i + 1 >= s.size()) continue;
        qsizetype j = i + 1;
        while (j < s.size() && s[j].unicode() < 0x80 && s[j].isLetter()) ++j;
        if (j == i + 1) j = i + 2;
        names->insert(s.mid(i + 1, j - i - 1));
        i = j - 1;
    }
}

TEST(LaTeXNamesTest, OperatorNamesReadBack) {
    ASSERT_TRUE(tableLoaded()) << "Dat/KwTLData.dat is missing beside the test program";
    QStringList wrong;
    for (int type = 1042; type <= 1289; ++type) {
        Tree t;
        QString text;
        WriteLaTeXOperator(writeContext(), t.add(t.line, type), &text);
        if (!text.startsWith(QLatin1Char('\\')) || text.startsWith(QLatin1String("\\text{"))) continue;
        Key key;
        if (!readsBack(text, {3, type, 0}, &key))
            wrong << QStringLiteral("%1 %2 -> (%3, %4)").arg(type).arg(text).arg(key.kind).arg(key.value1);
    }
    EXPECT_TRUE(wrong.isEmpty()) << wrong.join(QLatin1Char('\n')).toStdString();
}

TEST(LaTeXNamesTest, CharacterNamesReadBack) {
    ASSERT_TRUE(tableLoaded());
    std::set<uint16_t> chars;
    for (const TeXNameEntry& e : shippedNames().entries()) {
        if (e.kind == 4) chars.insert(uint16_t(e.value2));
        if (e.kind == 6) chars.insert(uint16_t(e.value1));
    }
    QStringList wrong;
    int checked = 0;
    for (uint16_t c : chars) {
        for (int type : {1, 2, 5}) {
            Tree t;
            EqElement* e = t.add(t.line, type, 0, c);
            int cls = 0;
            const QString text = WriteLaTeXChar(writeContext(), e, &cls);
            int tableClass = type;
            QString tableText;
            // Only the names the writer takes from the table; its fixed texts are checked below.
            if (!shippedNames().TeXNameOfChar(c, type, &tableClass, &tableText) || text != tableText) continue;
            ++checked;
            Key key;
            if (!readsBack(text, {4, 0, c}, &key))
                wrong << QStringLiteral("U+%1 type %2 %3 -> (%4, %5, %6)")
                             .arg(c, 4, 16, QLatin1Char('0'))
                             .arg(type)
                             .arg(text)
                             .arg(key.kind)
                             .arg(key.value1)
                             .arg(key.value2);
        }
    }
    EXPECT_GT(checked, 100);
    EXPECT_TRUE(wrong.isEmpty()) << wrong.join(QLatin1Char('\n')).toStdString();
}

TEST(LaTeXNamesTest, GlyphNamesReadBack) {
    ASSERT_TRUE(tableLoaded());
    QStringList wrong;
    int checked = 0;
    for (int index = 1; index <= 600; ++index) {
        Tree t;
        QString text;
        WriteLaTeXGlyph(writeContext(), t.add(t.line, 7, 0, uint16_t(index)), &text);
        if (text.isEmpty()) continue;
        ++checked;
        Key key;
        if (!readsBack(text, {13, index, 0}, &key))
            wrong << QStringLiteral("%1 %2 -> (%3, %4)").arg(index).arg(text).arg(key.kind).arg(key.value1);
    }
    EXPECT_GT(checked, 50);
    EXPECT_TRUE(wrong.isEmpty()) << wrong.join(QLatin1Char('\n')).toStdString();
}

// Writes one element of every kind the writer knows, with its variants.
QString sweep() {
    QString all;
    auto keep = [&](Tree& t) { all += t.latex() + QLatin1Char('\n'); };
    for (int type = 0; type < 2000; ++type) {
        Tree t;
        for (int n = 0; n <= 3; ++n) {
            for (uint16_t ch : {0, 1, 2, 3, 0x41, 0xEEFF}) {
                EqElement* e = t.add(t.line, type, n, ch);
                for (int i = 0; i < n; ++i) t.text(Tree::arg(e, i), u"a");
            }
        }
        keep(t);
    }
    {
        Tree t;
        for (int code = 0; code < 256; ++code) {
            t.with(t.line, 336, {u"a"}, uint16_t(code << 8 | 17));
            t.with(t.line, 336, {u"a"}, uint16_t(1 << 8 | code));
        }
        keep(t);
    }
    for (int ch : {0, 1, 2, 3, 4, 0x11}) {
        for (int j = 0; j < 8; ++j) {
            Tree t;
            EqElement* m = t.with(t.line, 371, {u"a", u"b", u"c", u"d"}, uint16_t(ch));
            m->payload = {2, 2};
            uint8_t record[32] = {};
            record[4 * j] = 1;
            SetMatrixRules(m, record);
            keep(t);
        }
    }
    {
        Tree t;
        const std::u16string chars = u"abcsinxyz0123456789 !\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~\u00B0\u2032\u2033\u2034"
                                     u"\u0393\u0394\u0398\u039B\u039E\u03A0\u03A3\u03A6\u03A8\u03A9\u03D2\u4E2D\u03B1\u221E";
        for (int type : {1, 2, 3, 4, 5, 16, 17}) t.text(t.line, chars, type);
        for (int code = 0; code < 256; ++code) t.text(t.line, u"x")->payload = {uint8_t(code)};
        for (const char16_t* name : {u"ln", u"sinh", u"cosh", u"tanh", u"coth", u"sech", u"csch", u"sin", u"cos",
                                     u"sec", u"csc", u"tan", u"cot", u"exp", u"lg", u"log", u"lim", u"max", u"min",
                                     u"abs", u"det", u"arcsin", u"arccos", u"arctan", u"arccot", u"arcsec", u"arccsc",
                                     u"sgn"}) {
            t.text(t.line, name, 1);
            t.add(t.line, 98);
        }
        for (int type = 96; type <= 105; ++type) t.add(t.line, type);
        for (int command = 0; command <= 6; ++command) SetSpaceAmount(t.add(t.line, 104, 0, uint16_t(command << 8)), 1);
        for (int type : {6, 8})
            for (int index = 1; index <= 600; ++index) t.add(t.line, type, 0, uint16_t(index));
        for (int8_t kind = 1; kind <= 3; ++kind) SetPhantomKind(t.text(t.line, u"x"), kind, false);
        SetElementColour(t.text(t.line, u"x"), 0x0000FF, false);
        SetElementColour(t.text(t.line, u"x"), 0x123456, false);
        keep(t);
    }
    return all;
}

// The reader takes "\|" as the parallel operator without the table, and an
// unknown command as the upright characters of its name; a name is fine when
// those characters are written as the same command again.
bool readByFallback(const QString& name) {
    if (name == QLatin1String("|")) return true;
    Tree t;
    t.text(t.line, name.toStdU16String(), EqTypeCharUpright);
    QString text = t.latex();
    ChopTrailingBlank(&text);
    return text == QLatin1Char('\\') + name;
}

TEST(LaTeXNamesTest, EveryEmittedCommandIsKnown) {
    ASSERT_TRUE(tableLoaded());
    std::set<QString> names;
    collectCommands(sweep(), &names);
    for (const char* name : {"left", "right", "middle", "Biggl", "begin", "end", "hline", "hdashline", "\\", "frac",
                             "color", "phantom", "mathbb", "mathbbbf", "sum", "int", "xrightarrow", "bbox", "kern",
                             "dot", "ul", "sideset", "not", "alpha", "degree", "sin", "{", "|"})
        EXPECT_TRUE(names.count(QString::fromLatin1(name))) << "the sweep no longer writes \\" << name;
    QStringList missing;
    for (const QString& name : names) {
        Key key;
        if (lookup(name, &key) || readByFallback(name)) continue;
        missing << QLatin1Char('\\') + name;
    }
    EXPECT_TRUE(missing.isEmpty()) << "not in the TeX name table: " << missing.join(QLatin1Char(' ')).toStdString();
}

}  // namespace
}  // namespace toliva::test
