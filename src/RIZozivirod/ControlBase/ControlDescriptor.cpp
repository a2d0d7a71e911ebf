#include "RIZozivirod/ControlBase/ControlDescriptor.h"

#include <utility>

namespace QV {

RCPtr<LLayoutDescriptor> LLayoutDescriptor::Create() {
    return RCPtr<LLayoutDescriptor>(new LLayoutDescriptor());
}

RCPtr<LLayoutDescriptor> LLayoutDescriptor::Clone() const {
    return RCPtr<LLayoutDescriptor>(new LLayoutDescriptor(*this));
}

RCPtr<LSkinDescriptor> LSkinDescriptor::Create(const WString& name) {
    return RCPtr<LSkinDescriptor>(new LSkinDescriptor(name));
}

LControlDescriptor::LControlDescriptor(const WString& className, const WString& name,
                                       LControlDescriptor* parent)
    : mClass(className), mName(name), mParent(parent) {}

RCPtr<LControlDescriptor> LControlDescriptor::Create(const WString& className, const WString& name,
                                                     LControlDescriptor* parent) {
    return RCPtr<LControlDescriptor>(new LControlDescriptor(className, name, parent));
}

void LControlDescriptor::AddChild(const RCPtr<LControlDescriptor>& child) {
    mChildren.Add(child);
}

void LControlDescriptor::SortChildren() {
    const auto order = [](const RCPtr<LControlDescriptor>& child) {
        return child && child->mLayout ? child->mLayout->layoutOrder : 0;
    };
    // Insertion sort: a control has few children, and children of equal order keep the order of
    // the document.
    RCPtr<LControlDescriptor>* const children = mChildren.GetData();
    const uint32_t count = mChildren.GetCount();
    for (uint32_t i = 1; i < count; ++i) {
        const int32_t key = order(children[i]);
        uint32_t j = i;
        while (j > 0 && order(children[j - 1]) > key) {
            --j;
        }
        if (j != i) {
            RCPtr<LControlDescriptor> moving = std::move(children[i]);
            for (uint32_t k = i; k > j; --k) {
                children[k] = std::move(children[k - 1]);
            }
            children[j] = std::move(moving);
        }
    }
}

RCPtr<LControlDescriptor> LControlDescriptor::Clone(const WString& newName) const {
    RCPtr<LControlDescriptor> copy = Create(mClass, newName.IsEmpty() ? mName : newName, mParent);
    copy->mChildren.Append(mChildren);
    copy->mSkin = mSkin;
    copy->mLayout = mLayout;
    copy->mCreateParams = mCreateParams;
    copy->mCreateFunction = mCreateFunction;
    return copy;
}

}  // namespace QV
