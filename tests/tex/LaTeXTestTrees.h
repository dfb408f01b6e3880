// A small tree builder for the LaTeX writer tests.
#pragma once

#include "model/EqBuilder.h"
#include "model/EqLayoutSettings.h"
#include "model/EqModel.h"
#include "LaTeXWriter.h"
#include "TeXTestContext.h"
#include "tests/common/ModelFixtures.h"

#include <initializer_list>
#include <string_view>

namespace toliva::test {

// One equation with one line, elements in opaque black.
struct Tree {
    EqModel eq{builtInStyle()};
    EqBuilder b{&eq};
    EqElement* line = nullptr;

    Tree() {
        eq.currentColour = 0xFF000000;
        line = b.line();
    }

    EqElement* add(EqElement* chain, int type, int nChildren = 0, uint16_t ch = 0) {
        return b.add(chain, type, nChildren, ch);
    }
    EqElement* text(EqElement* chain, std::u16string_view s, int type = EqTypeCharItalic) {
        return b.text(chain, s, type);
    }
    static EqElement* arg(const EqElement* e, int i) { return EqBuilder::arg(e, i); }
    // An element whose child chains hold the given italic texts.
    EqElement* with(EqElement* chain, int type, std::initializer_list<std::u16string_view> args, uint16_t ch = 0) {
        EqElement* e = add(chain, type, int(args.size()), ch);
        int i = 0;
        for (std::u16string_view a : args) text(arg(e, i++), a);
        return e;
    }
    QString latex() const { return LaTeXChainText(writeContext(), line); }
};

}  // namespace toliva::test
