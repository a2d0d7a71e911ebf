#include "RIZozivirod/ControlBase/HotKeyTable.h"

#include "RIZozivirod/ControlBase/StringTable.h"
#include "RIZozivirod/Notification/Notification.h"

namespace QV {

int32_t LHotKeyTable::AddBinding(const KeyCode& key, const WString& command) {
    if (command.IsEmpty() || !FindCommand(key).IsEmpty()) {
        return E_INVALIDARG;
    }
    Binding& binding = mBindings[GetNotificationID(command.GetString())];
    if (binding.command.IsEmpty()) {
        binding.command = command;
    }
    binding.keys.Add(key);
    return S_OK;
}

WString LHotKeyTable::FindCommand(const KeyCode& key) const {
    for (const auto& [id, binding] : mBindings) {
        for (uint32_t i = binding.keys.GetCount(); i > 0; --i) {
            if (binding.keys.GetAt(i - 1) == key) {
                return binding.command;
            }
        }
    }
    return WString();
}

Array<KeyCode> LHotKeyTable::GetKeys(const WString& command) const {
    if (command.IsEmpty()) {
        return {};
    }
    const auto found = mBindings.find(GetNotificationID(command.GetString()));
    return found == mBindings.end() ? Array<KeyCode>() : found->second.keys;
}

bool LHotKeyTable::HasCommand(const WString& command) const {
    return !command.IsEmpty() && mBindings.count(GetNotificationID(command.GetString())) != 0;
}

int32_t LHotKeyTable::LoadFromEntries(const IArray<Entry>& entries, const WString& prefix) {
    const WString start = prefix + WString(u'.');
    const int32_t startLength = start.GetLength();
    for (uint32_t i = 0; i < entries.GetCount(); ++i) {
        const Entry& entry = entries.GetAt(i);
        if (entry.first.GetLength() < startLength || entry.first.Left(startLength) != start) {
            continue;
        }
        const WString command = entry.first.Mid(entry.first.ReverseFind('.') + 1);
        const KeyCode key = KeyCode::Parse(entry.second);
        if (key.IsValid()) {
            AddBinding(key, command);
        }
    }
    return S_OK;
}

int32_t LHotKeyTable::LoadFromStringTable(const RCPtr<LStringTable>& table, const WString& prefix) {
    if (!table) {
        return E_INVALIDARG;
    }
    Array<Entry> entries;
    table->GetEntriesWithPrefix(prefix + WString(u'.'), entries);
    return LoadFromEntries(entries, prefix);
}

}  // namespace QV
