// The settings' state block as a host hands it back: read into an owner built like the
// processor's, then written and read again into a second owner, which must end up the same.

#include "FuzzSupport.h"

#include "settings/BoolAttribute.h"
#include "settings/Data.h"
#include "settings/IntListAttribute.h"
#include "settings/ProcessorStateBlock.h"

namespace
{
struct Owner : public Data
{
    Owner()
    {
        channelMapping.init (this, L"ChannelMapping", L"Input Routing");
        channelMapping.assign ({ 0, 1, 2, 3, 4, 5 });
        channelMapping.saveState();

        const juce::ScopedWriteLock sl (solvinConnected.lock);
        solvinConnected.init (this, L"SolvinConnected", L"Solvin Connected");
        solvinConnected.value = false;
        solvinConnected.saveState();
    }

    IntListAttribute channelMapping;
    BoolAttribute solvinConnected;
};
} // namespace

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
