#include "GlobalConfigFile.h"

#include "settings/StrictXmlReader.h"

#include <string>

namespace
{
const char* const s_rootName = "KestroVantrelStandalone";
const char* const s_switchName = "AutoUpdateCheck";
const char* const s_enabledAttribute = "enabled";

/** The framework's layout (UTF-8, no DTD, lines wrapped at 60, CR LF line ends), except that a
    carriage return in a text is written as a character reference: the framework's writer leaves
    it as it is, and any reader takes a literal one for a line end, so the next write would have
    turned it into a line feed. Written with line feeds alone, every carriage return left in the
    framework's output is a text's; the line feeds then become CR LF, which a reader takes back
    as the line feed they were. */
std::string documentText (const juce::XmlElement& root)
{
    juce::MemoryOutputStream out;
    juce::XmlElement::TextFormat format;
    format.newLineChars = "\n";
    root.writeTo (out, format);

    std::string text;
    text.reserve (out.getDataSize() + out.getDataSize() / 16);

    for (auto* byte = static_cast<const char*> (out.getData()); byte != static_cast<const char*> (out.getData()) + out.getDataSize(); ++byte)
    {
        if (*byte == '\r')
            text += "&#13;";
        else if (*byte == '\n')
            text += "\r\n";
        else
            text += *byte;
    }

    return text;
}

// Written to a temporary file that then replaces the old one, so a failed write keeps it; a
// short write (a nearly full disk) is caught by the size.
bool replaceFile (const juce::File& file, const std::string& text)
{
    juce::TemporaryFile temporary (file);

    {
        juce::FileOutputStream out (temporary.getFile());

        if (! out.openedOk() || ! out.write (text.data(), text.size()))
            return false;

        out.flush();

        if (out.getStatus().failed())
            return false;
    }

    return temporary.getFile().getSize() == (juce::int64) text.size() && temporary.overwriteTargetFileWithTemporary();
}
} // namespace

juce::XmlElement* GlobalConfigFile::_findSwitch (juce::XmlElement& root)
{
    for (auto* child : root.getChildIterator())
        if (child->getTagName().equalsIgnoreCase (s_switchName))
            return child;

    return nullptr;
}

bool GlobalConfigFile::read (const juce::File& file, bool current)
{
    if (auto root = StrictXmlReader::readFile (file))
        if (auto* element = _findSwitch (*root))
            return element->getBoolAttribute (s_enabledAttribute, false);

    return current;
}

bool GlobalConfigFile::write (const juce::File& file, bool enabled)
{
    auto reading = StrictXmlReader::readSettingsFile (file);

    // A folder, or a file that could not be read and not be set aside either, is left alone.
    if (! reading.mayReplace)
        return false;

    auto root = std::move (reading.root);
    if (root == nullptr)
        root = std::make_unique<juce::XmlElement> (s_rootName);

    auto* element = _findSwitch (*root);
    if (element == nullptr)
        element = root->createNewChildElement (s_switchName);

    element->setAttribute (s_enabledAttribute, enabled ? 1 : 0);

    if (! file.getParentDirectory().createDirectory())
        return false;

    return replaceFile (file, documentText (*root));
}
