#pragma once

#include <cstdint>
#include <map>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/Utilities/Storage/Array.h"
#include "RIZozivirod/Utilities/Storage/Pair.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"
#include "RIZozivirod/Utilities/Storage/TextFunctions.h"

namespace QV {

// Texts by identifier, ordered by exact (case-sensitive, ordinal UTF-16) comparison of the
// identifiers. Serves as a control's, the application's or the framework's string table, and
// as the plain string map of a control descriptor's create parameters.
class LStringTable : public virtual LRefCountedObject {
public:
    // Ids in the order of WString's operator<, found by a plain text as well, without making a
    // string of it.
    struct IdLess {
        using is_transparent = void;
        bool operator()(const WString& a, const WString& b) const { return a < b; }
        bool operator()(const WString& a, const WChar* b) const { return Text::Less(a.GetString(), b); }
        bool operator()(const WChar* a, const WString& b) const { return Text::Less(a, b.GetString()); }
    };
    using EntryMap = std::map<WString, WString, IdLess>;
    using Entry = Pair<WString, WString>;

    // A new table holding a copy of the entries.
    static RCPtr<LStringTable> Create(const EntryMap& entries = {});

    // True and the text when the whole id is present; false, text unchanged, otherwise.
    bool GetString(const WChar* id, WString& text) const;
    // S_OK when added, S_FALSE when the text of an existing id was replaced; E_INVALIDARG for an
    // empty id.
    int32_t SetString(const WString& id, const WString& text);
    // Every entry, by ascending id. S_OK.
    int32_t GetSortedEntries(IArray<Entry>& out) const;
    // The entries whose id begins with the prefix (exactly), by ascending id. S_OK.
    int32_t GetEntriesWithPrefix(const WString& prefix, IArray<Entry>& out) const;

    const EntryMap& GetEntries() const { return mEntries; }
    uint32_t GetCount() const { return static_cast<uint32_t>(mEntries.size()); }

private:
    explicit LStringTable(const EntryMap& entries) : mEntries(entries) {}

    EntryMap mEntries;
};

}  // namespace QV
