// config.xml as the application finds it at start-up: read, restored onto a processor whose
// device manager has no devices (as if a six-input device had been counted), written at
// shutdown, and read again as at the next start.

#include "FuzzSupport.h"

#include "app/StandaloneConfigFile.h"
#include "audio/StandaloneProcessor.h"

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    initialiseJuceForFuzzing();
    UsbPluginAudioProcessor::s_enableAutoUpdate = false;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    // Kept for the whole run and never destroyed, like JUCE itself (see initialiseJuceForFuzzing).
    static auto& processor = *new StandaloneProcessor (noAudioDevices());

    const auto folder = fuzzScratchFolder().getChildFile ("config");
    folder.deleteRecursively();
    folder.createDirectory();
    const auto file = folder.getChildFile ("config.xml");
    writeInputToFile (file, data, size);

    for (size_t i = 0; i < processor.channelMapping.size(); ++i)
        processor.setChannelMappingEntry (i, (int) i, 6);

    processor.savedDeviceState.reset();
    processor.numActiveInputs = 6;

    if (const auto root = StandaloneConfigFile::read (file))
        StandaloneConfigFile::restore (*root, processor);

    for (const auto entry : processor.channelMapping)
        FUZZ_CHECK (entry >= 0 && entry < 6);

    // What the application writes it must be able to read at the next start.
    if (StandaloneConfigFile::write (file, processor))
        FUZZ_CHECK (StandaloneConfigFile::read (file) != nullptr);

    return 0;
}
