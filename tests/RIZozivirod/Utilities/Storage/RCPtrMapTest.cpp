#include "RIZozivirod/Utilities/Storage/RCPtrMap.h"

#include <gtest/gtest.h>

#include <string>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"

namespace QV {
namespace {

std::string Utf8(const WString& text) {
    return std::string(NString(text).GetString());
}

// Stand-ins for a font and its font-file entry. The font reaches its counted part through
// another base first, so its address and that part's address differ.
struct Metrics {
    virtual ~Metrics() = default;
    int ascent = 0;
};

class Font : public Metrics, public LRefCountedObject {};

class FontFile : public LRefCountedObject {
public:
    explicit FontFile(int index) : index(index) {}
    const int index;
};

using FontMap = RCPtrMap<Font, FontFile, 8>;

TEST(RCPtrMap, SetAtReplacesTheValueOfAKey) {
    FontMap map;
    RCPtr<Font> font(new Font);
    RCPtr<FontFile> first(new FontFile(1));
    RCPtr<FontFile> second(new FontFile(2));
    EXPECT_TRUE(map.SetAt(font, first));
    EXPECT_FALSE(map.SetAt(font, second));
    EXPECT_EQ(map.GetCount(), 1);
    EXPECT_EQ((*map.Lookup(font))->index, 2);
    EXPECT_EQ(first->GetRefCount(), 1);  // its pair is gone
    EXPECT_EQ(font->GetRefCount(), 2);

    // The same identity is found through a pointer of any class.
    const ConstRCPtr<LRefCountedObject> base(font);
    ASSERT_TRUE(*map.FindPair(base));
    EXPECT_EQ((*map.FindPair(base))->second.Get(), second.Get());
    EXPECT_TRUE(map.RemoveKey(base));
    EXPECT_FALSE(map.RemoveKey(base));
    EXPECT_EQ(map.GetCount(), 0);
    EXPECT_EQ(font->GetRefCount(), 2);  // base and font
    EXPECT_EQ(second->GetRefCount(), 1);
}

TEST(RCPtrMap, AddingTheStoredPairAgainChangesNothing) {
    FontMap map;
    RCPtr<Font> font(new Font);
    RCPtr<FontMap::Pair> pair = FontMap::Pair::Create(font, RCPtr<FontFile>(new FontFile(1)));
    EXPECT_TRUE(map.Add(pair));
    EXPECT_EQ(pair->GetRefCount(), 2);
    EXPECT_FALSE(map.Add(pair));
    EXPECT_EQ(pair->GetRefCount(), 2);
    EXPECT_EQ(map.FindPair(font)->Get(), pair.Get());

    // Another pair for the same font takes the stored one's place.
    RCPtr<FontMap::Pair> other = FontMap::Pair::Create(font, RCPtr<FontFile>(new FontFile(2)));
    EXPECT_FALSE(map.Add(other));
    EXPECT_EQ(pair->GetRefCount(), 1);
    EXPECT_EQ(map.FindPair(font)->Get(), other.Get());
    EXPECT_EQ(map.GetCount(), 1);
}

TEST(RCPtrMap, MissingKeysGiveSharedNullPointers) {
    FontMap map;
    RCPtr<Font> known(new Font);
    RCPtr<Font> unknown(new Font);
    map.SetAt(known, RCPtr<FontFile>(new FontFile(1)));
    const RCPtr<FontFile>* value = map.Lookup(unknown);
    ASSERT_NE(value, nullptr);
    EXPECT_FALSE(*value);
    EXPECT_EQ(map.Lookup(ConstRCPtr<Font>()), value);
    EXPECT_EQ(FontMap().Lookup(unknown), value);
    const RCPtr<FontMap::Pair>* pair = map.FindPair(unknown);
    ASSERT_NE(pair, nullptr);
    EXPECT_FALSE(*pair);
    EXPECT_FALSE(map.RemoveKey(unknown));

    // A null pair added directly is stored under the null identity and looks up as nothing.
    EXPECT_TRUE(map.Add(RCPtr<FontMap::Pair>()));
    EXPECT_FALSE(*map.Lookup(ConstRCPtr<Font>()));
}

TEST(RCPtrMap, PairTextIsTheKeysTextAndRemoveAllReleases) {
    RCPtr<Font> font(new Font);
    RCPtr<FontFile> file(new FontFile(1));
    {
        FontMap map;
        map.SetAt(font, file);
        EXPECT_EQ(Utf8((*map.FindPair(font))->ToString()), "class QV::(anonymous namespace)::Font");
        map.RemoveAll();
        EXPECT_EQ(map.GetCount(), 0);
        EXPECT_EQ(file->GetRefCount(), 1);
        map.SetAt(font, file);
    }
    EXPECT_EQ(font->GetRefCount(), 1);
    EXPECT_EQ(file->GetRefCount(), 1);
}

}  // namespace
}  // namespace QV
