#include "MessagePump.h"
#include "VirtualAudioDevice.h"
#include "VirtualAudioDeviceType.h"
#include "VirtualDeviceRegistry.h"
#include "audio/AudioDeviceTypeFactory.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <thread>

namespace
{
const juce::String micName ("Virtual Mic");
const juce::String meterName ("KM7-Solvin Output");
const juce::String speakersName ("Virtual Speakers");

const auto micDescription = VirtualDeviceDescription::input (micName, { "In 1", "In 2", "In 3", "In 4" });
const auto meterDescription = VirtualDeviceDescription::output (meterName, { "Out 1", "Out 2" });

/** Records what a device manager hands on and writes a known pattern to the first
    numChannelsToWrite outputs. */
class RecordingCallback : public juce::AudioIODeviceCallback
{
public:
    static float patternValue (int channel, int sample)
    {
        return 0.1f * (float) (channel + 1) + 0.0001f * (float) sample;
    }

    void audioDeviceIOCallbackWithContext (const float* const* inputs, int numInputs,
                                           float* const* outputs, int numOutputs,
                                           int numSamples,
                                           const juce::AudioIODeviceCallbackContext&) override
    {
        lastInput.setSize (numInputs, numSamples, false, false, true);

        for (int c = 0; c < numInputs; ++c)
            lastInput.copyFrom (c, 0, inputs[c], numSamples);

        for (int c = 0; c < juce::jmin (numOutputs, numChannelsToWrite.load()); ++c)
            for (int i = 0; i < numSamples; ++i)
                outputs[c][i] = patternValue (c, i);
    }

    void audioDeviceAboutToStart (juce::AudioIODevice* device) override
    {
        startedDevice = device;
        ++numStarts;
    }

    void audioDeviceStopped() override  { ++numStops; }

    std::atomic<int> numStarts { 0 }, numStops { 0 };
    std::atomic<int> numChannelsToWrite { std::numeric_limits<int>::max() };
    std::atomic<juce::AudioIODevice*> startedDevice { nullptr };
    juce::AudioBuffer<float> lastInput;   // written by whichever thread drives the device
};

int countSamplesDifferingFromPattern (const juce::AudioBuffer<float>& buffer, int channel)
{
    int count = 0;

    for (int i = 0; i < buffer.getNumSamples(); ++i)
        if (! (buffer.getSample (channel, i) == RecordingCallback::patternValue (channel, i)))
            ++count;

    return count;
}

int countUnwrittenSamples (const juce::AudioBuffer<float>& buffer)
{
    int count = 0;

    for (int c = 0; c < buffer.getNumChannels(); ++c)
        for (int i = 0; i < buffer.getNumSamples(); ++i)
            if (std::isnan (buffer.getSample (c, i)))
                ++count;

    return count;
}

/** Two device managers side by side, as the application has them: one for the input device and
    one for the meter's output, both given their device types through the application's seam. */
class VirtualDeviceManagers : public ::testing::Test
{
protected:
    VirtualDeviceManagers()
    {
        registry.addDevice (micDescription);
        registry.addDevice (meterDescription);

        addAudioDeviceTypes (inputManager, registry.makeFactory());
        addAudioDeviceTypes (outputManager, registry.makeFactory());
    }

    juce::String openMic (const juce::BigInteger& channels)
    {
        juce::AudioDeviceManager::AudioDeviceSetup setup;
        setup.inputDeviceName = micName;
        setup.inputChannels = channels;
        setup.useDefaultInputChannels = false;
        return inputManager.initialise (2, 0, nullptr, false, {}, &setup);
    }

    // The way the meter handler opens its device: by preferred name, then at its own format.
    juce::String openMeter()
    {
        if (auto error = outputManager.initialise (0, 2, nullptr, false, meterName); error.isNotEmpty())
            return error;

        auto setup = outputManager.getAudioDeviceSetup();
        setup.sampleRate = 48000.0;
        setup.bufferSize = 64;
        return outputManager.setAudioDeviceSetup (setup, true);
    }

    VirtualDeviceRegistry registry;
    RecordingCallback inputCallback, outputCallback;   // outlive the managers, which stop into them
    juce::AudioDeviceManager inputManager, outputManager;
};

TEST_F (VirtualDeviceManagers, OpenNamedDevicesAndCarryTheTestsBlocks)
{
    inputManager.addAudioCallback (&inputCallback);
    outputManager.addAudioCallback (&outputCallback);

    juce::BigInteger micChannels;
    micChannels.setBit (1);
    micChannels.setBit (3);

    ASSERT_EQ (openMic (micChannels), "");
    ASSERT_EQ (openMeter(), "");

    for (auto* manager : { &inputManager, &outputManager })
    {
        EXPECT_EQ (manager->getAvailableDeviceTypes().size(), 1) << "JUCE's ALSA and JACK types must stay out";
        EXPECT_EQ (manager->getCurrentAudioDeviceType(), "Virtual");
    }

    auto* mic = inputManager.getCurrentAudioDevice();
    auto* meter = outputManager.getCurrentAudioDevice();
    ASSERT_NE (mic, nullptr);
    ASSERT_NE (meter, nullptr);

    EXPECT_EQ (mic->getName(), micName);
    EXPECT_EQ (mic->getActiveInputChannels().toString (2), micChannels.toString (2));
    EXPECT_TRUE (mic->getActiveOutputChannels().isZero());
    EXPECT_EQ (meter->getName(), meterName);
    EXPECT_EQ (meter->getActiveOutputChannels().toString (2), "11");
    EXPECT_TRUE (meter->getActiveInputChannels().isZero());
    EXPECT_EQ (meter->getCurrentSampleRate(), 48000.0);
    EXPECT_EQ (meter->getCurrentBufferSizeSamples(), 64);

    EXPECT_EQ (registry.findOpenDevice (micName), mic);
    EXPECT_EQ (registry.findOpenDevice (meterName), meter);

    // Each device channel carries its own number, so the packing of the active channels shows.
    juce::AudioBuffer<float> input (4, 64);

    for (int c = 0; c < input.getNumChannels(); ++c)
        juce::FloatVectorOperations::fill (input.getWritePointer (c), (float) (c + 1), input.getNumSamples());

    ASSERT_TRUE (registry.processBlock (micName, input, 64));
    ASSERT_EQ (inputCallback.lastInput.getNumChannels(), 2);
    ASSERT_EQ (inputCallback.lastInput.getNumSamples(), 64);
    EXPECT_EQ (inputCallback.lastInput.getSample (0, 0), 2.0f);
    EXPECT_EQ (inputCallback.lastInput.getSample (0, 63), 2.0f);
    EXPECT_EQ (inputCallback.lastInput.getSample (1, 0), 4.0f);
    EXPECT_EQ (inputCallback.lastInput.getSample (1, 63), 4.0f);

    juce::AudioBuffer<float> played;
    ASSERT_TRUE (registry.processBlock (meterName, {}, 64, &played));
    ASSERT_EQ (played.getNumChannels(), 2);
    ASSERT_EQ (played.getNumSamples(), 64);
    EXPECT_EQ (countSamplesDifferingFromPattern (played, 0), 0);
    EXPECT_EQ (countSamplesDifferingFromPattern (played, 1), 0);
}

TEST_F (VirtualDeviceManagers, OutputSamplesTheCallbackLeavesAloneStayMarked)
{
    outputManager.addAudioCallback (&outputCallback);
    ASSERT_EQ (openMeter(), "");

    auto* meter = registry.findOpenDevice (meterName);
    ASSERT_NE (meter, nullptr);

    outputCallback.numChannelsToWrite = 1;
    ASSERT_TRUE (meter->processBlock ({}, 32));

    const auto played = meter->getLastOutput();
    ASSERT_EQ (played.getNumSamples(), 32);
    EXPECT_EQ (countSamplesDifferingFromPattern (played, 0), 0);

    for (int i = 0; i < played.getNumSamples(); ++i)
        ASSERT_TRUE (std::isnan (played.getSample (1, i))) << "sample " << i;
}

TEST_F (VirtualDeviceManagers, StartAndStopReachTheManagersCallbacks)
{
    outputManager.addAudioCallback (&outputCallback);
    ASSERT_EQ (outputManager.initialise (0, 2, nullptr, false, meterName), "");

    EXPECT_EQ (outputCallback.numStarts.load(), 1);
    EXPECT_EQ (outputCallback.startedDevice.load(), outputManager.getCurrentAudioDevice());
    EXPECT_TRUE (registry.processBlock (meterName, {}, 64));

    outputManager.closeAudioDevice();
    EXPECT_EQ (outputCallback.numStops.load(), 1);
    EXPECT_FALSE (registry.processBlock (meterName, {}, 64));
    EXPECT_EQ (registry.getNumOpens (meterName), 1);
    EXPECT_EQ (registry.getNumCloses (meterName), 1);

    outputManager.restartLastAudioDevice();
    EXPECT_EQ (outputCallback.numStarts.load(), 2);
    EXPECT_TRUE (registry.processBlock (meterName, {}, 64));
}

TEST_F (VirtualDeviceManagers, UnpluggedMeterStopsAndItsManagerLetsItGo)
{
    outputManager.addAudioCallback (&outputCallback);
    ASSERT_EQ (openMeter(), "");

    auto* meter = registry.findOpenDevice (meterName);
    ASSERT_NE (meter, nullptr);
    const int stopsBefore = outputCallback.numStops.load();

    ASSERT_TRUE (registry.removeDevice (meterName));

    // Silent at once, before the manager hears of it on the message thread.
    EXPECT_TRUE (meter->isUnplugged());
    EXPECT_FALSE (registry.processBlock (meterName, {}, 64));

    ASSERT_TRUE (pumpMessagesUntil ([&] { return outputManager.getCurrentAudioDevice() == nullptr; }, 2000));
    EXPECT_EQ (outputCallback.numStops.load(), stopsBefore + 1);
    EXPECT_EQ (registry.findOpenDevice (meterName), nullptr);

    // Plugged in again, it is listed again and opens as before.
    ASSERT_TRUE (registry.addDevice (meterDescription));
    ASSERT_TRUE (pumpMessagesUntil ([&]
    {
        return outputManager.getCurrentDeviceTypeObject()->getDeviceNames (false).contains (meterName);
    }, 2000));
    ASSERT_EQ (openMeter(), "");
    EXPECT_TRUE (registry.processBlock (meterName, {}, 64));
}

// JUCE reopens the manager's saved set-up after an unplug and, when that fails, the type's
// default output: the meter handler meets this fallback device while it is still the callback.
TEST_F (VirtualDeviceManagers, UnpluggedMeterMakesItsManagerFallBackToTheDefaultOutput)
{
    ASSERT_TRUE (registry.addDevice (VirtualDeviceDescription::output (speakersName, { "Left", "Right" })));
    outputManager.addAudioCallback (&outputCallback);
    ASSERT_EQ (openMeter(), "");
    ASSERT_EQ (outputManager.getCurrentAudioDevice()->getName(), meterName);

    const int startsBefore = outputCallback.numStarts.load();
    const int stopsBefore = outputCallback.numStops.load();

    ASSERT_TRUE (registry.removeDevice (meterName));

    ASSERT_TRUE (pumpMessagesUntil ([&]
    {
        auto* device = outputManager.getCurrentAudioDevice();
        return device != nullptr && device->getName() == speakersName;
    }, 2000));

    EXPECT_EQ (outputCallback.numStops.load(), stopsBefore + 1);
    EXPECT_EQ (outputCallback.numStarts.load(), startsBefore + 1);
    EXPECT_TRUE (registry.processBlock (speakersName, {}, 64));
}

TEST_F (VirtualDeviceManagers, InjectedOpenFailureGivesItsErrorAndNoDevice)
{
    registry.failNextOpens (meterName, "Device is busy");

    EXPECT_EQ (outputManager.initialise (0, 2, nullptr, false, meterName), "Device is busy");
    EXPECT_EQ (outputManager.getCurrentAudioDevice(), nullptr);
    EXPECT_EQ (registry.findOpenDevice (meterName), nullptr);
    EXPECT_EQ (registry.getNumOpens (meterName), 0);

    // Only the next open was to fail.
    EXPECT_EQ (outputManager.initialise (0, 2, nullptr, false, meterName), "");
    EXPECT_NE (registry.findOpenDevice (meterName), nullptr);
}

TEST_F (VirtualDeviceManagers, DrivingFromTwoThreadsIsSafeWhileTheManagersReopen)
{
    inputManager.addAudioCallback (&inputCallback);
    outputManager.addAudioCallback (&outputCallback);
    ASSERT_EQ (openMic (0b11), "");
    ASSERT_EQ (openMeter(), "");

    std::atomic<bool> done { false };
    std::atomic<int> micBlocks { 0 }, meterBlocks { 0 }, unwrittenSamples { 0 };
    juce::WaitableEvent micFinished, meterFinished;

    auto drive = [&] (const juce::String& deviceName, std::atomic<int>& delivered, juce::WaitableEvent& finished)
    {
        juce::AudioBuffer<float> input (2, 64), output;
        input.clear();

        while (! done)
        {
            if (registry.processBlock (deviceName, input, 64, &output))
            {
                ++delivered;
                unwrittenSamples += countUnwrittenSamples (output);
            }
        }

        finished.signal();
    };

    std::thread micThread (drive, micName, std::ref (micBlocks), std::ref (micFinished));
    std::thread meterThread (drive, meterName, std::ref (meterBlocks), std::ref (meterFinished));

    constexpr int numCycles = 50;

    for (int cycle = 0; cycle < numCycles; ++cycle)
    {
        inputManager.closeAudioDevice();
        outputManager.closeAudioDevice();
        juce::Thread::sleep (1);
        inputManager.restartLastAudioDevice();
        outputManager.restartLastAudioDevice();
        juce::Thread::sleep (1);
    }

    done = true;

    if (! micFinished.wait (5000) || ! meterFinished.wait (5000))
    {
        // A driving thread that hangs cannot be joined; end the run rather than the timeout.
        std::fprintf (stderr, "A thread driving a virtual device did not finish: deadlock\n");
        std::abort();
    }

    micThread.join();
    meterThread.join();

    EXPECT_GT (micBlocks.load(), 0);
    EXPECT_GT (meterBlocks.load(), 0);
    EXPECT_EQ (unwrittenSamples.load(), 0);
    EXPECT_EQ (registry.getNumOpens (meterName), numCycles + 2);   // initialise, set-up, cycles
    EXPECT_EQ (registry.getNumCloses (meterName), numCycles + 1);
}

//==============================================================================
/** One device on its own, without a manager, as a driver is seen by JUCE. */
class VirtualDeviceAlone : public ::testing::Test
{
protected:
    VirtualDeviceAlone()
    {
        auto duplex = VirtualDeviceDescription::duplex ("Duplex", { "In 1", "In 2" }, { "Out 1", "Out 2" });
        duplex.sampleRates = { 44100.0, 48000.0 };
        duplex.bufferSizes = { 64, 256 };
        duplex.defaultBufferSize = 256;
        registry.addDevice (duplex);

        type.scanForDevices();
        device.reset (dynamic_cast<VirtualAudioDevice*> (type.createDevice ("Duplex", "Duplex")));
    }

    VirtualDeviceRegistry registry;
    VirtualAudioDeviceType type { registry };
    RecordingCallback first, second;
    std::unique_ptr<VirtualAudioDevice> device;
};

TEST_F (VirtualDeviceAlone, BlocksFlowOnlyWhileStartedAndEachCallbackHearsItsStartAndStop)
{
    ASSERT_NE (device, nullptr);
    juce::AudioBuffer<float> silence (2, 64);
    silence.clear();

    ASSERT_EQ (device->open (0b11, 0b11, 48000.0, 64), "");
    EXPECT_TRUE (device->isOpen());
    EXPECT_FALSE (device->processBlock (silence, 64)) << "not started yet";

    device->start (&first);
    EXPECT_EQ (first.numStarts.load(), 1);
    EXPECT_EQ (first.startedDevice.load(), device.get());
    EXPECT_TRUE (device->isPlaying());
    EXPECT_TRUE (device->processBlock (silence, 64));

    device->start (&second);
    EXPECT_EQ (first.numStops.load(), 1) << "a new callback replaces the old one";
    EXPECT_EQ (second.numStarts.load(), 1);

    device->stop();
    EXPECT_EQ (second.numStops.load(), 1);
    EXPECT_FALSE (device->isPlaying());
    EXPECT_FALSE (device->processBlock (silence, 64));

    device->close();
    EXPECT_FALSE (device->isOpen());
    device->start (&first);
    EXPECT_EQ (first.numStarts.load(), 1) << "a closed device does not start";
    EXPECT_FALSE (device->processBlock (silence, 64));
}

struct OpenCase
{
    const char* what;
    double requestedRate;
    int requestedBufferSize;
    const char* expectedError;
    int expectedBufferSize;
};

void PrintTo (const OpenCase& c, std::ostream* os)  { *os << c.what; }

class VirtualDeviceOpen : public VirtualDeviceAlone,
                          public ::testing::WithParamInterface<OpenCase> {};

TEST_P (VirtualDeviceOpen, HonoursTheRequestLikeAPlatformDriver)
{
    const auto& c = GetParam();
    ASSERT_NE (device, nullptr);

    // Channels the device lacks are left out, as the platform drivers do.
    const auto error = device->open (0b111, 0b111, c.requestedRate, c.requestedBufferSize);

    EXPECT_EQ (error, juce::String (c.expectedError));
    EXPECT_EQ (device->getLastError(), error);
    EXPECT_EQ (device->isOpen(), error.isEmpty());

    if (error.isEmpty())
    {
        EXPECT_EQ (device->getCurrentSampleRate(), c.requestedRate);
        EXPECT_EQ (device->getCurrentBufferSizeSamples(), c.expectedBufferSize);
        EXPECT_EQ (device->getActiveInputChannels().toString (2), "11");
        EXPECT_EQ (device->getActiveOutputChannels().toString (2), "11");
    }
}

INSTANTIATE_TEST_SUITE_P (VirtualDeviceRequests, VirtualDeviceOpen, ::testing::Values (
    OpenCase { "supported",              48000.0,  64, "",                                                64 },
    OpenCase { "nearestBufferSize",      44100.0, 100, "",                                                64 },
    OpenCase { "defaultBufferSize",      48000.0,   0, "",                                               256 },
    OpenCase { "unsupportedSampleRate",  22050.0,  64, "Sample rate not supported by Duplex: 22050 Hz",   0 }),
    [] (const ::testing::TestParamInfo<OpenCase>& param) { return std::string (param.param.what); });
}
