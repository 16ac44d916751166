#include "StandaloneProcessor.h"

#include "ChannelMode.h"
#include "jack/JackAudioDevice.h"
#include "jack/JackAudioDeviceType.h"

namespace
{
const juce::String s_preferredDeviceName ("ASIO");

int channelModeForInputCount (int numInputs)
{
    switch (numInputs)
    {
        case 1:  return ChannelMode::Mono;
        case 2:  return ChannelMode::Stereo;
        case 6:  return ChannelMode::FivePointOne;
        default: return ChannelMode::None;
    }
}

} // namespace

StandaloneProcessor::StandaloneProcessor (const AudioDeviceTypeFactory& deviceTypes,
                                          std::shared_ptr<MidiPortProvider> midiPorts)
    : UsbPluginAudioProcessor (deviceTypes, std::move (midiPorts))
{
    availableInputChannels = 6;
    pluginActive = true;

    addAudioDeviceTypes (inputDeviceManager, deviceTypes, &inputDeviceListWatch);

    inputDeviceManager.addChangeListener (this);
    inputDeviceManager.addAudioCallback (this);
    defaultInputOpener.triggerAsyncUpdate();
}

void StandaloneProcessor::DefaultInputOpener::handleAsyncUpdate()
{
    auto& manager = processor.inputDeviceManager;

    if (manager.getCurrentAudioDevice() != nullptr || manager.createStateXml() != nullptr)
        return;

    processor.openInputDevice (processor.savedDeviceState.get());
}

void StandaloneProcessor::openInputDevice (const juce::XmlElement* savedSetup)
{
    // JUCE's fallback stays in the saved type while that type lists a device; one that lists none
    // is left for the first type that does, unless it is a JACK whose server runs.
    auto fallBack = true;
    JackAudioDeviceType* runningJack = nullptr;

    for (auto* type : inputDeviceManager.getAvailableDeviceTypes())
    {
        auto* jack = dynamic_cast<JackAudioDeviceType*> (type);

        if (jack == nullptr || ! jack->isServerRunning())
            continue;

        runningJack = jack;

        if (savedSetup != nullptr && jack->getTypeName() == savedSetup->getStringAttribute ("deviceType"))
            fallBack = ! jack->getDeviceNames (true).isEmpty() || ! jack->getDeviceNames (false).isEmpty();
    }

    jackDefaultsAwaited = false;

    // JUCE's defaults come from the first type that lists a device: ALSA before JACK. While a
    // JACK server runs (PipeWire's too), its default input is the one the user hears, and ALSA's
    // "default" may be a sound server's PCM that never starts. The manager keeps a current type
    // that lists devices, so JACK is made current first, with no channels asked for, which opens
    // nothing; the defaults then stay the manager's own (no saved set-up for config.xml). With no
    // JACK input listed yet nothing is opened: the manager would take the first type that lists
    // a device instead.
    if (savedSetup == nullptr && runningJack != nullptr)
    {
        inputDeviceManager.initialise (0, 0, nullptr, false);
        inputDeviceManager.setCurrentAudioDeviceType (runningJack->getTypeName(), false);

        if (runningJack->getDeviceNames (true).isEmpty())
        {
            jackDefaultsAwaited = true;
            return;
        }
    }

    inputDeviceManager.initialise (2, 1, savedSetup, fallBack, s_preferredDeviceName, nullptr);
}

StandaloneProcessor::~StandaloneProcessor()
{
    defaultInputOpener.cancelPendingUpdate();

    for (auto* type : inputDeviceManager.getAvailableDeviceTypes())
        type->removeListener (&inputDeviceListWatch);

    inputDeviceListWatch.cancelPendingUpdate();

    // Removing the callback stops a running input, which closes the meter output (through
    // audioDeviceStopped) before the base destructor stops the handler thread.
    inputDeviceManager.removeChangeListener (this);
    inputDeviceManager.removeAudioCallback (this);
    inputDeviceManager.closeAudioDevice();
    savedDeviceState.reset();
}

bool StandaloneProcessor::mapsInputCount (int numInputs) noexcept
{
    return numInputs == 2 || numInputs == 6;
}

void StandaloneProcessor::getStateInformation (juce::MemoryBlock&) {}

void StandaloneProcessor::changeListenerCallback (juce::ChangeBroadcaster* source)
{
    if (source != &inputDeviceManager)
    {
        UsbPluginAudioProcessor::changeListenerCallback (source);
        return;
    }

    if (! _closeInputOfLostServer())
        _closeInputThatHasLeft();

    // One call may stand for several coalesced changes; only the device open now counts. A
    // device whose server has gone counts as none: it is about to be closed.
    auto* device = inputDeviceManager.getCurrentAudioDevice();

    if (device == nullptr || JackAudioDevice::hasLostServer (device))
    {
        // Whatever opens next is a change, even the same input again.
        lastNotifiedInput.reset();
    }
    else
    {
        const OpenInput input { device->getTypeName(), inputDeviceManager.getAudioDeviceSetup().inputDeviceName,
                                device->getActiveInputChannels() };

        // A waiting restored mapping is fitted even to an unchanged input: the restore may have
        // come after the notification that first found that input.
        const bool inputChanged = ! (lastNotifiedInput.has_value() && *lastNotifiedInput == input);
        const bool fitsMapping = inputChanged || restoredMapping.has_value();
        lastNotifiedInput = input;

        const int n = input.activeInputs.countNumberOfSetBits();
        inputSampleRate = (int) device->getCurrentSampleRate();
        channelMode = channelModeForInputCount (n);

        if (channelMode == ChannelMode::None)
        {
            numActiveInputs = 0;
        }
        else
        {
            numActiveInputs = n;

            if (fitsMapping)
            {
                _fitMappingToInputs (n);

                // The audio path maps no other count (JACK opens a device with the ports
                // connected so far, and restarts it as the others connect): a restored mapping
                // waits for one.
                if (mapsInputCount (n))
                    restoredMapping.reset();
            }
        }

        // An unchanged input also keeps the revert point: the user may be editing the mapping.
        if (fitsMapping)
            channelMapping.saveState();

        // Rows filled before this change still have their fill's change notification queued;
        // told now, that notification finds the new entries instead of swapping old ones back.
        channelMapping.notifyObservers();
    }

    _postRoutingUpdateToEditor();
}

void StandaloneProcessor::_fitMappingToInputs (int n)
{
    if (restoredMapping.has_value() && setChannelMapping (*restoredMapping, n))
        return;

    if (restoredMapping.has_value())
        setChannelMapping (withIdentityPrefix (*restoredMapping, n), n);
    else
        resetChannelMapping (n);
}

void StandaloneProcessor::restoreChannelMapping (const std::vector<int32_t>& items)
{
    std::vector<int32_t> restored (channelMapping.begin(), channelMapping.end());

    for (size_t i = 0; i < items.size() && i < restored.size(); ++i)
        if (juce::isPositiveAndBelow (items[i], RealtimeChannelMapping::numEntries))
            restored[i] = items[i];

    restoredMapping = restored;

    // The device the set-up restore has just opened (its start has counted its inputs) decides;
    // the input audio thread may already be reading the entries. With no input open, or one
    // whose count the program does not map, the mapping is kept as stored.
    auto* device = inputDeviceManager.getCurrentAudioDevice();
    const int n = device != nullptr ? device->getActiveInputChannels().countNumberOfSetBits() : 0;

    if (channelModeForInputCount (n) == ChannelMode::None)
        setChannelMapping (restored, 0);
    else
        _fitMappingToInputs (n);

    // The settings window's routing rows were filled before the restore and still have their
    // fill's change notification queued; told now, they show the restored entries, so that
    // notification no longer swaps the old selection back in.
    channelMapping.notifyObservers();
}

bool StandaloneProcessor::_closeInputThatHasLeft()
{
    auto* device = inputDeviceManager.getCurrentAudioDevice();
    auto* type = inputDeviceManager.getCurrentDeviceTypeObject();
    const auto inputName = inputDeviceManager.getAudioDeviceSetup().inputDeviceName;

    if (device == nullptr || type == nullptr || inputName.isEmpty() || device->getName() == inputName
        || type->getDeviceNames (true).contains (inputName))
        return false;

    // The user's choice stays the manager's saved set-up, for config.xml and the next start.
    inputDeviceManager.closeAudioDevice();
    const auto saved = inputDeviceManager.createStateXml();
    openInputDevice (saved.get());
    return true;
}

void StandaloneProcessor::audioDeviceIOCallbackWithContext (const float* const* inputChannelData, int numInputChannels,
                                                            float* const* outputChannelData, int numOutputChannels,
                                                            int numSamples,
                                                            const juce::AudioIODeviceCallbackContext&)
{
    const int active = numActiveInputs.load();
    if (mapsInputCount (active) && numInputChannels == active)
        processBlock (inputChannelData, numInputChannels, numSamples);

    // The input device's own output plays nothing.
    for (int channel = 0; channel < numOutputChannels; ++channel)
        if (outputChannelData[channel] != nullptr)
            juce::FloatVectorOperations::clear (outputChannelData[channel], numSamples);
}

void StandaloneProcessor::audioDeviceAboutToStart (juce::AudioIODevice* device)
{
    numActiveInputs = device->getActiveInputChannels().countNumberOfSetBits();
    inputSampleRate = (int) device->getCurrentSampleRate();
    deviceHandler.prepareForDevices ((unsigned long) numActiveInputs.load(), inputSampleRate);
}

void StandaloneProcessor::audioDeviceStopped()
{
    // The meter output carries this input's audio, so it stops with it; routing stays off until
    // the user switches it on again. The handler does it, so that its own thread's work on the
    // meter device never overlaps.
    deviceHandler.inputDeviceStopped();

    // A stop may be the audio server's end (on the server's thread); the message thread then
    // closes the device.
    lostInputCloser.triggerAsyncUpdate();
}

void StandaloneProcessor::LostInputCloser::handleAsyncUpdate()
{
    if (processor._closeInputOfLostServer())
        processor.inputDeviceManager.sendChangeMessage();
}

void StandaloneProcessor::InputDeviceListWatch::audioDeviceListChanged()
{
    processor._closeInputOfLostServer();
    triggerAsyncUpdate();
}

void StandaloneProcessor::InputDeviceListWatch::handleAsyncUpdate()
{
    processor._reopenSavedInput();
}

bool StandaloneProcessor::_closeInputOfLostServer()
{
    auto* device = inputDeviceManager.getCurrentAudioDevice();

    if (device == nullptr)
        return false;

    auto lost = JackAudioDevice::hasLostServer (device);

    if (auto* jack = dynamic_cast<JackAudioDeviceType*> (inputDeviceManager.getCurrentDeviceTypeObject());
        jack != nullptr && device->getTypeName() == jack->getTypeName())
        lost = lost || ! jack->isServerRunning();

    if (! lost)
        return false;

    if (inputDeviceManager.createStateXml() == nullptr && savedDeviceState == nullptr)
        jackDefaultsAwaited = true;

    // The user's choice stays the manager's saved set-up, for config.xml and the next start.
    inputDeviceManager.closeAudioDevice();
    return true;
}

void StandaloneProcessor::_reopenSavedInput()
{
    if (inputDeviceManager.getCurrentAudioDevice() != nullptr)
        return;

    auto saved = inputDeviceManager.createStateXml();

    if (saved == nullptr && savedDeviceState != nullptr)
        saved = std::make_unique<juce::XmlElement> (*savedDeviceState);

    if (saved == nullptr)
    {
        // JACK's defaults, once it lists an input (its server runs then).
        if (auto* type = inputDeviceManager.getCurrentDeviceTypeObject();
            jackDefaultsAwaited && dynamic_cast<JackAudioDeviceType*> (type) != nullptr && ! type->getDeviceNames (true).isEmpty())
            openInputDevice (nullptr);
    }
    else
    {
        juce::AudioIODeviceType* type = nullptr;

        for (auto* t : inputDeviceManager.getAvailableDeviceTypes())
            if (t->getTypeName() == saved->getStringAttribute ("deviceType"))
                type = t;

        auto inputName = saved->getStringAttribute ("audioDeviceName");
        auto outputName = inputName;

        if (inputName.isEmpty())
        {
            inputName = saved->getStringAttribute ("audioInputDeviceName");
            outputName = saved->getStringAttribute ("audioOutputDeviceName");
        }

        // An input is what is waited for; the output, when the set-up has one, must be back too,
        // or the set-up would not open as it was.
        if (type == nullptr || inputName.isEmpty() || ! type->getDeviceNames (true).contains (inputName)
            || (outputName.isNotEmpty() && ! type->getDeviceNames (false).contains (outputName)))
            return;

        openInputDevice (saved.get());
    }

    // The manager's notification, still to come, fits the mapping the user had to the input as it
    // fits a restored one at start-up, rather than resetting it; one still waiting from config.xml
    // is that mapping.
    if (inputDeviceManager.getCurrentAudioDevice() != nullptr && ! restoredMapping.has_value())
        restoredMapping = std::vector<int32_t> (channelMapping.begin(), channelMapping.end());
}
