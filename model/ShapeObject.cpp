#include "ShapeObject.h"

#include "EqElement.h"
#include "EqModel.h"
#include "EqTypeRoutes.h"
#include "ShapeAccent.h"
#include "ShapeBigOperator.h"
#include "ShapeBracket.h"
#include "ShapeChem.h"
#include "ShapeIntegral.h"
#include "ShapeMatrix.h"
#include "ShapeOperator.h"

namespace toliva {

void CKwEE_O::Layout(EqElement* e, gp::Graphics*, float s, uint8_t) {
    element = e;
    scale = s;
    const float base = e && e->owner ? e->owner->settings.fontSize : 1.0f;
    size = s * base;
}

void CKwEE_O::Draw(gp::Graphics*, float, float, uint8_t) {}

bool IsShapeObjectType(int32_t type) { return IsShapeObjectFamily(FamilyOfType(type)); }

std::unique_ptr<CKwEE_O> NewShapeObject(int32_t type) {
    switch (FamilyOfType(type)) {
    case EqFamily::Bracket: return std::make_unique<CKwEE_O_Bracket>();
    case EqFamily::Matrix: return std::make_unique<CKwEE_O_Matrix>();
    case EqFamily::Operator: return std::make_unique<CKwEE_O_Operator>();
    case EqFamily::Integral: return std::make_unique<CKwEE_O_integral>();
    case EqFamily::BigOperator: return std::make_unique<CKwEE_O_SPB>();
    case EqFamily::ChemForm: return std::make_unique<CKwEE_O_ChemEForm>();
    default: return nullptr;
    }
}

void LayoutShapeObject(EqElement* e, gp::Graphics* graphics, float scale, uint8_t flag) {
    if (!e) return;
    e->shape.reset();
    e->width = e->ascent = e->descent = e->xOffset = 0;
    e->shape = NewShapeObject(e->type);
    if (e->shape) e->shape->Layout(e, graphics, scale, flag);
}

void LayoutAccentObject(EqElement* e, gp::Graphics* graphics, float scale, uint8_t flag, float size,
                        const QString& text, const GlyphOutline* glyph) {
    if (!e) return;
    e->shape.reset();
    auto accent = std::make_unique<CKwEE_O_Accent>();
    CKwEE_O_Accent* object = accent.get();
    e->shape = std::move(accent);
    object->CKwEE_O::Layout(e, graphics, scale, flag);
    object->LayoutAccent(graphics, size, text, glyph, flag);
}

}  // namespace toliva
