// The versions document as the update check receives it: the body's bytes, parsed as they came
// and searched for a newer release.

#include "FuzzSupport.h"

#include "update/VersionsDocument.h"

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    const auto root = VersionsDocument::parse (juce::MemoryBlock (data, size));
    if (root == nullptr)
        return 0;

    for (const auto* running : { "0", "1.6.0" })
    {
        if (const auto entry = VersionsDocument::findNewerEntry (*root, VersionNumber::fromText (running)))
            FUZZ_CHECK (VersionNumber::fromText (entry->versionText).isNewerThan (VersionNumber::fromText (running)));
    }

    return 0;
}
