#include "VersionsDocument.h"

#include "settings/StrictXmlReader.h"

std::unique_ptr<juce::XmlElement> VersionsDocument::parse (const juce::String& text)
{
    return StrictXmlReader::parse (text.toRawUTF8(), text.getNumBytesAsUTF8(), maxNestingDepth);
}

std::unique_ptr<juce::XmlElement> VersionsDocument::parse (const juce::MemoryBlock& bytes)
{
    return StrictXmlReader::parse (bytes.getData(), bytes.getSize(), maxNestingDepth);
}

std::optional<VersionsDocument::Entry> VersionsDocument::findNewerEntry (const juce::XmlElement& root,
                                                                         const VersionNumber& runningVersion)
{
    const auto* product = _findChildIgnoringCase (root, productElementName());

    if (product == nullptr)
        return std::nullopt;

    const auto* versions = _findChildIgnoringCase (*product, "versions");

    if (versions == nullptr)
        return std::nullopt;

    std::optional<Entry> chosen;
    auto best = runningVersion;

    for (const auto* entry : versions->getChildIterator())
    {
        const auto versionText = entry->getStringAttribute ("versionstring");
        const auto number = VersionNumber::fromText (versionText);

        if (number.isNewerThan (best))
        {
            chosen = Entry { versionText, entry->getStringAttribute ("downloadurl") };
            best = number;
        }
    }

    return chosen;
}

juce::String VersionsDocument::productElementName()
{
    return juce::String ("Kestro Vantrel").toLowerCase().removeCharacters (" ");
}

const juce::XmlElement* VersionsDocument::_findChildIgnoringCase (const juce::XmlElement& parent, const juce::String& name)
{
    for (const auto* child : parent.getChildIterator())
        if (child->getTagName().equalsIgnoreCase (name))
            return child;

    return nullptr;
}
