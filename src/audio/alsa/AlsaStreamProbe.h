#pragma once

#include <juce_core/juce_core.h>

/** Tells whether an ALSA PCM's stream moves, before JUCE's ALSA device is given it.

    JUCE's ALSA device reads and writes from its own thread with blocking calls. A plugin PCM that
    ends in a sound server (pipewire-alsa's and pulse's ioplug PCMs, or a converter in front of
    one) opens and starts even when the server has no node to connect the stream to, and then
    never moves: the device's thread blocks for ever, and JUCE ends it by force when the device is
    closed, which aborts the process. The probe opens such a PCM without blocking, starts it and
    waits a bounded time for frames to be captured or played. A sound card's own hardware PCM
    moves or fails by itself and is left to JUCE. Runs on the caller's thread and returns within
    about the given timeout. */
class AlsaStreamProbe
{
public:
    enum class Result
    {
        flows,        ///< the stream moved within the timeout
        stalled,      ///< the stream did not move: JUCE's device thread would block in it
        notChecked    ///< a card's hardware PCM, or one that does not open or start: JUCE's device reports its own errors
    };

    /** Opens `pcmId` in the given direction and, unless it is a card's hardware PCM, starts it and
        waits up to `timeoutMs` for frames to move. */
    static Result probe (const juce::String& pcmId, bool forInput, int timeoutMs);

    /** The PCM name behind one of the names that JUCE's "ALSA" device type lists (it lists ALSA's
        hints by their descriptions), or an empty string if no hint has that name. */
    static juce::String findPcmId (const juce::String& deviceName, bool forInput);
};
