// globalconfig.xml as the editor finds it: read, then the switch is stored in it and must read
// back as stored (whatever else the file held is kept, and must not cost the switch).

#include "FuzzSupport.h"

#include "app/GlobalConfigFile.h"

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    const auto folder = fuzzScratchFolder().getChildFile ("global");
    folder.deleteRecursively();
    folder.createDirectory();
    const auto file = folder.getChildFile ("globalconfig.xml");
    writeInputToFile (file, data, size);

    const bool stored = GlobalConfigFile::read (file, false);
    FUZZ_CHECK (GlobalConfigFile::read (file, true) == stored || ! stored);

    const bool flipped = ! stored;
    if (GlobalConfigFile::write (file, flipped))
    {
        FUZZ_CHECK (GlobalConfigFile::read (file, stored) == flipped);

        // A second write keeps the document the first one made.
        FUZZ_CHECK (GlobalConfigFile::write (file, stored));
        FUZZ_CHECK (GlobalConfigFile::read (file, flipped) == stored);
    }

    return 0;
}
