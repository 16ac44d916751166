// The state block a plug-in host hands the processor: restored, then saved and restored again,
// which must change nothing; an entry it changes always names one of the inputs.

#include "FuzzSupport.h"

#include "audio/UsbPluginAudioProcessor.h"

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    initialiseJuceForFuzzing();
    UsbPluginAudioProcessor::s_enableAutoUpdate = false;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    // Kept for the whole run and never destroyed, like JUCE itself (see initialiseJuceForFuzzing).
    static auto& processor = *new UsbPluginAudioProcessor (noAudioDevices());

    if (size > (size_t) std::numeric_limits<int>::max())
        return 0;

    const std::vector<int32_t> before = processor.channelMapping;
    processor.setStateInformation (data, (int) size);

    const int numInputs = processor.getTotalNumInputChannels();
    FUZZ_CHECK (processor.channelMapping.size() == before.size());

    for (size_t i = 0; i < before.size(); ++i)
        FUZZ_CHECK (processor.channelMapping[i] == before[i]
                    || (processor.channelMapping[i] >= 0 && processor.channelMapping[i] < numInputs));

    juce::MemoryBlock saved;
    processor.getStateInformation (saved);
    processor.setStateInformation (saved.getData(), (int) saved.getSize());

    juce::MemoryBlock again;
    processor.getStateInformation (again);
    FUZZ_CHECK (again == saved);
    return 0;
}
