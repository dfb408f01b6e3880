// Small helpers for the sheet tests: element paths and hand-placed boxes.
//
// A path names an element by its line and its place in each chain on the way
// down: "L0/5/c1/0" is line 0, element 5 of that line (the head is 0), child
// chain 1 of it, the head of that chain.
#pragma once

#include "model/EqBuilder.h"
#include "model/EqElement.h"
#include "model/EqModel.h"

#include <QString>
#include <QStringList>

#include <algorithm>
#include <string>
#include <vector>

namespace toliva::test {

inline int placeInChain(const EqElement* e) {
    int i = 0;
    for (const EqElement* x = e; x->prev; x = x->prev) ++i;
    return i;
}

inline std::string elementPath(const EqElement* e) {
    if (!e) return "none";
    std::vector<std::string> parts;
    const EqElement* x = e;
    for (;;) {
        const EqElement* head = x;
        while (head->prev) head = head->prev;
        const int place = placeInChain(x);
        const EqElement* s = head->parent;
        if (!s) {
            const auto& lines = x->owner->lines;
            const int line = int(std::find(lines.begin(), lines.end(), head) - lines.begin());
            parts.push_back("L" + std::to_string(line) + "/" + std::to_string(place));
            break;
        }
        const int chain = int(std::find(s->children.begin(), s->children.end(), head) - s->children.begin());
        parts.push_back("c" + std::to_string(chain) + "/" + std::to_string(place));
        x = s;
    }
    std::string out;
    for (auto it = parts.rbegin(); it != parts.rend(); ++it) out += (out.empty() ? "" : "/") + *it;
    return out;
}

// The element a path names; null when there is none.
inline EqElement* elementAt(EqModel* eq, const std::string& path) {
    const QStringList parts = QString::fromStdString(path).split('/');
    if (parts.size() < 2 || !parts[0].startsWith('L')) return nullptr;
    const int line = parts[0].mid(1).toInt();
    if (line < 0 || line >= int(eq->lines.size())) return nullptr;
    EqElement* e = eq->lines[size_t(line)];
    for (int n = parts[1].toInt(); e && n > 0; --n) e = e->next;
    for (int i = 2; e && i + 1 < parts.size(); i += 2) {
        const int chain = parts[i].mid(1).toInt();
        if (chain < 0 || chain >= int(e->children.size())) return nullptr;
        e = e->children[size_t(chain)];
        for (int n = parts[i + 1].toInt(); e && n > 0; --n) e = e->next;
    }
    return e;
}

// Sets an element's drawn box; a chain head's chain box too.
inline void setBox(EqElement* e, float x, float y, float w, float h) {
    e->rect = {x, y, w, h};
    if (e->type == EqTypeChainHead) e->origin = {x, y, w, h};
}

// Places the chain from head in a row: the head as an empty box at x, each
// element after it w wide; the head's chain box spans the row.
inline void placeRow(EqElement* head, float x, float y, float w, float h) {
    int n = 0;
    for (EqElement* e = head->next; e; e = e->next) setBox(e, x + w * float(n++), y, w, h);
    head->rect = {x, y, 0, h};
    head->origin = {x, y, w * float(n), h};
}

// Line 0 "ab" and line 1 a 2 x 2 matrix of w, x, y, z (flag word 0), in
// italic characters; returns the matrix, *line0 gets line 0's head.
inline EqElement* buildTextAndMatrix(EqModel* eq, EqElement** line0) {
    EqBuilder b(eq);
    *line0 = b.line();
    b.text(*line0, u"ab", EqTypeCharItalic);
    EqElement* line1 = b.line();
    EqElement* matrix = b.add(line1, EqTypeMatrix, 4);
    SetMatrixCounts(matrix, 2, 2);
    const char16_t* cells[] = {u"w", u"x", u"y", u"z"};
    for (int i = 0; i < 4; ++i) b.text(matrix->children[size_t(i)], cells[i], EqTypeCharItalic);
    return matrix;
}

}  // namespace toliva::test
