#pragma once

#include "audio/AudioDeviceHandler.h"

#include <algorithm>
#include <vector>

/** The meter handler's state as each of its change broadcasts finds it when delivered, on the
    message thread. Every state the handler thread broadcasts is seen, however briefly it lasts:
    that thread leaves such a state only under the message-manager lock, whose request reaches the
    message thread after the broadcast. A change made elsewhere (the re-probe, an input stop) may
    replace a state whose broadcast is still queued. */
class BroadcastRecorder : public juce::ChangeListener
{
public:
    explicit BroadcastRecorder (AudioDeviceHandler& handlerToUse) : handler (handlerToUse)  { handler.addChangeListener (this); }
    ~BroadcastRecorder() override  { handler.removeChangeListener (this); }

    void changeListenerCallback (juce::ChangeBroadcaster*) override  { states.push_back (handler.deviceState.load()); }

    /** Whether a broadcast from the index'th on showed the state. */
    bool sawState (int state, size_t fromIndex = 0) const
    {
        return std::find (states.begin() + (std::ptrdiff_t) std::min (fromIndex, states.size()), states.end(), state) != states.end();
    }

    std::vector<int> states;

private:
    AudioDeviceHandler& handler;

    JUCE_DECLARE_NON_COPYABLE (BroadcastRecorder)
};
