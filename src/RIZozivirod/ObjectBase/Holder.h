#pragma once

#include <memory>
#include <type_traits>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"

namespace QV {

// One value of a simple type made reference-counted, so it can travel as a notification
// parameter or a queue entry. The value lives in a cell of its own that is never reallocated;
// a sender writes it right after Create, receivers only read it.
template <class T>
class LHolder : public virtual LRefCountedObject {
public:
    LHolder() : mCell(new T()) {}
    explicit LHolder(const T& value) : mCell(new T(value)) {}
    LHolder(const LHolder&) = delete;
    LHolder& operator=(const LHolder&) = delete;
    ~LHolder() override = default;

    static RCPtr<LHolder> Create() { return RCPtr<LHolder>(new LHolder()); }
    static RCPtr<LHolder> Create(const int value) requires std::is_same_v<T, int> {
        return RCPtr<LHolder>(new LHolder(value));
    }

    T& GetValue() { return *mCell; }
    const T& GetValue() const { return *mCell; }
    void SetValue(const T& value) { *mCell = value; }

private:
    std::unique_ptr<T> mCell;
};

}  // namespace QV
