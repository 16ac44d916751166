#pragma once

#include <juce_audio_devices/juce_audio_devices.h>

#include <memory>

/** JUCE's JACK device type, wrapped so that the JACK server going away cannot bring the program
    down.

    When the server dies, libjack tells each of JUCE's JACK devices, from a thread of its own,
    once or twice (the server's farewell and the broken socket). JUCE's device drops its client
    on the first call without closing it and stays registered for the second, so a device
    deleted between the two is called after its death. A later attempt to open a JACK client (a
    device scan) makes libjack free the dead clients, after which a port query of a device still
    alive, such as the port update JUCE queues for the message thread, ends in libjack's
    assertion. This type keeps both from happening:
    - a device whose server has gone calls nothing of JUCE's device any more and reports itself
      closed, with no channels;
    - deleting it parks JUCE's device instead, so libjack's late call finds it alive;
    - parked devices are deleted right after the next scan of this type, which is when libjack
      has stopped and freed their clients, in the same stretch under the message-manager lock,
      so that no port update queued for one of them runs in between;
    - no scan is made while a device whose server has gone is still open, since it would free its
      client with its port updates still to come (the server is gone: the list is empty).

    Threads: the type and its devices are used where JUCE's are (the message thread, or a thread
    holding the message-manager lock); the audio callback passes through on JACK's thread. */
class JackServerLossGuard : public juce::AudioIODeviceType
{
public:
    explicit JackServerLossGuard (std::unique_ptr<juce::AudioIODeviceType> jackType);
    ~JackServerLossGuard() override;

    void scanForDevices() override;
    juce::StringArray getDeviceNames (bool wantInputNames = false) const override;
    int getDefaultDeviceIndex (bool forInput) const override;
    int getIndexOfDevice (juce::AudioIODevice* device, bool asInput) const override;
    bool hasSeparateInputsAndOutputs() const override;
    juce::AudioIODevice* createDevice (const juce::String& outputDeviceName,
                                       const juce::String& inputDeviceName) override;

    /** Whether `device` is one of this type's and its server has gone away. */
    static bool hasLostServer (juce::AudioIODevice* device);

    /** Wraps `type` when it is JUCE's JACK type; any other type is returned as it is. */
    static std::unique_ptr<juce::AudioIODeviceType> wrapIfJack (std::unique_ptr<juce::AudioIODeviceType> type);

private:
    class Device;
    struct ListenerForwarder : juce::AudioIODeviceType::Listener
    {
        explicit ListenerForwarder (JackServerLossGuard& g) : guard (g) {}
        void audioDeviceListChanged() override { guard.callDeviceChangeListeners(); }
        JackServerLossGuard& guard;
    };

    /** Shared with the parked devices, whose port updates call their type's listeners. */
    std::shared_ptr<juce::AudioIODeviceType> jack;
    ListenerForwarder forwarder { *this };
    /** The last scan was skipped because a device that lost its server was still open. */
    bool serverLost = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (JackServerLossGuard)
};
