#include "GlobalConfigFile.h"

namespace
{
const char* const s_rootName = "KestroVantrelStandalone";
const char* const s_switchName = "AutoUpdateCheck";
const char* const s_enabledAttribute = "enabled";

std::unique_ptr<juce::XmlElement> parse (const juce::File& file)
{
    if (file.getFullPathName().isEmpty() || ! file.existsAsFile())
        return nullptr;

    return juce::XmlDocument (file).getDocumentElement();
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
    if (auto root = parse (file))
        if (auto* element = _findSwitch (*root))
            return element->getBoolAttribute (s_enabledAttribute, false);

    return current;
}

bool GlobalConfigFile::write (const juce::File& file, bool enabled)
{
    auto root = parse (file);
    if (root == nullptr)
        root = std::make_unique<juce::XmlElement> (s_rootName);

    auto* element = _findSwitch (*root);
    if (element == nullptr)
        element = root->createNewChildElement (s_switchName);

    element->setAttribute (s_enabledAttribute, enabled ? 1 : 0);

    if (! file.getParentDirectory().createDirectory())
        return false;

    // Written to a temporary file that then replaces the old one (UTF-8, no DTD, lines wrapped at 60).
    return root->writeTo (file, juce::XmlElement::TextFormat());
}
