// The skin-document half of the control factory's reader: the elements that make control,
// skin, look, part and colorizer descriptors.
#include <cstring>
#include <string>

#include "RIZozivirod/ControlBase/ControlFactory.h"
#include "RIZozivirod/ControlBase/LookDescriptor.h"
#include "RIZozivirod/Utilities/Graphics/Colorizer.h"
#include "RIZozivirod/Utilities/Storage/TextFunctions.h"

namespace QV {

namespace {

// The largest look list a skin may ask for; anything larger is a mistake, not a skin.
constexpr int32_t kMaxLooks = 1024;

using AttributeList = LControlFactory::AttributeList;

bool GetDecimalAttribute(const AttributeList& attributes, const char16_t* name, int32_t& out) {
    return LControlFactory::GetDecimalAttribute(attributes, name, out);
}

bool GetDecimalAttribute(const AttributeList& attributes, const char16_t* name, double& out) {
    int32_t value = 0;
    if (!LControlFactory::GetDecimalAttribute(attributes, name, value)) {
        return false;
    }
    out = value;
    return true;
}

bool Has(const AttributeList& attributes, const char16_t* name) {
    return attributes.Find(name) != nullptr;
}

// Whether an element's name or an attribute's value, expat's UTF-8, is that text (the skin's
// words are ASCII).
bool Is(const char* value, const char* text) {
    return std::strcmp(value, text) == 0;
}

// References name a keyword or a control; only a control's name is kept as a string.
void ReadPlacementReference(const AttributeList& attributes, const char16_t* name,
                            LLayoutDescriptor::Placement& placement) {
    const char* value = attributes.Find(name);
    if (value == nullptr) {
        return;
    }
    if (Is(value, "Parent") || Is(value, "Screen")) {
        placement.reference = PlacementReference::kParent;
    } else if (Is(value, "Client") || Is(value, "Active Window")) {
        placement.reference = PlacementReference::kClient;
    } else {
        placement.reference = PlacementReference::kNamed;
        LControlFactory::GetAttribute(attributes, name, placement.referenceName);
    }
}

void ReadSizeReference(const AttributeList& attributes, const char16_t* name, LLayoutDescriptor::Size& size) {
    const char* value = attributes.Find(name);
    if (value == nullptr) {
        return;
    }
    if (Is(value, "Parent") || Is(value, "Screen")) {
        size.reference = SizeReference::kParent;
    } else if (Is(value, "Client") || Is(value, "Active Window")) {
        size.reference = SizeReference::kClient;
    } else if (Is(value, "Self")) {
        size.reference = SizeReference::kSelf;
    } else {
        size.reference = SizeReference::kNamed;
        LControlFactory::GetAttribute(attributes, name, size.referenceName);
    }
}

void ReadLimit(const AttributeList& attributes, const char16_t* toControl, const char16_t* rel,
               const char16_t* abs, LLayoutDescriptor::Limit& limit) {
    if (const char* value = attributes.Find(toControl)) {
        if (Is(value, "Self")) {
            limit.reference = LimitReference::kSelf;
        } else {
            limit.reference = LimitReference::kNamed;
            LControlFactory::GetAttribute(attributes, toControl, limit.referenceName);
        }
    }
    LControlFactory::GetFloatAttribute(attributes, rel, limit.factor);
    GetDecimalAttribute(attributes, abs, limit.offset);
}

void ReadLayout(const AttributeList& attributes, bool topLevel, LLayoutDescriptor& layout) {
    LControlFactory::GetBoolAttribute(attributes, u"ClipToParent", layout.clipToParent);
    GetDecimalAttribute(attributes, u"Z_Order", layout.zOrder);
    // Windows and popups take neither a tab stop nor a visibility from the skin.
    if (!topLevel) {
        GetDecimalAttribute(attributes, u"TabStop", layout.tabStop);
        LControlFactory::GetBoolAttribute(attributes, u"IsVisible", layout.visible);
    }
    LControlFactory::GetIntAttribute(attributes, u"LayoutOrder", layout.layoutOrder);
    LControlFactory::GetFloatAttribute(attributes, u"XPlacementAnchor", layout.xPlacement.anchor);
    LControlFactory::GetFloatAttribute(attributes, u"YPlacementAnchor", layout.yPlacement.anchor);
    LControlFactory::GetBoolAttribute(attributes, u"XIsDocked", layout.xDocked);
    LControlFactory::GetBoolAttribute(attributes, u"YIsDocked", layout.yDocked);
    ReadPlacementReference(attributes, u"XPositionToControl", layout.xPlacement);
    ReadPlacementReference(attributes, u"YPositionToControl", layout.yPlacement);
    LControlFactory::GetFloatAttribute(attributes, u"XPositionRel", layout.xPlacement.factor);
    LControlFactory::GetFloatAttribute(attributes, u"YPositionRel", layout.yPlacement.factor);
    GetDecimalAttribute(attributes, u"XPositionAbs", layout.xPlacement.offset);
    GetDecimalAttribute(attributes, u"YPositionAbs", layout.yPlacement.offset);
    ReadSizeReference(attributes, u"XSizeToControl", layout.xSize);
    ReadSizeReference(attributes, u"YSizeToControl", layout.ySize);
    LControlFactory::GetFloatAttribute(attributes, u"XSizeRel", layout.xSize.factor);
    LControlFactory::GetFloatAttribute(attributes, u"YSizeRel", layout.ySize.factor);
    GetDecimalAttribute(attributes, u"XSizeAbs", layout.xSize.offset);
    GetDecimalAttribute(attributes, u"YSizeAbs", layout.ySize.offset);
    ReadLimit(attributes, u"XMinSizeToControl", u"XMinSizeRel", u"XMinSizeAbs", layout.xMinimum);
    ReadLimit(attributes, u"YMinSizeToControl", u"YMinSizeRel", u"YMinSizeAbs", layout.yMinimum);
    ReadLimit(attributes, u"XMaxSizeToControl", u"XMaxSizeRel", u"XMaxSizeAbs", layout.xMaximum);
    ReadLimit(attributes, u"YMaxSizeToControl", u"YMaxSizeRel", u"YMaxSizeAbs", layout.yMaximum);
    LControlFactory::GetAttribute(attributes, u"TextDecoration", layout.textDecoration);
    if (const char* overflow = attributes.Find(u"TextOverflowXType")) {
        if (Is(overflow, "Clip")) {
            layout.xTextOverflow = TextOverflow::kClip;
        } else if (Is(overflow, "Expand")) {
            layout.xTextOverflow = TextOverflow::kExpand;
        } else if (Is(overflow, "Wrap")) {
            layout.xTextOverflow = TextOverflow::kWrap;
        }
    }
    if (const char* overflow = attributes.Find(u"TextOverflowYType")) {
        if (Is(overflow, "Clip")) {
            layout.yTextOverflow = TextOverflow::kClip;
        } else if (Is(overflow, "Expand")) {
            layout.yTextOverflow = TextOverflow::kExpand;
        }
    }
}

}  // namespace

bool LControlFactory::StartSkinElement(const char* name, const AttributeList& attributes) {
    if (Is(name, "Skins") || Is(name, "Parts") || Is(name, "Colorizers") || Is(name, "NonClientParts")) {
        return true;
    }
    if (Is(name, "Skin")) {
        StartSkin(attributes);
    } else if (Is(name, "FontLocale")) {
        GetIntAttribute(attributes, u"LCID", mFontLocale);
    } else if (Is(name, "FontXLat")) {
        StartFontTranslation(attributes);
    } else if (Is(name, "SubControl")) {
        StartSubControl(attributes);
    } else if (Is(name, "CreateParamList")) {
        mCurrentCreateParams = LStringTable::Create();
    } else if (Is(name, "CreateParam")) {
        StartCreateParam(attributes);
    } else if (Is(name, "LookLists")) {
        mCurrentDescriptor = nullptr;
    } else if (Is(name, "LookList")) {
        StartLookList(attributes);
    } else if (Is(name, "Looks")) {
        mInLooks = true;
    } else if (Is(name, "Look")) {
        StartLook(attributes);
    } else if (Is(name, "ClientPart") || Is(name, "NonClientPart")) {
        StartDockedPart(name, attributes);
    } else if (Is(name, "TextProperties")) {
        StartTextProperties(attributes);
    } else if (Is(name, "Part")) {
        StartPart(attributes);
    } else if (Is(name, "Colorizer")) {
        StartColorizer(attributes);
    } else {
        return false;
    }
    return true;
}

void LControlFactory::EndSkinElement(const char* name) {
    if (Is(name, "SubControl")) {
        if (mSubControls.empty()) {
            return;
        }
        const RCPtr<LControlDescriptor> ended = mSubControls.back();
        mSubControls.pop_back();
        if (!ended) {
            return;  // a SubControl that was skipped
        }
        ended->SortChildren();
        mCurrentDescriptor = ended->GetParent();
    } else if (Is(name, "Skin")) {
        if (mCurrentDescriptor && mCurrentDescriptor == GetSkin(static_cast<uint32_t>(mLastTopLevelSkin))) {
            mCurrentDescriptor = nullptr;
        }
    } else if (Is(name, "Looks")) {
        mInLooks = false;
    } else if (Is(name, "CreateParamList")) {
        if (mCurrentDescriptor) {
            mCurrentDescriptor->SetCreateParams(mCurrentCreateParams);
        } else {
            Warn(WString(u"CreateParamList outside a SubControl"));
        }
        // The table belongs to that control now: a stray CreateParam must not write into it.
        mCurrentCreateParams = nullptr;
    } else if (Is(name, "CreateParam")) {
        mInCreateParam = false;
    }
}

void LControlFactory::StartSkin(const AttributeList& attributes) {
    WString name;
    if (!GetAttribute(attributes, u"Name", name)) {
        Warn(WString(u"Skin without Name"));
    }
    RCPtr<LSkinDescriptor> skin = LSkinDescriptor::Create(name);
    if (!mCurrentDescriptor) {
        // A top-level skin: the root of a tree of windows and popups.
        WString fontName;
        if (GetAttribute(attributes, u"FontName", fontName)) {
            skin->fontName = fontName;
        }
        GetFloatAttribute(attributes, u"FontSize", skin->fontSize);
        GetIntAttribute(attributes, u"FontStyle", skin->fontStyle);
        RCPtr<LControlDescriptor> root =
            LControlDescriptor::Create(WString(u"Application"), mApplicationName, nullptr);
        mSkins.Add(root);
        mLastTopLevelSkin = static_cast<int32_t>(mSkins.GetCount()) - 1;
        mCurrentDescriptor = root;
        mFontTranslations.clear();
        root->SetSkin(skin);
        return;
    }
    // The skin of the SubControl being read, with that SubControl's font settings.
    skin->fontName = TranslateFontName(mPendingFontName);
    skin->fontSize = mPendingFontSize;
    skin->fontStyle = mPendingFontStyle;
    skin->fontInheritsFromParent = mPendingFontInherits;
    skin->fontSizeIsRelative = mPendingFontSizeIsRelative;
    WString lookListName;
    if (GetAttribute(attributes, u"LookList", lookListName)) {
        const auto found = mLookLists.find(lookListName);
        if (found != mLookLists.end()) {
            skin->lookList = found->second;
        } else {
            Warn(WString(u"unknown LookList ") + lookListName);
        }
    }
    mCurrentDescriptor->SetSkin(skin);
}

void LControlFactory::StartFontTranslation(const AttributeList& attributes) {
    if (mFontLocale != mWantedLCID) {
        return;
    }
    if (!mCurrentDescriptor) {
        Warn(WString(u"FontXLat outside a Skin"));
        return;
    }
    WString from;
    WString to;
    GetAttribute(attributes, u"Name", from);
    GetAttribute(attributes, u"XLat", to);
    mFontTranslations.emplace(from, to);
    const RCPtr<LSkinDescriptor>& skin = mCurrentDescriptor->GetSkin();
    if (skin && skin->fontName == from) {
        skin->fontName = to;
    }
}

void LControlFactory::StartSubControl(const AttributeList& attributes) {
    WString className;
    WString name;
    if (!GetAttribute(attributes, u"Class", className) || !GetAttribute(attributes, u"Name", name)) {
        QV_THROW_IN(std::runtime_error, "QV::LControlFactory::XMLStartElement", "Bad Subcontrol Element");
    }
    if (!mCurrentDescriptor) {
        Warn(WString(u"SubControl outside a Skin: ") + name);
        mSubControls.push_back(nullptr);
        return;
    }
    RCPtr<LControlDescriptor> descriptor =
        LControlDescriptor::Create(className, name, mCurrentDescriptor.Get());
    const bool topLevel = mCurrentDescriptor->GetClass() == u"Application";
    mCurrentDescriptor->AddChild(descriptor);
    mCurrentDescriptor = descriptor;
    mSubControls.push_back(descriptor);

    RCPtr<LLayoutDescriptor> layout = LLayoutDescriptor::Create();
    ReadLayout(attributes, topLevel, *layout);
    descriptor->SetLayout(layout);

    // Font settings wait for the SubControl's own Skin element.
    mPendingFontInherits = false;
    GetBoolAttribute(attributes, u"FontInheritsFromParent", mPendingFontInherits);
    mPendingFontSizeIsRelative = false;
    GetBoolAttribute(attributes, u"FontSizeIsRelative", mPendingFontSizeIsRelative);
    mPendingFontName = WString();
    GetAttribute(attributes, u"FontName", mPendingFontName);
    if (!GetFloatAttribute(attributes, u"FontSize", mPendingFontSize)) {
        mPendingFontSize = 0.0f;
        mPendingFontSizeIsRelative = false;
    }
    mPendingFontStyle = -1;
    GetIntAttribute(attributes, u"FontStyle", mPendingFontStyle);
}

void LControlFactory::StartCreateParam(const AttributeList& attributes) {
    WString id;
    if (!GetAttribute(attributes, u"ID", id)) {
        return;
    }
    if (!mCurrentCreateParams) {
        Warn(WString(u"CreateParam outside a CreateParamList: ") + id);
        return;
    }
    mCurrentId = id;
    mInCreateParam = true;
    // A repeated ID replaces the earlier value.
    mCurrentCreateParams->SetString(id, WString());
}

void LControlFactory::StartLookList(const AttributeList& attributes) {
    WString name;
    int32_t count = 0;
    if (!GetAttribute(attributes, u"Name", name) || !GetIntAttribute(attributes, u"NumLooks", count)) {
        Warn(WString(u"LookList without Name or NumLooks"));
        return;
    }
    const auto found = mLookLists.find(name);
    RCPtr<LLookList> list;
    if (found == mLookLists.end()) {
        if (count < 0 || count > kMaxLooks) {
            Warn(WString(u"LookList ") + name + WString(u": NumLooks out of range"));
            return;
        }
        list = LLookList::Create(static_cast<uint32_t>(count));
        mLookLists.emplace(name, list);
        mCurrentLookList = list;
    } else {
        // The first definition stays; the entries of this one are not read.
        list = found->second;
        mCurrentLookList = nullptr;
    }
    if (mCurrentDescriptor) {
        if (mCurrentDescriptor->GetSkin()) {
            mCurrentDescriptor->GetSkin()->lookList = list;
        } else {
            Warn(WString(u"LookList ") + name + WString(u" for a control without a Skin"));
        }
    }
}

void LControlFactory::StartLook(const AttributeList& attributes) {
    WString name;
    if (!GetAttribute(attributes, u"Name", name)) {
        Warn(WString(u"Look without Name"));
        return;
    }
    if (mInLooks) {
        RCPtr<LLookDescriptor> look = LLookDescriptor::Create(name);
        mCurrentLook = look;
        mLooks.emplace(name, look);
        return;
    }
    // An entry of the current look list.
    int32_t index = 0;
    if (!GetDecimalAttribute(attributes, u"Index", index)) {
        Warn(WString(u"look-list entry without Index: ") + name);
        return;
    }
    if (!mCurrentLookList) {
        Warn(WString(u"look-list entry outside a new LookList: ") + name);
        return;
    }
    const RCPtr<LLookDescriptor> look = FindLook(name);
    if (!look) {
        Warn(WString(u"unknown Look ") + name);
        return;
    }
    if (index < 0 || static_cast<uint32_t>(index) >= mCurrentLookList->GetCount()) {
        Warn(WString(u"look-list entry ") + name + WString(u": Index out of range"));
        return;
    }
    mCurrentLookList->GetAt(static_cast<uint32_t>(index)) = look;
}

void LControlFactory::StartDockedPart(const char* elementName, const AttributeList& attributes) {
    const bool client = Is(elementName, "ClientPart");
    WString name;
    LDockedPart::Placement placement;
    if (client) {
        if (!GetAttribute(attributes, u"Name", name) ||
            !GetIntAttribute(attributes, u"OffsetLeft", placement.left) ||
            !GetIntAttribute(attributes, u"OffsetTop", placement.top) ||
            !GetIntAttribute(attributes, u"OffsetRight", placement.right) ||
            !GetIntAttribute(attributes, u"OffsetBottom", placement.bottom)) {
            Warn(WString(u"ClientPart without Name or an offset"));
            return;
        }
        placement.mask = LDockedPart::kLeft | LDockedPart::kTop | LDockedPart::kRight | LDockedPart::kBottom;
    } else {
        if (!GetAttribute(attributes, u"Name", name)) {
            Warn(WString(u"NonClientPart without Name"));
            return;
        }
        placement.mask =
            (GetIntAttribute(attributes, u"OffsetLeft", placement.left) ? LDockedPart::kLeft : 0) |
            (GetIntAttribute(attributes, u"OffsetTop", placement.top) ? LDockedPart::kTop : 0) |
            (GetIntAttribute(attributes, u"OffsetRight", placement.right) ? LDockedPart::kRight : 0) |
            (GetIntAttribute(attributes, u"OffsetBottom", placement.bottom) ? LDockedPart::kBottom : 0);
        GetIntAttribute(attributes, u"Width", placement.width);
        GetIntAttribute(attributes, u"Height", placement.height);
        placement.hasWidth = placement.width > 0;
        placement.hasHeight = placement.height > 0;
    }
    if (!mCurrentLook) {
        Warn(WString(client ? u"ClientPart" : u"NonClientPart") + WString(u" outside a Look: ") + name);
        return;
    }
    const RCPtr<LVisualPartDescriptor> part = FindVisualPart(name);
    if (!part) {
        Warn(WString(u"unknown Part ") + name);
        return;
    }
    if (client) {
        mCurrentLook->clientPart = LDockedPart::Create(part, placement);
    } else {
        mCurrentLook->nonClientParts.Add(LDockedPart::Create(part, placement));
    }
}

void LControlFactory::StartTextProperties(const AttributeList& attributes) {
    LLookDescriptor::TextProperties text;
    WString foreground;
    if (!GetFloatAttribute(attributes, u"TextLeftRel", text.leftFactor) ||
        !GetIntAttribute(attributes, u"TextLeftAbs", text.leftOffset) ||
        !GetFloatAttribute(attributes, u"TextRightRel", text.rightFactor) ||
        !GetIntAttribute(attributes, u"TextRightAbs", text.rightOffset) ||
        !GetFloatAttribute(attributes, u"TextHAlign", text.hAlign) ||
        !GetFloatAttribute(attributes, u"TextTopRel", text.topFactor) ||
        !GetIntAttribute(attributes, u"TextTopAbs", text.topOffset) ||
        !GetFloatAttribute(attributes, u"TextBottomRel", text.bottomFactor) ||
        !GetIntAttribute(attributes, u"TextBottomAbs", text.bottomOffset) ||
        !GetFloatAttribute(attributes, u"TextVAlign", text.vAlign) ||
        !GetAttribute(attributes, u"TextForegroundPart", foreground)) {
        Warn(WString(u"TextProperties without every value"));
        return;
    }
    if (!mCurrentLook) {
        Warn(WString(u"TextProperties outside a Look"));
        return;
    }
    const RCPtr<LVisualPartDescriptor> part = FindVisualPart(foreground);
    if (!part) {
        Warn(WString(u"unknown Part ") + foreground);
        return;
    }
    mCurrentLook->text = text;
    mCurrentLook->textForegroundPart = part;
    mCurrentLook->hasTextProperties = true;
}

void LControlFactory::StartPart(const AttributeList& attributes) {
    WString name;
    int32_t width = 0;
    int32_t height = 0;
    WString resize;
    if (!GetAttribute(attributes, u"Name", name) || !GetIntAttribute(attributes, u"Width", width) ||
        !GetIntAttribute(attributes, u"Height", height) || !GetAttribute(attributes, u"ResizeType", resize)) {
        Warn(WString(u"Part without Name, Width, Height or ResizeType"));
        return;
    }
    const int32_t resizeType = resize == u"Tile" ? 1 : (resize == u"Center" ? 2 : 0);

    LVisualPartDescriptor::BitmapReference image;
    WString file;
    if (GetAttribute(attributes, u"ImageFile", file) && !file.IsEmpty() &&
        GetIntAttribute(attributes, u"ImageLocX", image.x) &&
        GetIntAttribute(attributes, u"ImageLocY", image.y)) {
        image.path = mResourceBasePath + file.ToLower();
        image.width = width;
        image.height = height;
    }
    RCPtr<LColorizer> colorizer;
    WString colorizerName;
    if (GetAttribute(attributes, u"ColorizerName", colorizerName)) {
        colorizer = FindColorizer(colorizerName);
        if (!colorizer) {
            Warn(WString(u"unknown Colorizer ") + colorizerName);
        }
    }
    if (image.path.IsEmpty() && !colorizer) {
        Warn(WString(u"Part ") + name + WString(u" has neither an image nor a colorizer"));
        return;
    }
    float alphaModifier = 1.0f;
    GetFloatAttribute(attributes, u"ColorizerAlphaMod", alphaModifier);
    LVisualPartDescriptor::BitmapReference mask;
    WString maskFile;
    if (GetAttribute(attributes, u"ColorizerMaskFile", maskFile) &&
        GetIntAttribute(attributes, u"MaskLocX", mask.x) &&
        GetIntAttribute(attributes, u"MaskLocY", mask.y)) {
        mask.path = mResourceBasePath + maskFile;
        mask.width = width;
        mask.height = height;
    }
    mVisualParts.emplace(name, LVisualPartDescriptor::Create(name, image, width, height, resizeType,
                                                             colorizer, alphaModifier, mask));
}

void LControlFactory::StartColorizer(const AttributeList& attributes) {
    WString name;
    WString type;
    WString colorText;
    if (!GetAttribute(attributes, u"Name", name) || !GetAttribute(attributes, u"ColorType", type) ||
        !GetAttribute(attributes, u"Color", colorText)) {
        Warn(WString(u"Colorizer without Name, ColorType or Color"));
        return;
    }
    Color color;
    color.ParseHex(colorText.ToUTF8().GetString());
    int32_t colorType = type == u"LinearGradient" ? 1 : (type == u"RadialGradient" ? 2 : 0);
    Color endColor;
    float startX = 0.0f;
    float startY = 0.0f;
    float endX = 0.0f;
    float endY = 0.0f;
    if (colorType != 0) {
        WString endText;
        if (GetAttribute(attributes, u"GradientEndColor", endText) && Has(attributes, u"GradientStartX") &&
            Has(attributes, u"GradientStartY") && Has(attributes, u"GradientEndX") &&
            Has(attributes, u"GradientEndY")) {
            endColor.ParseHex(endText.ToUTF8().GetString());
            GetFloatAttribute(attributes, u"GradientStartX", startX);
            GetFloatAttribute(attributes, u"GradientStartY", startY);
            GetFloatAttribute(attributes, u"GradientEndX", endX);
            GetFloatAttribute(attributes, u"GradientEndY", endY);
        } else {
            colorType = 0;
        }
    }
    mColorizers.emplace(name,
                        LColorizer::Create(name, colorType, color, endColor, startX, startY, endX, endY));
}

}  // namespace QV
