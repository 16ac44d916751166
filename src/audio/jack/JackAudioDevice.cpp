#include "JackAudioDevice.h"

#include <algorithm>
#include <cerrno>

//==============================================================================
void JackAudioDevice::PortSet::make (size_t numPorts)
{
    ports.assign (numPorts, nullptr);
    connectionPending.assign (numPorts, false);
    active.reset (new std::atomic<bool>[numPorts]);
    buffers.assign (numPorts + 1, nullptr);

    for (size_t i = 0; i < numPorts; ++i)
        active[i] = false;
}

void JackAudioDevice::PortSet::clear()
{
    ports.clear();
    connectionPending.clear();
    active.reset();
    buffers.clear();
}

juce::BigInteger JackAudioDevice::PortSet::findActive (JackApi& api)
{
    juce::BigInteger bits;

    for (size_t i = 0; i < ports.size(); ++i)
    {
        // Once the server reports the port connected, its word counts; until then a connection the
        // program has made counts too.
        const bool reported = api.portConnected (ports[i]) > 0;

        if (reported)
            connectionPending[i] = false;

        if (reported || connectionPending[i])
            bits.setBit ((int) i);
    }

    return bits;
}

void JackAudioDevice::PortSet::publish (const juce::BigInteger& bits)
{
    for (size_t i = 0; i < ports.size(); ++i)
        active[i].store (bits[(int) i], std::memory_order_relaxed);
}

//==============================================================================
JackAudioDevice::JackAudioDevice (std::shared_ptr<JackServerSession> s, const juce::String& inputClient,
                                  const juce::String& outputClient, std::function<void()> channelsChanged)
    : juce::AudioIODevice (outputClient.isEmpty() ? inputClient : outputClient, "JACK"),
      inputClientName (inputClient),
      outputClientName (outputClient),
      session (std::move (s)),
      notifyChannelsChanged (std::move (channelsChanged))
{
    jassert (inputClient.isNotEmpty() || outputClient.isNotEmpty());
}

JackAudioDevice::~JackAudioDevice()
{
    close();
}

bool JackAudioDevice::hasLostServer (juce::AudioIODevice* device)
{
    auto* jackDevice = dynamic_cast<JackAudioDevice*> (device);
    return jackDevice != nullptr && (jackDevice->lostServer || (jackDevice->deviceIsOpen && jackDevice->_client() == nullptr));
}

JackClient* JackAudioDevice::_client() const noexcept
{
    return client != nullptr && session->serves (*this) ? client : nullptr;
}

juce::StringArray JackAudioDevice::getOutputChannelNames()
{
    return session->getPortNames (outputClientName, true);
}

juce::StringArray JackAudioDevice::getInputChannelNames()
{
    return session->getPortNames (inputClientName, false);
}

juce::Array<double> JackAudioDevice::getAvailableSampleRates()
{
    juce::Array<double> rates;

    if (const auto rate = getCurrentSampleRate(); rate > 0)
        rates.add (rate);

    return rates;
}

juce::Array<int> JackAudioDevice::getAvailableBufferSizes()
{
    juce::Array<int> sizes;

    if (const auto size = getCurrentBufferSizeSamples(); size > 0)
        sizes.add (size);

    return sizes;
}

int JackAudioDevice::getCurrentBufferSizeSamples()
{
    return session->getBufferSize();
}

double JackAudioDevice::getCurrentSampleRate()
{
    return session->getSampleRate();
}

int JackAudioDevice::getXRunCount() const noexcept
{
    auto* c = _client();
    return c != nullptr ? c->getXRunCount() - xrunsAtOpen : 0;
}

//==============================================================================
juce::String JackAudioDevice::open (const juce::BigInteger& inputChannels, const juce::BigInteger& outputChannels,
                                    double, int)
{
    close();
    lastError.clear();
    lostServer = false;

    client = session->join (*this, lastError);

    if (client != nullptr)
    {
        xrunsAtOpen = client->getXRunCount();

        if (! _takePorts (inputs, inputClientName + " in_", getInputChannelNames().size(), JackPortIsInput)
            || ! _takePorts (outputs, outputClientName + " out_", getOutputChannelNames().size(), JackPortIsOutput))
            lastError = "Cannot register the JACK client's ports";
        else if (! client->attach (*this, inputs.ports.empty() ? JackClient::Stage::givesOut : JackClient::Stage::takesIn))
            lastError = "Too many JACK devices are open";
        else
            lastError = _connect (inputChannels, outputChannels);
    }

    if (lastError.isNotEmpty())
    {
        close();
        return lastError;
    }

    deviceIsOpen = true;
    startedSampleRate = getCurrentSampleRate();
    startedBufferSize = getCurrentBufferSizeSamples();
    _updateActivePorts (false);
    return {};
}

bool JackAudioDevice::_takePorts (PortSet& set, const juce::String& prefix, int numPorts, unsigned long flags)
{
    set.make ((size_t) numPorts);

    for (int i = 0; i < numPorts; ++i)
    {
        set.ports[(size_t) i] = client->acquirePort (prefix + juce::String (i + 1), flags);

        if (set.ports[(size_t) i] == nullptr)
        {
            set.ports.resize ((size_t) i);
            return false;
        }
    }

    return true;
}

juce::String JackAudioDevice::_connect (const juce::BigInteger& inputChannels, const juce::BigInteger& outputChannels)
{
    auto& api = session->getApi();

    // A pair counts as connected from here on: some servers report the program's own connections
    // only a moment later.
    const auto connectAll = [&] (PortSet& set, const juce::BigInteger& wanted, const juce::String& clientName,
                                 const juce::StringArray& channelNames, bool ourPortIsSource) -> juce::String
    {
        for (int i = 0; i < (int) set.ports.size() && i < channelNames.size(); ++i)
        {
            if (! wanted[i])
                continue;

            const auto theirs = clientName + ":" + channelNames[i];
            const juce::String ours (juce::CharPointer_UTF8 (api.portName (set.ports[(size_t) i])));
            const auto& source = ourPortIsSource ? ours : theirs;
            const auto& destination = ourPortIsSource ? theirs : ours;
            const int result = api.connect (client->getHandle(), source.toRawUTF8(), destination.toRawUTF8());

            if (result != 0 && result != EEXIST)
                return "Cannot connect " + source + " to " + destination;

            set.connectionPending[(size_t) i] = true;
        }

        return {};
    };

    const auto error = connectAll (inputs, inputChannels, inputClientName, getInputChannelNames(), false);
    return error.isNotEmpty() ? error : connectAll (outputs, outputChannels, outputClientName, getOutputChannelNames(), true);
}

void JackAudioDevice::close()
{
    stop();
    _release();
}

void JackAudioDevice::_release()
{
    // Once detached, the port sets are the message thread's alone. A client whose server has gone
    // took the ports with it.
    if (auto* c = _client())
    {
        c->detach (*this);

        for (auto* set : { &inputs, &outputs })
            for (auto* port : set->ports)
                c->releasePort (port);
    }

    session->leave (*this);
    client = nullptr;
    inputs.clear();
    outputs.clear();
    activeInputs.clear();
    activeOutputs.clear();
    deviceIsOpen = false;
}

bool JackAudioDevice::isOpen()
{
    return deviceIsOpen && _client() != nullptr;
}

bool JackAudioDevice::isPlaying()
{
    return isOpen() && callback.load() != nullptr;
}

void JackAudioDevice::start (juce::AudioIODeviceCallback* newCallback)
{
    if (newCallback != nullptr && (newCallback == callback.load() || ! isOpen()))
        return;

    if (newCallback != nullptr)
    {
        startedSampleRate = getCurrentSampleRate();
        startedBufferSize = getCurrentBufferSizeSamples();
        newCallback->audioDeviceAboutToStart (this);
    }

    if (auto* previous = _swapCallback (newCallback))
        previous->audioDeviceStopped();
}

juce::AudioIODeviceCallback* JackAudioDevice::_swapCallback (juce::AudioIODeviceCallback* newCallback)
{
    auto* previous = callback.exchange (newCallback);

    // Detached from a client whose server has gone, the device is not processed any more.
    if (auto* c = _client())
        c->waitForCycleToEnd();

    return previous;
}

void JackAudioDevice::stop()
{
    start (nullptr);
}

int JackAudioDevice::getOutputLatencyInSamples()
{
    return _latencyOf (outputs, JackPlaybackLatency);
}

int JackAudioDevice::getInputLatencyInSamples()
{
    return _latencyOf (inputs, JackCaptureLatency);
}

int JackAudioDevice::_latencyOf (const PortSet& set, jack_latency_callback_mode_t mode)
{
    int latency = 0;

    if (_client() != nullptr)
        for (auto* port : set.ports)
            latency = juce::jmax (latency, (int) session->getApi().portLatency (port, mode));

    return latency;
}

//==============================================================================
void JackAudioDevice::jackServerLost()
{
    // The session has detached the device already. Everything is settled before the callback
    // hears of the stop, which may lead anywhere.
    lostServer = true;
    _release();
    stop();
}

void JackAudioDevice::jackPortConnectionsChanged()
{
    _updateActivePorts (true);
}

void JackAudioDevice::jackFormatChanged()
{
    if (! isOpen() || (getCurrentSampleRate() == startedSampleRate && getCurrentBufferSizeSamples() == startedBufferSize))
        return;

    _restartCallback();

    if (notifyChannelsChanged != nullptr)
        notifyChannelsChanged();
}

void JackAudioDevice::_updateActivePorts (bool notify)
{
    if (! isOpen())
        return;

    auto& api = session->getApi();
    const auto newInputs = inputs.findActive (api);
    const auto newOutputs = outputs.findActive (api);

    if (newInputs == activeInputs && newOutputs == activeOutputs)
        return;

    // The callback restarts with the new channels, as JUCE's own JACK device does. With no callback
    // attached the process callback reads none of them.
    const juce::WeakReference<JackAudioDevice> self (this);
    auto* current = callback.load();
    stop();

    if (self == nullptr || ! isOpen())
        return;

    activeInputs = newInputs;
    activeOutputs = newOutputs;
    inputs.publish (activeInputs);
    outputs.publish (activeOutputs);

    if (current != nullptr)
        start (current);

    if (notify && self != nullptr && notifyChannelsChanged != nullptr)
        notifyChannelsChanged();
}

void JackAudioDevice::_restartCallback()
{
    const juce::WeakReference<JackAudioDevice> self (this);
    auto* current = callback.load();

    if (current == nullptr)
        return;

    stop();

    if (self != nullptr && isOpen())
        start (current);
}

//==============================================================================
// Calls no noexcept function of its own while no callback is attached: libjack may cancel this
// thread at any instruction while it closes the client of a dead server.
void JackAudioDevice::jackProcess (jack_nframes_t numFrames)
{
    auto* target = callback.load();
    auto& api = session->getApi();
    int numActiveInputs = 0, numActiveOutputs = 0;

    for (size_t i = 0; i < inputs.ports.size(); ++i)
        if (target != nullptr && inputs.active[i].load (std::memory_order_relaxed))
            if (auto* buffer = static_cast<float*> (api.portGetBuffer (inputs.ports[i], numFrames)))
                inputs.buffers[(size_t) numActiveInputs++] = buffer;

    // Every output sample is written: the ports that get no callback play silence.
    for (size_t i = 0; i < outputs.ports.size(); ++i)
    {
        if (auto* buffer = static_cast<float*> (api.portGetBuffer (outputs.ports[i], numFrames)))
        {
            if (target != nullptr && outputs.active[i].load (std::memory_order_relaxed))
                outputs.buffers[(size_t) numActiveOutputs++] = buffer;
            else
                std::fill (buffer, buffer + numFrames, 0.0f);
        }
    }

    // With no active channel the callback is not called, as with JUCE's own JACK device.
    if (target != nullptr && numActiveInputs + numActiveOutputs > 0)
    {
        target->audioDeviceIOCallbackWithContext (inputs.buffers.data(), numActiveInputs, outputs.buffers.data(),
                                                  numActiveOutputs, (int) numFrames, {});
    }
}
