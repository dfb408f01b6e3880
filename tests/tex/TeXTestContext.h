// The converters' context for the tests of tex/: the name table and the
// symbol library the build puts beside the test program, each read once.
#pragma once

#include "model/SymbolLibrary.h"
#include "tex/TeXCode.h"
#include "tex/TeXContext.h"

#include <QStringList>

namespace toliva::test {

// "Dat/KwTLData.dat" beside the program, read on first use.
inline CTeXCode& shippedNames() {
    static CTeXCode table;
    return table;
}

// "Dat/KwSLData.dat" beside the program; empty when it is missing.
inline const SymbolLibrary& shippedSymbols() {
    static SymbolLibrary library;
    static const bool loaded = LoadSymbolLibrary(library);
    (void)loaded;
    return library;
}

// Names only: the writers' output does not depend on the symbol library
// except for glyph symbols without a character of their own.
inline TeXWriteContext writeContext(int delimiters = LaTeXDisplayDollars) {
    TeXWriteContext context;
    context.names = &shippedNames();
    context.delimiters = delimiters;
    return context;
}

inline TeXReadContext readContext(const QStringList& labels = {}) {
    TeXReadContext context;
    context.names = &shippedNames();
    context.labels = labels;
    return context;
}

}  // namespace toliva::test
