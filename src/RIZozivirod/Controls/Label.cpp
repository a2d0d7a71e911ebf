#include "RIZozivirod/Controls/Label.h"

namespace QV {

LLabel::LLabel(const RCPtr<LControl>& parent, const WString& name) : LControl(parent, name) {}

LLabel::~LLabel() = default;

int32_t LLabel::PostInitialize() {
    SetNotFocusable(true);
    return S_OK;
}

WString LLabel::GetToolTipText() {
    if (IsTextClipped()) {
        return GetText();
    }
    return LControl::GetToolTipText();
}

}  // namespace QV
