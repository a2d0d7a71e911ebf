#pragma once

#include <cstdint>

#include "RIZozivirod/Utilities/Storage/Variant.h"

// The simulator's own controls, beside its DCCI_ entry points: tests reach them through the same
// loaded library (look them up by name) to script the simulated keyboard and to read what the
// system asked of it. The program never calls them. Entry points are named by their exported
// names ("DCCI_SetParamValue"); an unknown name gives -1.
//
// The simulated keyboard answers to the empty id and to every id of its current device list. Its
// store holds the model's defaults for ids 0 to 36 with empty qualifiers. Requested values come
// back on the simulator's delivery thread in batches; writes change the store and, with echo
// on, come back the same way. Every callback waits at the gate while it is closed, and none is
// made after the device is disconnected.
#define DCSIM_EXPORT extern "C" __attribute__((visibility("default")))

// Disconnects, joins the simulator's threads and returns to the first state: the default device
// list, the defaults in the store, no scripts, open gate, no delay, batches of 8, no echo,
// every count 0.
DCSIM_EXPORT int32_t DCSIM_Reset();
// From now on the entry point answers result and does nothing else (its call is still counted
// and its arguments kept).
DCSIM_EXPORT int32_t DCSIM_SetResult(const char* entryPoint, int32_t result);
// Calls of the entry point since the last reset.
DCSIM_EXPORT int32_t DCSIM_GetCallCount(const char* entryPoint);
// The arguments of the entry point's last call, as a List of copies (an Empty item for a null
// pointer). FindRemoteDevices: guid count (UInt32), flag. Request and Set calls: device id, then
// the list, or the id, qualifier and value of a descriptor. GetParamRanges and GetParamValues:
// device id and both numbers.
DCSIM_EXPORT int32_t DCSIM_GetLastArguments(const char* entryPoint, QV::Variant* arguments);
// The device list that DCCI_FindRemoteDevices answers from its fromCall-th call since the last
// reset on (at once for 0). Any Variant is accepted as it is, a List or not.
DCSIM_EXPORT int32_t DCSIM_SetRemoteDevices(const QV::Variant* devices, uint32_t fromCall);
// Values per batch of an answered request (at least 1).
DCSIM_EXPORT int32_t DCSIM_SetBatchSize(uint32_t values);
// How long the delivery thread waits before each batch it delivers.
DCSIM_EXPORT int32_t DCSIM_SetDeliveryDelay(uint32_t milliseconds);
// A closed gate holds every callback until it opens (or the device is disconnected).
DCSIM_EXPORT int32_t DCSIM_SetGate(int32_t open);
// Written values come back through the callback.
DCSIM_EXPORT int32_t DCSIM_SetEcho(int32_t on);
// A batch the device sends on its own, queued for the delivery thread; -1 when not connected.
DCSIM_EXPORT int32_t DCSIM_SendValues(const QV::Variant* values);
// threads threads each make batches callbacks straight from their own thread: batch n of
// thread t holds one value, id t, value Int32 n, in order of n. -1 when not connected.
DCSIM_EXPORT int32_t DCSIM_StartStorm(uint32_t threads, uint32_t batches);
// Joins the storm threads.
DCSIM_EXPORT int32_t DCSIM_WaitStorm();
// 0 once nothing is queued for delivery and no callback is in flight, 1 when milliseconds
// passed first.
DCSIM_EXPORT int32_t DCSIM_WaitIdle(uint32_t milliseconds);
// Callbacks made since the last reset, and the number under way at this moment.
DCSIM_EXPORT int32_t DCSIM_GetCallbackCount();
DCSIM_EXPORT int32_t DCSIM_GetCallbacksInFlight();

namespace DeviceControlSimulator {

using ResetFn = int32_t (*)();
using SetResultFn = int32_t (*)(const char*, int32_t);
using GetCallCountFn = int32_t (*)(const char*);
using GetLastArgumentsFn = int32_t (*)(const char*, QV::Variant*);
using SetRemoteDevicesFn = int32_t (*)(const QV::Variant*, uint32_t);
using SetBatchSizeFn = int32_t (*)(uint32_t);
using SetDeliveryDelayFn = int32_t (*)(uint32_t);
using SetGateFn = int32_t (*)(int32_t);
using SetEchoFn = int32_t (*)(int32_t);
using SendValuesFn = int32_t (*)(const QV::Variant*);
using StartStormFn = int32_t (*)(uint32_t, uint32_t);
using WaitStormFn = int32_t (*)();
using WaitIdleFn = int32_t (*)(uint32_t);
using GetCallbackCountFn = int32_t (*)();
using GetCallbacksInFlightFn = int32_t (*)();

// The id of the simulated keyboard in its default device list.
inline constexpr char kDeviceId[] = "Skylet 1";

}  // namespace DeviceControlSimulator
