#pragma once

#include <cstdint>
#include <memory>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/Utilities/Storage/ParamTypes.h"
#include "RIZozivirod/Utilities/Storage/Variant.h"

// The store of the parameter values: one slot per parameter, addressed by the parameter's offset
// from the root's first id. A slot holds the value itself (empty qualifier) or, for values the
// device sends with qualifiers, a value list ordered by qualifier. No lock: the root module enters
// it only under its own lock, or before delivery of received values is switched on.
class LParamCache : public virtual QV::LRefCountedObject {
public:
    static QV::RCPtr<LParamCache> Create(uint32_t count);

    // 0 stored; 1 the slot already held an equal value; -1 no such slot or an undecodable list.
    virtual int32_t SetValue(const QV::ParamDescriptor& descriptor, const QV::Variant& value, bool notify);
    // 0 found; 1 no value for that qualifier; -1 no such slot; -7 an undecodable list. out is
    // empty unless found.
    virtual int32_t GetValue(const QV::ParamDescriptor& descriptor, QV::Variant& out);
    virtual void EnableNotification(bool enable);
    // Called for every stored change when asked to; nothing here listens.
    virtual int32_t OnValueChanged(uint32_t index, const QV::Variant& value);

    uint32_t GetCount() const { return count; }

protected:
    explicit LParamCache(uint32_t slotCount);
    ~LParamCache() override;

private:
    uint32_t count;
    std::unique_ptr<QV::Variant[]> values;
};
