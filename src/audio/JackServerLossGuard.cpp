#include "JackServerLossGuard.h"

#include <atomic>
#include <mutex>
#include <vector>

namespace
{
/** The callback JUCE's device calls: passes everything on to the guarded device's own callback
    and tells a stop that the server forced from one the program made. It lives as long as JUCE's
    device, since libjack may still make that device call it after the guarded device is gone. */
class ServerLossLink : public juce::AudioIODeviceCallback
{
public:
    void audioDeviceIOCallbackWithContext (const float* const* inputs, int numInputs, float* const* outputs, int numOutputs,
                                           int numSamples, const juce::AudioIODeviceCallbackContext& context) override
    {
        if (auto* callback = target.load())
            callback->audioDeviceIOCallbackWithContext (inputs, numInputs, outputs, numOutputs, numSamples, context);
        else
            for (int c = 0; c < numOutputs; ++c)
                if (outputs[c] != nullptr)
                    juce::FloatVectorOperations::clear (outputs[c], numSamples);
    }

    void audioDeviceAboutToStart (juce::AudioIODevice*) override
    {
        if (auto* callback = target.load(); callback != nullptr && outer != nullptr)
            callback->audioDeviceAboutToStart (outer);
    }

    void audioDeviceStopped() override
    {
        // The program's own stops come with ownStop set, and JUCE's restart after a port
        // change on the message thread; anything else is libjack's shutdown call. A restart
        // starts this link again, so it keeps its target.
        const bool own = ownStop.load();
        const bool serverGone = ! own && ! juce::MessageManager::existsAndIsCurrentThread();

        if (serverGone)
            markLost();

        if (auto* callback = (own || serverGone) ? target.exchange (nullptr) : target.load())
            callback->audioDeviceStopped();
    }

    void audioDeviceError (const juce::String& message) override
    {
        if (auto* callback = target.load())
            callback->audioDeviceError (message);
    }

    void markLost();
    /** Called as the guarded device is deleted; returns whether it had lost its server. */
    bool detach();

    /** The guarded device; cleared when it is deleted. */
    juce::AudioIODevice* outer = nullptr;
    /** Orders markLost against detach, so that a device counts as open and lost exactly while
        both hold. */
    std::mutex bookkeeping;
    std::atomic<juce::AudioIODeviceCallback*> target { nullptr };
    /** Set while the program stops or closes JUCE's device itself. */
    std::atomic<bool> ownStop { false };
    /** JUCE's device was stopped by libjack's shutdown call: it has dropped its client. */
    std::atomic<bool> lost { false };
};

/** Process-wide: every loss noticed so far, and the devices that have lost their server and are
    still open (not deleted). */
std::atomic<int> s_numLosses { 0 };
std::atomic<int> s_numLostDevicesOpen { 0 };

void ServerLossLink::markLost()
{
    const std::lock_guard<std::mutex> lg (bookkeeping);

    if (lost.exchange (true))
        return;

    ++s_numLosses;

    if (outer != nullptr)
        ++s_numLostDevicesOpen;
}

bool ServerLossLink::detach()
{
    const std::lock_guard<std::mutex> lg (bookkeeping);
    outer = nullptr;
    target = nullptr;

    if (! lost)
        return false;

    --s_numLostDevicesOpen;
    return true;
}

/** JUCE devices that lost their server, kept alive for libjack's late calls. */
class ParkedDevices
{
public:
    struct Entry
    {
        std::shared_ptr<juce::AudioIODeviceType> type;
        std::unique_ptr<ServerLossLink> link;
        std::unique_ptr<juce::AudioIODevice> device;
    };

    static ParkedDevices& get()
    {
        static ParkedDevices instance;
        return instance;
    }

    ~ParkedDevices()
    {
        // A device that never heard of its server's end may still hold the client libjack has
        // since freed; deleting it would close that client, so it is left as it is.
        for (auto& entry : entries)
            if (! entry.link->lost)
            {
                entry.device.release();
                entry.link.release();
            }
    }

    void park (Entry entry)
    {
        const juce::ScopedLock sl (lock);
        entries.push_back (std::move (entry));
    }

    /** Deletes the devices that dropped their clients; the caller has just scanned. */
    void deleteDroppedClients()
    {
        std::vector<Entry> done;

        {
            const juce::ScopedLock sl (lock);

            for (auto it = entries.begin(); it != entries.end();)
            {
                if (it->link->lost)
                {
                    done.push_back (std::move (*it));
                    it = entries.erase (it);
                }
                else
                {
                    ++it;
                }
            }
        }

        // Devices first, each before its link and its type.
        for (auto& entry : done)
            entry.device.reset();
    }

private:
    juce::CriticalSection lock;
    std::vector<Entry> entries;
};

bool holdsMessageManagerLock()
{
    auto* mm = juce::MessageManager::getInstanceWithoutCreating();
    return mm != nullptr && mm->currentThreadHasLockedMessageManager();
}
} // namespace

//==============================================================================
class JackServerLossGuard::Device : public juce::AudioIODevice
{
public:
    Device (std::shared_ptr<juce::AudioIODeviceType> t, std::unique_ptr<juce::AudioIODevice> d)
        : juce::AudioIODevice (d->getName(), d->getTypeName()),
          type (std::move (t)),
          inner (std::move (d))
    {
        link->outer = this;
    }

    ~Device() override
    {
        // A device open when another lost its server has lost it too, even if libjack has not
        // told it yet.
        if (link->detach() || s_numLosses.load() != numLossesAtOpen)
        {
            ParkedDevices::get().park ({ std::move (type), std::move (link), std::move (inner) });
            return;
        }

        link->ownStop = true;
        inner.reset();
    }

    bool hasLostServer() const noexcept { return link->lost.load(); }

    juce::StringArray getOutputChannelNames() override { return lost() ? juce::StringArray() : inner->getOutputChannelNames(); }
    juce::StringArray getInputChannelNames() override { return lost() ? juce::StringArray() : inner->getInputChannelNames(); }
    juce::Array<double> getAvailableSampleRates() override { return lost() ? juce::Array<double>() : inner->getAvailableSampleRates(); }
    juce::Array<int> getAvailableBufferSizes() override { return lost() ? juce::Array<int>() : inner->getAvailableBufferSizes(); }
    int getDefaultBufferSize() override { return lost() ? 0 : inner->getDefaultBufferSize(); }

    juce::String open (const juce::BigInteger& inputChannels, const juce::BigInteger& outputChannels,
                       double sampleRate, int bufferSizeSamples) override
    {
        if (lost())
            return "The JACK server has gone away";

        numLossesAtOpen = s_numLosses.load();
        const OwnStop own (*link);
        return inner->open (inputChannels, outputChannels, sampleRate, bufferSizeSamples);
    }

    void close() override
    {
        if (lost())
            return;

        const OwnStop own (*link);
        inner->close();
    }

    bool isOpen() override { return ! lost() && inner->isOpen(); }

    void start (juce::AudioIODeviceCallback* callback) override
    {
        if (lost() || callback == link->target.load())
            return;

        if (link->target.load() != nullptr)
            stop();

        if (callback != nullptr)
        {
            link->target = callback;
            const OwnStop own (*link);
            inner->start (link.get());
        }
    }

    void stop() override
    {
        if (! lost())
        {
            const OwnStop own (*link);
            inner->stop();
        }

        link->target = nullptr;
    }

    bool isPlaying() override { return ! lost() && inner->isPlaying(); }
    juce::String getLastError() override { return lost() ? juce::String ("The JACK server has gone away") : inner->getLastError(); }
    int getCurrentBufferSizeSamples() override { return lost() ? 0 : inner->getCurrentBufferSizeSamples(); }
    double getCurrentSampleRate() override { return lost() ? 0.0 : inner->getCurrentSampleRate(); }
    int getCurrentBitDepth() override { return lost() ? 0 : inner->getCurrentBitDepth(); }
    juce::BigInteger getActiveOutputChannels() const override { return lost() ? juce::BigInteger() : inner->getActiveOutputChannels(); }
    juce::BigInteger getActiveInputChannels() const override { return lost() ? juce::BigInteger() : inner->getActiveInputChannels(); }
    int getOutputLatencyInSamples() override { return lost() ? 0 : inner->getOutputLatencyInSamples(); }
    int getInputLatencyInSamples() override { return lost() ? 0 : inner->getInputLatencyInSamples(); }
    int getXRunCount() const noexcept override { return inner->getXRunCount(); }

    juce::AudioIODevice* getInner() const noexcept { return inner.get(); }

private:
    struct OwnStop
    {
        explicit OwnStop (ServerLossLink& l) : link (l), previous (l.ownStop.exchange (true)) {}
        ~OwnStop() { link.ownStop = previous; }
        ServerLossLink& link;
        const bool previous;
    };

    bool lost() const noexcept { return link->lost.load(); }

    std::shared_ptr<juce::AudioIODeviceType> type;
    std::unique_ptr<ServerLossLink> link = std::make_unique<ServerLossLink>();
    std::unique_ptr<juce::AudioIODevice> inner;
    int numLossesAtOpen = s_numLosses.load();
};

//==============================================================================
JackServerLossGuard::JackServerLossGuard (std::unique_ptr<juce::AudioIODeviceType> jackType)
    : juce::AudioIODeviceType (jackType->getTypeName()),
      jack (std::move (jackType))
{
    jack->addListener (&forwarder);
}

JackServerLossGuard::~JackServerLossGuard()
{
    jack->removeListener (&forwarder);
}

void JackServerLossGuard::scanForDevices()
{
    // The scan opens a JACK client, which makes libjack free the clients of a dead server: not
    // while a device of such a client is open. Its server is gone, so the list is empty.
    serverLost = s_numLostDevicesOpen.load() > 0;

    if (serverLost)
        return;

    jack->scanForDevices();

    if (holdsMessageManagerLock())
        ParkedDevices::get().deleteDroppedClients();
}

juce::StringArray JackServerLossGuard::getDeviceNames (bool wantInputNames) const
{
    if (serverLost)
        return {};

    return jack->getDeviceNames (wantInputNames);
}

int JackServerLossGuard::getDefaultDeviceIndex (bool forInput) const
{
    return jack->getDefaultDeviceIndex (forInput);
}

int JackServerLossGuard::getIndexOfDevice (juce::AudioIODevice* device, bool asInput) const
{
    if (auto* guarded = dynamic_cast<Device*> (device))
        return jack->getIndexOfDevice (guarded->getInner(), asInput);

    return -1;
}

bool JackServerLossGuard::hasSeparateInputsAndOutputs() const
{
    return jack->hasSeparateInputsAndOutputs();
}

juce::AudioIODevice* JackServerLossGuard::createDevice (const juce::String& outputDeviceName,
                                                        const juce::String& inputDeviceName)
{
    if (s_numLostDevicesOpen.load() > 0)
        return nullptr;

    std::unique_ptr<juce::AudioIODevice> device (jack->createDevice (outputDeviceName, inputDeviceName));

    if (device == nullptr)
        return nullptr;

    return new Device (jack, std::move (device));
}

bool JackServerLossGuard::hasLostServer (juce::AudioIODevice* device)
{
    auto* guarded = dynamic_cast<Device*> (device);
    return guarded != nullptr && guarded->hasLostServer();
}

std::unique_ptr<juce::AudioIODeviceType> JackServerLossGuard::wrapIfJack (std::unique_ptr<juce::AudioIODeviceType> type)
{
    if (type == nullptr || type->getTypeName() != "JACK" || dynamic_cast<JackServerLossGuard*> (type.get()) != nullptr)
        return type;

    return std::make_unique<JackServerLossGuard> (std::move (type));
}
