// Scope guards over a Graphics: each puts back what it saved when the scope
// is left, whatever way it is left.
#pragma once

#include "platform/gdiplus/Graphics.h"
#include "platform/gdiplus/Matrix.h"

namespace toliva::gp {

// Saves the graphics state (transform, smoothing, compositing, text hint)
// and restores it on leaving the scope.
class SavedState {
public:
    explicit SavedState(Graphics& g) : m_g(g), m_state(g.Save()) {}
    ~SavedState() { m_g.Restore(m_state); }
    SavedState(const SavedState&) = delete;
    SavedState& operator=(const SavedState&) = delete;

private:
    Graphics& m_g;
    GraphicsState m_state;
};

// Puts the world transform back as it was when the scope began; the rest of
// the state is left as the scope leaves it.
class TransformScope {
public:
    explicit TransformScope(Graphics& g) : m_g(g), m_saved(g.GetTransform()) {}
    ~TransformScope() { m_g.SetTransform(m_saved); }
    TransformScope(const TransformScope&) = delete;
    TransformScope& operator=(const TransformScope&) = delete;

private:
    Graphics& m_g;
    Matrix m_saved;
};

}  // namespace toliva::gp
