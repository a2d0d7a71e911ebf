#pragma once

#include <GL/gl.h>

#include <cstdint>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"

namespace QV {

// A block of GL display lists: a shape is compiled once between Begin and End and then only
// called. The list names are made on the first Begin. Used with the renderer's GL context
// current; GL errors are drained, never reported.
class LGLDisplayList : public LRefCountedObject {
public:
    static constexpr GLuint kNoList = 0xFFFFFFFFu;

    // A block of count lists; null for 0.
    static RCPtr<LGLDisplayList> Create(int32_t count);
    ~LGLDisplayList() override;

    // Starts compiling list offset of the block. S_OK, or E_FAIL when no list exists (or the
    // offset lies outside the block).
    int32_t Begin(int32_t offset);
    // S_OK, or E_FAIL when no list exists.
    int32_t End();
    // Calls lists first to first + count - 1. E_INVALIDARG for a range outside the block,
    // E_FAIL when the block has no lists or stopping at a list that does not exist.
    int32_t Call(int32_t first, int32_t count) const;

    int32_t GetCount() const { return mCount; }

private:
    explicit LGLDisplayList(int32_t count) : mCount(count) {}

    bool Exists() const { return mFirst != kNoList && glIsList(mFirst); }

    GLuint mFirst = kNoList;
    int32_t mCount;
};

}  // namespace QV
