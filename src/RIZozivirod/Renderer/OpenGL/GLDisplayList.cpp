#include "RIZozivirod/Renderer/OpenGL/GLDisplayList.h"

#include "RIZozivirod/Renderer/OpenGL/GLTexture.h"
#include "RIZozivirod/Utilities/Storage/Result.h"

namespace QV {

RCPtr<LGLDisplayList> LGLDisplayList::Create(int32_t count) {
    if (count <= 0) {
        return nullptr;
    }
    return RCPtr<LGLDisplayList>(new LGLDisplayList(count));
}

LGLDisplayList::~LGLDisplayList() {
    if (Exists()) {
        glDeleteLists(mFirst, mCount);
    }
}

int32_t LGLDisplayList::Begin(int32_t offset) {
    if (mFirst == kNoList) {
        const GLuint first = glGenLists(mCount);
        if (first != 0) {
            mFirst = first;
        }
    }
    if (!Exists() || offset < 0 || offset >= mCount) {
        return E_FAIL;
    }
    glNewList(mFirst + static_cast<GLuint>(offset), GL_COMPILE);
    DrainGLErrors();
    return S_OK;
}

int32_t LGLDisplayList::End() {
    if (!Exists()) {
        return E_FAIL;
    }
    glEndList();
    DrainGLErrors();
    return S_OK;
}

int32_t LGLDisplayList::Call(int32_t first, int32_t count) const {
    if (!Exists()) {
        return E_FAIL;
    }
    if (first < 0 || count < 0 || first > mCount - count) {
        return E_INVALIDARG;
    }
    for (int32_t i = first; i < first + count; ++i) {
        const GLuint list = mFirst + static_cast<GLuint>(i);
        if (!glIsList(list)) {
            return E_FAIL;
        }
        glCallList(list);
    }
    return S_OK;
}

}  // namespace QV
