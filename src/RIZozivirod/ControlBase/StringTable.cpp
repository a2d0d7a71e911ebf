#include "RIZozivirod/ControlBase/StringTable.h"

#include <algorithm>

namespace QV {

RCPtr<LStringTable> LStringTable::Create(const EntryMap& entries) {
    return RCPtr<LStringTable>(new LStringTable(entries));
}

bool LStringTable::GetString(const WChar* id, WString& text) const {
    const auto found = mEntries.find(id != nullptr ? id : u"");
    if (found == mEntries.end()) {
        return false;
    }
    text = found->second;
    return true;
}

int32_t LStringTable::SetString(const WString& id, const WString& text) {
    if (id.IsEmpty()) {
        return E_INVALIDARG;
    }
    const auto [at, added] = mEntries.insert_or_assign(id, text);
    return added ? S_OK : S_FALSE;
}

int32_t LStringTable::GetSortedEntries(IArray<Entry>& out) const {
    out.RemoveAll();
    for (const auto& [id, text] : mEntries) {
        out.Add(Entry{id, text});
    }
    return S_OK;
}

int32_t LStringTable::GetEntriesWithPrefix(const WString& prefix, IArray<Entry>& out) const {
    out.RemoveAll();
    const int32_t length = prefix.GetLength();
    // Every id with the prefix sorts at or after the prefix itself and before the first id that
    // no longer starts with it.
    for (auto at = mEntries.lower_bound(prefix); at != mEntries.end(); ++at) {
        if (at->first.Left(length) != prefix) {
            break;
        }
        out.Add(Entry{at->first, at->second});
    }
    return S_OK;
}

}  // namespace QV
