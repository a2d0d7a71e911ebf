#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "RIZozivirod/ControlBase/ControlDescriptor.h"
#include "RIZozivirod/ControlBase/StringTable.h"
#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/Utilities/Storage/RCPtrArray.h"
#include "RIZozivirod/Utilities/Storage/StringArrayT.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"

struct XML_ParserStruct;

namespace QV {

class IRootWindow;
class LColorizer;
class LControl;
class LVisualPartDescriptor;

// The application's registry of control classes, string tables and skins, and the reader of
// the string-table and skin documents they come from. Used by one thread at a time (the
// user-interface thread, or a reader it hands the factory over from); documents are read one
// at a time.
//
// Names of classes, tables, strings, skins, looks, parts and colorizers are compared exactly;
// the first definition of a name wins, and nothing is ever removed.
class LControlFactory : public virtual LRefCountedObject {
public:
    static RCPtr<LControlFactory> Create(const WString& applicationName);

    // The factory controls are made and skinned by: the application's, or a test's; null when
    // none is installed. SetCurrent returns the one installed before.
    static RCPtr<LControlFactory> GetCurrent();
    static RCPtr<LControlFactory> SetCurrent(const RCPtr<LControlFactory>& factory);

    LControlFactory(const LControlFactory&) = delete;
    LControlFactory& operator=(const LControlFactory&) = delete;
    ~LControlFactory() override;

    const WString& GetApplicationName() const { return mApplicationName; }
    int32_t GetWantedLCID() const { return mWantedLCID; }
    // The prefix of the image and mask names of skin parts: "::" for embedded resources, else a
    // folder followed by a separator.
    void SetResourceBasePath(const WString& path) { mResourceBasePath = path; }
    const WString& GetResourceBasePath() const { return mResourceBasePath; }

    // Class registry. S_OK; a name already registered keeps its first creator.
    int32_t RegisterControlClass(const WString& className, ControlCreateFunction creator);
    // S_OK with the creator; a name never registered raises a Runtime Error.
    int32_t GetControlCreateFunction(const WString& className, ControlCreateFunction& creator) const;

    // String tables. Each getter hands out a copy of the table as it is now, or null.
    // LoadStringTables reads the application's document in the language asked for, falling
    // back to the language's group and then English, and the framework's document in the
    // language that gave; S_OK, or E_OUTOFMEMORY. A document file that cannot be read raises
    // its Runtime Error; a missing embedded document adds nothing.
    int32_t LoadStringTables(const WString& applicationPath, const WString& frameworkPath, int32_t lcid);
    RCPtr<LStringTable> GetApplicationStringTable() const;
    RCPtr<LStringTable> GetFrameworkStringTable() const;
    // The table of a control named name whose parent's descriptor has the class parentClass;
    // an empty parentClass means a top-level control.
    RCPtr<LStringTable> GetControlStringTable(const WString& parentClass, const WString& name) const;
    RCPtr<LStringTable> GetStringTable(const WString& tableId) const;

    // Controls. CreateControl runs the creator of the descriptor's class (looked up and cached
    // in the descriptor; an unregistered class raises its Runtime Error); null for a null
    // descriptor. CreateRootControl makes the current skin's top-level control of that name,
    // visible, without parent, and gives it the window; null when the skin has no such name.
    // ApplySkin applies the current skin's descriptor of the control's name to it: E_FAIL for a
    // null control or an unknown name, else ApplyDescriptor's result.
    RCPtr<LControl> CreateControl(const RCPtr<LControlDescriptor>& descriptor, const RCPtr<LControl>& parent);
    RCPtr<LControl> CreateRootControl(const WString& name, const RCPtr<IRootWindow>& window);
    int32_t ApplySkin(const RCPtr<LControl>& control);

    // Skins. LoadSkins reads a skin document and makes its first skin current: S_OK, or E_FAIL
    // when the document cannot be read or parsed (what was read before the error stays).
    int32_t LoadSkins(const WString& path);
    uint32_t GetSkinCount() const { return mSkins.GetCount(); }
    RCPtr<LControlDescriptor> GetSkin(uint32_t index) const;
    int32_t GetCurrentSkinIndex() const { return mSkinIndex; }
    void SetCurrentSkinIndex(int32_t index) { mSkinIndex = index; }
    // The current skin's top-level descriptor of that name, the last one when several have it;
    // null when none.
    RCPtr<LControlDescriptor> FindControlDescriptor(const WString& name) const;
    // A copy of the source with its own name and layout; children, skin and create parameters
    // shared.
    RCPtr<LControlDescriptor> CloneDescriptor(const RCPtr<LControlDescriptor>& source,
                                              const RCPtr<LLayoutDescriptor>& layout,
                                              const WString& name) const;
    // The current skin's font values: each one the skin gives replaces the caller's. S_OK when
    // the skin gives any, else S_FALSE.
    int32_t GetSkinFont(WString& faceName, float& size, int32_t& style) const;

    // The reader. ParseXml reads one whole document of length bytes: S_OK, or E_FAIL for bad
    // XML (its text and line are kept), an empty document, or an error raised while reading.
    int32_t ParseXml(const char* buffer, int32_t length);
    const WString& GetLastErrorText() const { return mLastErrorText; }
    int32_t GetLastErrorLine() const { return mLastErrorLine; }
    // Elements the reader could not use and skipped, one text each, since the factory was made.
    const WStringArray& GetReaderWarnings() const { return mReaderWarnings; }
    // Each warning is also written to the debug output as it is found, unless the echo is off
    // (a reader on another thread); EchoReaderWarnings writes those from index first on then.
    void SetReaderWarningEcho(bool echo) { mEchoWarnings = echo; }
    void EchoReaderWarnings(uint32_t first) const;

    // Named skin objects read so far; null when the name is not registered.
    RCPtr<LColorizer> FindColorizer(const WString& name) const;
    RCPtr<LVisualPartDescriptor> FindVisualPart(const WString& name) const;
    RCPtr<LLookDescriptor> FindLook(const WString& name) const;
    WString TranslateFontName(const WString& name) const;

    // The attributes of one element: expat's list (UTF-8 name, value, ..., null) read in place,
    // so a value becomes wide text only when the reader asks for it. A list made from wide pairs
    // keeps UTF-8 copies of its own. Names are compared exactly; of two equal names the first
    // counts.
    class AttributeList {
    public:
        explicit AttributeList(const char** attributes) : mAttributes(attributes) {}
        AttributeList(std::initializer_list<std::pair<const char16_t*, const char16_t*>> pairs);
        AttributeList(const AttributeList&) = delete;
        AttributeList& operator=(const AttributeList&) = delete;

        // The UTF-8 value of the attribute of that name; null when there is none.
        const char* Find(const char16_t* name) const;

    private:
        const char** mAttributes;
        std::vector<std::string> mOwnedTexts;
        std::vector<const char*> mOwnedList;
    };

    // Attribute readers: true when the attribute is present (the target is then set).
    static bool GetAttribute(const AttributeList& attributes, const char16_t* name, WString& out);
    static bool GetBoolAttribute(const AttributeList& attributes, const char16_t* name, bool& out);
    static bool GetFloatAttribute(const AttributeList& attributes, const char16_t* name, float& out);
    // "0x" and at most four hexadecimal digits, or else a decimal number.
    static bool GetIntAttribute(const AttributeList& attributes, const char16_t* name, int32_t& out);
    // A plain decimal number (no "0x" form).
    static bool GetDecimalAttribute(const AttributeList& attributes, const char16_t* name, int32_t& out);
    static int32_t ParseIntOrHex(const char16_t* text);
    static float ParseFloat(const char16_t* text);

private:
    explicit LControlFactory(const WString& applicationName);

    // Reads a document by the source rule: "::" and a name for an embedded document, else a
    // file. Embedded: E_FAIL when missing or empty (S_FALSE with missingIsFine).
    int32_t ParseDocument(const WString& path, bool missingIsFine);
    int32_t StringTablePass(const WString& path, int32_t lcid);

    static void StartElementHandler(void* userData, const char* name, const char** attributes);
    static void EndElementHandler(void* userData, const char* name);
    static void CharacterDataHandler(void* userData, const char* data, int length);
    // Element names are expat's UTF-8 text.
    void XMLStartElement(const char* name, const AttributeList& attributes);
    void XMLEndElement(const char* name);
    bool StartStringTableElement(const char* name, const AttributeList& attributes);
    bool StartSkinElement(const char* name, const AttributeList& attributes);
    void EndSkinElement(const char* name);
    void StartSkin(const AttributeList& attributes);
    void StartFontTranslation(const AttributeList& attributes);
    void StartSubControl(const AttributeList& attributes);
    void StartCreateParam(const AttributeList& attributes);
    void StartLookList(const AttributeList& attributes);
    void StartLook(const AttributeList& attributes);
    void StartDockedPart(const char* elementName, const AttributeList& attributes);
    void StartTextProperties(const AttributeList& attributes);
    void StartPart(const AttributeList& attributes);
    void StartColorizer(const AttributeList& attributes);
    void Warn(const WString& text);
    void StopOnError();

    WString mApplicationName;
    int32_t mWantedLCID = 0;
    WString mResourceBasePath;
    RCPtrArray<LControlDescriptor, 1, 0> mSkins;
    int32_t mSkinIndex = 0;
    std::map<WString, ControlCreateFunction> mClasses;
    // Table ids, in the order of WString's operator<; a control's id ("parent class|name") is
    // found without joining its two names into a string.
    struct JoinedTableId {
        const char16_t* left;
        const char16_t* right;
    };
    struct TableIdLess {
        using is_transparent = void;
        // Below zero, zero or above zero as the id sorts before, equal to or after the joined one.
        static int Compare(const char16_t* id, const JoinedTableId& joined);
        bool operator()(const WString& a, const WString& b) const { return a < b; }
        bool operator()(const WString& a, const JoinedTableId& b) const {
            return Compare(a.GetString(), b) < 0;
        }
        bool operator()(const JoinedTableId& a, const WString& b) const {
            return Compare(b.GetString(), a) > 0;
        }
    };
    std::map<WString, LStringTable::EntryMap, TableIdLess> mStringTables;

    // Reader state.
    XML_ParserStruct* mParser = nullptr;
    bool mHandlerFailed = false;
    bool mSkipRoot = false;
    bool mStringTableMode = false;
    bool mInCreateParam = false;
    bool mInLooks = false;
    bool mCollecting = false;
    int32_t mMatchCount = 0;
    WString mCurrentId;
    LStringTable::EntryMap* mCurrentTable = nullptr;
    WString* mCurrentText = nullptr;
    RCPtr<LControlDescriptor> mCurrentDescriptor;
    // One entry per open SubControl element: its descriptor, or null when it was skipped.
    std::vector<RCPtr<LControlDescriptor>> mSubControls;
    RCPtr<LLookDescriptor> mCurrentLook;
    RCPtr<LLookList> mCurrentLookList;
    RCPtr<LStringTable> mCurrentCreateParams;
    int32_t mLastTopLevelSkin = -1;
    bool mPendingFontInherits = false;
    bool mPendingFontSizeIsRelative = false;
    WString mPendingFontName;
    float mPendingFontSize = 0.0f;
    int32_t mPendingFontStyle = -1;
    int32_t mFontLocale = 0;
    std::map<WString, WString> mFontTranslations;
    WString mLastErrorText;
    int32_t mLastErrorLine = 0;
    WStringArray mReaderWarnings;
    bool mEchoWarnings = true;

    std::map<WString, RCPtr<LColorizer>> mColorizers;
    std::map<WString, RCPtr<LVisualPartDescriptor>> mVisualParts;
    std::map<WString, RCPtr<LLookDescriptor>> mLooks;
    std::map<WString, RCPtr<LLookList>> mLookLists;
};

}  // namespace QV
