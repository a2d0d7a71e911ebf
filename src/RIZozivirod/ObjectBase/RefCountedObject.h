#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <type_traits>
#include <typeinfo>

#include "RIZozivirod/Utilities/Storage/Exception.h"

namespace QV {

template <class C, class O>
class StringT;
using WString = StringT<char16_t, char>;

template <class T>
class RCPtr;

// "class " followed by the readable name of a type.
std::string ClassName(const std::type_info& type);

class IStringable {
public:
    virtual WString ToString() const = 0;

protected:
    ~IStringable() = default;
};

class IUndoable : public IStringable {
public:
    virtual void Undo() = 0;

protected:
    ~IUndoable() = default;
};

// Root of the object model: an intrusive reference count, a count of the references an
// object holds to itself through its own registrations, and a shareable flag that drives
// copy on share. Counts are atomic, so pointers to one object may be copied and released on
// several threads; an object with internal references has its last outside reference
// released on one thread at a time.
class LRefCountedObject : public IUndoable {
public:
    LRefCountedObject() = default;
    // The counts and the flag belong to the object, never to its source.
    LRefCountedObject(const LRefCountedObject&) : LRefCountedObject() {}
    LRefCountedObject& operator=(const LRefCountedObject&) { return *this; }

    WString ToString() const override;
    void Undo() override;
    virtual int32_t AddRef();
    virtual int32_t Release();
    virtual int32_t ReleaseInternalReferences();
    virtual RCPtr<LRefCountedObject> CreateCopy() const;
    virtual ~LRefCountedObject();

    void SetUnshareable(bool unshareable);
    int32_t AddInternalReferences(int32_t count);

    int32_t GetRefCount() const { return mRefCount.load(); }
    int32_t GetInternalRefCount() const { return mInternalRefCount.load(); }
    bool IsShareable() const { return mShareable; }

private:
    std::atomic<int32_t> mRefCount{0};
    std::atomic<int32_t> mInternalRefCount{0};
    std::atomic<int32_t> mReleaseGuard{0};
    bool mShareable = true;
};

// Shared pointer with copy on share: copying a pointer to an unshareable object that is held
// elsewhere gives the copy its own object (CreateCopy). Const access only; RCPtr adds
// non-const access. One pointer variable is not guarded: its owner locks it when needed.
template <class T>
class ConstRCPtr {
public:
    ConstRCPtr() = default;
    ConstRCPtr(std::nullptr_t) {}
    ConstRCPtr(T* pointer) : mPointer(pointer) { ShareOrUndo(); }
    ConstRCPtr(const ConstRCPtr& other) : mPointer(other.mPointer) { ShareOrUndo(); }
    ConstRCPtr(ConstRCPtr&& other) noexcept : mPointer(other.mPointer) { other.mPointer = nullptr; }

    // From a pointer to a derived class (plain conversion) or to a base class (run-time cast).
    template <class U, class = std::enable_if_t<!std::is_same_v<U, T>>>
    ConstRCPtr(const ConstRCPtr<U>& other) : mPointer(Convert(other.mPointer)) {
        ShareOrUndo();
    }

    ~ConstRCPtr() {
        if (mPointer != nullptr) {
            Base(mPointer)->Release();
        }
    }

    ConstRCPtr& operator=(const ConstRCPtr& other) {
        Assign(other.mPointer);
        return *this;
    }
    ConstRCPtr& operator=(ConstRCPtr&& other) noexcept {
        if (this != &other) {
            T* old = mPointer;
            mPointer = other.mPointer;
            other.mPointer = nullptr;
            if (old != nullptr) {
                Base(old)->Release();
            }
        }
        return *this;
    }
    ConstRCPtr& operator=(std::nullptr_t) {
        Reset();
        return *this;
    }
    template <class U, class = std::enable_if_t<!std::is_same_v<U, T>>>
    ConstRCPtr& operator=(const ConstRCPtr<U>& other) {
        ConstRCPtr temporary(other);
        Assign(temporary.mPointer);
        return *this;
    }

    const T* Get() const { return mPointer; }
    const T* operator->() const { return mPointer; }
    const T& operator*() const { return *mPointer; }
    explicit operator bool() const { return mPointer != nullptr; }
    bool operator!() const { return mPointer == nullptr; }

    template <class U>
    bool operator==(const ConstRCPtr<U>& other) const {
        return static_cast<const void*>(Base(mPointer)) ==
               static_cast<const void*>(ConstRCPtr<U>::Base(other.mPointer));
    }
    bool operator==(std::nullptr_t) const { return mPointer == nullptr; }
    bool operator==(const T* pointer) const { return mPointer == pointer; }

    void Reset() {
        T* old = mPointer;
        mPointer = nullptr;
        if (old != nullptr) {
            Base(old)->Release();
        }
    }

protected:
    template <class U>
    friend class ConstRCPtr;

    static LRefCountedObject* Base(const T* pointer) {
        return pointer == nullptr
                   ? nullptr
                   : static_cast<LRefCountedObject*>(const_cast<std::remove_const_t<T>*>(pointer));
    }

    template <class U>
    static T* Convert(U* pointer) {
        if constexpr (std::is_convertible_v<U*, T*>) {
            return pointer;
        } else {
            return dynamic_cast<T*>(pointer);
        }
    }

    void Assign(T* pointer) {
        if (pointer == mPointer) {
            return;
        }
        T* old = mPointer;
        mPointer = pointer;
        try {
            Share();
        } catch (...) {
            // The old pointee is let go even when the new one cannot be copied on share.
            if (old != nullptr) {
                Base(old)->Release();
            }
            throw;
        }
        if (old != nullptr) {
            Base(old)->Release();
        }
    }

    // Takes the reference of a newly stored pointee; copies it when it is unshareable.
    void Share() {
        if (mPointer == nullptr) {
            return;
        }
        LRefCountedObject* base = Base(mPointer);
        base->AddRef();
        if (!base->IsShareable()) {
            Unshare();
        }
    }

    // Share for constructors: when the copy on share fails, the reference just taken is
    // given back before the exception leaves (no destructor runs for this pointer).
    void ShareOrUndo() {
        try {
            Share();
        } catch (...) {
            Reset();
            throw;
        }
    }

    void Unshare() {
        if (mPointer == nullptr || Base(mPointer)->GetRefCount() <= 1) {
            return;
        }
        // RCPtr is complete only below: the copy takes its type from the call, which depends on T.
        auto copy = Base(mPointer)->CreateCopy();
        ConstRCPtr temporary(copy);
        if (temporary.mPointer != mPointer) {
            T* old = mPointer;
            mPointer = temporary.mPointer;
            if (mPointer != nullptr) {
                Base(mPointer)->AddRef();
            }
            Base(old)->Release();
        }
        if (mPointer == nullptr) {
            QV_THROW(std::logic_error, ClassName(typeid(T)));
        }
    }

    T* mPointer = nullptr;
};

template <class T>
class RCPtr : public ConstRCPtr<T> {
public:
    using ConstRCPtr<T>::ConstRCPtr;
    RCPtr() = default;
    RCPtr(const RCPtr&) = default;
    RCPtr(RCPtr&&) noexcept = default;
    RCPtr& operator=(const RCPtr&) = default;
    RCPtr& operator=(RCPtr&&) noexcept = default;
    RCPtr& operator=(std::nullptr_t) {
        this->Reset();
        return *this;
    }
    template <class U, class = std::enable_if_t<!std::is_same_v<U, T>>>
    RCPtr& operator=(const ConstRCPtr<U>& other) {
        ConstRCPtr<T>::operator=(other);
        return *this;
    }

    T* Get() const { return this->mPointer; }
    T* operator->() const { return this->mPointer; }
    T& operator*() const { return *this->mPointer; }
};

}  // namespace QV
