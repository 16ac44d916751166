#include "StandaloneConfigFile.h"

#include "audio/StandaloneProcessor.h"
#include "settings/IntListText.h"

namespace
{
const char* const s_rootName = "KestroVantrelStandalone";
}

std::unique_ptr<juce::XmlElement> StandaloneConfigFile::read (const juce::File& file)
{
    if (! file.existsAsFile())
        return nullptr;

    return juce::XmlDocument (file).getDocumentElement();
}

void StandaloneConfigFile::restore (const juce::XmlElement& root, StandaloneProcessor& processor)
{
    auto* processorElement = root.getChildByName ("Processor");
    if (processorElement == nullptr)
        return;

    if (auto* audioDevice = processorElement->getChildByName ("AudioDevice"))
    {
        if (auto* setup = audioDevice->getFirstChildElement())
        {
            processor.savedDeviceState = std::make_unique<juce::XmlElement> (*setup);
            processor.inputDeviceManager.initialise (2, 1, processor.savedDeviceState.get(), true, "ASIO", nullptr);
        }
    }
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

    if (! file.getParentDirectory().createDirectory())
        return false;

    return root.writeTo (file, juce::XmlElement::TextFormat() /* UTF-8, no DTD, lines wrapped at 60 */);
}
