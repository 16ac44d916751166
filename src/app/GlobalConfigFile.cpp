#include "GlobalConfigFile.h"

#include "settings/SettingsFileWriter.h"
#include "settings/StrictXmlReader.h"

#include <string>

namespace
{
const char* const s_rootName = "KestroVantrelStandalone";
const char* const s_switchName = "AutoUpdateCheck";
const char* const s_enabledAttribute = "enabled";

bool isTagSpace (char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

/** Where, in a start tag the reader accepted ("<name a='1' b="2"/>"), the value of one attribute
    lies (between its quotes), and where the last attribute (or the name) ends. */
struct StartTagScan
{
    bool found = false;
    size_t valueStart = 0;
    size_t valueEnd = 0;
    size_t lastAttributeEnd = 0;
};

StartTagScan scanStartTag (const std::string& tag, const std::string& attributeName)
{
    StartTagScan scan;
    size_t i = 1;

    while (i < tag.size() && ! isTagSpace (tag[i]) && tag[i] != '/' && tag[i] != '>')
        ++i;

    scan.lastAttributeEnd = i;

    for (;;)
    {
        while (i < tag.size() && isTagSpace (tag[i]))
            ++i;

        if (i >= tag.size() || tag[i] == '/' || tag[i] == '>')
            return scan;

        const auto nameStart = i;
        while (i < tag.size() && ! isTagSpace (tag[i]) && tag[i] != '=')
            ++i;
        const auto name = tag.substr (nameStart, i - nameStart);

        // White space, the one '=', white space; then the quote, which no value holds itself.
        while (i < tag.size() && (isTagSpace (tag[i]) || tag[i] == '='))
            ++i;

        if (i >= tag.size())
            return scan;

        const auto quote = tag[i];
        const auto valueStart = ++i;
        while (i < tag.size() && tag[i] != quote)
            ++i;

        if (i >= tag.size())
            return scan;

        if (name == attributeName)
        {
            scan.found = true;
            scan.valueStart = valueStart;
            scan.valueEnd = i;
        }

        scan.lastAttributeEnd = ++i;
    }
}

/** A document of the program's own: the framework's layout (UTF-8, no DTD, lines wrapped at 60,
    CR LF line ends). */
std::string newDocument (bool enabled)
{
    juce::XmlElement root (s_rootName);
    root.createNewChildElement (s_switchName)->setAttribute (s_enabledAttribute, enabled ? 1 : 0);
    return root.toString().toStdString();
}

/** The bytes read with one change: the switch's value replaced, the attribute added to the
    switch, or a switch added as the root's last child. Everything else stays byte for byte. */
std::string editedDocument (const StrictXmlReader::FileReading& reading, int switchIndex, bool enabled)
{
    const std::string bytes (static_cast<const char*> (reading.bytes.getData()), reading.bytes.getSize());
    const std::string value (enabled ? "1" : "0");
    const auto& tags = reading.tags;

    const auto spliced = [&bytes] (size_t from, size_t to, const std::string& with)
    {
        return bytes.substr (0, from) + with + bytes.substr (to);
    };

    if (switchIndex >= 0)
    {
        const auto& startTag = tags.children[(size_t) switchIndex].startTag;
        const auto scan = scanStartTag (bytes.substr (startTag.offset, startTag.length), s_enabledAttribute);

        if (scan.found)
            return spliced (startTag.offset + scan.valueStart, startTag.offset + scan.valueEnd, value);

        const auto at = startTag.offset + scan.lastAttributeEnd;
        return spliced (at, at, std::string (" ") + s_enabledAttribute + "=\"" + value + "\"");
    }

    const auto element = std::string ("<") + s_switchName + " " + s_enabledAttribute + "=\"" + value + "\"/>";
    const auto& rootStart = tags.root.startTag;

    if (tags.root.endTag.length == 0)
    {
        // "<root .../>" becomes "<root ...>" + element + "</root>".
        size_t nameEnd = rootStart.offset + 1;
        while (nameEnd < rootStart.offset + rootStart.length && ! isTagSpace (bytes[nameEnd]) && bytes[nameEnd] != '/' && bytes[nameEnd] != '>')
            ++nameEnd;

        const auto slash = rootStart.offset + rootStart.length - 2;
        return spliced (slash, slash + 2, ">" + element + "</" + bytes.substr (rootStart.offset + 1, nameEnd - rootStart.offset - 1) + ">");
    }

    // On a line of its own, indented one step more than the root's end tag, where only layout
    // stands between the last child and that end tag; anywhere else white space would join a text.
    const auto at = tags.root.endTag.offset;
    auto indentStart = at;
    while (indentStart > 0 && (bytes[indentStart - 1] == ' ' || bytes[indentStart - 1] == '\t'))
        --indentStart;

    size_t lastChildEnd = rootStart.offset + rootStart.length;
    if (! tags.children.empty())
    {
        const auto& last = tags.children.back();
        lastChildEnd = last.endTag.length > 0 ? last.endTag.offset + last.endTag.length : last.startTag.offset + last.startTag.length;
    }

    bool onlyLayout = ! tags.children.empty() && indentStart > lastChildEnd && bytes[indentStart - 1] == '\n';
    for (auto i = lastChildEnd; onlyLayout && i < at; ++i)
        onlyLayout = isTagSpace (bytes[i]);

    if (! onlyLayout)
        return spliced (at, at, element);

    const std::string lineEnd (indentStart >= 2 && bytes[indentStart - 2] == '\r' ? "\r\n" : "\n");
    const auto indent = bytes.substr (indentStart, at - indentStart);
    return spliced (at, at, "  " + element + lineEnd + indent);
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
    const auto reading = StrictXmlReader::readSettingsFile (file);

    // A folder, or a file that could not be read and not be set aside either, is left alone.
    if (! reading.mayReplace)
        return false;

    std::string text;

    if (reading.root == nullptr)
    {
        text = newDocument (enabled);
    }
    else
    {
        int switchIndex = -1, elementIndex = 0;

        for (auto* child : reading.root->getChildIterator())
        {
            if (child->isTextElement())
                continue;

            if (child->getTagName().equalsIgnoreCase (s_switchName))
            {
                switchIndex = elementIndex;
                break;
            }

            ++elementIndex;
        }

        text = editedDocument (reading, switchIndex, enabled);

        // What the reader took it must take again (a file at the size limit grows by the switch,
        // an element at the attribute limit by its attribute): otherwise the old file stays.
        const auto written = StrictXmlReader::parse (text.data(), text.size());
        const auto* stored = written != nullptr ? _findSwitch (*written) : nullptr;

        if ((juce::int64) text.size() > StrictXmlReader::maxFileBytes || stored == nullptr
            || stored->getStringAttribute (s_enabledAttribute) != (enabled ? "1" : "0"))
            return false;
    }

    return file.getParentDirectory().createDirectory() && SettingsFileWriter::replace (file, text.data(), text.size());
}
