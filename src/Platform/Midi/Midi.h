#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// MIDI ports shaped like the Windows multimedia MIDI functions: devices enumerated by index
// with product names, opened by index with a callback function, input buffers that the
// driver fills with System Exclusive bytes and returns through the callback with their
// recorded length, start, stop, reset, short output, and long output that reports its
// completion by a message.
//
// Threads: the functions may be called from any thread. Every callback is delivered on a
// driver thread of the backend, never from inside one of these calls, so no call waits for
// the driver thread: a caller may hold its own lock around any call while its callback waits
// for that lock. Callbacks of one device arrive in order, and MIM_CLOSE (MOM_CLOSE) is the
// last one that names a device; a callback that had already started when the device was
// closed may still be running, which is why the close message exists.
//
// Buffers that Stop and Reset give back are marked done at once (so they can be unprepared
// and freed) and reach the callback later: a caller that wants their content waits for the
// callback first; one that closes the device need not, and must then not read a buffer in a
// callback that arrives after it took the buffer back.
namespace Platform {

// Results.
inline constexpr uint32_t MMSYSERR_NOERROR = 0;
inline constexpr uint32_t MMSYSERR_ERROR = 1;
inline constexpr uint32_t MMSYSERR_BADDEVICEID = 2;
inline constexpr uint32_t MMSYSERR_ALLOCATED = 4;
inline constexpr uint32_t MMSYSERR_INVALHANDLE = 5;
inline constexpr uint32_t MMSYSERR_NODRIVER = 6;
inline constexpr uint32_t MMSYSERR_NOMEM = 7;
inline constexpr uint32_t MMSYSERR_INVALFLAG = 10;
inline constexpr uint32_t MMSYSERR_INVALPARAM = 11;
inline constexpr uint32_t MIDIERR_UNPREPARED = 64;
inline constexpr uint32_t MIDIERR_STILLPLAYING = 65;

// Callback messages. param1 and param2: MIM_DATA the packed message (status in the low byte)
// and the time stamp in milliseconds since midiInStart; MIM_LONGDATA, MIM_LONGERROR and
// MOM_DONE the MIDIHDR; MIM_ERROR the offending byte and the time stamp.
inline constexpr uint32_t MIM_OPEN = 0x3C1;
inline constexpr uint32_t MIM_CLOSE = 0x3C2;
inline constexpr uint32_t MIM_DATA = 0x3C3;
inline constexpr uint32_t MIM_LONGDATA = 0x3C4;
inline constexpr uint32_t MIM_ERROR = 0x3C5;
inline constexpr uint32_t MIM_LONGERROR = 0x3C6;
inline constexpr uint32_t MOM_OPEN = 0x3C7;
inline constexpr uint32_t MOM_CLOSE = 0x3C8;
inline constexpr uint32_t MOM_DONE = 0x3C9;
inline constexpr uint32_t MIM_MOREDATA = 0x3CC;

// Open flags.
inline constexpr uint32_t CALLBACK_NULL = 0x00000000;
inline constexpr uint32_t CALLBACK_FUNCTION = 0x00030000;
inline constexpr uint32_t MIDI_IO_STATUS = 0x00000020;

// Header flags.
inline constexpr uint32_t MHDR_DONE = 0x1;
inline constexpr uint32_t MHDR_PREPARED = 0x2;
inline constexpr uint32_t MHDR_INQUEUE = 0x4;

// A buffer lent to the driver: System Exclusive input is written to lpData from offset 0 on,
// and dwBytesRecorded counts the bytes written; long output sends dwBufferLength bytes. The
// driver owns the buffer while MHDR_INQUEUE is set.
struct MIDIHDR {
    uint8_t* lpData;
    uint32_t dwBufferLength;
    uint32_t dwBytesRecorded;
    uintptr_t dwUser;
    uint32_t dwFlags;
};

// Product names are cut to MAXPNAMELEN - 1 units, as the multimedia library does.
inline constexpr uint32_t MAXPNAMELEN = 32;

struct MIDIINCAPS {
    uint16_t wMid;
    uint16_t wPid;
    uint32_t vDriverVersion;
    char16_t szPname[MAXPNAMELEN];
    uint32_t dwSupport;
};

struct MIDIOUTCAPS {
    uint16_t wMid;
    uint16_t wPid;
    uint32_t vDriverVersion;
    char16_t szPname[MAXPNAMELEN];
    uint16_t wTechnology;
    uint16_t wVoices;
    uint16_t wNotes;
    uint16_t wChannelMask;
    uint32_t dwSupport;
};

class MidiInDevice;
class MidiOutDevice;
using HMIDIIN = MidiInDevice*;
using HMIDIOUT = MidiOutDevice*;

using MidiInCallback = void (*)(HMIDIIN device, uint32_t message, uintptr_t instance, uintptr_t param1,
                                uintptr_t param2);
using MidiOutCallback = void (*)(HMIDIOUT device, uint32_t message, uintptr_t instance, uintptr_t param1,
                                 uintptr_t param2);

uint32_t midiInGetNumDevs();
uint32_t midiInGetDevCaps(uint32_t deviceId, MIDIINCAPS* caps, uint32_t size);
// The capabilities of an open device: MMSYSERR_NODRIVER once the device has gone away.
uint32_t midiInGetDevCaps(HMIDIIN device, MIDIINCAPS* caps, uint32_t size);
// The device is set to null on failure.
uint32_t midiInOpen(HMIDIIN* device, uint32_t deviceId, MidiInCallback callback, uintptr_t instance,
                    uint32_t flags);
// MIDIERR_STILLPLAYING while buffers are queued.
uint32_t midiInClose(HMIDIIN device);
uint32_t midiInPrepareHeader(HMIDIIN device, MIDIHDR* header, uint32_t size);
// MIDIERR_STILLPLAYING while the buffer is queued.
uint32_t midiInUnprepareHeader(HMIDIIN device, MIDIHDR* header, uint32_t size);
uint32_t midiInAddBuffer(HMIDIIN device, MIDIHDR* header, uint32_t size);
uint32_t midiInStart(HMIDIIN device);
// Returns a partly filled System Exclusive buffer; empty buffers stay queued.
uint32_t midiInStop(HMIDIIN device);
// Stops input and returns every queued buffer (MIM_LONGDATA, mostly with 0 bytes recorded).
uint32_t midiInReset(HMIDIIN device);

uint32_t midiOutGetNumDevs();
uint32_t midiOutGetDevCaps(uint32_t deviceId, MIDIOUTCAPS* caps, uint32_t size);
uint32_t midiOutGetDevCaps(HMIDIOUT device, MIDIOUTCAPS* caps, uint32_t size);
uint32_t midiOutOpen(HMIDIOUT* device, uint32_t deviceId, MidiOutCallback callback, uintptr_t instance,
                     uint32_t flags);
// MIDIERR_STILLPLAYING while long messages are queued.
uint32_t midiOutClose(HMIDIOUT device);
uint32_t midiOutShortMsg(HMIDIOUT device, uint32_t message);
uint32_t midiOutPrepareHeader(HMIDIOUT device, MIDIHDR* header, uint32_t size);
uint32_t midiOutUnprepareHeader(HMIDIOUT device, MIDIHDR* header, uint32_t size);
// Completion is MOM_DONE with the header.
uint32_t midiOutLongMsg(HMIDIOUT device, MIDIHDR* header, uint32_t size);
// Gives every queued long message back (marked done, MOM_DONE) without sending the rest of it.
uint32_t midiOutReset(HMIDIOUT device);

// The length of a MIDI message by its status byte: 80-BF and E0-EF 3, C0-DF 2, F1 and F3-F5 2,
// F2 3, everything else 1.
uint32_t MidiMessageLength(uint8_t status);

// A backend: what differs between the real MIDI system and a virtual one. The open
// operations make the device object; everything the functions above promise about buffers,
// callbacks and threads is common to all backends (MidiDevice.h).
class MidiSystem {
public:
    virtual ~MidiSystem() = default;

    virtual uint32_t GetInputCount() = 0;
    virtual uint32_t GetOutputCount() = 0;
    // MMSYSERR_NOERROR with the product name, or MMSYSERR_BADDEVICEID.
    virtual uint32_t GetInputName(uint32_t deviceId, std::u16string& name) = 0;
    virtual uint32_t GetOutputName(uint32_t deviceId, std::u16string& name) = 0;
    virtual uint32_t OpenInput(uint32_t deviceId, MidiInCallback callback, uintptr_t instance,
                               std::shared_ptr<MidiInDevice>& device) = 0;
    virtual uint32_t OpenOutput(uint32_t deviceId, MidiOutCallback callback, uintptr_t instance,
                                std::shared_ptr<MidiOutDevice>& device) = 0;
};

// The backend the functions above use: the real MIDI system unless another one was installed.
// Made on first use and never destroyed.
std::shared_ptr<MidiSystem> GetMidiSystem();
// Installs a backend (null: the real one again) and returns the one it replaces. Devices
// already open stay with the backend that opened them.
std::shared_ptr<MidiSystem> SetMidiSystem(std::shared_ptr<MidiSystem> system);

}  // namespace Platform
