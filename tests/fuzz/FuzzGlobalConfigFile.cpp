// globalconfig.xml as the editor finds it: read, then the switch is stored in it and must read
// back as stored, and whatever else a document held must still be there (only the switch's
// attribute, or a switch appended to the root, may differ).

#include "FuzzSupport.h"

#include "app/GlobalConfigFile.h"
#include "settings/StrictXmlReader.h"

namespace
{
/** The tree as a reader sees it after a write that may add layout around an appended switch:
    runs of white space alone among the root's children carry nothing. */
void dropLayoutAmongTheRootsChildren (juce::XmlElement& root)
{
    for (int i = root.getNumChildElements(); --i >= 0;)
        if (auto* child = root.getChildElement (i); child->isTextElement() && child->getText().trim().isEmpty())
            root.removeChildElement (child, true);
}

/** What the document read must become once the switch is stored in it. */
void storeSwitch (juce::XmlElement& root, bool enabled)
{
    for (auto* child : root.getChildIterator())
    {
        if (! child->isTextElement() && child->getTagName().equalsIgnoreCase ("AutoUpdateCheck"))
        {
            child->setAttribute ("enabled", enabled ? 1 : 0);
            return;
        }
    }

    root.createNewChildElement ("AutoUpdateCheck")->setAttribute ("enabled", enabled ? 1 : 0);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    const auto folder = fuzzScratchFolder().getChildFile ("global");
    folder.deleteRecursively();
    folder.createDirectory();
    const auto file = folder.getChildFile ("globalconfig.xml");
    writeInputToFile (file, data, size);

    auto original = StrictXmlReader::parse (data, size);
    const bool stored = GlobalConfigFile::read (file, false);
    FUZZ_CHECK (GlobalConfigFile::read (file, true) == stored || ! stored);

    const bool flipped = ! stored;
    if (GlobalConfigFile::write (file, flipped))
    {
        FUZZ_CHECK (GlobalConfigFile::read (file, stored) == flipped);

        if (original != nullptr)
        {
            auto written = StrictXmlReader::readFile (file);
            FUZZ_CHECK (written != nullptr);
            storeSwitch (*original, flipped);
            dropLayoutAmongTheRootsChildren (*original);
            dropLayoutAmongTheRootsChildren (*written);
            FUZZ_CHECK (written->isEquivalentTo (original.get(), false));
        }

        // A second write keeps the document the first one made.
        FUZZ_CHECK (GlobalConfigFile::write (file, stored));
        FUZZ_CHECK (GlobalConfigFile::read (file, flipped) == stored);
    }

    return 0;
}
