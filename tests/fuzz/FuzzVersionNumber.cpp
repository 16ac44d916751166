// Release numbers from the versions document: up to three lines of the input are three numbers,
// and "newer than" must stay a strict order on them whatever the texts are.

#include "FuzzSupport.h"

#include "update/VersionNumber.h"

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    // The attribute's value reaches the reader as a decoded string.
    auto lines = juce::StringArray::fromLines (decodedText (data, size));
    while (lines.size() < 3)
        lines.add ({});

    const auto a = VersionNumber::fromText (lines[0]);
    const auto b = VersionNumber::fromText (lines[1]);
    const auto c = VersionNumber::fromText (lines[2]);

    FUZZ_CHECK (! a.isNewerThan (a));
    FUZZ_CHECK (! (a.isNewerThan (b) && b.isNewerThan (a)));
    FUZZ_CHECK (! (a.isNewerThan (b) && b.isNewerThan (c)) || a.isNewerThan (c));
    FUZZ_CHECK (a.isValid() || ! (a.isNewerThan (b) || b.isNewerThan (a)));
    return 0;
}
