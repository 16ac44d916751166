// The settings' state block as a host hands it back: read into an owner built like the
// processor's, then written and read again into a second owner, which must end up the same.

#include "FuzzSupport.h"

#include "settings/ProcessorStateBlock.h"

// The test suite's owner, built like the processor's.
#include "../settings/ExampleSettingsOwner.h"

using Owner = ExampleSettingsOwner;

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    if (size > (size_t) std::numeric_limits<int>::max())
        return 0;

    Owner first;
    if (! readStateBlock (first, data, (int) size))
        return 0;

    juce::MemoryBlock block;
    writeStateBlock (first, block);

    Owner second;
    FUZZ_CHECK (readStateBlock (second, block.getData(), (int) block.getSize()));
    FUZZ_CHECK (static_cast<const std::vector<int32_t>&> (second.channelMapping)
                == static_cast<const std::vector<int32_t>&> (first.channelMapping));
    FUZZ_CHECK (second.solvinConnected.value == first.solvinConnected.value);
    return 0;
}
