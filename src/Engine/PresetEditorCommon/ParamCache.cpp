#include "Engine/PresetEditorCommon/ParamCache.h"

#include "RIZozivirod/Utilities/Storage/Result.h"

QV::RCPtr<LParamCache> LParamCache::Create(uint32_t count) {
    return QV::RCPtr<LParamCache>(new LParamCache(count));
}

LParamCache::LParamCache(uint32_t slotCount) : count(slotCount), values(new QV::Variant[slotCount]) {}

LParamCache::~LParamCache() = default;

int32_t LParamCache::SetValue(const QV::ParamDescriptor& descriptor, const QV::Variant& value, bool notify) {
    const uint32_t index = static_cast<uint32_t>(descriptor.paramID);
    if (index >= count) {
        return -1;
    }
    QV::Variant& slot = values[index];
    if (descriptor.qualifier.kind == QV::Variant::Empty) {
        if (slot == value) {
            return 1;
        }
        slot = value;
        if (notify) {
            OnValueChanged(index, slot);
        }
        return QV::S_OK;
    }
    // The qualified values of a slot live in one list; a slot that holds no list starts one.
    QV::ParamValues list;
    static_cast<QV::Variant&>(list) = slot;
    const int32_t result = list.ToArray(descriptor, value);
    if (result < 0) {
        return -1;
    }
    if (result == 1) {
        return 1;
    }
    slot = list;
    if (notify) {
        OnValueChanged(index, slot);
    }
    return QV::S_OK;
}

int32_t LParamCache::GetValue(const QV::ParamDescriptor& descriptor, QV::Variant& out) {
    out.Clear();
    const uint32_t index = static_cast<uint32_t>(descriptor.paramID);
    if (index >= count) {
        return -1;
    }
    const QV::Variant& slot = values[index];
    if (descriptor.qualifier.kind == QV::Variant::Empty) {
        out = slot;
        return QV::S_OK;
    }
    QV::ParamValues list;
    static_cast<QV::Variant&>(list) = slot;
    return list.FindValue(descriptor, out);
}

void LParamCache::EnableNotification(bool /*enable*/) {}

int32_t LParamCache::OnValueChanged(uint32_t /*index*/, const QV::Variant& /*value*/) {
    return QV::E_NOTIMPL;
}
