#pragma once

#include "JackApi.h"

/** The list watch: the server's other clients with audio ports, as the program's client last saw
    them, in the server's order. A client with audio output ports is a source of audio (an input
    device), one with audio input ports a destination (an output device). The program's own client
    is left out. Message thread. */
class JackClientList
{
public:
    /** Reads the lists anew through `handle` (none: both empty); true when they changed. */
    bool update (JackApi& api, jack_client_t* handle, const juce::String& ownName);
    void clear() { withOutputs.clear(); withInputs.clear(); }

    const juce::StringArray& getClientsWithOutputs() const noexcept { return withOutputs; }
    const juce::StringArray& getClientsWithInputs() const noexcept { return withInputs; }

    /** The short names ("in_1") of the named client's audio input ports, or output ports. */
    static juce::StringArray getPortNames (JackApi& api, jack_client_t* handle, const juce::String& clientName,
                                           bool inputPorts);

private:
    juce::StringArray withOutputs, withInputs;
};
