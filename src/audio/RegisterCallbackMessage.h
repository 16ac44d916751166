#pragma once

#include <juce_events/juce_events.h>

class AudioDeviceHandler;

namespace juce { class AudioDeviceManager; }

/** Makes the meter handler start or stop listening to its own device manager, on the message
    thread, where JUCE wants change listeners added and removed. The handler posts one before and
    one after each search, probe and opening; the notifications that work causes are queued
    between the two and so reach no listener.

    The handler may be destroyed while a message is still queued: the message holds it by weak
    reference and does nothing once it is gone. sourceManager must be the handler's own device
    manager, which lives exactly as long as the handler. */
class RegisterCallbackMessage : public juce::MessageManager::MessageBase
{
public:
    RegisterCallbackMessage (juce::AudioDeviceManager& manager, AudioDeviceHandler& handler, bool addListener);

    void messageCallback() override;

    /** Creates and posts a message; one that cannot be posted is dropped. */
    static void send (juce::AudioDeviceManager& manager, AudioDeviceHandler& handler, bool addListener);

    juce::AudioDeviceManager* const sourceManager;
    const juce::WeakReference<AudioDeviceHandler> targetHandler;
    const bool add;
};
