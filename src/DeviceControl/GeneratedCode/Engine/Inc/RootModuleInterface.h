#pragma once

#include <atomic>
#include <cstdint>
#include <stdexcept>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/Utilities/Storage/Exception.h"
#include "RIZozivirod/Utilities/Storage/ParamTypes.h"
#include "RIZozivirod/Utilities/Storage/Variant.h"

// Parameter module trees.
//
// The keyboard's preset is a tree of modules. The model tree (LRootModule over LDevice and the
// generated L<X> classes) holds no values: a module that owns a parameter checks that a value is
// addressed to it and passes it up to the root, which keeps the cache. The editor builds a second
// tree of the same shape from its edit panels: each panel implements the generated interface
// I<X> of the module it shows, and the main control implements IRootModule. Both trees use the
// same parameter ids at the same places.
//
// View-tree contract. A panel implementing I<X> relies on exactly this:
// - Virtual operations keep the slot order below: LParameterizedModule's slots 0 to 14, then the
//   interface's accessor pairs in the order of ModuleInterfaces.h (const accessor first; it calls
//   the non-const one, which the panel implements and which returns its child panel, or null
//   when that child is missing or the index is out of range).
// - SetFirstParamID of an interface with children stores parent, first id and index and hands each
//   child its id (first id + the child's fixed offset) and index through the non-const accessors,
//   skipping missing children, without any validation; a paged panel may call it again with
//   other ids. Leaf panels keep the base SetFirstParamID, which stores and checks nothing.
// - GetModule routing (IRootModule and each I<X>) finds the module, or panel, that serves an id
//   through the same accessors; a leaf answers itself for any id.
// - SetParamValueLocal(descriptor, value, true) is how values reach a leaf panel.
// - IRootModule::NotifyParamChanged is how a panel's edit reaches the root.
// - BroadcastDeviceConfigured and BroadcastReserved reach every child; leaves do nothing.
// Concrete model classes add their own validation on top; none of it applies to the view tree.

class IDevice;
class LDeviceCommunicationInterface;

// Special ids that a module could serve itself (no module of this system does).
inline constexpr int32_t kFirstModuleSpecialParamID = -256;
inline constexpr int32_t kLastModuleSpecialParamID = -129;

inline constexpr bool IsModuleSpecialParamID(int32_t id) {
    return id >= kFirstModuleSpecialParamID && id <= kLastModuleSpecialParamID;
}

// id + offset and id - other id in the wrapping 32-bit arithmetic the ids are laid out in, so a
// first id near the ends of the range never overflows.
inline constexpr int32_t OffsetParamID(int32_t id, uint32_t offset) {
    return static_cast<int32_t>(static_cast<uint32_t>(id) + offset);
}
inline constexpr uint32_t ParamIDOffset(int32_t id, int32_t firstID) {
    return static_cast<uint32_t>(id) - static_cast<uint32_t>(firstID);
}

// Base of every module and every edit panel. Children are owned by their parent; a child holds
// a plain pointer to its parent. Modules have no lock: the model is entered only under the root's
// lock, the view tree only on the user-interface thread.
class LParameterizedModule : public virtual QV::LRefCountedObject {
public:
    // Slot 0: stores the three fields.
    virtual void SetFirstParamID(LParameterizedModule* parentModule, int32_t first, int32_t childIndex);
    // Slots 1 and 2: the module serving id, or null; the base answers itself for any id.
    virtual QV::ConstRCPtr<LParameterizedModule> GetModule(int32_t id) const;
    virtual QV::RCPtr<LParameterizedModule> GetModule(int32_t id);
    // Slot 3: the parent's StoreParamValue (-1 without a parent); a module that owns no
    // parameter throws.
    virtual int32_t SetParamValueLocal(const QV::ParamDescriptor& descriptor, const QV::Variant& value,
                                       bool fromDevice);
    // Slot 4: the parent's LoadParamValue (empty without a parent); a module that owns no
    // parameter throws.
    virtual QV::Variant GetParamValueLocal(const QV::ParamDescriptor& descriptor);
    // Slots 5 and 6: passed up to the root.
    virtual int32_t StoreParamValue(const QV::ParamDescriptor& descriptor, const QV::Variant& value);
    virtual QV::Variant LoadParamValue(const QV::ParamDescriptor& descriptor);
    // Slot 7: the parameter's default; empty here.
    virtual QV::Variant GetParamValueDefault(int32_t id);
    // Slots 8 and 9: passed down to the children by modules that have some.
    virtual void BroadcastDeviceConfigured();
    virtual void BroadcastReserved();
    // Slots 10 to 12: reserved.
    virtual int32_t ReservedQuery(int32_t argument);
    virtual void ReservedForwardA(int32_t a, int32_t b, int32_t c, int32_t d);
    virtual void ReservedForwardB(int32_t a, int32_t b, int32_t c, int32_t d);
    // Slots 13 and 14: the root's cache, reached through the parents.
    virtual int32_t SetCachedParamValue(const QV::ParamDescriptor& descriptor, const QV::Variant& value);
    virtual QV::Variant GetCachedParamValue(const QV::ParamDescriptor& descriptor);

    QV::RCPtr<LParameterizedModule> GetParent() const;
    // The topmost module above this one (itself when it has no parent).
    QV::RCPtr<LParameterizedModule> GetRoot() const;

    int32_t GetFirstParamID() const { return firstParamID; }
    int32_t GetIndex() const { return index; }

protected:
    LParameterizedModule() = default;
    ~LParameterizedModule() override = default;

    // A child that outlives its parent (someone else still holds it) must not keep a pointer to
    // the destroyed parent.
    static void DetachChild(LParameterizedModule* child, const LParameterizedModule* formerParent);

    LParameterizedModule* parent = nullptr;
    int32_t ownsParameter = 0;
    int32_t firstParamID = 0;
    int32_t index = 0;
};

// Kept here so that the errors name this file.
inline int32_t LParameterizedModule::SetParamValueLocal(const QV::ParamDescriptor& descriptor,
                                                        const QV::Variant& value, bool /*fromDevice*/) {
    if (ownsParameter == 0) {
        QV_THROW(std::logic_error);
    }
    return parent != nullptr ? parent->StoreParamValue(descriptor, value) : -1;
}

inline QV::Variant LParameterizedModule::GetParamValueLocal(const QV::ParamDescriptor& descriptor) {
    if (ownsParameter == 0) {
        QV_THROW(std::logic_error);
    }
    return parent != nullptr ? parent->LoadParamValue(descriptor) : QV::Variant();
}

// The root of a module tree: LRootModule in the model, the main control in the view. Preset ids
// first id .. first id + 36 are routed to the device; special (negative) ids never reach a
// module's store.
class IRootModule : public LParameterizedModule {
public:
    // Stores the fields, then gives the device the same first id and index 0.
    void SetFirstParamID(LParameterizedModule* parentModule, int32_t first, int32_t childIndex) override;
    using LParameterizedModule::GetModule;
    QV::RCPtr<LParameterizedModule> GetModule(int32_t id) override;
    void BroadcastDeviceConfigured() override;
    void BroadcastReserved() override;

    // Slot 15: a value of this tree changed.
    virtual void NotifyParamChanged(const QV::ParamDescriptor& descriptor, const QV::Variant& value) = 0;
    // Slot 16: the device side of the tree; null where there is none.
    virtual QV::RCPtr<LDeviceCommunicationInterface> GetCommunicationInterface() = 0;
    // Slots 17 and 18: the module serving a special id; none here.
    virtual QV::ConstRCPtr<LParameterizedModule> GetSpecialModule(int32_t id) const;
    virtual QV::RCPtr<LParameterizedModule> GetSpecialModule(int32_t id);
    // Slot 19: offline, straight to the cache; otherwise through the module that serves the id,
    // then to the communication interface, whose result is returned (-1 when there is none).
    virtual int32_t SetParamValue(const QV::ParamDescriptor& descriptor, const QV::Variant& value);
    // Slot 20: offline, straight from the cache; otherwise from the module that serves the id
    // (E_FAIL and an empty value when none does).
    virtual int32_t GetParamValue(const QV::ParamDescriptor& descriptor, QV::Variant& out);
    // Slots 21 and 22: the device child.
    virtual QV::ConstRCPtr<IDevice> GetDevice() const;
    virtual QV::RCPtr<IDevice> GetDevice() = 0;

    // SetParamValue of the communication interface, or -1 when there is none.
    int32_t SetCommunicationParamValue(const QV::ParamDescriptor& descriptor, const QV::Variant& value);

protected:
    explicit IRootModule(bool startOffline = false);
    ~IRootModule() override = default;

    // Written by the engine's connection logic, read by the threads that write values.
    std::atomic<bool> offline;
};

#include "DeviceControl/GeneratedCode/Engine/Inc/ModuleInterfaces.h"
