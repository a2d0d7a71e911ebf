#pragma once

#include <cstdint>
#include <stdexcept>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/Utilities/Storage/Array.h"
#include "RIZozivirod/Utilities/Storage/ConstRCPtrArray.h"
#include "RIZozivirod/Utilities/Storage/Exception.h"

namespace QV {

// The same slots seen as RCPtr<T> (non-const access to the pointees) through a second array
// interface; the base interface still sees them as ConstRCPtr<T>. Count changes, insertion and
// appending behave alike through both. Swap differs: through this interface it copies by the
// pointer rule (so an unshareable pointee held elsewhere is copied), through the base one it
// only exchanges the stored pointers.
template <class T, uint32_t N, uint32_t M>
class RCPtrArray : public IArray<RCPtr<T>>, public ConstRCPtrArray<T, N, M> {
    using Base = ConstRCPtrArray<T, N, M>;
    using Interface = IArray<RCPtr<T>>;
    using BaseInterface = IArray<ConstRCPtr<T>>;

public:
    explicit RCPtrArray(uint32_t count = 0, uint32_t capacity = 0) : Base(count, capacity) {}
    ~RCPtrArray() override = default;

    // Operations of the same signature in both interfaces answer through this one.
    using Interface::Begin;
    using Interface::End;
    using Interface::GetAt;
    using Interface::GetData;
    using Interface::GetEndPosition;
    using Interface::GetFirstPosition;
    using Interface::GetMaxCount;
    using Interface::operator==;
    using Interface::RemoveAll;
    using Interface::Swap;
    // Those that differ by element type are found in both.
    using Base::InsertItem;
    using Base::RemoveItem;
    using Base::RemoveLast;
    using BaseInterface::Add;
    using BaseInterface::Append;
    using BaseInterface::Assign;
    using BaseInterface::GetAtPosition;
    using BaseInterface::IndexOf;
    using BaseInterface::MovePosition;
    using Interface::Add;
    using Interface::Append;
    using Interface::Assign;
    using Interface::GetAtPosition;
    using Interface::IndexOf;
    using Interface::MovePosition;

    // Two arrays of this type compare through the interface above; taking this type itself keeps
    // C++20's reversed form of the comparison from matching just as well.
    bool operator==(const RCPtrArray& other) const { return Interface::operator==(other); }

    uint32_t GetCount() const override { return Base::GetCount(); }
    RCPtr<T>* GetData() override { return static_cast<RCPtr<T>*>(this->Slots()); }
    int32_t SetCount(uint32_t count) override { return Base::SetCount(count); }
    int32_t InsertItems(uint32_t index, uint32_t count) override { return Base::InsertItems(index, count); }
    int32_t RemoveItems(uint32_t index, uint32_t count) override { return Base::RemoveItems(index, count); }

    int32_t InsertItem(uint32_t index, const RCPtr<T>& item) override {
        return Base::InsertItem(index, item);
    }

    int32_t RemoveItem(uint32_t index, RCPtr<T>& out) override {
        if (index >= GetCount()) {
            QV_THROW(std::out_of_range);
        }
        return this->TakeSlot(index, out);
    }

    int32_t RemoveLast(RCPtr<T>& out) override { return this->TakeLast(out); }

    // A pointer array is an array of both element types; from another one, copy as RCPtr<T>.
    int32_t Append(const RCPtrArray& source) { return Interface::Append(source); }
    int32_t Assign(const RCPtrArray& source) { return Interface::Assign(source); }
};

}  // namespace QV
