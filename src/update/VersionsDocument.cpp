#include "VersionsDocument.h"

std::unique_ptr<juce::XmlElement> VersionsDocument::parse (const juce::String& text)
{
    if (text.isEmpty() || ! _isSafeToParse (text))
        return nullptr;

    // A string source has no input source, so the parser never opens a file or address.
    juce::XmlDocument document (text);
    return document.getDocumentElement();
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

bool VersionsDocument::_isSafeToParse (const juce::String& text)
{
    // Counts the depth of element tags, skipping comments, CDATA sections, processing
    // instructions and quoted attribute values, so that nothing inside them can hide real depth.
    int depth = 0;
    auto p = text.getCharPointer();

    while (! p.isEmpty())
    {
        if (*p != '<')
        {
            ++p;
            continue;
        }

        ++p;

        if (p.compareUpTo (juce::CharPointer_ASCII ("!--"), 3) == 0)
        {
            const auto end = p.indexOf (juce::CharPointer_ASCII ("-->"));

            if (end < 0)
                return false;

            p += end + 3;
        }
        else if (p.compareUpTo (juce::CharPointer_ASCII ("![CDATA["), 8) == 0)
        {
            const auto end = p.indexOf (juce::CharPointer_ASCII ("]]>"));

            if (end < 0)
                return false;

            p += end + 3;
        }
        else if (*p == '!')
        {
            // <!DOCTYPE and <!ENTITY: the parser would expand entities without bound.
            return false;
        }
        else if (*p == '?')
        {
            const auto end = p.indexOf (juce::CharPointer_ASCII ("?>"));

            if (end < 0)
                return false;

            p += end + 2;
        }
        else
        {
            const bool closing = (*p == '/');
            juce::juce_wchar quote = 0;
            juce::juce_wchar previous = 0;

            for (; ! p.isEmpty(); ++p)
            {
                const auto c = *p;

                if (quote != 0)
                {
                    if (c == quote)
                        quote = 0;
                }
                else if (c == '"' || c == '\'')
                {
                    quote = c;
                }
                else if (c == '>')
                {
                    break;
                }

                previous = c;
            }

            if (p.isEmpty())
                return false;

            ++p;

            if (closing)
                --depth;
            else if (previous != '/' && ++depth > maxNestingDepth)
                return false;
        }
    }

    return true;
}

const juce::XmlElement* VersionsDocument::_findChildIgnoringCase (const juce::XmlElement& parent, const juce::String& name)
{
    for (const auto* child : parent.getChildIterator())
        if (child->getTagName().equalsIgnoreCase (name))
            return child;

    return nullptr;
}
