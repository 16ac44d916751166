// config.xml: what a start-up restores from each kind of file, what a shutdown writes, and that a
// write that fails keeps the old file.

#include "FakeJackServer.h"
#include "MessagePump.h"
#include "RenamingDeviceType.h"
#include "VirtualDeviceRegistry.h"

#include "app/InstrumentsStandaloneApplication.h"
#include "app/MainWindow.h"
#include "app/StandaloneConfigFile.h"
#include "settings/StrictXmlReader.h"
#include "audio/ChannelMode.h"
#include "audio/jack/JackAudioDeviceType.h"
#include "audio/StandaloneProcessor.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace
{
const juce::String speakersName ("Virtual Speakers");
const juce::String stereoName ("Stereo In");
const juce::String surroundName ("Surround In");

using Mapping = std::vector<int32_t>;

Mapping mappingOf (const UsbPluginAudioProcessor& processor)
{
    return { processor.channelMapping.begin(), processor.channelMapping.end() };
}

void addDevices (VirtualDeviceRegistry& registry)
{
    // The input manager asks for one output; it takes the first.
    registry.addDevice (VirtualDeviceDescription::output (speakersName, 2));
    registry.addDevice (VirtualDeviceDescription::input (stereoName, 2));
    registry.addDevice (VirtualDeviceDescription::input (surroundName, 6));
}

class NotificationCounter : public juce::ChangeListener
{
public:
    void changeListenerCallback (juce::ChangeBroadcaster*) override { ++count; }
    int count = 0;
};

/** The types of `first`, then those of `second`. */
AudioDeviceTypeFactory bothFactories (AudioDeviceTypeFactory first, AudioDeviceTypeFactory second)
{
    return [first, second]
    {
        auto all = first();
        for (auto& type : second())
            all.push_back (std::move (type));
        return all;
    };
}

juce::String inputDeviceName (StandaloneProcessor& processor)
{
    return processor.inputDeviceManager.getAudioDeviceSetup().inputDeviceName;
}

/** A processor as the application has it before the restore, with a temporary settings folder. */
class ConfigFile : public ::testing::Test
{
protected:
    ConfigFile()
    {
        addDevices (registry);
        folder.createDirectory();
    }

    ~ConfigFile() override
    {
        if (processor != nullptr)
            processor->inputDeviceManager.removeChangeListener (&notifications);

        processor.reset();
        folder.deleteRecursively();
    }

    void makeProcessor()
    {
        processor = std::make_unique<StandaloneProcessor> (registry.makeFactory());
        processor->inputDeviceManager.addChangeListener (&notifications);
        processor->delayedThreadStarter.stopTimer();   // the meter side is not under test here
        processor->stopTimer();
    }

    /** Lets the input device manager's queued notification arrive (one is always queued after
        the processor opened its first device). */
    void waitForStartUpNotification()
    {
        ASSERT_TRUE (pumpMessagesUntil ([&] { return notifications.count > 0; }, 5000));
    }

    VirtualDeviceRegistry registry;
    const juce::File folder { juce::File::createTempFile ("kestro-config") };
    const juce::File configFile { folder.getChildFile ("Kestro/Vantrel/config.xml") };
    NotificationCounter notifications;
    std::unique_ptr<StandaloneProcessor> processor;
};

//==============================================================================
enum class FileForm { missing, folder, text };

struct SavedFile
{
    const char* name;
    FileForm form;
    const char* content;
    juce::String expectedDevice;
    int expectedActiveInputs;
    Mapping afterRestore;
    Mapping afterStartUp;
};

void PrintTo (const SavedFile& value, std::ostream* os) { *os << value.name; }

class ConfigFileBadFiles : public ConfigFile,
                           public ::testing::WithParamInterface<SavedFile>
{
};

// Before the restore the mapping holds a swap, so that "left as it was" differs from the
// defaults; the device notification that follows the restore resets it unless the restore
// brought a permutation.
TEST_P (ConfigFileBadFiles, RestoresWhatIsValidAndLeavesTheRest)
{
    const auto& saved = GetParam();

    if (saved.form == FileForm::folder)
    {
        ASSERT_TRUE (configFile.getChildFile ("unrelated.txt").create().wasOk());
    }
    else if (saved.form == FileForm::text)
    {
        ASSERT_TRUE (configFile.create().wasOk() && configFile.replaceWithText (saved.content));
    }

    makeProcessor();
    ASSERT_TRUE (processor->setChannelMappingEntry (0, 1, 2) && processor->setChannelMappingEntry (1, 0, 2));

    if (const auto root = StandaloneConfigFile::read (configFile))
        StandaloneConfigFile::restore (*root, *processor);

    EXPECT_EQ (mappingOf (*processor), saved.afterRestore);

    waitForStartUpNotification();

    EXPECT_EQ (inputDeviceName (*processor), saved.expectedDevice);

    EXPECT_EQ (processor->numActiveInputs.load(), saved.expectedActiveInputs);
    EXPECT_EQ (mappingOf (*processor), saved.afterStartUp);

    for (int i = 0; i < RealtimeChannelMapping::numEntries; ++i)
        EXPECT_EQ (processor->realtimeMapping.load (i), saved.afterStartUp[(size_t) i]) << "entry " << i;

    if (saved.form == FileForm::folder)
    {
        EXPECT_TRUE (configFile.getChildFile ("unrelated.txt").existsAsFile());
    }
}

#define KESTRO_SURROUND_SETUP "<DEVICESETUP deviceType=\"Virtual\" audioOutputDeviceName=\"Virtual Speakers\"" \
                              " audioInputDeviceName=\"Surround In\" audioDeviceInChans=\"111111\"/>"

INSTANTIATE_TEST_SUITE_P (ConfigFile, ConfigFileBadFiles,
    ::testing::Values (
        SavedFile { "Missing", FileForm::missing, "", stereoName, 2,
                    { 1, 0, 2, 3, 4, 5 }, { 0, 1, 2, 3, 4, 5 } },
        SavedFile { "FolderInItsPlace", FileForm::folder, "", stereoName, 2,
                    { 1, 0, 2, 3, 4, 5 }, { 0, 1, 2, 3, 4, 5 } },
        SavedFile { "NotXml", FileForm::text, "ChannelMapping = 5,4,3,2,1,0", stereoName, 2,
                    { 1, 0, 2, 3, 4, 5 }, { 0, 1, 2, 3, 4, 5 } },
        SavedFile { "NoProcessorElement", FileForm::text,
                    "<KestroVantrelStandalone><ChannelMapping>5,4,3,2,1,0</ChannelMapping></KestroVantrelStandalone>",
                    stereoName, 2, { 1, 0, 2, 3, 4, 5 }, { 0, 1, 2, 3, 4, 5 } },
        // Any root counts; the write puts the program's own name back.
        SavedFile { "AnotherRootName", FileForm::text,
                    "<OtherProgram><Processor><AudioDevice/><ChannelMapping>1,0,4,5,2,3</ChannelMapping></Processor></OtherProgram>",
                    stereoName, 2, { 1, 0, 4, 5, 2, 3 }, { 1, 0, 4, 5, 2, 3 } },
        SavedFile { "LowerCaseNames", FileForm::text,
                    "<kestrovantrelstandalone><processor><audiodevice>"
                    "<devicesetup deviceType=\"Virtual\" audioOutputDeviceName=\"Virtual Speakers\""
                    " audioInputDeviceName=\"Surround In\" audioDeviceInChans=\"111111\"/></audiodevice>"
                    "<channelmapping>5,4,3,2,1,0</channelmapping></processor></kestrovantrelstandalone>",
                    surroundName, 6, { 5, 4, 3, 2, 1, 0 }, { 5, 4, 3, 2, 1, 0 } },
        SavedFile { "MappingTooLong", FileForm::text,
                    "<KestroVantrelStandalone><Processor><AudioDevice>" KESTRO_SURROUND_SETUP "</AudioDevice>"
                    "<ChannelMapping>5,4,3,2,1,0,1,2,3</ChannelMapping></Processor></KestroVantrelStandalone>",
                    surroundName, 6, { 5, 4, 3, 2, 1, 0 }, { 5, 4, 3, 2, 1, 0 } },
        SavedFile { "NegativeItem", FileForm::text,
                    "<KestroVantrelStandalone><Processor><AudioDevice/>"
                    "<ChannelMapping>0,-1</ChannelMapping></Processor></KestroVantrelStandalone>",
                    stereoName, 2, { 0, 0, 2, 3, 4, 5 }, { 0, 1, 2, 3, 4, 5 } },   // no input open yet: as stored
        // Written with a six-channel device, read with a two-channel one: the entries beyond the
        // device's inputs stay as stored, for the next six-channel device.
        SavedFile { "ItemsBeyondTheDevice", FileForm::text,
                    "<KestroVantrelStandalone><Processor><AudioDevice/>"
                    "<ChannelMapping>1,0,5,4,3,2</ChannelMapping></Processor></KestroVantrelStandalone>",
                    stereoName, 2, { 1, 0, 5, 4, 3, 2 }, { 1, 0, 5, 4, 3, 2 } },
        SavedFile { "ItemBeyondTheSurroundDevice", FileForm::text,
                    "<KestroVantrelStandalone><Processor><AudioDevice>" KESTRO_SURROUND_SETUP "</AudioDevice>"
                    "<ChannelMapping>5,4,3,2,1,6</ChannelMapping></Processor></KestroVantrelStandalone>",
                    surroundName, 6, { 0, 1, 2, 3, 4, 5 }, { 0, 1, 2, 3, 4, 5 } },
        SavedFile { "EmptyMapping", FileForm::text,
                    "<KestroVantrelStandalone><Processor><AudioDevice/><ChannelMapping/></Processor></KestroVantrelStandalone>",
                    stereoName, 2, { 1, 0, 2, 3, 4, 5 }, { 0, 1, 2, 3, 4, 5 } },
        SavedFile { "DeviceNoLongerPresent", FileForm::text,
                    "<KestroVantrelStandalone><Processor><AudioDevice>"
                    "<DEVICESETUP deviceType=\"Virtual\" audioOutputDeviceName=\"Virtual Speakers\""
                    " audioInputDeviceName=\"Unplugged In\"/></AudioDevice>"
                    "<ChannelMapping>1,0</ChannelMapping></Processor></KestroVantrelStandalone>",
                    stereoName, 2, { 1, 0, 2, 3, 4, 5 }, { 1, 0, 2, 3, 4, 5 } }),
    [] (const auto& testCase) { return std::string (testCase.param.name); });

#undef KESTRO_SURROUND_SETUP

//==============================================================================
// A restore of a saved device type next to another type that lists devices which must not be
// started: on a PipeWire without devices ALSA's first device blocks its stream (replacing it
// would cancel its thread by force), and its "default" never starts while a JACK server runs.
// The saved type either opens, or, when it is JACK with its output gone, nothing is opened in its
// place while its server runs; with no server, JUCE's fallback to the other type stays.
enum class SavedType { listsTheSavedDevices, jackWithoutTheSavedOutput };

struct DeviceTypeCase
{
    const char* name;
    SavedType saved;
    bool serverRuns;
    const char* expectedType;   // empty: no device open
    bool otherTypeOpened;
};

void PrintTo (const DeviceTypeCase& value, std::ostream* os) { *os << value.name; }

class ConfigFileDeviceType : public ::testing::TestWithParam<DeviceTypeCase>
{
};

TEST_P (ConfigFileDeviceType, RestoreOpensAnotherTypeOnlyWhenTheSavedOneCannotRun)
{
    const auto& example = GetParam();
    FakeJackServer server;
    if (! example.serverRuns)
        server.stop();
    const auto session = std::make_shared<JackServerSession> (server, 200);

    VirtualDeviceRegistry registry;
    registry.addDevice (VirtualDeviceDescription::output ("Blocking Speakers", 2));
    registry.addDevice (VirtualDeviceDescription::input ("Blocking Mic", 2));
    registry.addDevice (VirtualDeviceDescription::output ("Server Speakers", 2));
    registry.addDevice (VirtualDeviceDescription::input ("Server Source", 2));

    const auto listOnly = [] (const juce::String& prefix)
    {
        return [prefix] (const juce::String& name) { return name.startsWith (prefix) ? juce::StringArray (name) : juce::StringArray(); };
    };
    const auto other = RenamingDeviceType::makeFactory (registry, "Other", listOnly ("Blocking"));
    const AudioDeviceTypeFactory saved = example.saved == SavedType::listsTheSavedDevices
        ? RenamingDeviceType::makeFactory (registry, "Saved", listOnly ("Server"))
        : AudioDeviceTypeFactory ([session]
          {
              std::vector<std::unique_ptr<juce::AudioIODeviceType>> jack;
              jack.push_back (std::make_unique<JackAudioDeviceType> (session));
              return jack;
          });
    const juce::String savedType (example.saved == SavedType::listsTheSavedDevices ? "Saved" : "JACK");
    const juce::String savedInput (example.saved == SavedType::listsTheSavedDevices ? "Server Source" : "system");

    const auto root = juce::parseXML ("<KestroVantrelStandalone><Processor><AudioDevice>"
                                      "<DEVICESETUP deviceType=\"" + savedType + "\" audioOutputDeviceName=\"system\""
                                      " audioInputDeviceName=\"" + savedInput + "\"/></AudioDevice></Processor>"
                                      "</KestroVantrelStandalone>");
    ASSERT_NE (root, nullptr);

    StandaloneProcessor processor (bothFactories (other, saved));
    processor.delayedThreadStarter.stopTimer();   // the meter side is not under test here
    processor.stopTimer();
    StandaloneConfigFile::restore (*root, processor);
    pumpMessagesFor (200);

    auto* device = processor.inputDeviceManager.getCurrentAudioDevice();
    EXPECT_EQ (device != nullptr ? device->getTypeName() : juce::String(), juce::String (example.expectedType));
    EXPECT_EQ (registry.getNumOpens ("Blocking Speakers") + registry.getNumOpens ("Blocking Mic") > 0, example.otherTypeOpened);

    // Whatever opened, the user's choice is what config.xml keeps.
    const auto state = processor.inputDeviceManager.createStateXml();
    ASSERT_NE (state, nullptr);
    EXPECT_EQ (state->getStringAttribute ("deviceType"), savedType);
}

INSTANTIATE_TEST_SUITE_P (ConfigFile, ConfigFileDeviceType,
    ::testing::Values (
        DeviceTypeCase { "SavedTypeOpens", SavedType::listsTheSavedDevices, true, "Saved", false },
        DeviceTypeCase { "JackServerRuns", SavedType::jackWithoutTheSavedOutput, true, "", false },
        DeviceTypeCase { "NoJackServer", SavedType::jackWithoutTheSavedOutput, false, "Other", true }),
    [] (const auto& testCase) { return std::string (testCase.param.name); });

TEST_F (ConfigFile, FirstWriteHoldsNoDeviceSetUpAndTheDefaultMapping)
{
    makeProcessor();
    waitForStartUpNotification();

    ASSERT_FALSE (configFile.getParentDirectory().exists());
    ASSERT_TRUE (StandaloneConfigFile::write (configFile, *processor));

    const auto text = configFile.loadFileAsString();
    EXPECT_TRUE (text.startsWith ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n")) << text;

    const auto root = juce::parseXML (text);
    ASSERT_NE (root, nullptr);
    EXPECT_EQ (root->getTagName(), "KestroVantrelStandalone");
    auto* processorElement = root->getChildByName ("Processor");
    ASSERT_NE (processorElement, nullptr);
    ASSERT_NE (processorElement->getChildByName ("AudioDevice"), nullptr);
    EXPECT_EQ (processorElement->getChildByName ("AudioDevice")->getNumChildElements(), 0);
    ASSERT_NE (processorElement->getChildByName ("ChannelMapping"), nullptr);
    EXPECT_EQ (processorElement->getChildByName ("ChannelMapping")->getAllSubText(), "0,1,2,3,4,5");
}

TEST_F (ConfigFile, AFileWithAnotherRootIsKeptUntilWrittenAndAFileThatCannotBeSetAsideIsNeverReplaced)
{
    const juce::String foreign ("<OtherProgram><Processor><ChannelMapping>1,0</ChannelMapping></Processor></OtherProgram>");
    ASSERT_TRUE (configFile.getParentDirectory().createDirectory() && configFile.replaceWithText (foreign));
    EXPECT_NE (StandaloneConfigFile::read (configFile), nullptr);
    EXPECT_FALSE (StrictXmlReader::unreadableCopyOf (configFile).exists());

    makeProcessor();
    ASSERT_TRUE (StandaloneConfigFile::write (configFile, *processor));
    const auto written = StandaloneConfigFile::read (configFile);
    ASSERT_NE (written, nullptr);
    EXPECT_EQ (written->getTagName(), "KestroVantrelStandalone");

    // Every name to set it aside under is taken: the unreadable file stays, and the write leaves it.
    for (int number = 0; number <= StrictXmlReader::maxSetAsideNumber; ++number)
        ASSERT_TRUE (configFile.getSiblingFile ("config.xml.unreadable" + (number == 0 ? juce::String() : "." + juce::String (number))).create().wasOk());

    ASSERT_TRUE (configFile.replaceWithText ("<KestroVantrelStandalone>cut off"));
    EXPECT_EQ (StandaloneConfigFile::read (configFile), nullptr);
    EXPECT_FALSE (StandaloneConfigFile::write (configFile, *processor));
    EXPECT_EQ (configFile.loadFileAsString(), "<KestroVantrelStandalone>cut off");
}

// Settings kept in a folder of dotfiles: the file the link names is written, the link stays.
TEST_F (ConfigFile, WriteGoesThroughALinkAndKeepsIt)
{
    const auto kept = folder.getChildFile ("dotfiles/kestro.xml");
    ASSERT_TRUE (kept.getParentDirectory().createDirectory() && kept.replaceWithText ("<KestroVantrelStandalone/>"));
    ASSERT_TRUE (configFile.getParentDirectory().createDirectory() && kept.createSymbolicLink (configFile, true));

    makeProcessor();
    waitForStartUpNotification();
    ASSERT_TRUE (StandaloneConfigFile::write (configFile, *processor));

    EXPECT_TRUE (configFile.isSymbolicLink());
    EXPECT_EQ (configFile.getLinkedTarget(), kept);
    EXPECT_TRUE (kept.loadFileAsString().contains ("<ChannelMapping>0,1,2,3,4,5</ChannelMapping>"));
    EXPECT_EQ (configFile.getParentDirectory().getNumberOfChildFiles (juce::File::findFilesAndDirectories), 1);
    EXPECT_EQ (kept.getParentDirectory().getNumberOfChildFiles (juce::File::findFilesAndDirectories), 1);
}

TEST_F (ConfigFile, FolderInTheFilesPlaceIsLeftAlone)
{
    ASSERT_TRUE (configFile.getChildFile ("unrelated.txt").create().wasOk());
    makeProcessor();

    EXPECT_FALSE (StandaloneConfigFile::write (configFile, *processor));
    EXPECT_TRUE (configFile.isDirectory());
    EXPECT_TRUE (configFile.getChildFile ("unrelated.txt").existsAsFile());
}

/** Limits the size of any file this process writes, as a full disk would, and undoes it. */
class ScopedFileSizeLimit
{
public:
    explicit ScopedFileSizeLimit (rlim_t maximumBytes)
    {
        // Past the limit the kernel sends SIGXFSZ, which would end the test process.
        previousHandler = std::signal (SIGXFSZ, SIG_IGN);
        getrlimit (RLIMIT_FSIZE, &previousLimit);
        auto limit = previousLimit;
        limit.rlim_cur = maximumBytes;
        setrlimit (RLIMIT_FSIZE, &limit);
    }

    ~ScopedFileSizeLimit()
    {
        setrlimit (RLIMIT_FSIZE, &previousLimit);
        std::signal (SIGXFSZ, previousHandler);
    }

private:
    rlimit previousLimit {};
    void (*previousHandler) (int) = nullptr;
};

TEST_F (ConfigFile, FailedWriteKeepsTheOldFile)
{
    makeProcessor();
    waitForStartUpNotification();
    ASSERT_TRUE (StandaloneConfigFile::write (configFile, *processor));
    const auto oldText = configFile.loadFileAsString();

    ASSERT_TRUE (processor->setChannelMappingEntry (0, 1, 2) && processor->setChannelMappingEntry (1, 0, 2));

    for (const rlim_t limit : { (rlim_t) 0, (rlim_t) 64 })   // nothing written at all; a short write
    {
        SCOPED_TRACE ((int) limit);
        bool written = true;

        {
            const ScopedFileSizeLimit fullDisk (limit);
            written = StandaloneConfigFile::write (configFile, *processor);
        }

        EXPECT_FALSE (written);
        EXPECT_EQ (configFile.loadFileAsString(), oldText);
        EXPECT_EQ (configFile.getParentDirectory().getNumberOfChildFiles (juce::File::findFilesAndDirectories), 1)
            << "no temporary file is left behind";
    }

    ASSERT_TRUE (StandaloneConfigFile::write (configFile, *processor));
    EXPECT_TRUE (configFile.loadFileAsString().contains ("1,0,2,3,4,5"));
}

//==============================================================================

/** The application with the quit request ignored instead of stopping the test's message loop. */
class TestApplication : public InstrumentsStandaloneApplication
{
public:
    using InstrumentsStandaloneApplication::InstrumentsStandaloneApplication;
    void systemRequestedQuit() override {}
};

class ConfigFileRoundTrip : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() == nullptr)
            GTEST_SKIP() << "needs an X display (run under xvfb-run)";

        addDevices (registry);
        folder.createDirectory();
    }

    void TearDown() override { folder.deleteRecursively(); }

    /** Starts the application, lets the start-up's device notification arrive, lets `during`
        act on the running processor, and shuts the application down. */
    void runApplication (const std::function<void (StandaloneProcessor&)>& during)
    {
        TestApplication app (ApplicationContext { folder, registry.makeFactory(), {}, {} });
        app.initialise ({});
        ASSERT_NE (app.getMainWindow(), nullptr);
        auto& processor = *app.getMainWindow()->processor;

        NotificationCounter notifications;
        processor.inputDeviceManager.addChangeListener (&notifications);
        EXPECT_TRUE (pumpMessagesUntil ([&] { return notifications.count > 0; }, 5000));

        during (processor);

        processor.inputDeviceManager.removeChangeListener (&notifications);
        app.shutdown();
        configFile = app.configFile;
    }

    VirtualDeviceRegistry registry;
    const juce::File folder { juce::File::createTempFile ("kestro-roundtrip") };
    juce::File configFile;
};

TEST_F (ConfigFileRoundTrip, DeviceSetUpAndMappingSurviveARestart)
{
    const Mapping routing { 2, 0, 1, 5, 3, 4 };

    runApplication ([&] (StandaloneProcessor& processor)
    {
        // The user picks the six-channel device in the settings window and edits the routing.
        auto setup = processor.inputDeviceManager.getAudioDeviceSetup();
        setup.inputDeviceName = surroundName;
        setup.inputChannels.setRange (0, 6, true);
        setup.useDefaultInputChannels = false;
        ASSERT_EQ (processor.inputDeviceManager.setAudioDeviceSetup (setup, true), "");
        ASSERT_TRUE (pumpMessagesUntil ([&] { return processor.channelMode == ChannelMode::FivePointOne; }, 5000));

        for (size_t i = 0; i < routing.size(); ++i)
            ASSERT_TRUE (processor.setChannelMappingEntry (i, routing[i], 6));
    });

    const auto firstText = configFile.loadFileAsString();
    const auto first = juce::parseXML (firstText);
    ASSERT_NE (first, nullptr);
    auto* setup = first->getChildByName ("Processor")->getChildByName ("AudioDevice")->getFirstChildElement();
    ASSERT_NE (setup, nullptr);
    EXPECT_EQ (setup->getTagName(), "DEVICESETUP");
    EXPECT_EQ (setup->getStringAttribute ("audioInputDeviceName"), surroundName);
    EXPECT_EQ (first->getChildByName ("Processor")->getChildByName ("ChannelMapping")->getAllSubText(), "2,0,1,5,3,4");

    runApplication ([&] (StandaloneProcessor& processor)
    {
        EXPECT_EQ (inputDeviceName (processor), surroundName);
        EXPECT_EQ (processor.numActiveInputs.load(), 6);
        EXPECT_EQ (processor.channelMode, ChannelMode::FivePointOne);
        EXPECT_EQ (mappingOf (processor), routing) << "the restored routing outlives the start-up notification";
    });

    EXPECT_EQ (configFile.loadFileAsString(), firstText) << "a run without changes writes the same file";
}
} // namespace
