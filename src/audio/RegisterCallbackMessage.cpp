#include "RegisterCallbackMessage.h"

#include "AudioDeviceHandler.h"

RegisterCallbackMessage::RegisterCallbackMessage (juce::AudioDeviceManager& manager,
                                                  AudioDeviceHandler& handler,
                                                  bool addListener)
    : sourceManager (&manager),
      targetHandler (&handler),
      add (addListener)
{
    jassert (&manager == &handler.outputDeviceManager);
}

void RegisterCallbackMessage::messageCallback()
{
    auto* handler = targetHandler.get();

    if (handler == nullptr)
        return;

    if (add)
        sourceManager->addChangeListener (handler);
    else
        sourceManager->removeChangeListener (handler);
}

void RegisterCallbackMessage::send (juce::AudioDeviceManager& manager, AudioDeviceHandler& handler, bool addListener)
{
    // MessageBase is reference-counted: JUCE deletes a message after delivery, and post() deletes
    // one it cannot queue (no message manager, or the application is quitting).
    (new RegisterCallbackMessage (manager, handler, addListener))->MessageBase::post();
}
