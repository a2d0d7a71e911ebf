#pragma once

#include <cstdint>
#include <map>

#include "RIZozivirod/ControlBase/KeyCode.h"
#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/Utilities/Storage/Array.h"
#include "RIZozivirod/Utilities/Storage/Pair.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {

// Commands (notification names) bound to key codes. A key is bound to at most one command; a
// command may have several keys. Filled from string-table entries "<prefix>.<command>" whose
// texts are hot-key texts ("Ctrl+VKEY_C"). User-interface thread only.
class LStringTable;

class LHotKeyTable {
public:
    using Entry = Pair<WString, WString>;

    // Appends the key to the command's keys. E_INVALIDARG when the key is already bound (to
    // any command) or the command is empty; else 0.
    int32_t AddBinding(const KeyCode& key, const WString& command);
    // The command bound to a key equal to key, else the empty string.
    WString FindCommand(const KeyCode& key) const;
    // A copy of the command's keys; empty when it has none.
    Array<KeyCode> GetKeys(const WString& command) const;
    bool HasCommand(const WString& command) const;
    uint32_t GetCommandCount() const { return static_cast<uint32_t>(mBindings.size()); }

    // Binds the entries (identifier, hot-key text) whose identifier begins with prefix + ".":
    // the command is the identifier after its last ".". Texts that name no key and keys that
    // are already bound are passed over. Returns 0.
    int32_t LoadFromEntries(const IArray<Entry>& entries, const WString& prefix);
    // The same for the entries of a string table ("LHK", "GHK" or "GHK_WIN"); E_INVALIDARG
    // without a table, else 0.
    int32_t LoadFromStringTable(const RCPtr<LStringTable>& table, const WString& prefix);

private:
    struct Binding {
        WString command;
        Array<KeyCode> keys;
    };

    // By the command's notification identifier.
    std::map<const WChar*, Binding> mBindings;
};

}  // namespace QV
