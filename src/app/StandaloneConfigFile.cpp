#include "StandaloneConfigFile.h"

#include "audio/StandaloneProcessor.h"
#include "settings/IntListText.h"
#include "settings/SettingsFileWriter.h"
#include "settings/StrictXmlReader.h"

namespace
{
const char* const s_rootName = "KestroVantrelStandalone";
const char* const s_deviceSetupName = "DEVICESETUP";

// JUCE's getChildByName ignores case too, but asserts on every match in another case.
const juce::XmlElement* firstChildNamed (const juce::XmlElement& parent, const juce::String& name)
{
    for (auto* child : parent.getChildIterator())
        if (child->getTagName().equalsIgnoreCase (name))
            return child;

    return nullptr;
}

// Each byte of the UTF-8 text becomes one wide character: the list is ASCII, and any other byte
// simply ends a number.
std::wstring widenBytes (const juce::String& text)
{
    std::wstring wide;

    for (auto* byte = text.toRawUTF8(); *byte != 0; ++byte)
        wide.push_back ((wchar_t) (unsigned char) *byte);

    return wide;
}

void restoreDeviceSetup (const juce::XmlElement& audioDevice, StandaloneProcessor& processor)
{
    auto* setup = audioDevice.getFirstChildElement();
    if (setup == nullptr)
        return;

    processor.savedDeviceState = std::make_unique<juce::XmlElement> (*setup);

    // JUCE reads the set-up only from an element of exactly its own name.
    if (setup->getTagName().equalsIgnoreCase (s_deviceSetupName))
        processor.savedDeviceState->setTagName (s_deviceSetupName);

    processor.openInputDevice (processor.savedDeviceState.get());
}

void restoreChannelMapping (const juce::XmlElement& channelMapping, StandaloneProcessor& processor)
{
    const auto text = widenBytes (channelMapping.getAllSubText());
    if (text.empty())
        return;

    processor.restoreChannelMapping (textToIntList (text));
}
} // namespace

std::unique_ptr<juce::XmlElement> StandaloneConfigFile::read (const juce::File& file)
{
    return StrictXmlReader::readSettingsFile (file).root;
}

void StandaloneConfigFile::restore (const juce::XmlElement& root, StandaloneProcessor& processor)
{
    auto* processorElement = firstChildNamed (root, "Processor");
    if (processorElement == nullptr)
        return;

    if (auto* audioDevice = firstChildNamed (*processorElement, "AudioDevice"))
        restoreDeviceSetup (*audioDevice, processor);

    if (auto* channelMapping = firstChildNamed (*processorElement, "ChannelMapping"))
        restoreChannelMapping (*channelMapping, processor);
}

bool StandaloneConfigFile::write (const juce::File& file, StandaloneProcessor& processor)
{
    juce::XmlElement root (s_rootName);
    auto* processorElement = root.createNewChildElement ("Processor");

    if (auto state = processor.inputDeviceManager.createStateXml())
        processor.savedDeviceState = std::move (state);

    auto* audioDevice = processorElement->createNewChildElement ("AudioDevice");
    if (processor.savedDeviceState != nullptr)
        audioDevice->addChildElement (new juce::XmlElement (*processor.savedDeviceState));

    const std::vector<int32_t> mapping (processor.channelMapping.begin(), processor.channelMapping.end());
    processorElement->createNewChildElement ("ChannelMapping")
        ->addTextElement (juce::String (intListToText (mapping).c_str()));

    // What is in the file's place now decides: a folder, or a file that could not be read and
    // not be set aside either, is left alone.
    if (! StrictXmlReader::readSettingsFile (file).mayReplace || ! file.getParentDirectory().createDirectory())
        return false;

    juce::MemoryOutputStream out;
    root.writeTo (out, juce::XmlElement::TextFormat() /* UTF-8, no DTD, lines wrapped at 60 */);
    return SettingsFileWriter::replace (file, out.getData(), out.getDataSize());
}
