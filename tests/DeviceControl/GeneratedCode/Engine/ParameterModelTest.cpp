#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <functional>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include "DeviceControl/GeneratedCode/Engine/Inc/AbsoluteController.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/Accellerometer.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/Device.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/DeviceParameters.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/Faders.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/Keybed.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/KeybedZone.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/Pad.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/PadColors.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/PadMidi.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/Pads.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/PitchWheel.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/PitchWheelSliderSustain.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/PresetName.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/ProgramChange.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/RibbonControllers.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/Sustain.h"
#include "DeviceControl/GeneratedCode/Engine/ModuleTestSupport.h"

namespace {

using ModuleTestSupport::Blob;
using ModuleTestSupport::Bytes;
using ModuleTestSupport::TestRoot;
using Bytes8 = std::vector<uint8_t>;

struct ParameterRow {
    const char* owner;
    int32_t index;  // the owner's index among its like siblings
    Bytes8 defaultBytes;
};

// The 37 parameters of a model whose root's first id is 0, in id order.
const std::vector<ParameterRow> kParameters = {
    {"LPresetName", 0, {0x50, 0x52, 0x45, 0x53, 0x45, 0x54, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
    {"LProgramChange", 0, {0x01, 0x00, 0x00, 0x00}},
    {"LKeybed", 0, {0x00, 0x01, 0x00}},
    {"LKeybedZone", 0, {0x0C, 0x00, 0x00}},
    {"LKeybedZone", 1, {0x0C, 0x00, 0x01}},
    {"LSustain", 0, {0x00}},
    {"LPitchWheel", 0, {0x00, 0x00}},
    {"LAbsoluteController", 0, {0x00, 0x01, 0x00, 0x7F, 0x00}},
    {"LRibbonControllers", 0, {0x00, 0x00}},
    {"LAbsoluteController", 0, {0x00, 0x64, 0x00, 0x7F, 0x00}},
    {"LAbsoluteController", 1, {0x00, 0x65, 0x00, 0x7F, 0x00}},
    {"LAbsoluteController", 2, {0x00, 0x66, 0x00, 0x7F, 0x00}},
    {"LAbsoluteController", 0, {0x00, 0x5B, 0x00, 0x7F, 0x00}},
    {"LAbsoluteController", 0, {0x00, 0x24, 0x00, 0x7F, 0x00}},
    {"LAbsoluteController", 1, {0x00, 0x25, 0x00, 0x7F, 0x00}},
    {"LAbsoluteController", 2, {0x00, 0x26, 0x00, 0x7F, 0x00}},
    {"LAbsoluteController", 3, {0x00, 0x27, 0x00, 0x7F, 0x00}},
    {"LAbsoluteController", 4, {0x00, 0x28, 0x00, 0x7F, 0x00}},
    {"LAbsoluteController", 5, {0x00, 0x29, 0x00, 0x7F, 0x00}},
    {"LAbsoluteController", 6, {0x00, 0x2A, 0x00, 0x7F, 0x00}},
    {"LAbsoluteController", 7, {0x00, 0x2B, 0x00, 0x7F, 0x00}},
    {"LPadMidi", 0, {0x00, 0x30, 0x00, 0x00, 0x00}},
    {"LPadColors", 0, {0x00, 0x01, 0x02, 0x03}},
    {"LPadMidi", 0, {0x00, 0x31, 0x00, 0x00, 0x00}},
    {"LPadColors", 0, {0x00, 0x01, 0x02, 0x03}},
    {"LPadMidi", 0, {0x00, 0x32, 0x00, 0x00, 0x00}},
    {"LPadColors", 0, {0x00, 0x01, 0x02, 0x03}},
    {"LPadMidi", 0, {0x00, 0x33, 0x00, 0x00, 0x00}},
    {"LPadColors", 0, {0x00, 0x01, 0x02, 0x03}},
    {"LPadMidi", 0, {0x00, 0x34, 0x00, 0x00, 0x00}},
    {"LPadColors", 0, {0x00, 0x01, 0x02, 0x03}},
    {"LPadMidi", 0, {0x00, 0x35, 0x00, 0x00, 0x00}},
    {"LPadColors", 0, {0x00, 0x01, 0x02, 0x03}},
    {"LPadMidi", 0, {0x00, 0x36, 0x00, 0x00, 0x00}},
    {"LPadColors", 0, {0x00, 0x01, 0x02, 0x03}},
    {"LPadMidi", 0, {0x00, 0x37, 0x00, 0x00, 0x00}},
    {"LPadColors", 0, {0x00, 0x01, 0x02, 0x03}},
};

// A controller's default data 1 follows its parent's absolute first id (5, 6, 8 and 12 are
// special). With the root at 5 the volume slider's parent stands at 10, the ribbons' at 13 and
// the accelerometer's at 17: all three fall to the last rule (36 + index). The faders' parent
// moves from 13 to 18 and keeps that rule.
Bytes8 DefaultFor(int32_t rootFirst, int32_t offset) {
    Bytes8 bytes = kParameters[offset].defaultBytes;
    if (rootFirst == 5 && (offset == 7 || (offset >= 9 && offset <= 12))) {
        bytes[1] = static_cast<uint8_t>(0x24 + kParameters[offset].index);
    }
    return bytes;
}

std::string ClassOf(const LParameterizedModule* module) {
    return QV::ClassName(typeid(*module)).substr(6);
}

class ParameterModelTest : public ::testing::TestWithParam<int32_t> {};

TEST(ParameterModelTest, TableHasTheKeyboardsParameters) {
    ASSERT_EQ(kParameters.size(), static_cast<size_t>(kDeviceParameterCount));
    uint32_t total = 0;
    for (int32_t offset = 0; offset < kDeviceParameterCount; ++offset) {
        EXPECT_EQ(kParameters[offset].defaultBytes.size(), kDeviceParameterLengths[offset]) << offset;
        total += kDeviceParameterLengths[offset];
    }
    EXPECT_EQ(total, 171u);
    EXPECT_EQ(DEVICE__PITCHWHEEL_SLIDER_SUSTAIN__VOLUME_SLIDER__PARAMETER_LIST, 7);
    EXPECT_EQ(DEVICE__PADS__PAD_8__PAD_COLORS__PARAMETER_LIST, 36);
}

// Every id of the model, for the root's first id 0 and 5: the module that serves it, its place,
// its default blob byte for byte, and its local reads and writes.
TEST_P(ParameterModelTest, EveryIdReachesItsModule) {
    const int32_t first = GetParam();
    QV::RCPtr<TestRoot> root = TestRoot::Create();
    root->SetFirstParamID(nullptr, first, 0);
    EXPECT_EQ(root->device->GetFirstParamID(), first);

    Bytes8 allDefaults;
    for (int32_t offset = 0; offset < kDeviceParameterCount; ++offset) {
        SCOPED_TRACE(offset);
        const int32_t id = first + offset;
        const ParameterRow& row = kParameters[offset];
        QV::RCPtr<LParameterizedModule> module = root->GetModule(id);
        ASSERT_TRUE(module);
        EXPECT_EQ(ClassOf(module.Get()), row.owner);
        EXPECT_EQ(module->GetFirstParamID(), id);
        EXPECT_EQ(module->GetIndex(), row.index);
        EXPECT_EQ(static_cast<const IRootModule&>(*root).GetModule(id).Get(), module.Get());

        const Bytes8 defaultBytes = Bytes(module->GetParamValueDefault(id));
        EXPECT_EQ(defaultBytes, DefaultFor(first, offset));
        allDefaults.insert(allDefaults.end(), defaultBytes.begin(), defaultBytes.end());

        // A write reaches the root under the absolute id and reads back through the module.
        const Bytes8 written = {static_cast<uint8_t>(offset), 0xA5};
        EXPECT_EQ(module->SetParamValueLocal(QV::ParamDescriptor(id), Blob(written), false), 0);
        EXPECT_EQ(root->cache[id], written);
        EXPECT_EQ(Bytes(module->GetParamValueLocal(QV::ParamDescriptor(id))), written);
        QV::Variant out;
        EXPECT_EQ(root->GetParamValue(QV::ParamDescriptor(id), out), QV::S_OK);
        EXPECT_EQ(Bytes(out), written);

        // Another preset id is refused by a write and is a broken rule for a read.
        const int32_t other = offset == 0 ? id + 1 : id - 1;
        EXPECT_EQ(module->SetParamValueLocal(QV::ParamDescriptor(other), Blob({1}), false), -1);
        EXPECT_EQ(root->cache[id], written);
        EXPECT_THROW(module->GetParamValueLocal(QV::ParamDescriptor(other)), std::logic_error);
        EXPECT_THROW(module->GetParamValueDefault(other), std::logic_error);
    }
    EXPECT_EQ(allDefaults.size(), 171u);
    EXPECT_TRUE(root->notified.empty());

    // Ids outside the model: below the first id, past the last, negative and special ones.
    for (const int32_t id : {first - 1, first + 37, first + 100, -1, -2, -200, INT32_MIN, INT32_MAX}) {
        SCOPED_TRACE(id);
        EXPECT_FALSE(root->GetModule(id));
        QV::Variant out = Blob({9});
        EXPECT_EQ(root->GetParamValue(QV::ParamDescriptor(id), out), QV::E_FAIL);
        EXPECT_EQ(out.kind, QV::Variant::Empty);
    }
}

INSTANTIATE_TEST_SUITE_P(RootFirstIds, ParameterModelTest, ::testing::Values(0, 5));

TEST(ParameterModelTest, ContainersRouteTheirOwnRangeOnly) {
    QV::RCPtr<TestRoot> root = TestRoot::Create();
    root->SetFirstParamID(nullptr, 0, 0);
    QV::RCPtr<IDevice> device = root->GetDevice();

    QV::RCPtr<IKeybed> keybed = device->GetKeybed();
    EXPECT_EQ(keybed->GetModule(2).Get(), static_cast<LParameterizedModule*>(keybed.Get()));
    EXPECT_EQ(keybed->GetModule(4).Get(), static_cast<LParameterizedModule*>(keybed->GetKeybedZone(1).Get()));
    EXPECT_FALSE(keybed->GetModule(5));
    EXPECT_FALSE(keybed->GetModule(1));

    QV::RCPtr<IRibbonControllers> ribbons = device->GetRibbonControllers();
    EXPECT_EQ(ribbons->GetModule(8).Get(), static_cast<LParameterizedModule*>(ribbons.Get()));
    EXPECT_EQ(ribbons->GetModule(11).Get(),
              static_cast<LParameterizedModule*>(ribbons->GetRibbonController(2).Get()));
    EXPECT_FALSE(ribbons->GetModule(12));

    QV::RCPtr<IPads> pads = device->GetPads();
    EXPECT_EQ(pads->GetModule(21 + 15).Get(),
              static_cast<LParameterizedModule*>(pads->GetPad(7)->GetPadColors().Get()));
    EXPECT_FALSE(pads->GetModule(21 + 16));
    EXPECT_FALSE(pads->GetPad(8));
    EXPECT_FALSE(pads->GetPad(-1));

    // Containers without a parameter of their own have nothing at their first id but a child.
    QV::RCPtr<IPitchWheelSliderSustain> group = device->GetPitchWheelSliderSustain();
    EXPECT_EQ(group->GetModule(5).Get(), static_cast<LParameterizedModule*>(group->GetSustain().Get()));
    EXPECT_EQ(device->GetFaders()->GetFader(7)->GetFirstParamID(), 20);
    EXPECT_EQ(device->GetAccellerometer()->GetAbsoluteController()->GetFirstParamID(), 12);

    // A leaf answers itself whatever the id; its container has already chosen it.
    QV::RCPtr<LParameterizedModule> zone = root->GetModule(3);
    EXPECT_EQ(zone->GetModule(-5).Get(), zone.Get());
    EXPECT_EQ(zone->GetModule(1000).Get(), zone.Get());
}

TEST(ParameterModelTest, TheModelStoresBlobsOfAnyLength) {
    QV::RCPtr<TestRoot> root = TestRoot::Create();
    root->SetFirstParamID(nullptr, 0, 0);
    QV::RCPtr<LParameterizedModule> slider = root->GetModule(7);
    EXPECT_EQ(slider->SetParamValueLocal(QV::ParamDescriptor(7), Blob({1, 2, 3}), true), 0);
    EXPECT_EQ(root->cache[7], (Bytes8{1, 2, 3}));
    EXPECT_EQ(slider->SetParamValueLocal(QV::ParamDescriptor(7), Blob({}), true), 0);
    EXPECT_EQ(root->cache[7], Bytes8{});
}

// What the error texts must look like: kind, the message where there is one, the function, the
// generated source file, and a line.
void ExpectLogicError(const std::function<void()>& action, const std::string& message,
                      const std::string& function, const std::string& file) {
    try {
        action();
        ADD_FAILURE() << "no exception from " << function;
    } catch (const std::logic_error& error) {
        const std::string prefix = "Logic Error : " + (message.empty() ? "" : message + " : ") + function +
                                   " : " + "DeviceControl/GeneratedCode/Engine/" + file + " : Line ";
        const std::string text = error.what();
        EXPECT_EQ(text.substr(0, prefix.size()), prefix);
        EXPECT_TRUE(std::regex_match(text.substr(std::min(prefix.size(), text.size())), std::regex("[0-9]+")))
            << text;
    }
}

struct ClassCase {
    const char* name;  // without the leading L
    QV::RCPtr<LParameterizedModule> (*create)();
    bool ownsParameter;
    bool hasChildren;
    bool validAtRoot;  // offset 0 from the root is a valid place
};

template <class T>
QV::RCPtr<LParameterizedModule> Make() {
    return QV::RCPtr<LParameterizedModule>(T::Create());
}

const std::vector<ClassCase> kClasses = {
    {"Device", Make<LDevice>, false, true, true},
    {"PresetName", Make<LPresetName>, true, false, true},
    {"ProgramChange", Make<LProgramChange>, true, false, false},
    {"Keybed", Make<LKeybed>, true, true, false},
    {"KeybedZone", Make<LKeybedZone>, true, false, false},
    {"PitchWheelSliderSustain", Make<LPitchWheelSliderSustain>, false, true, false},
    {"Sustain", Make<LSustain>, true, false, false},
    {"PitchWheel", Make<LPitchWheel>, true, false, false},
    {"RibbonControllers", Make<LRibbonControllers>, true, true, false},
    {"Accellerometer", Make<LAccellerometer>, false, true, false},
    {"Faders", Make<LFaders>, false, true, false},
    {"Pads", Make<LPads>, false, true, false},
    {"Pad", Make<LPad>, false, true, false},
    {"PadMidi", Make<LPadMidi>, true, false, false},
    {"PadColors", Make<LPadColors>, true, false, false},
    {"AbsoluteController", Make<LAbsoluteController>, true, false, false},
};

// Each class on its own is its own root, so its offset is 0: only the device and the preset
// name may stand there. Containers throw from their first child that checks itself.
TEST(ParameterModelTest, SetFirstParamIDChecksThePlaceBelowTheRoot) {
    for (const ClassCase& entry : kClasses) {
        SCOPED_TRACE(entry.name);
        QV::RCPtr<LParameterizedModule> module = entry.create();
        if (entry.validAtRoot) {
            EXPECT_NO_THROW(module->SetFirstParamID(nullptr, 40, 0));
            continue;
        }
        if (!entry.hasChildren) {
            ExpectLogicError([&] { module->SetFirstParamID(nullptr, 40, 7); }, "Invalid FirstParamID",
                             std::string("L") + entry.name + "::SetFirstParamID",
                             std::string("Src/") + entry.name + ".cpp");
        } else {
            EXPECT_THROW(module->SetFirstParamID(nullptr, 40, 7), std::logic_error);
        }
        // What SetFirstParamID stored stays stored.
        EXPECT_EQ(module->GetFirstParamID(), 40);
        EXPECT_EQ(module->GetIndex(), 7);
    }
}

TEST(ParameterModelTest, ChildrenCheckThemselvesBeforeTheirParent) {
    QV::RCPtr<TestRoot> root = TestRoot::Create();
    root->SetFirstParamID(nullptr, 0, 0);
    QV::RCPtr<IKeybed> keybed = root->device->GetKeybed();
    LParameterizedModule* device = root->device.Get();

    // Moved one id up, the first zone lands on 4 (valid), the second on 5: it throws first.
    ExpectLogicError([&] { keybed->SetFirstParamID(device, 3, 2); }, "Invalid FirstParamID",
                     "LKeybedZone::SetFirstParamID", "Src/KeybedZone.cpp");
    EXPECT_EQ(keybed->GetFirstParamID(), 3);
    EXPECT_EQ(keybed->GetIndex(), 2);
    EXPECT_EQ(keybed->GetKeybedZone(0)->GetFirstParamID(), 4);
    EXPECT_EQ(keybed->GetKeybedZone(1)->GetFirstParamID(), 5);

    // Faders moved onto the ribbons' controllers: every fader stands at a valid controller place,
    // so the faders module itself is the one to refuse.
    QV::RCPtr<IFaders> faders = root->device->GetFaders();
    ExpectLogicError([&] { faders->SetFirstParamID(device, 9, 0); }, "Invalid FirstParamID",
                     "LFaders::SetFirstParamID", "Src/Faders.cpp");
    EXPECT_EQ(faders->GetFader(7)->GetFirstParamID(), 16);

    // Put back in place, the tree validates again.
    EXPECT_NO_THROW(root->SetFirstParamID(nullptr, 0, 0));
    EXPECT_EQ(keybed->GetKeybedZone(1)->GetFirstParamID(), 4);
}

TEST(ParameterModelTest, WrongIdsOfOwnersAreLogicErrorsNamingTheClass) {
    QV::RCPtr<TestRoot> root = TestRoot::Create();
    root->SetFirstParamID(nullptr, 0, 0);
    for (const ClassCase& entry : kClasses) {
        if (!entry.ownsParameter) {
            continue;
        }
        SCOPED_TRACE(entry.name);
        QV::RCPtr<LParameterizedModule> module;
        for (int32_t id = 0; id < kDeviceParameterCount && !module; ++id) {
            QV::RCPtr<LParameterizedModule> candidate = root->GetModule(id);
            if (ClassOf(candidate.Get()) == std::string("L") + entry.name) {
                module = candidate;
            }
        }
        ASSERT_TRUE(module);
        const int32_t other = module->GetFirstParamID() + 1;
        const std::string file = std::string("Src/") + entry.name + ".cpp";
        ExpectLogicError([&] { module->GetParamValueLocal(QV::ParamDescriptor(other)); }, "",
                         std::string("L") + entry.name + "::GetParamValueLocal", file);
        ExpectLogicError([&] { module->GetParamValueDefault(other); }, "",
                         std::string("L") + entry.name + "::GetParamValueDefault", file);
    }
}

TEST(ParameterModelTest, ContainersHaveNoParameterOfTheirOwn) {
    QV::RCPtr<TestRoot> root = TestRoot::Create();
    root->SetFirstParamID(nullptr, 0, 0);
    QV::RCPtr<IDevice> device = root->GetDevice();
    const std::vector<QV::RCPtr<LParameterizedModule>> containers = {
        QV::RCPtr<LParameterizedModule>(device),
        QV::RCPtr<LParameterizedModule>(device->GetPitchWheelSliderSustain()),
        QV::RCPtr<LParameterizedModule>(device->GetAccellerometer()),
        QV::RCPtr<LParameterizedModule>(device->GetFaders()),
        QV::RCPtr<LParameterizedModule>(device->GetPads()),
        QV::RCPtr<LParameterizedModule>(device->GetPads()->GetPad(3)),
    };
    for (const QV::RCPtr<LParameterizedModule>& module : containers) {
        SCOPED_TRACE(ClassOf(module.Get()));
        const QV::ParamDescriptor own(module->GetFirstParamID());
        ExpectLogicError([&] { module->SetParamValueLocal(own, Blob({1}), false); }, "",
                         "LParameterizedModule::SetParamValueLocal", "Inc/RootModuleInterface.h");
        ExpectLogicError([&] { module->GetParamValueLocal(own); }, "",
                         "LParameterizedModule::GetParamValueLocal", "Inc/RootModuleInterface.h");
        EXPECT_EQ(module->GetParamValueDefault(module->GetFirstParamID()).kind, QV::Variant::Empty);
    }
    EXPECT_TRUE(root->cache.empty());
}

// Pad MIDI defaults follow the pad's index, zone defaults the zone's own index.
TEST(ParameterModelTest, DefaultsFollowThePlaceOfTheModule) {
    QV::RCPtr<TestRoot> root = TestRoot::Create();
    root->SetFirstParamID(nullptr, 0, 0);
    EXPECT_EQ(Bytes(root->GetModule(35)->GetParamValueDefault(35)), (Bytes8{0x00, 0x37, 0x00, 0x00, 0x00}));
    EXPECT_EQ(Bytes(root->GetModule(20)->GetParamValueDefault(20)), (Bytes8{0x00, 0x2B, 0x00, 0x7F, 0x00}));
    EXPECT_EQ(Bytes(root->GetModule(4)->GetParamValueDefault(4)), (Bytes8{0x0C, 0x00, 0x01}));

    // Modules on their own have no parent to read a place from; they take the plain rules.
    QV::RCPtr<LAbsoluteController> controller = LAbsoluteController::Create();
    EXPECT_EQ(Bytes(controller->GetParamValueDefault(0)), (Bytes8{0x00, 0x24, 0x00, 0x7F, 0x00}));
    QV::RCPtr<LPadMidi> padMidi = LPadMidi::Create();
    EXPECT_EQ(Bytes(padMidi->GetParamValueDefault(0)), (Bytes8{0x00, 0x30, 0x00, 0x00, 0x00}));
}

}  // namespace
