#include <cstddef>
#include <cstdint>

#include "Platform/Resources/ModuleResources.h"
#include "RIZozivirod/ControlBase/ControlFactory.h"

namespace {

// The input, seen as the program's embedded documents are: a resource the factory finds by name.
Platform::EmbeddedResource gInput{"QVXML", "FUZZ_INPUT", nullptr, 0};

const bool gRegistered = [] {
    Platform::RegisterEmbeddedResources(&gInput, 1);
    return true;
}();

}  // namespace

// Any bytes as a string-table document and as a skin document: the reader answers with a
// result, never a crash, and leaves a factory whose lookups still work.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    gInput.bytes = data;
    gInput.length = size;
    const QV::RCPtr<QV::LControlFactory> factory = QV::LControlFactory::Create(u"PresetEditor");
    factory->SetResourceBasePath(u"::");
    factory->LoadStringTables(u"::FUZZ_INPUT", u"::FUZZ_INPUT", 0x0C04);
    factory->LoadSkins(u"::FUZZ_INPUT");
    factory->GetApplicationStringTable();
    factory->FindControlDescriptor(u"mainControl");
    QV::WString face;
    float fontSize = 0;
    int32_t style = 0;
    factory->GetSkinFont(face, fontSize, style);
    return 0;
}
