#pragma once

#include "JackServerSession.h"

#include <juce_audio_devices/juce_audio_devices.h>

#include <memory>

/** The device type "JACK", in place of JUCE's: the devices are the server's clients with audio ports,
    a client with output ports being an input device and one with input ports an output device, named
    as JUCE names them. The program's own client is left out.

    Like a platform type that reports hot-plugging, it keeps its list current and calls its change
    listeners on the message thread when it changes: when a client with audio ports comes or goes,
    and when the server goes away (the list is then empty) or comes back. A device manager therefore
    closes a device whose client has left and falls back as it does elsewhere. The server's return is
    found at the next scan (the meter handler scans while it searches).

    Threads: the message thread, or a thread that holds the message-manager lock. */
class JackAudioDeviceType : public juce::AudioIODeviceType,
                            private JackServerSession::Listener
{
public:
    /** @param session the server link to use; the application's shared one by default */
    explicit JackAudioDeviceType (std::shared_ptr<JackServerSession> session = JackServerSession::getShared());
    ~JackAudioDeviceType() override;

    void scanForDevices() override;
    juce::StringArray getDeviceNames (bool wantInputNames = false) const override;
    int getDefaultDeviceIndex (bool forInput) const override;
    int getIndexOfDevice (juce::AudioIODevice* device, bool asInput) const override;
    bool hasSeparateInputsAndOutputs() const override { return true; }
    juce::AudioIODevice* createDevice (const juce::String& outputDeviceName,
                                       const juce::String& inputDeviceName) override;

    /** Whether a JACK server ran at the last scan (and has not been seen to end since): the type may
        then list no device while it still serves. */
    bool isServerRunning() const noexcept { return session->hasServer(); }

private:
    void jackClientListChanged() override;
    void _takeLists();

    const std::shared_ptr<JackServerSession> session;
    juce::StringArray inputNames, outputNames;
    /** The lists as the listeners last heard of them: a scan by anyone takes the new lists at once,
        and the listeners hear of them afterwards. */
    juce::StringArray reportedInputNames, reportedOutputNames;
    bool hasScanned = false;

    JUCE_DECLARE_WEAK_REFERENCEABLE (JackAudioDeviceType)
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (JackAudioDeviceType)
};
