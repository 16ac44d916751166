// Settings files the program cannot read: each is no document, so a start-up keeps the defaults,
// and each is kept beside the new file the shutdown writes.

#include "MessagePump.h"
#include "QuietApplication.h"
#include "VirtualDeviceRegistry.h"
#include "settings/HostileXmlInputs.h"

#include "app/InstrumentsStandaloneApplication.h"
#include "app/MainWindow.h"
#include "app/StandaloneConfigFile.h"
#include "audio/StandaloneProcessor.h"
#include "settings/StrictXmlReader.h"

#include <gtest/gtest.h>

namespace
{
std::string bytesOf (const juce::File& file)
{
    juce::MemoryBlock block;
    file.loadFileAsData (block);
    return { static_cast<const char*> (block.getData()), block.getSize() };
}

void writeBytes (const juce::File& file, const std::string& bytes)
{
    ASSERT_TRUE (file.getParentDirectory().createDirectory());
    ASSERT_TRUE (file.replaceWithData (bytes.data(), bytes.size()));
}

class ConfigFileHostileInput : public ::testing::TestWithParam<HostileXml>
{
protected:
    ConfigFileHostileInput() { folder.createDirectory(); }
    ~ConfigFileHostileInput() override { folder.deleteRecursively(); }

    const juce::File folder { juce::File::createTempFile ("kestro-config-hostile") };
    const juce::File configFile { folder.getChildFile ("Kestro/Vantrel/config.xml") };
    const juce::File keptFile { folder.getChildFile ("Kestro/Vantrel/config.xml.unreadable") };
};
} // namespace

TEST_P (ConfigFileHostileInput, IsNoDocumentAndIsKeptBesideIt)
{
    const auto& input = GetParam();
    writeBytes (configFile, input.bytes);

    const auto root = StandaloneConfigFile::read (configFile);

    // The one document among them is read, whatever its root's name, and stays where it is.
    if (input.isDocument)
    {
        ASSERT_NE (root, nullptr);
        EXPECT_EQ (bytesOf (configFile), input.bytes);
        EXPECT_FALSE (keptFile.exists());
        return;
    }

    EXPECT_EQ (root, nullptr);
    EXPECT_FALSE (configFile.exists()) << "moved away before anything writes the file";
    EXPECT_EQ (bytesOf (keptFile), input.bytes);
}

INSTANTIATE_TEST_SUITE_P (ConfigFile, ConfigFileHostileInput, ::testing::ValuesIn (hostileXmlInputs()),
                          [] (const auto& testCase) { return std::string (testCase.param.name); });

//==============================================================================

TEST (ConfigFileHostileStartUp, StartsWithTheDefaultsAndKeepsBothUnreadableFilesThroughTheShutdown)
{
    if (juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() == nullptr)
        GTEST_SKIP() << "needs an X display (run under xvfb-run)";

    VirtualDeviceRegistry registry;
    registry.addDevice (VirtualDeviceDescription::output ("Virtual Speakers", 2));
    registry.addDevice (VirtualDeviceDescription::input ("Stereo In", 2));

    const auto folder = juce::File::createTempFile ("kestro-config-hostile");
    const std::unique_ptr<const juce::File, void (*) (const juce::File*)> removeFolder (
        &folder, [] (const juce::File* f) { f->deleteRecursively(); });
    const ApplicationContext context { folder, registry.makeFactory(), {}, {} };
    const auto configFile = context.configFile();
    const auto globalConfigFile = context.globalConfigFile();

    // Both name the switch off and a mapping; neither is read.
    const std::string configBytes = "<KestroVantrelStandalone><Processor><ChannelMapping>1,0</ChannelMapping>"
                                    "\xff</Processor></KestroVantrelStandalone>";
    const std::string globalBytes = "<KestroVantrelStandalone><AutoUpdateCheck enabled=\"0\"/>\xc0\xaf</KestroVantrelStandalone>";
    writeBytes (configFile, configBytes);
    writeBytes (globalConfigFile, globalBytes);

    const bool savedSwitch = UsbPluginAudioProcessor::s_enableAutoUpdate;
    UsbPluginAudioProcessor::s_enableAutoUpdate = true;

    {
        QuietApplication app (context);
        app.initialise ({});
        ASSERT_NE (app.getMainWindow(), nullptr);
        auto& processor = *app.getMainWindow()->processor;
        EXPECT_EQ (std::vector<int32_t> (processor.channelMapping.begin(), processor.channelMapping.end()),
                   (std::vector<int32_t> { 0, 1, 2, 3, 4, 5 }));
        EXPECT_TRUE (UsbPluginAudioProcessor::s_enableAutoUpdate);
        pumpMessagesFor (50);
        app.shutdown();
    }

    UsbPluginAudioProcessor::s_enableAutoUpdate = savedSwitch;

    EXPECT_EQ (bytesOf (StrictXmlReader::unreadableCopyOf (configFile)), configBytes);
    EXPECT_EQ (bytesOf (StrictXmlReader::unreadableCopyOf (globalConfigFile)), globalBytes);
    EXPECT_NE (StrictXmlReader::readFile (configFile), nullptr) << "a new file with the defaults";
    EXPECT_NE (StrictXmlReader::readFile (globalConfigFile), nullptr);
}
