// The settings window's "System" tab: its "Info" panel's texts in both languages, the information
// rows, the layout, the automatic-update switch, the update check started from the panel and its
// status, and the release notes the documentation button reveals.

#include "EditorFixture.h"
#include "MessagePump.h"
#include "i18n/ScopedTranslations.h"
#include "update/UpdateCheckFixture.h"

#include "i18n/TranslationTable.h"
#include "audio/UsbPluginAudioProcessor.h"
#include "gui/LabeledMenuComponent.h"
#include "gui/MenuButton.h"
#include "gui/PanelHead.h"
#include "gui/SystemMenuPanel.h"
#include "gui/SystemMenuTab.h"
#include "gui/USBMenu.h"
#include "update/UpdateThread.h"

#include <gtest/gtest.h>

#include <memory>
#include <regex>

namespace
{
juce::String utf8 (const char* text) { return juce::String::fromUTF8 (text); }

struct ScopedAutoUpdateSwitch
{
    const bool saved = UsbPluginAudioProcessor::s_enableAutoUpdate;
    ~ScopedAutoUpdateSwitch() { UsbPluginAudioProcessor::s_enableAutoUpdate = saved; }
};

/** Clicks as the user does: the framework delivers the click through the message loop. */
bool clickAndWait (juce::Button& button, const std::function<bool()>& done)
{
    button.triggerClick();
    return pumpMessagesUntil (done, 2000);
}
} // namespace

//==============================================================================
struct SystemTabLanguageCase
{
    bool german;
    const char* captions[5];
    const char* documentation;
    const char* updateCheck;
    const char* toggle;
    const char* tooltipStart;
};

class SystemTabTexts : public ::testing::TestWithParam<SystemTabLanguageCase>
{
protected:
    void SetUp() override
    {
        juce::LocalisedStrings::setCurrentMappings (TranslationTable::createTable (GetParam().german).release());
        tab = std::make_unique<SystemMenuTab>();
        tab->updateTabTooltips();
    }

    void TearDown() override { tab.reset(); }

    ScopedTranslations translations;
    std::unique_ptr<SystemMenuTab> tab;
};

TEST_P (SystemTabTexts, InfoPanelShowsTranslatedCaptionsAndUntranslatedValues)
{
    const auto& expected = GetParam();
    ASSERT_EQ (tab->numPanels, 1);
    auto* panel = tab->getInfoPanel();
    ASSERT_NE (panel, nullptr);
    EXPECT_EQ (tab->getName(), "System");
    EXPECT_EQ (tab->heads[0]->title, "Info") << "the head keeps its raw title and draws its translation";
    EXPECT_TRUE (tab->heads[0]->getTooltip().startsWith (utf8 (expected.tooltipStart))) << tab->heads[0]->getTooltip();

    const juce::String values[] = {
        "Kestro Vantrel Standalone",
        SystemMenuPanel::versionText (SystemMenuPanel::buildIdentifier),
        "XR61842",
        SystemMenuPanel::s_BuildTime,
        juce::File::getSpecialLocation (juce::File::currentExecutableFile).getFullPathName(),
    };

    for (int i = 0; i < 5; ++i)
    {
        auto* row = panel->infoRows[i];
        ASSERT_NE (row, nullptr);
        EXPECT_EQ (row->getParentComponent(), panel);
        EXPECT_EQ (row->labels[0]->getText(), utf8 (expected.captions[i])) << "row " << i;
        EXPECT_EQ (row->labels[1]->getText(), values[i]) << "row " << i;
        EXPECT_FALSE (row->labels[0]->isEditableOnSingleClick() || row->labels[0]->isEditableOnDoubleClick());
        EXPECT_EQ (row->labels[1]->findColour (juce::Label::textColourId), juce::Colours::white);
    }

    EXPECT_EQ (panel->documentationButton->getButtonText(), utf8 (expected.documentation));
    EXPECT_EQ (panel->updateCheckButton->getButtonText(), utf8 (expected.updateCheck));
    EXPECT_EQ (panel->autoUpdateToggle->getButtonText(), utf8 (expected.toggle));
}

INSTANTIATE_TEST_SUITE_P (
    SystemTabLanguages, SystemTabTexts,
    ::testing::Values (
        SystemTabLanguageCase { false,
                                { "Software name", "Software version", "Product number", "Build date", "Software path" },
                                "View Documentation", "Check for update", "Enable automatic update checking on startup",
                                "In this menu section" },
        SystemTabLanguageCase { true,
                                { "Software-Name", "Software-Version", "Produkt-Nummer", "Build-Datum", "Software-Pfad" },
                                "Dokumentation öffnen", "Update suchen", "Automatische Updatesuche beim Start aktivieren",
                                "In diesem Menü-Bereich" }),
    [] (const auto& testInfo) { return testInfo.param.german ? std::string ("German") : std::string ("English"); });

//==============================================================================
TEST (SystemTabInfo, VersionIsPaddedBuildIdentifierAfterTheVersionNumber)
{
    const struct
    {
        const char* identifier;
        const char* text;
    } cases[] = {
        { "2a9405e", "1.6.0-2a9405e (64Bit)" },
        { "abcd", "1.6.0-abcd (64Bit)" },
        { "ab", "1.6.0-00ab (64Bit)" },
        { "", "1.6.0-0000 (64Bit)" },
    };

    for (const auto& c : cases)
        EXPECT_EQ (SystemMenuPanel::versionText (c.identifier), c.text) << c.identifier;
}

TEST (SystemTabInfo, BuildDateReadsMonthDayYearThenTimeOfDay)
{
    const std::regex form ("(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) [1-9][0-9]? [0-9]{4} / [0-2][0-9]:[0-5][0-9]:[0-6][0-9]");
    EXPECT_TRUE (std::regex_match (SystemMenuPanel::s_BuildTime.toStdString(), form)) << SystemMenuPanel::s_BuildTime;
}

TEST (SystemTabInfo, PanelLaysOutRowsButtonsToggleAndStatusBelowEachOther)
{
    SystemMenuPanel panel;
    panel.setSize (0, 100);
    EXPECT_EQ (panel.openHeight, 0) << "a panel without width lays nothing out";

    panel.setSize (354, 100);

    for (int i = 0; i < 5; ++i)
    {
        EXPECT_EQ (panel.infoRows[i]->getBounds(), juce::Rectangle<int> (0, 12 + 48 * i, 354, 36)) << "row " << i;
        EXPECT_EQ (panel.infoRows[i]->labels[0]->getBounds(), juce::Rectangle<int> (8, 0, 160, 36));
        EXPECT_EQ (panel.infoRows[i]->labels[1]->getBounds(), juce::Rectangle<int> (180, 0, 162, 36));
    }

    EXPECT_EQ (panel.documentationButton->getBounds(), juce::Rectangle<int> (8, 252, 160, 30));
    EXPECT_EQ (panel.autoUpdateToggle->getBounds(), juce::Rectangle<int> (8, 294, 320, 36));
    EXPECT_EQ (panel.updateCheckButton->getBounds(), juce::Rectangle<int> (8, 342, 160, 30));
    EXPECT_EQ (panel.statusLabel->getBounds(), juce::Rectangle<int> (180, 336, 162, 48));
    EXPECT_EQ (panel.openHeight, 396);
}

TEST (SystemTabInfo, DocumentationButtonRevealsTheReleaseNotesOfThisVersion)
{
    SystemMenuPanel panel;
    juce::Array<juce::File> revealed;
    panel.revealFile = [&] (const juce::File& file) { revealed.add (file); };

    ASSERT_TRUE (clickAndWait (*panel.documentationButton, [&] { return ! revealed.isEmpty(); }));

    const auto expected = juce::File::getSpecialLocation (juce::File::commonApplicationDataDirectory)
                              .getChildFile ("Kestro")
                              .getChildFile ("Vantrel")
                              .getChildFile ("Kestro_Vantrel_V1-6-0_Release_Notes_EN.pdf");
    ASSERT_EQ (revealed.size(), 1);
    EXPECT_EQ (revealed[0].getFullPathName(), expected.getFullPathName());
    EXPECT_FALSE (revealed[0].getFullPathName().contains ("//"));
}

//==============================================================================
class SystemTabAutoUpdateToggle : public ::testing::TestWithParam<bool>
{
protected:
    ScopedAutoUpdateSwitch savedSwitch;
};

TEST_P (SystemTabAutoUpdateToggle, ShowsTheSwitchAndEveryClickSetsIt)
{
    const bool initial = GetParam();
    UsbPluginAudioProcessor::s_enableAutoUpdate = initial;
    SystemMenuPanel panel;
    auto& toggle = *panel.autoUpdateToggle;
    EXPECT_EQ (toggle.getToggleState(), initial);

    ASSERT_TRUE (clickAndWait (toggle, [&] { return UsbPluginAudioProcessor::s_enableAutoUpdate != initial; }));
    EXPECT_EQ (toggle.getToggleState(), ! initial);

    ASSERT_TRUE (clickAndWait (toggle, [&] { return UsbPluginAudioProcessor::s_enableAutoUpdate == initial; }));
    EXPECT_EQ (toggle.getToggleState(), initial);
}

INSTANTIATE_TEST_SUITE_P (SystemTabInitialSwitch, SystemTabAutoUpdateToggle, ::testing::Bool(),
                          [] (const auto& testInfo) { return testInfo.param ? std::string ("On") : std::string ("Off"); });

//==============================================================================
class SystemTabUpdateCheck : public UpdateCheckFixture
{
protected:
    void SetUp() override
    {
        UpdateCheckFixture::SetUp();
        {
            const juce::ScopedLock sl (UpdateThread::m_stringLock);
            UpdateThread::getInstance()->m_statusText = {};
        }
        UpdateThread::m_hasAlreadyChecked = false;
    }

    static bool checkRunning() { return UpdateThread::getInstance()->isThreadRunning(); }
};

TEST_F (SystemTabUpdateCheck, ButtonStartsOneCheckAtATimeAndTheLabelShowsEachResult)
{
    server.respondWith (200, versionsDocument ("1.6.0"));
    SystemMenuPanel panel;
    EXPECT_EQ (UpdateThread::getInstance()->m_listener, &panel);
    EXPECT_TRUE (panel.statusLabel->getText().isEmpty());

    // The second press arrives while the first check still runs.
    panel.updateCheckButton->triggerClick();
    panel.updateCheckButton->triggerClick();
    ASSERT_TRUE (pumpMessagesUntil ([&] { return panel.statusLabel->getText().isNotEmpty(); }, 10000));
    EXPECT_TRUE (UpdateThread::m_hasAlreadyChecked);
    ASSERT_TRUE (UpdateThread::getInstance()->waitForThreadToExit (5000));
    pumpMessagesFor (20);
    EXPECT_EQ (server.getRequestCount(), 1);
    EXPECT_EQ (panel.statusLabel->getText(), statusText());
    EXPECT_TRUE (statusText().startsWith (juce::translate ("noNewVersionAvailable") + "\n")) << statusText();

    server.respondWith (404, "missing");
    ASSERT_TRUE (clickAndWait (*panel.updateCheckButton, [&] { return server.getRequestCount() == 2; }));
    ASSERT_TRUE (pumpMessagesUntil ([&] { return panel.statusLabel->getText().startsWith (juce::translate ("errorCheckingVersion")); },
                                    10000))
        << panel.statusLabel->getText();
    EXPECT_EQ (panel.statusLabel->getText(), statusText());
}

TEST_F (SystemTabUpdateCheck, PanelBuiltAfterACheckShowsThatCheckStatus)
{
    server.respondWith (200, versionsDocument ("1.6.0"));
    const auto status = runCheck();
    ASSERT_TRUE (status.isNotEmpty());

    SystemMenuPanel panel;
    EXPECT_EQ (panel.statusLabel->getText(), status);
}

TEST_F (SystemTabUpdateCheck, PanelDeletedDuringACheckLeavesNoListenerBehind)
{
    server.stallEveryRequest();
    auto panel = std::make_unique<SystemMenuPanel>();
    ASSERT_TRUE (clickAndWait (*panel->updateCheckButton, [] { return checkRunning(); }));

    panel.reset();
    EXPECT_EQ (UpdateThread::getInstance()->m_listener, nullptr);

    // The check's notification then finds nobody to tell.
    ASSERT_TRUE (UpdateThread::getInstance()->waitForThreadToExit (10000));
    pumpMessagesFor (50);
    EXPECT_EQ (UpdateThread::getInstance()->m_listener, nullptr);
}

TEST_F (SystemTabUpdateCheck, DeletingAnOlderPanelKeepsTheNewerPanelListening)
{
    auto older = std::make_unique<SystemMenuPanel>();
    SystemMenuPanel newer;
    older.reset();
    EXPECT_EQ (UpdateThread::getInstance()->m_listener, &newer);
}

//==============================================================================
using SystemTabInSettingsWindow = EditorFixture;

TEST_F (SystemTabInSettingsWindow, InfoPanelIsOpenUnderItsHeadAndListensForUpdateChecks)
{
    auto* tab = editor->usbMenu->systemTab;
    ASSERT_NE (tab, nullptr);
    auto* panel = tab->getInfoPanel();
    ASSERT_NE (panel, nullptr);

    EXPECT_TRUE (tab->heads[0]->isOpen);
    EXPECT_EQ (tab->heads[0]->untranslatedTooltip, juce::translate ("tt_info"));
    EXPECT_EQ (panel->openHeight, 396);
    EXPECT_EQ (panel->currentHeight, 396);
    EXPECT_GT (panel->getWidth(), 0);
    EXPECT_EQ (UpdateThread::getInstance()->m_listener, panel);
}
