#include "Platform/Midi/MidiRtMidi.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "Platform/Midi/Midi.h"
#include "Platform/Midi/MidiVirtual.h"

namespace {

using namespace Platform;

// Without a sequencer device the backend lists nothing, opens nothing and says nothing.
TEST(MidiRtMidiTest, WithoutSequencerListsNoDevicesAndPrintsNothing) {
    ScopedMidiSystem installed(CreateRtMidiSystem("/nonexistent/snd/seq"));
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();

    EXPECT_EQ(midiInGetNumDevs(), 0u);
    EXPECT_EQ(midiOutGetNumDevs(), 0u);
    MIDIINCAPS inCaps{};
    MIDIOUTCAPS outCaps{};
    EXPECT_EQ(midiInGetDevCaps(0u, &inCaps, sizeof(inCaps)), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(midiOutGetDevCaps(0u, &outCaps, sizeof(outCaps)), MMSYSERR_BADDEVICEID);
    HMIDIIN input = reinterpret_cast<HMIDIIN>(1);
    HMIDIOUT output = reinterpret_cast<HMIDIOUT>(1);
    EXPECT_EQ(midiInOpen(&input, 0, nullptr, 0, CALLBACK_NULL), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(midiOutOpen(&output, 0, nullptr, 0, CALLBACK_NULL), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(input, nullptr);
    EXPECT_EQ(output, nullptr);

    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

// The backend the program gets by default: on a machine without sound devices it lists none,
// and on any machine listing prints nothing.
TEST(MidiRtMidiTest, DefaultBackendListsSilently) {
    ScopedMidiSystem installed(nullptr);
    testing::internal::CaptureStderr();
    const uint32_t inputs = midiInGetNumDevs();
    const uint32_t outputs = midiOutGetNumDevs();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    if (access("/dev/snd/seq", R_OK | W_OK) != 0) {
        EXPECT_EQ(inputs, 0u);
        EXPECT_EQ(outputs, 0u);
    }
}

}  // namespace
