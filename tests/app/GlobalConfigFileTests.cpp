// globalconfig.xml: reading the automatic-update switch, writing it back without losing what
// else the file holds, and the round trip through the application's start-up and shutdown.

#include "MessagePump.h"
#include "QuietApplication.h"
#include "VirtualDeviceRegistry.h"

#include "app/GlobalConfigFile.h"
#include "app/MainWindow.h"
#include "audio/StandaloneProcessor.h"
#include "settings/FifoReleaser.h"
#include "settings/HostileXmlInputs.h"
#include "settings/StrictXmlReader.h"

#include <gtest/gtest.h>

#include <cstring>

#include <sys/stat.h>

namespace
{
class GlobalConfig : public ::testing::Test
{
protected:
    GlobalConfig() { folder.createDirectory(); }
    ~GlobalConfig() override { folder.deleteRecursively(); }

    juce::File writeFile (const juce::String& content)
    {
        file.getParentDirectory().createDirectory();
        file.replaceWithText (content);
        return file;
    }

    std::unique_ptr<juce::XmlElement> parsed() const { return juce::XmlDocument::parse (file); }

    const juce::File folder { juce::File::createTempFile ("kestro-globalconfig") };
    const juce::File file { folder.getChildFile ("Kestro/Vantrel/globalconfig.xml") };
};

struct EnabledCase
{
    const char* value;
    bool expected;
};

class GlobalConfigValues : public GlobalConfig,
                                 public ::testing::WithParamInterface<EnabledCase>
{
};
} // namespace

TEST_P (GlobalConfigValues, EnabledReadsByTheFrameworksBooleanRule)
{
    writeFile (juce::String ("<Root><AutoUpdateCheck enabled=\"") + GetParam().value + "\"/></Root>");
    EXPECT_EQ (GlobalConfigFile::read (file, ! GetParam().expected), GetParam().expected) << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P (GlobalConfigEnabledValues, GlobalConfigValues,
                          ::testing::Values (EnabledCase { "1", true }, EnabledCase { "yes", true }, EnabledCase { "True", true },
                                             EnabledCase { "y", true }, EnabledCase { " 1", true }, EnabledCase { "0", false },
                                             EnabledCase { "no", false }, EnabledCase { "false", false }, EnabledCase { "2", false },
                                             EnabledCase { "", false }));

TEST_F (GlobalConfig, ReadKeepsTheSwitchWithoutAUsableFileAndTurnsItOffWithoutTheAttribute)
{
    EXPECT_TRUE (GlobalConfigFile::read (file, true)) << "no file";
    EXPECT_FALSE (GlobalConfigFile::read (file, false)) << "no file";

    file.createDirectory();
    EXPECT_TRUE (GlobalConfigFile::read (file, true)) << "a folder at the file's path";
    file.deleteRecursively();

    writeFile ("not xml at all");
    EXPECT_TRUE (GlobalConfigFile::read (file, true));

    writeFile ("<Root><Other enabled=\"0\"/></Root>");
    EXPECT_TRUE (GlobalConfigFile::read (file, true)) << "no AutoUpdateCheck";

    writeFile ("<Root><AutoUpdateCheck/></Root>");
    EXPECT_FALSE (GlobalConfigFile::read (file, true)) << "AutoUpdateCheck without enabled";

    writeFile ("<Root><AutoUpdateCheck Enabled=\"1\"/></Root>");
    EXPECT_FALSE (GlobalConfigFile::read (file, true)) << "the attribute name must match exactly";

    EXPECT_TRUE (GlobalConfigFile::read (juce::File(), true)) << "empty path";
}

TEST_F (GlobalConfig, FirstWriteCreatesTheFoldersAndANewRoot)
{
    ASSERT_FALSE (file.getParentDirectory().exists());
    EXPECT_TRUE (GlobalConfigFile::write (file, false));

    const auto root = parsed();
    ASSERT_NE (root, nullptr);
    EXPECT_EQ (root->getTagName(), "KestroVantrelStandalone");
    ASSERT_EQ (root->getNumChildElements(), 1);
    EXPECT_EQ (root->getChildElement (0)->getTagName(), "AutoUpdateCheck");
    EXPECT_EQ (root->getChildElement (0)->getStringAttribute ("enabled"), "0");
    EXPECT_TRUE (file.loadFileAsString().startsWith ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));

    EXPECT_TRUE (GlobalConfigFile::write (file, true));
    EXPECT_EQ (parsed()->getChildElement (0)->getStringAttribute ("enabled"), "1");
    EXPECT_TRUE (GlobalConfigFile::read (file, false));
}

TEST_F (GlobalConfig, WriteUpdatesTheFirstSwitchInPlaceAndKeepsEverythingElse)
{
    writeFile ("<Settings version=\"3\"><First a=\"1\">text</First>"
               "<autoupdatecheck note=\"x\" enabled=\"yes\" other=\"y\"/>"
               "<AutoUpdateCheck enabled=\"1\"/><Last/></Settings>");
    ASSERT_TRUE (GlobalConfigFile::read (file, false));
    ASSERT_TRUE (GlobalConfigFile::write (file, false));

    const auto root = parsed();
    ASSERT_NE (root, nullptr);
    EXPECT_EQ (root->getTagName(), "Settings");
    EXPECT_EQ (root->getStringAttribute ("version"), "3");
    ASSERT_EQ (root->getNumChildElements(), 4);
    EXPECT_EQ (root->getChildElement (0)->getAllSubText(), "text");

    auto* first = root->getChildElement (1);
    EXPECT_EQ (first->getTagName(), "autoupdatecheck") << "the tag is not rewritten";
    ASSERT_EQ (first->getNumAttributes(), 3);
    EXPECT_EQ (first->getAttributeName (1), "enabled") << "the attribute keeps its place";
    EXPECT_EQ (first->getStringAttribute ("enabled"), "0");
    EXPECT_EQ (root->getChildElement (2)->getStringAttribute ("enabled"), "1") << "a second switch stays as it was";
    EXPECT_EQ (root->getChildElement (3)->getTagName(), "Last");
}

TEST_F (GlobalConfig, WriteAppendsAMissingSwitchAndReplacesAFileThatIsNotXml)
{
    writeFile ("<Other><A/><B/></Other>");
    ASSERT_TRUE (GlobalConfigFile::write (file, true));
    auto root = parsed();
    ASSERT_EQ (root->getNumChildElements(), 3);
    EXPECT_EQ (root->getChildElement (2)->getTagName(), "AutoUpdateCheck");
    EXPECT_EQ (root->getChildElement (2)->getStringAttribute ("enabled"), "1");

    writeFile ("this is no XML");
    ASSERT_TRUE (GlobalConfigFile::write (file, true));
    root = parsed();
    ASSERT_NE (root, nullptr);
    EXPECT_EQ (root->getTagName(), "KestroVantrelStandalone");
}

TEST_F (GlobalConfig, WritesBackTheCarriageReturnsItRead)
{
    writeFile ("<Root note=\"a&#13;b\"><Text>line&#13;end&#13;&#10;next\nlast</Text><AutoUpdateCheck enabled=\"1\"/></Root>");

    // The second write reads what the first one wrote.
    ASSERT_TRUE (GlobalConfigFile::write (file, false));
    ASSERT_TRUE (GlobalConfigFile::write (file, true));

    const auto root = StrictXmlReader::readFile (file);
    ASSERT_NE (root, nullptr);
    EXPECT_EQ (root->getStringAttribute ("note"), "a\rb");
    EXPECT_EQ (root->getChildByName ("Text")->getAllSubText(), "line\rend\r\nnext\nlast");
    EXPECT_EQ (root->getChildByName ("AutoUpdateCheck")->getStringAttribute ("enabled"), "1");
}

namespace
{
std::string bytesOf (const juce::File& file)
{
    juce::MemoryBlock block;
    file.loadFileAsData (block);
    return { static_cast<const char*> (block.getData()), block.getSize() };
}

struct KeptBytesCase
{
    const char* name;
    const char* before;
    bool enabled;
    const char* after;
};

void PrintTo (const KeptBytesCase& value, std::ostream* os) { *os << value.name; }

class GlobalConfigKeptBytes : public GlobalConfig,
                              public ::testing::WithParamInterface<KeptBytesCase>
{
};
} // namespace

// Only the switch changes: comments, instructions, layout, quotes and the byte-order mark stay.
TEST_P (GlobalConfigKeptBytes, WriteChangesNoOtherByte)
{
    const auto& saved = GetParam();
    file.getParentDirectory().createDirectory();
    ASSERT_TRUE (file.replaceWithData (saved.before, std::strlen (saved.before)));

    ASSERT_TRUE (GlobalConfigFile::write (file, saved.enabled));
    EXPECT_EQ (bytesOf (file), std::string (saved.after));
    EXPECT_EQ (GlobalConfigFile::read (file, ! saved.enabled), saved.enabled);

    ASSERT_TRUE (GlobalConfigFile::write (file, saved.enabled));
    EXPECT_EQ (bytesOf (file), std::string (saved.after)) << "a second write changes nothing";
}

INSTANTIATE_TEST_SUITE_P (GlobalConfig, GlobalConfigKeptBytes,
    ::testing::Values (
        KeptBytesCase { "CommentsInstructionsAndLayout",
                        "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- kept -->\n<Root>\n\t<?app x?>\n"
                        "\t<AutoUpdateCheck  enabled = 'yes'\tother=\"&#13;\"/>\n</Root>\n<!-- after -->\n",
                        false,
                        "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- kept -->\n<Root>\n\t<?app x?>\n"
                        "\t<AutoUpdateCheck  enabled = '0'\tother=\"&#13;\"/>\n</Root>\n<!-- after -->\n" },
        KeptBytesCase { "SecondChildInTheFrameworksLayout",
                        "<R>\r\n  <A>t</A>\r\n  <AutoUpdateCheck enabled=\"1\"></AutoUpdateCheck>\r\n</R>\r\n", false,
                        "<R>\r\n  <A>t</A>\r\n  <AutoUpdateCheck enabled=\"0\"></AutoUpdateCheck>\r\n</R>\r\n" },
        KeptBytesCase { "AttributeAddedLast", "<R><autoupdatecheck a=\"1\"  /></R>", true,
                        "<R><autoupdatecheck a=\"1\" enabled=\"1\"  /></R>" },
        KeptBytesCase { "SwitchAppendedOnALineOfItsOwn", "<R>\r\n  <A/>\r\n</R>\r\n", true,
                        "<R>\r\n  <A/>\r\n  <AutoUpdateCheck enabled=\"1\"/>\r\n</R>\r\n" },
        KeptBytesCase { "SwitchAppendedAfterText", "<R><A/>a > b\n</R>", false,
                        "<R><A/>a > b\n<AutoUpdateCheck enabled=\"0\"/></R>" },
        KeptBytesCase { "EmptyRoot", "<R x='1' />", true, "<R x='1' ><AutoUpdateCheck enabled=\"1\"/></R>" }),
    [] (const auto& testCase) { return std::string (testCase.param.name); });

// The reader's limits hold for what the program writes: a deep or large file keeps its size, and
// a file the switch would push past the size limit is not written at all.
TEST_F (GlobalConfig, AFileTheReaderTookIsTakenAgainAfterTheWrite)
{
    std::string deep = "<R><AutoUpdateCheck enabled=\"1\"/>";
    for (int level = 2; level < StrictXmlReader::defaultMaxDepth; ++level)
        deep += "<a>";
    for (int level = 2; level < StrictXmlReader::defaultMaxDepth; ++level)
        deep += "</a>";
    deep += "</R>";

    std::string large = "<R>\n<AutoUpdateCheck enabled=\"yes\"/>\n";
    while (large.size() + 5 < (size_t) StrictXmlReader::maxFileBytes - 2)
        large += "<a/>\n";
    large += "</R>";

    const auto writeBytes = [this] (const std::string& bytes)
    {
        ASSERT_TRUE (file.getParentDirectory().createDirectory() && file.replaceWithData (bytes.data(), bytes.size()));
    };

    for (const auto* document : { &deep, &large })
    {
        writeBytes (*document);
        ASSERT_NE (StrictXmlReader::readFile (file), nullptr);
        ASSERT_TRUE (GlobalConfigFile::write (file, false));
        EXPECT_LE (file.getSize(), (juce::int64) document->size());
        EXPECT_NE (StrictXmlReader::readFile (file), nullptr);
        EXPECT_FALSE (GlobalConfigFile::read (file, true));
    }

    // Exactly at the limit and without a switch: there is no room for one.
    const auto full = "<R>" + std::string ((size_t) StrictXmlReader::maxFileBytes - 7, ' ') + "</R>";
    writeBytes (full);
    EXPECT_FALSE (GlobalConfigFile::write (file, false));
    EXPECT_EQ (bytesOf (file), full);
    EXPECT_NE (StrictXmlReader::readFile (file), nullptr);
}

// Settings kept in a folder of dotfiles: the file the link names is written, the link stays.
TEST_F (GlobalConfig, WritesThroughALinkAndKeepsIt)
{
    const auto kept = folder.getChildFile ("dotfiles/kestro-global.xml");
    ASSERT_TRUE (kept.getParentDirectory().createDirectory() && kept.replaceWithText ("<Mine><!-- mine --><AutoUpdateCheck enabled=\"1\"/></Mine>"));
    ASSERT_TRUE (file.getParentDirectory().createDirectory());
    ASSERT_TRUE (kept.createSymbolicLink (file, true));

    EXPECT_TRUE (GlobalConfigFile::read (file, false));
    ASSERT_TRUE (GlobalConfigFile::write (file, false));

    EXPECT_TRUE (file.isSymbolicLink());
    EXPECT_EQ (file.getLinkedTarget(), kept);
    EXPECT_EQ (bytesOf (kept), "<Mine><!-- mine --><AutoUpdateCheck enabled=\"0\"/></Mine>");
    EXPECT_EQ (file.getParentDirectory().getNumberOfChildFiles (juce::File::findFilesAndDirectories), 1);
}

namespace
{
class GlobalConfigHostileInput : public GlobalConfig,
                                       public ::testing::WithParamInterface<HostileXml>
{
};
} // namespace

TEST_P (GlobalConfigHostileInput, KeepsTheSwitchAndTheFileAndWritesANewOne)
{
    const auto& input = GetParam();
    const auto keptFile = StrictXmlReader::unreadableCopyOf (file);
    file.getParentDirectory().createDirectory();
    ASSERT_TRUE (file.replaceWithData (input.bytes.data(), input.bytes.size()));

    EXPECT_TRUE (GlobalConfigFile::read (file, true)) << "no switch read";
    ASSERT_TRUE (GlobalConfigFile::write (file, false));

    const auto root = StrictXmlReader::readFile (file);
    ASSERT_NE (root, nullptr);
    EXPECT_EQ (root->getChildByName ("AutoUpdateCheck")->getStringAttribute ("enabled"), "0");

    if (input.isDocument)
    {
        EXPECT_EQ (root->getTagName(), "a");
        EXPECT_EQ (root->getChildElement (0)->getText(), "x") << "the rest of a document is kept";
        EXPECT_FALSE (keptFile.exists());
    }
    else
    {
        EXPECT_EQ (root->getTagName(), "KestroVantrelStandalone");
        EXPECT_EQ (bytesOf (keptFile), input.bytes) << "what could not be read outlives the write";
    }
}

INSTANTIATE_TEST_SUITE_P (GlobalConfig, GlobalConfigHostileInput, ::testing::ValuesIn (hostileXmlInputs()),
                          [] (const auto& testCase) { return std::string (testCase.param.name); });

TEST_F (GlobalConfig, WriteSetsAsideWhatIsNoRegularFileAndNeverReplacesAFileItCannotSetAside)
{
    // A FIFO put in the file's place while the program runs: the write at shutdown neither
    // waits for a writer nor reads it.
    file.getParentDirectory().createDirectory();
    ASSERT_EQ (::mkfifo (file.getFullPathName().toRawUTF8(), 0600), 0);
    {
        FifoReleaser releaser (file);
        EXPECT_TRUE (GlobalConfigFile::read (file, true));
        ASSERT_EQ (::mkfifo (file.getFullPathName().toRawUTF8(), 0600), 0) << "the first one is set aside";
        EXPECT_TRUE (GlobalConfigFile::write (file, false));
        EXPECT_FALSE (releaser.readerWasWaiting);
    }

    struct stat kept;
    ASSERT_EQ (::lstat ((file.getFullPathName() + ".unreadable.1").toRawUTF8(), &kept), 0);
    EXPECT_TRUE (S_ISFIFO (kept.st_mode));
    EXPECT_EQ (parsed()->getChildByName ("AutoUpdateCheck")->getStringAttribute ("enabled"), "0");

    // No free name left to set an unreadable file aside under: it stays as it is.
    for (int number = 2; number <= StrictXmlReader::maxSetAsideNumber; ++number)
        ASSERT_TRUE (file.getSiblingFile ("globalconfig.xml.unreadable." + juce::String (number)).create().wasOk());

    writeFile ("<broken");
    EXPECT_FALSE (GlobalConfigFile::write (file, true));
    EXPECT_EQ (file.loadFileAsString(), "<broken");
}

//==============================================================================
TEST_F (GlobalConfig, TheSwitchSurvivesARestartOfTheApplication)
{
    if (juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() == nullptr)
        GTEST_SKIP() << "needs an X display (run under xvfb-run)";

    VirtualDeviceRegistry registry;
    registry.addDevice (VirtualDeviceDescription::input ("Stereo In", 2));
    const ApplicationContext context { folder, registry.makeFactory(), {}, {} };
    ASSERT_EQ (context.globalConfigFile(), file) << "beside config.xml in the context's settings folder";

    const struct SavedSwitch
    {
        const bool saved = UsbPluginAudioProcessor::s_enableAutoUpdate;
        ~SavedSwitch() { UsbPluginAudioProcessor::s_enableAutoUpdate = saved; }
    } savedSwitch;

    UsbPluginAudioProcessor::s_enableAutoUpdate = true;

    {
        QuietApplication app (context);
        app.initialise ({});
        ASSERT_NE (app.getMainWindow(), nullptr);
        EXPECT_FALSE (file.exists()) << "written only at shutdown";
        EXPECT_TRUE (UsbPluginAudioProcessor::s_enableAutoUpdate) << "kept without a file";

        UsbPluginAudioProcessor::s_enableAutoUpdate = false;
        app.shutdown();
    }

    ASSERT_TRUE (file.existsAsFile());
    EXPECT_EQ (parsed()->getChildByName ("AutoUpdateCheck")->getStringAttribute ("enabled"), "0");

    UsbPluginAudioProcessor::s_enableAutoUpdate = true;

    {
        QuietApplication app (context);
        app.initialise ({});
        ASSERT_NE (app.getMainWindow(), nullptr);
        EXPECT_FALSE (UsbPluginAudioProcessor::s_enableAutoUpdate) << "read back before the editor is built";
        EXPECT_TRUE (app.getMainWindow()->processor->delayedUpdateChecker.isTimerRunning())
            << "the check's timer starts whatever the switch says";
        app.shutdown();
    }
}
