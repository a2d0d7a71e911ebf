#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "DeviceControl/GeneratedCode/Engine/Inc/DeviceParameters.h"
#include "Panel/Application.h"
#include "Platform/Midi/MidiVirtual.h"
#include "Platform/Midi/SimulatedKeyboard.h"
#include "RIZozivirod/Controls/Dialog.h"
#include "RIZozivirod/Notification/MainNotificationCenter.h"
#include "RIZozivirod/Notification/NotificationCenter.h"
#include "RIZozivirod/System/MidiComm.h"
#include "UI/DriverCommon/EditorMidi.h"
#include "UI/DriverCommon/MainControl.h"
#include "UI/EditorTreeFixture.h"
#include "UITestSupport/ScriptedDesktopShell.h"

namespace DialogTestSupport {

using Bytes = std::vector<uint8_t>;

inline std::string Narrow(const QV::WString& text) {
    return QV::NString(text.GetString()).GetString();
}

// The editor as the program runs it, headless: the real application object with the product's
// skin, strings and classes, its engine and MIDI manager, the main control, a scripted desktop
// (message boxes answer OK unless scripted) and the virtual MIDI system, with the simulated
// keyboard on it unless a test leaves it out. The MIDI manager's reply wait is 100 ms.
class ProductDialogFixture : public ::testing::Test {
protected:
    void SetUp() override {
        QV::LMidiManager::SetReplyTimeout(100);
        QV::LMidiComm::SetSendTimeout(100);
        mFactory->SetResourceBasePath(u"::");
        ASSERT_EQ(mFactory->LoadStringTables(u"::APP_STRINGS", u"::FRAMEWORK_STRINGS", 0x0409), QV::S_OK);
        ASSERT_EQ(mFactory->LoadSkins(u"::APP_SKINS"), QV::S_OK);
        RegisterBeforeStartup(*mFactory);
        mApp = LApplication::Create(mFactory, mFactory->GetFrameworkStringTable(), "editor");
        mApp->SetSettingsStore(mSettings);
        mPreviousServices = QV::SetApplicationServices(mApp.Get());
        ASSERT_EQ(mApp->RunApplicationStartup(), QV::S_OK);
        ASSERT_EQ(mApp->CreateControl(u"mainControl", mMainControl), QV::S_OK);
        mMain = QV::RCPtr<QV::LMainControl>(dynamic_cast<QV::LMainControl*>(mMainControl.Get()));
        ASSERT_TRUE(mMain);
        Drain();
    }
    void TearDown() override {
        mMain = nullptr;
        mMainControl = nullptr;
        Drain();
        if (mApp) {
            mApp->RunApplicationShutdown();
        }
        QV::SetApplicationServices(mPreviousServices);
        mApp = nullptr;
        QV::LMidiManager::SetReplyTimeout(1000);
        QV::LMidiComm::SetSendTimeout(10000);
    }
    // Classes a test puts in place of the product's (the first registration of a name wins).
    virtual void RegisterBeforeStartup(QV::LControlFactory&) {}

    // One idle pass: what the application centre holds is delivered.
    static void Drain() { QV::GetMainNotificationCenter()->ProcessQueue(false); }

    // The dialog of a skin name, made as the device view makes it.
    template <class Dialog>
    QV::RCPtr<Dialog> Open(const char16_t* name) {
        QV::RCPtr<QV::LControl> control;
        EXPECT_EQ(mApp->CreateControl(QV::WString(name), control), QV::S_OK);
        return QV::RCPtr<Dialog>(dynamic_cast<Dialog*>(control.Get()));
    }
    // A click on the dialog's child of that name, as the button reports it.
    static void Click(QV::LControl& dialog, const char16_t* button) {
        const QV::RCPtr<QV::LControl> child = dialog.FindChild(QV::WString(button));
        ASSERT_TRUE(child);
        child->QV::LNotificationDistributor::Notify(QV::LNotification::Create(u"NID_LEFT_CLICK"));
    }

    // The engine's 37 values one after another.
    Bytes Cached() const {
        QV::Array<QV::ParamValue> values;
        mApp->GetEngine()->GetParamValues(QV::ParamRange{0, kDeviceParameterCount}, values, -1);
        Bytes all;
        for (uint32_t i = 0; i < values.GetCount(); ++i) {
            uint32_t size = 0;
            const auto* data = static_cast<const uint8_t*>(values.GetAt(i).value.GetData(size));
            all.insert(all.end(), data, data + size);
        }
        return all;
    }
    // Writes a whole preset into the engine with the model's lengths.
    void SetCached(const Bytes& preset) {
        size_t offset = 0;
        for (int32_t id = 0; id < kDeviceParameterCount; ++id) {
            const uint32_t length = kDeviceParameterLengths[id];
            QV::Variant value;
            value.SetBlob(preset.data() + offset, length);
            mApp->GetEngine()->SetParamValue(QV::ParamDescriptor(id), value);
            offset += length;
        }
        Drain();
    }

    QV::RCPtr<QV::LControlFactory> mFactory = QV::LControlFactory::Create(u"Skylet");
    QV::RCPtr<EditorTestSupport::MemorySettings> mSettings{new EditorTestSupport::MemorySettings()};
    TestSupport::ScriptedDesktopShell mShell;
    std::shared_ptr<Platform::VirtualMidiSystem> mSystem = Platform::VirtualMidiSystem::Create();
    Platform::ScopedMidiSystem mInstalled{mSystem};
    QV::RCPtr<LApplication> mApp;
    QV::IApplicationServices* mPreviousServices = nullptr;
    QV::RCPtr<QV::LControl> mMainControl;
    QV::RCPtr<QV::LMainControl> mMain;
};

}  // namespace DialogTestSupport
