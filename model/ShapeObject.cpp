#include "ShapeObject.h"

#include "EqElement.h"
#include "EqModel.h"
#include "EqTypes.h"

namespace toliva {

void CKwEE_O::Layout(EqElement* e, gp::Graphics*, float s, uint8_t) {
    element = e;
    scale = s;
    const float base = e && e->owner ? e->owner->settings.fontSize : 1.0f;
    size = s * base;
}

void CKwEE_O::Draw(gp::Graphics*, float, float, uint8_t) {}

bool IsShapeObjectType(int32_t type) {
    return IsIntegralType(type) || IsBigOperatorType(type) || IsBracketType(type) || IsMatrixType(type) ||
           IsOperatorType(type) || type == EqTypeChemForm;
}

std::unique_ptr<CKwEE_O> NewShapeObject(int32_t type) {
    if (!IsShapeObjectType(type)) return nullptr;
    // The concrete shapes register here as they are built; until then a
    // computed shape is an empty box.
    return std::make_unique<CKwEE_O>();
}

void LayoutShapeObject(EqElement* e, gp::Graphics* graphics, float scale, uint8_t flag) {
    if (!e) return;
    e->shape.reset();
    e->width = e->ascent = e->descent = e->xOffset = 0;
    e->shape = NewShapeObject(e->type);
    if (e->shape) e->shape->Layout(e, graphics, scale, flag);
}

void LayoutAccentObject(EqElement* e, gp::Graphics*, float, uint8_t, float, const QString&, const GlyphOutline*) {
    if (!e) return;
    // The accent class plugs in here: create it, call its base Layout, then
    // its accent measuring. Without it the marks take no room.
    e->shape.reset();
}

}  // namespace toliva
