#include "RIZozivirod/ObjectBase/RefCountedObject.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>

#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {

std::string ClassName(const std::type_info& type) {
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> readable(
        abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), std::free);
    return std::string("class ") + (status == 0 && readable ? readable.get() : type.name());
}

LRefCountedObject::~LRefCountedObject() = default;

WString LRefCountedObject::ToString() const {
    return WString(ClassName(typeid(*this)).c_str());
}

void LRefCountedObject::Undo() {
    QV_THROW(std::logic_error, "Undo() not implemented for RefCountedObject");
}

int32_t LRefCountedObject::AddRef() {
    return mRefCount.fetch_add(1) + 1;
}

int32_t LRefCountedObject::Release() {
    const int32_t count = mRefCount.load();
    const int32_t internal = mInternalRefCount.load();
    if (count == internal + 1 && mReleaseGuard.load() == 0 && mInternalRefCount.load() > 0) {
        // Every reference left but this one is held by the object itself: let it drop them
        // while it still holds this one, so the nested releases cannot destroy it.
        mReleaseGuard.fetch_add(1);
        ReleaseInternalReferences();
        mReleaseGuard.fetch_sub(1);
    }
    const int32_t left = mRefCount.fetch_sub(1) - 1;
    if (left == 0) {
        delete this;
    }
    return left;
}

int32_t LRefCountedObject::ReleaseInternalReferences() {
    return mInternalRefCount.load() == 0 && mRefCount.load() == 1 ? S_OK : E_FAIL;
}

RCPtr<LRefCountedObject> LRefCountedObject::CreateCopy() const {
    QV_THROW(std::logic_error, "CreateCopy() not implemented for RefCountedObject");
}

void LRefCountedObject::SetUnshareable(bool unshareable) {
    if (unshareable && mRefCount.load() > 1) {
        QV_THROW(std::runtime_error);
    }
    mShareable = !unshareable;
}

int32_t LRefCountedObject::AddInternalReferences(int32_t count) {
    return mInternalRefCount.fetch_add(count);
}

}  // namespace QV
