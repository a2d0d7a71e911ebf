#include "RIZozivirod/System/Desktop/GlobalHotKeyManager.h"

#include <gtest/gtest.h>

#include <vector>

#include "RIZozivirod/Notification/NotificationQueue.h"
#include "RIZozivirod/Utilities/Storage/Result.h"

namespace QV {
namespace {

class RecordingReceiver : public LNotificationReceiver {
public:
    void ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                             const RCPtr<LNotification>& notification) override {
        names.push_back(GetNotificationName(notification->GetID()));
        senders.push_back(sender.Get());
        params.push_back(notification->GetParam().Get());
    }
    int32_t UnregisterForNotification(const RCPtr<LNotificationDistributor>&, const WChar*) override {
        return E_FAIL;
    }

    std::vector<WString> names;
    std::vector<LNotificationDistributor*> senders;
    std::vector<LRefCountedObject*> params;
};

TEST(GlobalHotKeyManagerTest, ABoundKeyBecomesItsCommandWithoutSourceOrPayload) {
    const RCPtr<RecordingReceiver> receiver(new RecordingReceiver());
    const RCPtr<LGlobalHotKeyManager> manager = LGlobalHotKeyManager::Create(receiver);
    manager->GetTable().AddBinding(KeyCode::Parse(u"Ctrl+VKEY_C"), u"NID_EDIT_COPY_REQ");
    manager->GetTable().AddBinding(KeyCode::Parse(u"Ctrl+VKEY_N"), u"NID_MENU_FILE_NEW_PRESET");

    // A key-down of C with the left Ctrl, as the window makes it.
    EXPECT_EQ(manager->HandleKey(KeyCode('C', true, 0, KeyCode::kCtrl | KeyCode::kLeftCtrl)), S_OK);
    EXPECT_EQ(manager->HandleKey(KeyCode('C', true, 0, 0)), S_FALSE);
    EXPECT_EQ(manager->HandleKey(KeyCode('X', true, 0, KeyCode::kCtrl)), S_FALSE);
    ASSERT_EQ(receiver->names.size(), 1u);
    EXPECT_EQ(receiver->names[0], WString(u"NID_EDIT_COPY_REQ"));
    EXPECT_EQ(receiver->senders[0], nullptr);
    EXPECT_EQ(receiver->params[0], nullptr);

    manager->ClearTable();
    EXPECT_EQ(manager->HandleKey(KeyCode('C', true, 0, KeyCode::kCtrl)), S_FALSE);
    EXPECT_EQ(LGlobalHotKeyManager::Create(nullptr)->HandleKey(KeyCode('C', true, 0, KeyCode::kCtrl)),
              S_FALSE);
}

}  // namespace
}  // namespace QV
