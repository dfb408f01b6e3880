// Base of the shape objects attached to elements whose shape is computed.
// The concrete shapes and their layout and drawing operations come with the
// layout code; the model only owns and deletes them.
#pragma once

namespace toliva {

class CKwEE_O {
public:
    virtual ~CKwEE_O() = default;
};

}  // namespace toliva
