#pragma once

#include <cstdint>
#include <vector>

#include "RIZozivirod/ControlBase/Control.h"
#include "RIZozivirod/ControlBase/ControlDescriptor.h"
#include "RIZozivirod/ControlBase/ControlFactory.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {

// One class name a skin may use and the creator that makes its control; a null creator marks a
// class whose control the program does not have yet (the name is then not registered, and a skin
// that uses it gets the factory's unknown-class error).
struct ControlClassRegistration {
    const char16_t* className;
    ControlCreateFunction creator;
    int32_t line;  // where a failed registration is reported
};

// The creator of a control class T: constructed with the parent and the descriptor's name, the
// descriptor applied, its children made, initialised and marked created.
template <class T>
RCPtr<LControl>& CreateControl(RCPtr<LControl>& out, const RCPtr<LControl>& parent,
                               const RCPtr<LControlDescriptor>& descriptor) {
    return CreateControlFunction<T>(out, parent, descriptor);
}

// The framework's classes in registration order.
const std::vector<ControlClassRegistration>& GetFrameworkControlClasses();

// Registers every framework class that has a creator. A failed registration raises a Failed
// Result naming the start-up and the class's line. Returns 0.
int32_t RegisterFrameworkControlClasses(LControlFactory& factory);
// Registers the classes of a table that have a creator; results are not looked at.
void RegisterControlClasses(LControlFactory& factory, const std::vector<ControlClassRegistration>& table);
// The names of a table whose controls are not there yet.
std::vector<WString> GetMissingControlClasses(const std::vector<ControlClassRegistration>& table);

// A control of a descriptor name without parent: E_NOTIMPL without a factory, E_FAIL when the
// current skin has no such descriptor or no control is made.
int32_t CreateControlByName(const RCPtr<LControlFactory>& factory, const WString& descriptorName,
                            RCPtr<LControl>& control);

}  // namespace QV
