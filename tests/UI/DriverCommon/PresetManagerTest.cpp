#include "UI/DriverCommon/PresetManager.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "RIZozivirod/ControlBase/ControlFactory.h"
#include "RIZozivirod/Notification/MainNotificationCenter.h"
#include "RIZozivirod/Notification/NotificationCenter.h"
#include "RIZozivirod/System/Desktop/Clipboard.h"
#include "UI/EditorTestSupport.h"
#include "UITestSupport/TestApplicationServices.h"
#include "UITestSupport/TestRootWindow.h"

namespace {

using PresetBytes = std::vector<uint8_t>;
using EditorTestSupport::FakeEditorEngine;
using QV::RCPtr;
using QV::WString;
namespace Format = QV::PresetFileFormat;

void PutU32(PresetBytes& out, uint32_t number) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<uint8_t>(number >> shift));
    }
}

PresetBytes Header(uint32_t version = 1, uint32_t deviceA = 0, uint32_t deviceB = 0) {
    PresetBytes bytes;
    PutU32(bytes, version);
    PutU32(bytes, deviceA);
    PutU32(bytes, deviceB);
    return bytes;
}

// One record with every field given: length, reserved, index, the Variant record's size,
// version and kind, and the payload.
struct RecordFields {
    uint32_t index = 5;
    PresetBytes payload = {0x00};
    uint32_t reserved = 0;
    uint32_t variantVersion = 1;
    uint32_t kind = 14;
    int64_t length = -1;  // -1: 24 + payload
};

PresetBytes Record(const RecordFields& f) {
    PresetBytes bytes;
    PutU32(bytes,
           f.length < 0 ? static_cast<uint32_t>(24 + f.payload.size()) : static_cast<uint32_t>(f.length));
    PutU32(bytes, f.reserved);
    PutU32(bytes, f.index);
    PutU32(bytes, static_cast<uint32_t>(12 + f.payload.size()));
    PutU32(bytes, f.variantVersion);
    PutU32(bytes, f.kind);
    bytes.insert(bytes.end(), f.payload.begin(), f.payload.end());
    return bytes;
}

PresetBytes Join(std::initializer_list<PresetBytes> parts) {
    PresetBytes all;
    for (const PresetBytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

class PresetManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/skylet-preset-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        mFolder = pattern;
        mFactory->SetResourceBasePath(u"::");
        ASSERT_EQ(mFactory->LoadStringTables(u"::APP_STRINGS", u"::FRAMEWORK_STRINGS", 0x0409), QV::S_OK);
        mPreviousFactory = QV::LControlFactory::SetCurrent(mFactory);
        mManager = QV::LPresetManager::Create();
    }
    void TearDown() override {
        mManager = nullptr;
        QV::LControlFactory::SetCurrent(mPreviousFactory);
        std::filesystem::remove_all(mFolder);
    }

    std::string Native(const std::string& name) const { return mFolder + "/" + name; }
    WString Path(const std::string& name) const { return WString(Native(name).c_str()); }
    void Put(const std::string& name, const PresetBytes& bytes) const {
        std::ofstream(Native(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    static PresetBytes Contents(const std::string& native) {
        std::ifstream in(native, std::ios::binary);
        return PresetBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    QV::ScopedTestApplicationServices mServices;
    FakeEditorEngine mEngine;
    std::string mFolder;
    RCPtr<QV::LControlFactory> mFactory = QV::LControlFactory::Create(u"Skylet");
    RCPtr<QV::LControlFactory> mPreviousFactory;
    RCPtr<QV::LPresetManager> mManager;
};

// The defaults save to the golden 1071 bytes, and loading them back writes the 37 records to the
// engine in id order between the two load notifications, leaving the values as they were.
TEST_F(PresetManagerTest, SavedDefaultsAreTheGoldenBytesAndLoadBackInIdOrder) {
    ASSERT_EQ(mManager->SavePresetFile(Path("defaults.kyp")), QV::S_OK);
    const PresetBytes saved = Contents(Native("defaults.kyp"));
    ASSERT_EQ(saved.size(), 1071u);
    EXPECT_EQ(PresetBytes(saved.begin(), saved.begin() + 12), Header());
    // Parameter 5 (sustain) after the records of 16, 4 and three times 3 bytes.
    const size_t sustain = 12 + (24 + 16) + (24 + 4) + 3 * (24 + 3);
    const PresetBytes worked = {0x19, 0, 0, 0, 0, 0, 0, 0,    5, 0, 0, 0, 0x0D,
                                0,    0, 0, 1, 0, 0, 0, 0x0E, 0, 0, 0, 0};
    EXPECT_EQ(PresetBytes(saved.begin() + sustain, saved.begin() + sustain + 25), worked);
    // The captured file the end-to-end run compares the program's save with.
    EXPECT_EQ(saved, Contents(std::string(SKYLET_TEST_DATA_DIR) + "/UI/default-preset.kyp"));

    const RCPtr<QV::NotificationRecorder> recorder =
        QV::NotificationRecorder::Create(RCPtr<QV::LNotificationDistributor>(mManager),
                                         {u"NID_PRESETFILE_PRE_LOAD", u"NID_PRESETFILE_POST_LOAD"});
    const std::vector<QV::Variant> before = mEngine.cache;
    EXPECT_EQ(mManager->LoadPresetFile(Path("defaults.kyp")), Format::kLoaded);
    ASSERT_EQ(mEngine.writes.size(), 37u);
    for (int32_t id = 0; id < 37; ++id) {
        EXPECT_EQ(mEngine.writes[static_cast<size_t>(id)].descriptor.paramID, id);
        EXPECT_EQ(mEngine.writes[static_cast<size_t>(id)].descriptor.qualifier.kind, QV::Variant::Empty);
    }
    EXPECT_EQ(mEngine.cache, before);
    EXPECT_EQ(recorder->GetNames(),
              (std::vector<std::u16string>{u"NID_PRESETFILE_PRE_LOAD", u"NID_PRESETFILE_POST_LOAD"}));
    const auto* data = dynamic_cast<QV::LPresetFileLoadNotificationData*>(recorder->GetParams()[1].Get());
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->result, Format::kLoaded);
    recorder->UnregisterAll();
}

// Every file is checked whole before anything is applied: a refused file leaves the preset as
// it was, whatever its fault and wherever it lies, and the message tells the fault's kind.
TEST_F(PresetManagerTest, LoaderTable) {
    const WString older(u"Preset file is not compatible with this vesion of the preset editor");
    const WString newer(u"Preset file is not compatible with this version of the editor");
    const PresetBytes good = Record({.index = 1, .payload = {1, 2, 3, 4}});
    struct Case {
        std::string what;
        PresetBytes file;
        int32_t result;
        size_t writes;
    };
    std::vector<Case> cases = {
        {"version 0", Header(0), -1, 0},
        {"device id A 5", Header(1, 5, 0), -4, 0},
        {"version 7, device id B 3", Header(7, 0, 3), -4, 0},
        {"version 2", Join({Header(2), good}), -2, 0},
        {"version 7", Header(7), -2, 0},
        {"the header alone", Header(), 0, 0},
        {"fewer than 37 records", Join({Header(), good}), 0, 1},
        {"a parameter twice", Join({Header(), good, Record({.index = 1, .payload = {9, 9, 9, 9}})}), 0, 2},
    };
    for (uint32_t length : {0u, 3u, 15u, 23u, 26u, 0xFFFFFFFFu}) {
        cases.push_back({"record length " + std::to_string(length),
                         Join({Header(), good, Record({.length = length})}), -3, 0});
    }
    const PresetBytes header = Header();
    for (size_t size = 0; size < 12; ++size) {
        cases.push_back(
            {std::to_string(size) + "-byte file", PresetBytes(header.begin(), header.begin() + size), -3, 0});
    }
    const PresetBytes full = Join({Header(), good, Record({})});
    cases.insert(cases.end(),
                 {
                     {"reserved 1", Join({Header(), good, Record({.reserved = 1})}), -3, 0},
                     {"Variant version 2", Join({Header(), good, Record({.variantVersion = 2})}), -3, 0},
                     {"kind 17", Join({Header(), good, Record({.kind = 17})}), -3, 0},
                     {"kind 13", Join({Header(), good, Record({.kind = 13})}), -3, 0},
                     {"index 37", Join({Header(), good, Record({.index = 37})}), -3, 0},
                     {"a blob of another length", Join({Header(), good, Record({.payload = {0, 0}})}), -3, 0},
                     {"the last record cut short", PresetBytes(full.begin(), full.end() - 1), -3, 0},
                     {"a length field cut short", Join({Header(), good, PresetBytes{0x19, 0}}), -3, 0},
                 });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        mEngine.writes.clear();
        mEngine.cache = mEngine.defaults;
        mServices->messageBoxes.clear();
        Put("case.kyp", c.file);
        const int32_t result = mManager->LoadPresetFile(Path("case.kyp"));
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(mEngine.writes.size(), c.writes);
        if (result != 0) {
            EXPECT_EQ(mEngine.cache, mEngine.defaults);
        }
        QV::LPresetManager::ShowLoadResultMessage(result);
        if (result == 0) {
            EXPECT_TRUE(mServices->messageBoxes.empty());
            continue;
        }
        ASSERT_EQ(mServices->messageBoxes.size(), 1u);
        EXPECT_TRUE(mServices->messageBoxes[0].text == (result == -2 ? newer : older));
        EXPECT_TRUE(mServices->messageBoxes[0].caption == WString(u"Preset File Load"));
        EXPECT_EQ(mServices->messageBoxes[0].style, 0x10u);
    }
    // The later record of a parameter wins.
    Put("twice.kyp", cases[7].file);
    mManager->LoadPresetFile(Path("twice.kyp"));
    EXPECT_EQ(mEngine.cache[1], EditorTestSupport::Blob({9, 9, 9, 9}));
    EXPECT_EQ(mManager->LoadPresetFile(Path("missing.kyp")), -3);
    EXPECT_EQ(mManager->LoadPresetFile(WString(mFolder.c_str())), -3);
}

// A save that fails leaves what was at the target as it was and says so; it never writes a
// file that would not load back.
TEST_F(PresetManagerTest, FailedSavesLeaveTheTargetAsItWas) {
    Put("kept.kyp", {1, 2, 3});
    struct Case {
        std::string what;
        std::string target;
        int32_t delivered;
        QV::Variant sustain;
    };
    const Case cases[] = {
        {"a missing folder", Native("missing/preset.kyp"), 37, EditorTestSupport::Blob({0})},
        {"a folder nobody may write to", "/proc/preset.kyp", 37, EditorTestSupport::Blob({0})},
        {"a full device", "/dev/full", 37, EditorTestSupport::Blob({0})},
        {"an engine with 36 values", Native("kept.kyp"), 36, EditorTestSupport::Blob({0})},
        {"a value of another length", Native("kept.kyp"), 37, EditorTestSupport::Blob({0, 0})},
        {"an empty value", Native("kept.kyp"), 37, QV::Variant()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        mEngine.valuesDelivered = c.delivered;
        mEngine.cache[5] = c.sustain;
        struct stat before {};
        const bool existed = ::stat(c.target.c_str(), &before) == 0;
        EXPECT_EQ(mManager->SavePresetFile(WString(c.target.c_str())), QV::E_FAIL);
        struct stat after {};
        EXPECT_EQ(::stat(c.target.c_str(), &after) == 0, existed);
        if (existed) {
            EXPECT_EQ(after.st_mode, before.st_mode);
            EXPECT_EQ(after.st_ino, before.st_ino);
        }
    }
    EXPECT_EQ(Contents(Native("kept.kyp")), (PresetBytes{1, 2, 3}));
    EXPECT_EQ(
        std::distance(std::filesystem::directory_iterator(mFolder), std::filesystem::directory_iterator()),
        1);
    // A good save replaces the old file whole.
    mEngine.valuesDelivered = 37;
    mEngine.cache[5] = EditorTestSupport::Blob({0});
    EXPECT_EQ(mManager->SavePresetFile(Path("kept.kyp")), QV::S_OK);
    EXPECT_EQ(Contents(Native("kept.kyp")).size(), 1071u);
}

// "NID_GLOBAL_LOAD_CONTROL_PANEL_SETTINGS" with a path loads that file without a message.
TEST_F(PresetManagerTest, TheGlobalLoadNotificationLoadsThePathItCarries) {
    Put("posted.kyp", Join({Header(), Record({.index = 5, .payload = {3}})}));
    QV::GetMainNotificationCenter()->PostNotification(u"NID_GLOBAL_LOAD_CONTROL_PANEL_SETTINGS",
                                                      QV::LClipboardText::Create(Path("posted.kyp")));
    QV::GetMainNotificationCenter()->ProcessQueue(false);
    ASSERT_EQ(mEngine.writes.size(), 1u);
    EXPECT_EQ(mEngine.cache[5], EditorTestSupport::Blob({3}));
    EXPECT_TRUE(mServices->messageBoxes.empty());
}

}  // namespace
