#include "DeviceControl/GeneratedCode/Engine/Inc/RootModuleInterface.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "DeviceControl/GeneratedCode/Engine/Inc/Device.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/KeybedZone.h"
#include "DeviceControl/GeneratedCode/Engine/ModuleTestSupport.h"

namespace {

using ModuleTestSupport::Blob;
using ModuleTestSupport::Bytes;
using ModuleTestSupport::FakeCommunication;
using ModuleTestSupport::TestRoot;
using InterfaceBytes8 = std::vector<uint8_t>;

class RootModuleInterfaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        root->communication = QV::RCPtr<FakeCommunication>(new FakeCommunication());
        root->SetFirstParamID(nullptr, 0, 0);
        leaf = root->GetModule(9);
    }

    QV::RCPtr<TestRoot> root = TestRoot::Create();
    QV::RCPtr<LParameterizedModule> leaf;
};

// Special ids -256..-129 written to a leaf go to the device when the write did not come from
// it, and are never stored; other negative ids are not the leaf's.
TEST_F(RootModuleInterfaceTest, LeafHandsSpecialIdsToTheDevice) {
    struct Case {
        int32_t id;
        bool fromDevice;
        int32_t result;
        bool forwarded;
    };
    const Case cases[] = {
        {-200, false, 1, true},   {-256, false, 1, true},   {-129, false, 1, true},
        {-200, true, 1, false},   {-128, false, -1, false}, {-257, false, -1, false},
        {-100, false, -1, false}, {-300, false, -1, false}, {-1, false, -1, false},
    };
    for (const Case& entry : cases) {
        SCOPED_TRACE(entry.id);
        root->communication->writes.clear();
        EXPECT_EQ(leaf->SetParamValueLocal(QV::ParamDescriptor(entry.id), Blob({7, 8}), entry.fromDevice),
                  entry.result);
        ASSERT_EQ(root->communication->writes.size(), entry.forwarded ? 1u : 0u);
        if (entry.forwarded) {
            EXPECT_EQ(root->communication->writes[0].id, entry.id);
            EXPECT_EQ(root->communication->writes[0].bytes, (InterfaceBytes8{7, 8}));
        }
    }
    EXPECT_TRUE(root->cache.empty());
}

// Without a communication interface (a root not yet initialised) or without a root module at
// the top (a subtree on its own), the forwarding is skipped and the write still answers 1.
TEST_F(RootModuleInterfaceTest, SpecialIdsWithoutADeviceSideAreAcceptedAndDropped) {
    root->communication = nullptr;
    EXPECT_EQ(leaf->SetParamValueLocal(QV::ParamDescriptor(-200), Blob({1}), false), 1);

    QV::RCPtr<LDevice> device = LDevice::Create();
    device->SetFirstParamID(nullptr, 0, 0);
    EXPECT_EQ(device->GetModule(36)->SetParamValueLocal(QV::ParamDescriptor(-150), Blob({1}), false), 1);

    QV::RCPtr<LKeybedZone> zone = LKeybedZone::Create();
    EXPECT_EQ(zone->SetParamValueLocal(QV::ParamDescriptor(-150), Blob({1}), false), 1);
    EXPECT_TRUE(root->cache.empty());
}

TEST_F(RootModuleInterfaceTest, OnlineWritesGoThroughTheModuleThenToTheDevice) {
    root->communication->result = 42;
    EXPECT_EQ(root->SetParamValue(QV::ParamDescriptor(12), Blob({1, 2})), 42);
    EXPECT_EQ(root->cache[12], (InterfaceBytes8{1, 2}));
    ASSERT_EQ(root->communication->writes.size(), 1u);
    EXPECT_EQ(root->communication->writes[0].id, 12);

    // Ids no module serves still reach the device; a special one also passes the (absent)
    // special module.
    for (const int32_t id : {37, -2, -200}) {
        root->communication->writes.clear();
        EXPECT_EQ(root->SetParamValue(QV::ParamDescriptor(id), Blob({3})), 42);
        ASSERT_EQ(root->communication->writes.size(), 1u);
        EXPECT_EQ(root->communication->writes[0].id, id);
    }
    EXPECT_EQ(root->cache.size(), 1u);

    // A root with no device side refuses instead of failing on a missing interface.
    root->communication = nullptr;
    EXPECT_EQ(root->SetParamValue(QV::ParamDescriptor(13), Blob({4})), -1);
    EXPECT_EQ(root->cache[13], InterfaceBytes8{4});
}

TEST_F(RootModuleInterfaceTest, OfflineReadsAndWritesUseTheCacheOnly) {
    root->SetOffline(true);
    EXPECT_EQ(root->SetParamValue(QV::ParamDescriptor(-200), Blob({5})), 0);
    EXPECT_EQ(root->SetParamValue(QV::ParamDescriptor(100), Blob({6})), 0);
    EXPECT_TRUE(root->communication->writes.empty());
    EXPECT_EQ(root->cache[-200], InterfaceBytes8{5});

    QV::Variant out;
    EXPECT_EQ(root->GetParamValue(QV::ParamDescriptor(100), out), QV::S_OK);
    EXPECT_EQ(Bytes(out), InterfaceBytes8{6});
    EXPECT_EQ(root->GetParamValue(QV::ParamDescriptor(7), out), QV::S_OK);
    EXPECT_EQ(out.kind, QV::Variant::Empty);
}

TEST_F(RootModuleInterfaceTest, BaseOperationsEndAtAModuleWithoutParent) {
    QV::RCPtr<LKeybedZone> zone = LKeybedZone::Create();
    const QV::ParamDescriptor own(0);
    EXPECT_EQ(zone->SetParamValueLocal(own, Blob({1}), false), -1);
    EXPECT_EQ(zone->GetParamValueLocal(own).kind, QV::Variant::Empty);
    EXPECT_EQ(zone->StoreParamValue(own, Blob({1})), -1);
    EXPECT_EQ(zone->LoadParamValue(own).kind, QV::Variant::Empty);
    EXPECT_EQ(zone->SetCachedParamValue(own, Blob({1})), QV::E_FAIL);
    EXPECT_EQ(zone->GetCachedParamValue(own).kind, QV::Variant::Empty);
    EXPECT_FALSE(zone->GetParent());
    EXPECT_EQ(zone->GetRoot().Get(), static_cast<LParameterizedModule*>(zone.Get()));
    EXPECT_EQ(zone->ReservedQuery(3), 1);

    // Inside the tree the cache operations climb to the root.
    EXPECT_EQ(leaf->SetCachedParamValue(QV::ParamDescriptor(9), Blob({2})), 0);
    EXPECT_EQ(Bytes(leaf->GetCachedParamValue(QV::ParamDescriptor(9))), InterfaceBytes8{2});
    EXPECT_EQ(leaf->GetRoot().Get(), static_cast<LParameterizedModule*>(root.Get()));
}

// A module handed out by GetModule may outlive its tree; it then has no parent instead of a
// pointer to a destroyed one.
TEST(RootModuleInterfaceLifetimeTest, ModulesOutlivingTheirParentAreDetached) {
    QV::RCPtr<LParameterizedModule> colors;
    QV::RCPtr<LParameterizedModule> zone;
    {
        QV::RCPtr<TestRoot> root = TestRoot::Create();
        root->SetFirstParamID(nullptr, 0, 0);
        colors = root->GetModule(36);
        zone = root->GetModule(4);
        root->device = nullptr;
    }
    EXPECT_FALSE(colors->GetParent());
    EXPECT_FALSE(zone->GetParent());
    EXPECT_EQ(colors->SetParamValueLocal(QV::ParamDescriptor(36), Blob({1}), false), -1);
    EXPECT_EQ(colors->SetParamValueLocal(QV::ParamDescriptor(-200), Blob({1}), false), 1);
}

// A view tree: panels implement the generated interfaces with base leaves, so ids are assigned
// without validation and found by the generated routing.
class ViewLeaf : public IKeybedZone {
public:
    static QV::RCPtr<ViewLeaf> Create() { return QV::RCPtr<ViewLeaf>(new ViewLeaf()); }
    int32_t SetParamValueLocal(const QV::ParamDescriptor& descriptor, const QV::Variant& /*value*/,
                               bool fromDevice) override {
        shown.push_back(descriptor.paramID);
        EXPECT_TRUE(fromDevice);
        return 0;
    }
    void BroadcastDeviceConfigured() override { ++configured; }

    std::vector<int32_t> shown;
    int configured = 0;
};

class ViewKeybed : public IKeybed {
public:
    static QV::RCPtr<ViewKeybed> Create() { return QV::RCPtr<ViewKeybed>(new ViewKeybed()); }
    using IKeybed::GetKeybedZone;
    QV::RCPtr<IKeybedZone> GetKeybedZone(int32_t zoneIndex) override {
        return zoneIndex >= 0 && zoneIndex < 2 ? zones[zoneIndex] : nullptr;
    }

    QV::RCPtr<ViewLeaf> zones[2] = {ViewLeaf::Create(), ViewLeaf::Create()};
};

TEST(RootModuleInterfaceViewTest, InterfacesAssignIdsWithoutValidation) {
    QV::RCPtr<ViewKeybed> keybed = ViewKeybed::Create();
    keybed->SetFirstParamID(nullptr, 1000, 3);
    EXPECT_EQ(keybed->zones[0]->GetFirstParamID(), 1001);
    EXPECT_EQ(keybed->zones[1]->GetFirstParamID(), 1002);
    EXPECT_EQ(keybed->zones[1]->GetIndex(), 1);
    EXPECT_EQ(keybed->zones[1]->GetParent().Get(), static_cast<LParameterizedModule*>(keybed.Get()));

    EXPECT_EQ(keybed->GetModule(1000).Get(), static_cast<LParameterizedModule*>(keybed.Get()));
    QV::RCPtr<LParameterizedModule> panel = keybed->GetModule(1002);
    ASSERT_EQ(panel.Get(), static_cast<LParameterizedModule*>(keybed->zones[1].Get()));
    EXPECT_EQ(panel->SetParamValueLocal(QV::ParamDescriptor(1002), Blob({1}), true), 0);
    EXPECT_EQ(keybed->zones[1]->shown, std::vector<int32_t>{1002});
    EXPECT_FALSE(keybed->GetModule(1003));
    EXPECT_FALSE(keybed->GetModule(999));

    // A paged panel binds its children again; a missing child is skipped and routes nowhere.
    keybed->zones[0] = nullptr;
    keybed->SetFirstParamID(nullptr, 20, 0);
    EXPECT_EQ(keybed->zones[1]->GetFirstParamID(), 22);
    EXPECT_FALSE(keybed->GetModule(21));

    // Near the end of the id range the ids wrap instead of overflowing.
    keybed->SetFirstParamID(nullptr, INT32_MAX, 0);
    EXPECT_EQ(keybed->zones[1]->GetFirstParamID(), INT32_MIN + 1);
    EXPECT_EQ(keybed->GetModule(INT32_MIN + 1).Get(),
              static_cast<LParameterizedModule*>(keybed->zones[1].Get()));

    keybed->BroadcastDeviceConfigured();
    EXPECT_EQ(keybed->zones[1]->configured, 1);
}

TEST(RootModuleInterfaceViewTest, RootWithoutDeviceRoutesNowhere) {
    class EmptyRoot : public IRootModule {
    public:
        void NotifyParamChanged(const QV::ParamDescriptor&, const QV::Variant&) override {}
        QV::RCPtr<LDeviceCommunicationInterface> GetCommunicationInterface() override { return nullptr; }
        QV::RCPtr<IDevice> GetDevice() override { return nullptr; }
    };
    QV::RCPtr<EmptyRoot> root(new EmptyRoot());
    root->SetFirstParamID(nullptr, 0, 0);
    EXPECT_FALSE(root->GetModule(0));
    EXPECT_FALSE(static_cast<const IRootModule&>(*root).GetDevice());
    EXPECT_FALSE(root->GetSpecialModule(-200));
    root->BroadcastDeviceConfigured();
    QV::Variant out;
    EXPECT_EQ(root->GetParamValue(QV::ParamDescriptor(0), out), QV::E_FAIL);
    EXPECT_EQ(root->SetParamValue(QV::ParamDescriptor(0), Blob({1})), -1);
}

}  // namespace
