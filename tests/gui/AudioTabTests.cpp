// The settings window's "Audio" tab: its heads' tooltips in both languages, the routing panel's
// height for each channel mode, the rebuild of the routing rows that an input-device change
// causes through the real editor, and the setup panel's delayed re-measure, also when the panel
// is gone before it falls due.

#include "EditorFixture.h"
#include "MessagePump.h"
#include "VirtualDeviceRegistry.h"
#include "i18n/ScopedTranslations.h"

#include "audio/StandaloneProcessor.h"
#include "i18n/TranslationTable.h"
#include "gui/AudioRoutingMenuPanel.h"
#include "gui/AudioSettingsMenuPanel.h"
#include "gui/AudioSettingsMenuTab.h"
#include "gui/PanelHead.h"
#include "gui/RoutingComponent.h"
#include "gui/USBMenu.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace
{
const juce::String speakersName ("Virtual Speakers");
const juce::String stereoName ("Stereo In");
const juce::String surroundName ("Surround In");
const juce::String monoName ("Mono In");
const juce::String quadName ("Quad In");

int rowCountOf (const AudioRoutingMenuPanel& panel)
{
    int rows = 0;

    if (panel.routingComponent != nullptr)
        for (auto* child : panel.routingComponent->getChildren())
            if (dynamic_cast<InputChannelRow*> (child) != nullptr)
                ++rows;

    return rows;
}

/** Chooses an input device and its active channels, as the device selector does. */
juce::String chooseInput (juce::AudioDeviceManager& manager, const juce::String& name, int numChannels)
{
    auto setup = manager.getAudioDeviceSetup();
    setup.inputDeviceName = name;
    setup.inputChannels.clear();
    setup.inputChannels.setRange (0, numChannels, true);
    setup.useDefaultInputChannels = false;
    return manager.setAudioDeviceSetup (setup, true);
}

class NotificationCounter : public juce::ChangeListener
{
public:
    void changeListenerCallback (juce::ChangeBroadcaster*) override { ++count; }
    int count = 0;
};
} // namespace

//==============================================================================
struct AudioTabTooltipCase
{
    bool german;
    const char* setupTooltip;
};

class AudioTabTooltips : public ::testing::TestWithParam<AudioTabTooltipCase>
{
protected:
    ScopedTranslations translations;
};

TEST_P (AudioTabTooltips, SetupHeadShowsTheTranslatedTextAndRoutingHeadItsKey)
{
    juce::LocalisedStrings::setCurrentMappings (TranslationTable::createTable (GetParam().german).release());
    AudioSettingsMenuTab tab (nullptr);
    tab.updateTabTooltips();

    ASSERT_EQ (tab.numPanels, 2);
    EXPECT_EQ (tab.getName(), "Audio");
    EXPECT_EQ (tab.heads[0]->title, "Audio Setup");
    EXPECT_EQ (tab.heads[1]->title, "Audio Routing");
    EXPECT_EQ (tab.heads[0]->getTooltip(), juce::String::fromUTF8 (GetParam().setupTooltip));
    EXPECT_EQ (tab.heads[1]->getTooltip(), "tt_audiorouting") << "neither table has an entry for it";
    EXPECT_EQ (tab.getSetupPanel()->openHeight, 312) << "no input side, no selector";
    EXPECT_EQ (tab.getRoutingPanel()->openHeight, 312) << "no input side, no routing editor";
}

INSTANTIATE_TEST_SUITE_P (
    AudioTabLanguages, AudioTabTooltips,
    ::testing::Values (
        AudioTabTooltipCase { false, "In this menu section you can configure the input device source." },
        AudioTabTooltipCase { true, "In diesem Menü-Bereich erfolgt die Konfiguration des Eingangs-Gerätes." }),
    [] (const auto& testInfo) { return testInfo.param.german ? std::string ("German") : std::string ("English"); });

//==============================================================================
/** The input side on virtual inputs of 1, 2, 4 and 6 channels, without an editor; the stereo
    input is listed first, so the processor opens it at start. */
class AudioTabPanels : public ::testing::Test
{
protected:
    AudioTabPanels()
    {
        registry.addDevice (VirtualDeviceDescription::output (speakersName, 2));
        registry.addDevice (VirtualDeviceDescription::input (stereoName, 2));
        registry.addDevice (VirtualDeviceDescription::input (surroundName, 6));
        registry.addDevice (VirtualDeviceDescription::input (monoName, 1));
        registry.addDevice (VirtualDeviceDescription::input (quadName, 4));
    }

    void SetUp() override
    {
        processor = std::make_unique<StandaloneProcessor> (registry.makeFactory());
        processor->inputDeviceManager.addChangeListener (&notifications);

        // The meter side is not under test.
        processor->delayedThreadStarter.stopTimer();
        processor->stopTimer();

        waitForNotification();   // the stereo input the constructor opened
    }

    void TearDown() override
    {
        tab.reset();
        processor->inputDeviceManager.removeChangeListener (&notifications);
        processor.reset();
    }

    void choose (const juce::String& name, int numChannels)
    {
        ASSERT_EQ (chooseInput (processor->inputDeviceManager, name, numChannels), "");
        waitForNotification();
    }

    void waitForNotification()
    {
        const int seen = notifications.count;
        ASSERT_TRUE (pumpMessagesUntil ([&] { return notifications.count > seen; }, 5000));
    }

    /** The tab as the settings window lays it out: every head open, at a fixed width. */
    void buildTab()
    {
        tab = std::make_unique<AudioSettingsMenuTab> (processor.get());
        tab->panelWidth = 340;

        for (int i = 0; i < tab->numPanels; ++i)
        {
            tab->panels[i]->resized();
            tab->heads[i]->isOpen = true;
        }

        tab->updatePanels (false);
    }

    ScopedTranslations translations;   // the processor installs the table for the user's language
    VirtualDeviceRegistry registry;
    NotificationCounter notifications;
    std::unique_ptr<StandaloneProcessor> processor;
    std::unique_ptr<AudioSettingsMenuTab> tab;
};

struct RoutingHeightCase
{
    const char* name;
    const char* device;
    int numChannels;
    int rows;
    int openHeight;
};

class AudioTabRoutingHeight : public AudioTabPanels,
                              public ::testing::WithParamInterface<RoutingHeightCase>
{
};

TEST_P (AudioTabRoutingHeight, OpenHeightIsHeadingPlusOneRowPerLogicalChannel)
{
    const auto& expected = GetParam();
    choose (expected.device, expected.numChannels);

    AudioRoutingMenuPanel panel (processor.get());
    EXPECT_EQ (rowCountOf (panel), expected.rows);
    EXPECT_EQ (panel.openHeight, expected.openHeight);
    EXPECT_EQ (panel.routingComponent->getY(), 12);
}

INSTANTIATE_TEST_SUITE_P (
    AudioTabRouting, AudioTabRoutingHeight,
    ::testing::Values (RoutingHeightCase { "Mono", "Mono In", 1, 1, 102 },
                       RoutingHeightCase { "Stereo", "Stereo In", 2, 2, 132 },
                       RoutingHeightCase { "FivePointOne", "Surround In", 6, 6, 252 },
                       RoutingHeightCase { "UnsupportedFourInputs", "Quad In", 4, 0, 72 }),
    [] (const auto& testInfo) { return std::string (testInfo.param.name); });

//==============================================================================
TEST_F (AudioTabPanels, SetupPanelFollowsTheSelectorAndRestacksTheTab100MsAfterADeviceChange)
{
    buildTab();
    auto* setup = tab->getSetupPanel();
    ASSERT_NE (setup->deviceSelector, nullptr);
    EXPECT_EQ (setup->deviceSelector->getBounds().getPosition(), juce::Point<int> (0, 12));
    EXPECT_EQ (setup->openHeight, setup->deviceSelector->getHeight() + 12);
    const int heightBefore = setup->openHeight;

    const auto isRestacked = [&]
    {
        return setup->openHeight == setup->deviceSelector->getHeight() + 12
               && setup->getHeight() == setup->openHeight
               && tab->panels[1]->panelTop == tab->headHeight + tab->gap + setup->openHeight - 3;
    };

    // A timer of half the delay, started before the change, falls due before the re-measure
    // whatever the machine's speed: JUCE calls due timers in the order of their due times.
    struct HalfDelay : juce::Timer
    {
        std::function<void()> onDue;
        void timerCallback() override { stopTimer(); onDue(); }
    } halfDelay;
    bool halfDelayPassed = false;
    int heightAtHalfTheDelay = -1;
    halfDelay.onDue = [&] { halfDelayPassed = true; heightAtHalfTheDelay = setup->openHeight; };
    halfDelay.startTimer (AudioSettingsMenuPanel::remeasureDelayMs / 2);

    // Six inputs give the selector's channel list more rows than two.
    ASSERT_EQ (chooseInput (processor->inputDeviceManager, surroundName, 6), "");
    waitForNotification();
    ASSERT_NE (setup->deviceSelector->getHeight() + 12, heightBefore) << "the selector grows at once";

    ASSERT_TRUE (pumpMessagesUntil (isRestacked, 2000));
    EXPECT_TRUE (halfDelayPassed) << "the panel re-measured before half its delay had passed";
    EXPECT_EQ (heightAtHalfTheDelay, heightBefore) << "the panel measures only later";
}

TEST_F (AudioTabPanels, AReMeasureFallingDueAfterThePanelIsGoneDoesNothing)
{
    buildTab();
    auto survivor = std::make_unique<AudioSettingsMenuPanel> (&processor->inputDeviceManager);
    survivor->openHeight = -1;

    tab->getSetupPanel()->changeListenerCallback (nullptr);
    survivor->changeListenerCallback (nullptr);
    tab.reset();

    // The survivor's re-measure falls due together with the deleted panel's.
    ASSERT_TRUE (pumpMessagesUntil ([&] { return survivor->openHeight != -1; }, 2000));
    pumpMessagesFor (20);
}

//==============================================================================
class AudioTabEditor : public EditorFixture
{
protected:
    std::unique_ptr<UsbPluginAudioProcessor> makeProcessor() override
    {
        registry.addDevice (VirtualDeviceDescription::input (surroundName, 6));
        return EditorFixture::makeProcessor();
    }
};

TEST_F (AudioTabEditor, InputDeviceChangeRebuildsTheRoutingRowsAndRestacksTheTab)
{
    auto* standalone = dynamic_cast<StandaloneProcessor*> (processor.get());
    ASSERT_NE (standalone, nullptr);
    auto* tab = editor->usbMenu->audioTab;
    auto* routing = tab->getRoutingPanel();
    ASSERT_TRUE (pumpMessagesUntil ([&] { return rowCountOf (*routing) == 2; }, 5000));
    EXPECT_EQ (routing->openHeight, 132);

    ASSERT_EQ (chooseInput (standalone->inputDeviceManager, surroundName, 6), "");

    // Only the editor's handling of the posted UpdateRoutingMessage rebuilds the rows.
    ASSERT_TRUE (pumpMessagesUntil ([&] { return rowCountOf (*routing) == 6; }, 5000));
    EXPECT_EQ (routing->openHeight, 252);
    EXPECT_EQ (routing->currentHeight, 252) << "the open panel takes its new height";
    EXPECT_EQ (routing->getHeight(), 252) << "laid out without animation";
}
