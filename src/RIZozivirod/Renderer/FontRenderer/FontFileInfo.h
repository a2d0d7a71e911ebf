#pragma once

#include <cstdint>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/Utilities/Storage/StringArrayT.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {

class LFont;

// One font family of the system font index: the file of each of its four styles. The index
// (process-wide, entries in order of creation, entry n with index n) is built from the font
// files' own naming tables and turns a font into a font-file id (index x 4 + style: 0 regular,
// 1 bold, 2 italic, 3 bold italic), which the FreeType text path uses as its face id, and an id
// back into a path. Used by the drawing thread only; nothing is locked.
class LFontFileInfo : public LRefCountedObject {
public:
    static constexpr int32_t kRegular = 0;
    static constexpr int32_t kBold = 1;
    static constexpr int32_t kItalic = 2;
    static constexpr int32_t kBoldItalic = 3;

    LFontFileInfo(const WString& family, int32_t index);

    const WString& GetFamily() const { return mFamily; }
    // The file of a style (0 to 3), empty when none is known.
    const WString& GetPath(int32_t style) const { return mPaths[style & 3]; }
    int32_t GetIndex() const { return mIndex; }

    // Rebuilds the index from the "*.ttf" and then the "*.ttc" files of the font folders that
    // fontconfig reports. S_OK, or E_FAIL with an empty index when no folder is known.
    static int32_t BuildFontIndex();
    // The same over the given folders (each listed in ordinal order, every folder's .ttf files
    // before any .ttc file); always S_OK. Damaged files are skipped.
    static int32_t BuildFontIndex(const WStringArray& folders);
    // Empties the resolution cache, then the index.
    static void EmptyFontIndex();

    // The id of a font: the family whose name is the font's face exactly, else the family of
    // the system font (the application's system font face, or the family fontconfig gives for
    // it); the style from the font's bold and italic bits. A missing style takes the nearest
    // one the family has, and the family keeps that choice. A font's family is looked up once
    // and then kept by font object. Raises a runtime error when no family can be found.
    static int32_t GetFileID(const ConstRCPtr<LFont>& font);
    // The path of an id; the shared empty string for an id outside the index.
    static const WString& GetFilePath(int32_t id);

    // The number of families, and the last entry whose family is the text exactly (null when
    // there is none).
    static uint32_t GetFamilyCount();
    static ConstRCPtr<LFontFileInfo> FindFamily(const WString& family);

private:
    static LFontFileInfo* FindSystemFamily();
    static void Enter(const WString& family, const WString& subfamily, const WString& path);
    static int32_t ChooseStyle(LFontFileInfo& entry, int32_t style);

    WString mFamily;
    WString mPaths[4];
    int32_t mIndex;
};

}  // namespace QV
