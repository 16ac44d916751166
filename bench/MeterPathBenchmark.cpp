// One input block through the real meter path (the input device's callback, the processor's
// mapping, the rings) and the 64-sample meter blocks that play it, against a plain memcpy of the
// same samples. The devices are stand-ins without threads of their own: the benchmark calls both
// callbacks itself, as the two device threads would.

#include "audio/StandaloneProcessor.h"

#include <benchmark/benchmark.h>
#include <juce_events/juce_events.h>

#include <cstring>
#include <map>
#include <memory>

namespace
{
constexpr int inputBlockSize = 512;
constexpr int meterBlockSize = 64;
constexpr double sampleRate = 48000.0;
const juce::String inputName ("Bench Input");
const juce::String meterName ("KM7-Solvin Output");

/** A device that opens and starts but has no thread: whoever holds it calls the callback. */
class BenchDevice : public juce::AudioIODevice
{
public:
    BenchDevice (const juce::String& deviceName, int inputs, int outputs)
        : juce::AudioIODevice (deviceName, "Bench"), numInputs (inputs), numOutputs (outputs) {}

    juce::StringArray getOutputChannelNames() override  { return juce::StringArray::fromTokens (juce::String::repeatedString ("o ", numOutputs), false); }
    juce::StringArray getInputChannelNames() override   { return juce::StringArray::fromTokens (juce::String::repeatedString ("i ", numInputs), false); }
    juce::Array<double> getAvailableSampleRates() override  { return { sampleRate }; }
    juce::Array<int> getAvailableBufferSizes() override     { return { meterBlockSize, inputBlockSize }; }
    int getDefaultBufferSize() override                     { return inputBlockSize; }

    juce::String open (const juce::BigInteger& ins, const juce::BigInteger& outs, double, int bufferSize) override
    {
        // Channels the device lacks are left out, as the platform drivers do.
        activeInputs = ins.getBitRange (0, numInputs);
        activeOutputs = outs.getBitRange (0, numOutputs);
        currentBufferSize = bufferSize;
        isDeviceOpen = true;
        return {};
    }

    void close() override                      { stop(); isDeviceOpen = false; }
    bool isOpen() override                     { return isDeviceOpen; }

    void start (juce::AudioIODeviceCallback* newCallback) override
    {
        if (newCallback != nullptr && isDeviceOpen)
        {
            newCallback->audioDeviceAboutToStart (this);
            callback = newCallback;
        }
    }

    void stop() override
    {
        if (auto* old = std::exchange (callback, nullptr))
            old->audioDeviceStopped();
    }

    bool isPlaying() override                  { return callback != nullptr; }
    juce::String getLastError() override       { return {}; }
    int getCurrentBufferSizeSamples() override { return currentBufferSize; }
    double getCurrentSampleRate() override     { return sampleRate; }
    int getCurrentBitDepth() override          { return 32; }
    juce::BigInteger getActiveOutputChannels() const override  { return activeOutputs; }
    juce::BigInteger getActiveInputChannels() const override   { return activeInputs; }
    int getOutputLatencyInSamples() override   { return 0; }
    int getInputLatencyInSamples() override    { return 0; }

private:
    const int numInputs, numOutputs;
    juce::BigInteger activeInputs, activeOutputs;
    int currentBufferSize = 0;
    bool isDeviceOpen = false;
    juce::AudioIODeviceCallback* callback = nullptr;
};

/** Lists a six-channel input and the meter with six outputs. */
class BenchDeviceType : public juce::AudioIODeviceType
{
public:
    BenchDeviceType() : juce::AudioIODeviceType ("Bench") {}

    void scanForDevices() override {}
    juce::StringArray getDeviceNames (bool wantInputNames) const override  { return { wantInputNames ? inputName : meterName }; }
    int getDefaultDeviceIndex (bool) const override                        { return 0; }
    int getIndexOfDevice (juce::AudioIODevice* device, bool asInput) const override
    {
        return device != nullptr && device->getName() == (asInput ? inputName : meterName) ? 0 : -1;
    }
    bool hasSeparateInputsAndOutputs() const override  { return true; }

    juce::AudioIODevice* createDevice (const juce::String& outputName, const juce::String& inName) override
    {
        if (outputName == meterName && inName.isEmpty())
            return new BenchDevice (meterName, 0, 6);

        if (inName == inputName && outputName.isEmpty())
            return new BenchDevice (inputName, 6, 0);

        return nullptr;
    }
};

bool pumpUntil (const std::function<bool()>& condition)
{
    for (int i = 0; i < 500 && ! condition(); ++i)
        juce::MessageManager::getInstance()->runDispatchLoopUntil (10);

    return condition();
}

/** The processor with the input open at numChannels and routing on. */
struct Engine
{
    explicit Engine (int numChannels)
        : processor ([] { std::vector<std::unique_ptr<juce::AudioIODeviceType>> types;
                          types.push_back (std::make_unique<BenchDeviceType>());
                          return types; })
    {
        auto setup = processor.inputDeviceManager.getAudioDeviceSetup();
        setup.inputDeviceName = inputName;
        setup.outputDeviceName = {};
        setup.inputChannels.clear();
        setup.inputChannels.setRange (0, numChannels, true);
        setup.useDefaultInputChannels = false;
        setup.useDefaultOutputChannels = false;
        setup.outputChannels.clear();
        setup.sampleRate = sampleRate;
        setup.bufferSize = inputBlockSize;
        processor.inputDeviceManager.setAudioDeviceSetup (setup, true);

        auto& handler = processor.deviceHandler;
        handler.startThread();
        pumpUntil ([&] { return handler.deviceState == DeviceState::DeviceReady; });
        handler.requestedState = DeviceState::Routing;
        handler.notify();
        routing = pumpUntil ([&] { return handler.deviceState == DeviceState::Routing; })
               && processor.numActiveInputs.load() == numChannels;
    }

    StandaloneProcessor processor;
    bool routing = false;
};

std::map<int, std::unique_ptr<Engine>> engines;

Engine& engineFor (int numChannels)
{
    auto& engine = engines[numChannels];

    if (engine == nullptr)
        engine = std::make_unique<Engine> (numChannels);

    return *engine;
}

juce::AudioBuffer<float> makeInput (int numChannels)
{
    juce::AudioBuffer<float> input (numChannels, inputBlockSize);

    for (int c = 0; c < numChannels; ++c)
        for (int i = 0; i < inputBlockSize; ++i)
            input.setSample (c, i, (float) (c + 1) + 0.001f * (float) i);

    return input;
}

void MeterPath (benchmark::State& state)
{
    const auto numChannels = (int) state.range (0);
    auto& engine = engineFor (numChannels);

    if (! engine.routing)
    {
        state.SkipWithError ("routing did not start");
        return;
    }

    const auto input = makeInput (numChannels);
    juce::AudioBuffer<float> output (numChannels, meterBlockSize);
    const juce::AudioIODeviceCallbackContext context {};

    for (auto _ : state)
    {
        engine.processor.audioDeviceIOCallbackWithContext (input.getArrayOfReadPointers(), numChannels,
                                                           nullptr, 0, inputBlockSize, context);

        for (int block = 0; block < inputBlockSize / meterBlockSize; ++block)
            engine.processor.deviceHandler.audioDeviceIOCallbackWithContext (nullptr, 0, output.getArrayOfWritePointers(),
                                                                             numChannels, meterBlockSize, context);

        benchmark::DoNotOptimize (output.getWritePointer (0));
        benchmark::ClobberMemory();
    }

    // The rings must be drained by each round, or the benchmark measures overruns.
    if (output.getSample (numChannels - 1, meterBlockSize - 1) != input.getSample (numChannels - 1, inputBlockSize - 1))
        state.SkipWithError ("the meter did not play the input");

    state.SetItemsProcessed (state.iterations() * numChannels * inputBlockSize);
}

void PlainMemcpy (benchmark::State& state)
{
    const auto numChannels = (int) state.range (0);
    const auto input = makeInput (numChannels);
    juce::AudioBuffer<float> output (numChannels, inputBlockSize);

    for (auto _ : state)
    {
        for (int c = 0; c < numChannels; ++c)
            std::memcpy (output.getWritePointer (c), input.getReadPointer (c), sizeof (float) * (size_t) inputBlockSize);

        benchmark::DoNotOptimize (output.getWritePointer (0));
        benchmark::ClobberMemory();
    }

    state.SetItemsProcessed (state.iterations() * numChannels * inputBlockSize);
}

BENCHMARK (MeterPath)->Arg (2)->Arg (6);
BENCHMARK (PlainMemcpy)->Arg (2)->Arg (6);
} // namespace

int main (int argc, char** argv)
{
    const juce::ScopedJuceInitialiser_GUI juceInitialiser;

    benchmark::Initialize (&argc, argv);

    if (benchmark::ReportUnrecognizedArguments (argc, argv))
        return 1;

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    engines.clear();
    return 0;
}
