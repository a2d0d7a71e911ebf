#include "RIZozivirod/ControlBase/ControlDescriptor.h"

#include "RIZozivirod/Utilities/Storage/ArrayUtils.h"

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
    IArray<RCPtr<LControlDescriptor>>& children = mChildren;
    ArrayUtils::Sort(children, 0, children.GetCount(),
                     [&order](const RCPtr<LControlDescriptor>& a, const RCPtr<LControlDescriptor>& b) {
                         return order(a) < order(b);
                     });
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
