#include "RIZozivirod/ControlBase/Control.h"
#include "RIZozivirod/ControlBase/ControlFactory.h"
#include "RIZozivirod/ControlBase/RootWindowInterface.h"

namespace QV {

namespace {

RCPtr<LControlFactory>& CurrentFactory() {
    // Made on first use and never destroyed, like every process-wide object.
    static RCPtr<LControlFactory>* const current = new RCPtr<LControlFactory>();
    return *current;
}

}  // namespace

RCPtr<LControlFactory> LControlFactory::GetCurrent() {
    return CurrentFactory();
}

RCPtr<LControlFactory> LControlFactory::SetCurrent(const RCPtr<LControlFactory>& factory) {
    RCPtr<LControlFactory> previous = CurrentFactory();
    CurrentFactory() = factory;
    return previous;
}

RCPtr<LControl> LControlFactory::CreateControl(const RCPtr<LControlDescriptor>& descriptor,
                                               const RCPtr<LControl>& parent) {
    if (!descriptor) {
        return nullptr;
    }
    ControlCreateFunction creator = descriptor->GetCreateFunction();
    if (creator == nullptr) {
        GetControlCreateFunction(descriptor->GetClass(), creator);
        descriptor->SetCreateFunction(creator);
    }
    RCPtr<LControl> control;
    creator(control, parent, descriptor);
    return control;
}

RCPtr<LControl> LControlFactory::CreateRootControl(const WString& name, const RCPtr<IRootWindow>& window) {
    RCPtr<LControlDescriptor> descriptor = FindControlDescriptor(name);
    if (!descriptor) {
        return nullptr;
    }
    if (descriptor->GetLayout()) {
        descriptor->GetLayout()->visible = true;
    }
    RCPtr<LControl> control = CreateControl(descriptor, nullptr);
    if (control) {
        control->SetRootWindow(window);
    }
    return control;
}

int32_t LControlFactory::ApplySkin(const RCPtr<LControl>& control) {
    if (!control) {
        return E_FAIL;
    }
    RCPtr<LControlDescriptor> descriptor = FindControlDescriptor(control->GetName());
    if (!descriptor) {
        return E_FAIL;
    }
    return control->ApplyDescriptor(descriptor);
}

}  // namespace QV
