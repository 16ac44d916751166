#include "JackAudioDeviceType.h"

#include "JackAudioDevice.h"

JackAudioDeviceType::JackAudioDeviceType (std::shared_ptr<JackServerSession> s)
    : juce::AudioIODeviceType ("JACK"),
      session (std::move (s))
{
    session->addListener (this);
}

JackAudioDeviceType::~JackAudioDeviceType()
{
    session->removeListener (this);
}

void JackAudioDeviceType::scanForDevices()
{
    session->refresh();
    _takeLists();

    if (! std::exchange (hasScanned, true))
    {
        reportedInputNames = inputNames;
        reportedOutputNames = outputNames;
    }
}

juce::StringArray JackAudioDeviceType::getDeviceNames (bool wantInputNames) const
{
    jassert (hasScanned); // need to call scanForDevices() before doing this
    return wantInputNames ? inputNames : outputNames;
}

int JackAudioDeviceType::getDefaultDeviceIndex (bool forInput) const
{
    // PipeWire offers every sink's monitor ports as a source too; the first real source is the
    // input a user means (a microphone, not the speakers' monitor).
    if (forInput)
        for (int i = 0; i < inputNames.size(); ++i)
            for (auto& port : session->getPortNames (inputNames[i], false))
                if (! port.startsWith ("monitor_"))
                    return i;

    return 0;
}

int JackAudioDeviceType::getIndexOfDevice (juce::AudioIODevice* device, bool asInput) const
{
    if (auto* jackDevice = dynamic_cast<JackAudioDevice*> (device))
        return asInput ? inputNames.indexOf (jackDevice->inputClientName)
                       : outputNames.indexOf (jackDevice->outputClientName);

    return -1;
}

juce::AudioIODevice* JackAudioDeviceType::createDevice (const juce::String& outputDeviceName,
                                                        const juce::String& inputDeviceName)
{
    jassert (hasScanned); // need to call scanForDevices() before doing this

    if (! inputNames.contains (inputDeviceName) && ! outputNames.contains (outputDeviceName))
        return nullptr;

    // A change of a device's active channels reaches the device manager as JUCE's own JACK type
    // reports it: as a change of the type.
    const juce::WeakReference<JackAudioDeviceType> type (this);

    return new JackAudioDevice (session, inputDeviceName, outputDeviceName, [type]
    {
        if (auto* t = type.get())
            t->callDeviceChangeListeners();
    });
}

void JackAudioDeviceType::jackClientListChanged()
{
    if (! hasScanned)
        return;

    _takeLists();

    if (inputNames != reportedInputNames || outputNames != reportedOutputNames)
    {
        reportedInputNames = inputNames;
        reportedOutputNames = outputNames;
        callDeviceChangeListeners();
    }
}

void JackAudioDeviceType::_takeLists()
{
    inputNames = session->getClientsWithOutputs();
    outputNames = session->getClientsWithInputs();
}
