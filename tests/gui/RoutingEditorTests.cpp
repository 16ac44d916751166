// The routing editor on the real input-side processor with virtual input devices: which rows it
// builds for each channel mode, what a user's choice does to the channel mapping and to the
// copy the input audio thread reads, and how rows follow device changes and destruction.

#include "MessagePump.h"
#include "VirtualDeviceRegistry.h"
#include "lookandfeel/PixelProbe.h"
#include "i18n/ScopedTranslations.h"
#include "settings/RecordingObserver.h"

#include "audio/RealtimeChannelMapping.h"
#include "i18n/TranslationTable.h"
#include "audio/StandaloneProcessor.h"
#include "gui/RoutingComponent.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

namespace
{
const juce::String speakersName ("Virtual Speakers");
const juce::String stereoName ("Stereo In");
const juce::String surroundName ("Surround In");
const juce::String monoName ("Mono In");
const juce::String octoName ("Octo In");
const juce::String quadName ("Quad In");

using Mapping = std::vector<int32_t>;

/** A table that translates every text the routing editor shows, so that a text left as it
    stands was not translated. */
const char* const testTranslations = R"(language: Test
"Input channel" = "Eingangskanal"
"Input Routing" = "Eingangs-Routing"
"tt_inputRouting" = "Eingang waehlen"
"M" = "Mi"
"Mono" = "Einkanal"
"L" = "Li"
"Left" = "Links"
"R" = "Re"
"Right" = "Rechts"
"LFE" = "Tief"
"Low Frequency Effects" = "Tieftoneffekte"
)";

class NotificationCounter : public juce::ChangeListener
{
public:
    void changeListenerCallback (juce::ChangeBroadcaster*) override { ++count; }
    int count = 0;
};

std::vector<InputChannelRow*> rowsOf (RoutingComponent& routing)
{
    std::vector<InputChannelRow*> rows;

    for (auto* child : routing.getChildren())
        if (auto* row = dynamic_cast<InputChannelRow*> (child))
            rows.push_back (row);

    return rows;
}

int rowObserversOf (const IntListAttribute& mapping)
{
    return (int) std::count_if (mapping.observers.begin(), mapping.observers.end(), [] (const auto& entry)
    {
        return dynamic_cast<InputChannelRow*> (entry.get()) != nullptr;
    });
}

std::vector<juce::String> itemsOf (const juce::ComboBox& box)
{
    std::vector<juce::String> items;

    for (int i = 0; i < box.getNumItems(); ++i)
        items.push_back (box.getItemText (i));

    return items;
}

bool isPermutationOfFirst (const Mapping& mapping, int n)
{
    Mapping first (mapping.begin(), mapping.begin() + n);
    std::sort (first.begin(), first.end());
    Mapping expected ((size_t) n);
    std::iota (expected.begin(), expected.end(), 0);
    return first == expected;
}

//==============================================================================
class RoutingEditor : public ::testing::Test
{
protected:
    RoutingEditor()
    {
        // The input manager asks for one output; it must not take an input's. The stereo
        // input is listed first, so the processor opens it at start.
        registry.addDevice (VirtualDeviceDescription::output (speakersName, 2));
        registry.addDevice (VirtualDeviceDescription::input (stereoName, { "Front Mic", "Rear Mic (XLR)" }));
        registry.addDevice (VirtualDeviceDescription::input (surroundName, 6));
        registry.addDevice (VirtualDeviceDescription::input (monoName, 1));
        registry.addDevice (VirtualDeviceDescription::input (octoName, 8));
        registry.addDevice (VirtualDeviceDescription::input (quadName, { "A", "", "C", "D" }));
    }

    void SetUp() override
    {
        processor = std::make_unique<StandaloneProcessor> (registry.makeFactory());
        processor->inputDeviceManager.addChangeListener (&notifications);

        // The meter side is not under test: its thread and its re-probe stay off.
        processor->delayedThreadStarter.stopTimer();
        processor->stopTimer();

        waitForNotification();   // the stereo input the constructor opened
        juce::LocalisedStrings::setCurrentMappings (new juce::LocalisedStrings (testTranslations, false));
    }

    void TearDown() override
    {
        routing.reset();

        if (processor != nullptr)
            processor->inputDeviceManager.removeChangeListener (&notifications);

        processor.reset();
    }

    /** Chooses an input device and which of its channels are active, as the settings window
        does, and lets the processor hear of it. */
    void chooseInput (const juce::String& name, const std::vector<int>& channels)
    {
        auto setup = processor->inputDeviceManager.getAudioDeviceSetup();
        setup.inputDeviceName = name;
        setup.inputChannels.clear();

        for (auto channel : channels)
            setup.inputChannels.setBit (channel);

        setup.useDefaultInputChannels = false;
        ASSERT_EQ (processor->inputDeviceManager.setAudioDeviceSetup (setup, true), "");
        waitForNotification();
    }

    void waitForNotification()
    {
        const int seen = notifications.count;
        ASSERT_TRUE (pumpMessagesUntil ([&] { return notifications.count > seen; }, 5000));
    }

    void buildRouting()
    {
        routing = std::make_unique<RoutingComponent> (processor.get(), &processor->channelMapping);
    }

    /** The user picks item `itemIndex` of a row's list. The list itself stays quiet when its
        selected item is picked again, so the row then hears of the choice as it does after
        every fill. */
    void choose (size_t row, int itemIndex)
    {
        auto* target = rowsOf (*routing).at (row);

        if (target->comboBox->getSelectedItemIndex() == itemIndex)
            target->comboBoxChanged (target->comboBox);
        else
            target->comboBox->setSelectedItemIndex (itemIndex, juce::sendNotificationSync);
    }

    Mapping mapping() const { return { processor->channelMapping.begin(), processor->channelMapping.end() }; }

    Mapping realtimeMapping() const
    {
        Mapping entries;

        for (int i = 0; i < RealtimeChannelMapping::numEntries; ++i)
            entries.push_back (processor->realtimeMapping.load (i));

        return entries;
    }

    ScopedTranslations translations;   // the processor and the tests install tables
    VirtualDeviceRegistry registry;
    NotificationCounter notifications;
    std::unique_ptr<StandaloneProcessor> processor;
    std::unique_ptr<RoutingComponent> routing;
};

} // namespace

//==============================================================================
namespace
{
struct ExpectedRow
{
    int logicalChannel;
    juce::String label, description;
};

struct RowsCase
{
    const char* name;
    juce::String device;
    std::vector<int> activeChannels;
    std::vector<ExpectedRow> rows;
    std::vector<juce::String> items;
};

void PrintTo (const RowsCase& value, std::ostream* os) { *os << value.name; }

class RoutingEditorRows : public RoutingEditor,
                          public ::testing::WithParamInterface<RowsCase>
{
};

} // namespace

TEST_P (RoutingEditorRows, ShowUntranslatedLabelsAndTheActiveInputsOfTheMode)
{
    const auto& expected = GetParam();
    chooseInput (expected.device, expected.activeChannels);
    buildRouting();

    const auto rows = rowsOf (*routing);
    ASSERT_EQ (rows.size(), expected.rows.size());
    ASSERT_EQ (routing->getNumChildComponents(), (int) rows.size() + 1);
    EXPECT_EQ (routing->getChildComponent ((int) rows.size()), routing->headingLabel) << "the heading is the last child";
    EXPECT_EQ (routing->headingLabel->getName(), "InputRoutingLabel");
    EXPECT_EQ (routing->headingLabel->getText(), "Input Routing");

    for (size_t i = 0; i < rows.size(); ++i)
    {
        SCOPED_TRACE ("row " + std::to_string (i));
        const auto& row = *rows[i];
        const auto& want = expected.rows[i];

        EXPECT_EQ (row.rowIndex, i);
        EXPECT_EQ (row.rowHeight, 30);
        EXPECT_EQ (row.label->getName(), want.label);
        EXPECT_EQ (row.label->getText(), want.label);
        EXPECT_EQ (row.label->getTooltip(), want.description);
        EXPECT_EQ (row.comboBox->getName(), "InputChannelComboBox" + juce::String (want.logicalChannel));
        EXPECT_EQ (itemsOf (*row.comboBox), expected.items);
        EXPECT_EQ (row.numInputChannels, (size_t) expected.items.size());
        EXPECT_EQ (row.comboBox->getSelectedId(), (int) i + 1) << "the identity mapping of a fresh device";
    }
}

INSTANTIATE_TEST_SUITE_P (RoutingEditor, RoutingEditorRows,
    ::testing::Values (
        RowsCase { "Mono", monoName, { 0 }, { { 11, "M", "Mono" } }, { "Eingangskanal 1 (Input 1)" } },
        RowsCase { "StereoNamesAsTheDeviceReportsThem", stereoName, { 0, 1 },
                   { { 0, "L", "Left" }, { 1, "R", "Right" } },
                   { "Eingangskanal 1 (Front Mic)", "Eingangskanal 2 (Rear Mic (XLR))" } },
        RowsCase { "StereoFromScatteredChannelsOneUnnamed", quadName, { 1, 3 },
                   { { 0, "L", "Left" }, { 1, "R", "Right" } },
                   { "Eingangskanal 1 ()", "Eingangskanal 2 (D)" } },
        RowsCase { "FivePointOne", surroundName, { 0, 1, 2, 3, 4, 5 },
                   { { 0, "L", "Left" }, { 1, "R", "Right" }, { 2, "C", "Centre" },
                     { 4, "LFE", "Low Frequency Effects" }, { 5, "LS", "Left Surround" }, { 6, "RS", "Right Surround" } },
                   { "Eingangskanal 1 (Input 1)", "Eingangskanal 2 (Input 2)", "Eingangskanal 3 (Input 3)",
                     "Eingangskanal 4 (Input 4)", "Eingangskanal 5 (Input 5)", "Eingangskanal 6 (Input 6)" } },
        RowsCase { "UnsupportedCountHasOnlyTheHeading", octoName, { 0, 1, 2, 3, 4, 5, 6, 7 }, {}, {} }),
    [] (const auto& testCase) { return std::string (testCase.param.name); });

//==============================================================================
TEST_F (RoutingEditor, LaysOutHeadingAndRowsAndReportsItsHeight)
{
    struct Layout { juce::String device; std::vector<int> channels; int numRows; };

    for (const auto& layout : { Layout { octoName, { 0, 1, 2, 3, 4, 5, 6, 7 }, 0 },
                                Layout { stereoName, { 0, 1 }, 2 },
                                Layout { surroundName, { 0, 1, 2, 3, 4, 5 }, 6 } })
    {
        SCOPED_TRACE (layout.device.toStdString());
        chooseInput (layout.device, layout.channels);
        routing.reset();
        buildRouting();

        EXPECT_EQ (routing->resize (12, 300), 60 + 30 * layout.numRows);
        EXPECT_EQ (routing->getBounds(), juce::Rectangle<int> (0, 12, 300, 58 + 30 * layout.numRows));
        EXPECT_EQ (routing->headingLabel->getBounds(), juce::Rectangle<int> (8, 0, 180, 36));

        const auto rows = rowsOf (*routing);
        for (size_t i = 0; i < rows.size(); ++i)
        {
            EXPECT_EQ (rows[i]->getBounds(), juce::Rectangle<int> (0, 36 + 30 * (int) i, 300, 30));
            EXPECT_EQ (rows[i]->label->getBounds(), juce::Rectangle<int> (22, 0, 160, 30));
            EXPECT_EQ (rows[i]->comboBox->getBounds(), juce::Rectangle<int> (180, 0, 108, 30));
        }
    }
}

TEST_F (RoutingEditor, PaintsWhiteLabelsAndTheInputLists)
{
    buildRouting();
    routing->resize (0, 300);
    const auto image = routing->createComponentSnapshot (routing->getLocalBounds(), true, 1.0f);

    EXPECT_GT (brightestChannel (image, { 8, 0, 180, 36 }), 200) << "heading";
    EXPECT_GT (brightestChannel (image, { 22, 36, 158, 30 }), 200) << "label of the first row";
    EXPECT_GT (brightestChannel (image, { 22, 66, 158, 30 }), 200) << "label of the second row";
    EXPECT_EQ (strongestAlpha (image, { 0, 36, 20, 60 }), 0) << "nothing left of the labels";
    EXPECT_EQ (strongestAlpha (image, { 180, 50, 108, 2 }), 255) << "the first row's list is drawn";
    EXPECT_GT (brightestChannel (image, { 180, 36, 108, 30 }), 150) << "the list shows its selected input";
}

//==============================================================================
namespace
{
struct Choice
{
    size_t row;
    int item;
};

struct SwapCase
{
    const char* name;
    juce::String device;
    std::vector<int> activeChannels;
    Choice choice;
    Mapping expected;
};

void PrintTo (const SwapCase& value, std::ostream* os) { *os << value.name; }

class RoutingEditorSwap : public RoutingEditor,
                          public ::testing::WithParamInterface<SwapCase>
{
};

} // namespace

TEST_P (RoutingEditorSwap, ChoiceSwapsTwoEntriesEverywhereAndTellsObserversOnce)
{
    const auto& swap = GetParam();
    chooseInput (swap.device, swap.activeChannels);
    buildRouting();

    RecordingObserver observer;
    processor->channelMapping.addAttributeObserver (&observer);

    choose (swap.choice.row, swap.choice.item);

    EXPECT_EQ (mapping(), swap.expected);
    EXPECT_EQ (realtimeMapping(), swap.expected) << "the input audio thread's copy follows";
    ASSERT_EQ (observer.events.size(), 1u);
    EXPECT_EQ (observer.events[0].changedAttribute, &processor->channelMapping);

    const auto rows = rowsOf (*routing);
    for (size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ (rows[i]->comboBox->getSelectedId(), swap.expected[i] + 1) << "row " << i << " shows the new state";
}

INSTANTIATE_TEST_SUITE_P (RoutingEditor, RoutingEditorSwap,
    ::testing::Values (
        SwapCase { "StereoRowsExchangeInputs", stereoName, { 0, 1 }, { 0, 1 }, { 1, 0, 2, 3, 4, 5 } },
        SwapCase { "SurroundLfeTakesTheFirstInput", surroundName, { 0, 1, 2, 3, 4, 5 }, { 3, 0 }, { 3, 1, 2, 0, 4, 5 } },
        SwapCase { "TheCurrentInputAgainChangesNothing", stereoName, { 0, 1 }, { 1, 1 }, { 0, 1, 2, 3, 4, 5 } }),
    [] (const auto& testCase) { return std::string (testCase.param.name); });

TEST_F (RoutingEditor, ASequenceOfChoicesKeepsAPermutationInBothCopies)
{
    chooseInput (surroundName, { 0, 1, 2, 3, 4, 5 });
    buildRouting();

    for (const auto& choice : { Choice { 0, 5 }, Choice { 5, 2 }, Choice { 2, 2 }, Choice { 3, 0 }, Choice { 1, 4 }, Choice { 4, 3 } })
    {
        choose (choice.row, choice.item);
        SCOPED_TRACE ("after row " + std::to_string (choice.row) + " took input " + std::to_string (choice.item));
        EXPECT_EQ (mapping()[choice.row], choice.item);
        EXPECT_TRUE (isPermutationOfFirst (mapping(), 6));
        EXPECT_EQ (realtimeMapping(), mapping());
    }
}

TEST_F (RoutingEditor, EachFillLaterTellsTheObserversOnceWithoutChangingTheMapping)
{
    chooseInput (surroundName, { 0, 1, 2, 3, 4, 5 });
    processor->setChannelMappingEntry (0, 1, 6);
    processor->setChannelMappingEntry (1, 0, 6);

    RecordingObserver observer;
    processor->channelMapping.addAttributeObserver (&observer);
    buildRouting();

    ASSERT_TRUE (pumpMessagesUntil ([&] { return observer.events.size() >= 6; }, 5000));
    pumpMessagesFor (50);
    EXPECT_EQ (observer.events.size(), 6u) << "one notification per row";
    EXPECT_EQ (mapping(), (Mapping { 1, 0, 2, 3, 4, 5 }));
    EXPECT_EQ (rowsOf (*routing)[0]->comboBox->getSelectedId(), 2);
}

TEST_F (RoutingEditor, AnEntryWithoutAnItemShowsNoSelectionAndAChoiceLeavesOnlyValidEntries)
{
    // An entry left from a six-input device that the stereo list has no item for.
    processor->setChannelMappingEntry (1, 4, 6);
    buildRouting();

    const auto rows = rowsOf (*routing);
    ASSERT_EQ (rows.size(), 2u);
    EXPECT_EQ (rows[1]->comboBox->getSelectedId(), 0);
    EXPECT_EQ (rows[1]->comboBox->getSelectedItemIndex(), -1);

    choose (1, 0);

    EXPECT_EQ (mapping(), (Mapping { 1, 0, 2, 3, 4, 5 })) << "the first row cannot take input 5 of a stereo device";
    EXPECT_EQ (realtimeMapping(), mapping());
    EXPECT_EQ (rows[0]->comboBox->getSelectedId(), 2);
    EXPECT_EQ (rows[1]->comboBox->getSelectedId(), 1);
}

// JACK restarts a device with the ports connected so far (audioDeviceAboutToStart counts them)
// before the notification that rebuilds the rows: a choice in the stereo rows then meets one
// active input.
TEST_F (RoutingEditor, AChoiceAfterTheInputLostAChannelStillNamesEachInputOnce)
{
    processor->setChannelMappingEntry (0, 1, 2);
    processor->setChannelMappingEntry (1, 0, 2);
    buildRouting();
    ASSERT_EQ (rowsOf (*routing).size(), 2u);
    processor->numActiveInputs = 1;

    choose (0, 0);
    EXPECT_EQ (mapping(), (Mapping { 0, 1, 2, 3, 4, 5 }));
    EXPECT_EQ (realtimeMapping(), mapping());

    choose (1, 0);
    choose (0, 1);
    EXPECT_EQ (mapping(), (Mapping { 0, 1, 2, 3, 4, 5 })) << "no row may take an input beyond the one active";
}

//==============================================================================
TEST_F (RoutingEditor, RebuildFollowsADeviceChangeFromTwoToSixInputs)
{
    buildRouting();
    ASSERT_EQ (rowsOf (*routing).size(), 2u);
    EXPECT_EQ (rowObserversOf (processor->channelMapping), 2);

    chooseInput (surroundName, { 0, 1, 2, 3, 4, 5 });
    routing->initialize();

    const auto rows = rowsOf (*routing);
    ASSERT_EQ (rows.size(), 6u);
    EXPECT_EQ (rowObserversOf (processor->channelMapping), 6) << "only the rows shown observe the mapping";
    EXPECT_EQ (routing->getChildComponent (6), routing->headingLabel);

    for (size_t i = 0; i < rows.size(); ++i)
    {
        EXPECT_EQ (rows[i]->comboBox->getNumItems(), 6);
        EXPECT_EQ (rows[i]->comboBox->getItemText (5), "Eingangskanal 6 (Input 6)");
        EXPECT_EQ (rows[i]->comboBox->getSelectedId(), (int) i + 1);
    }

    choose (5, 0);
    EXPECT_EQ (mapping(), (Mapping { 5, 1, 2, 3, 4, 0 }));
}

TEST_F (RoutingEditor, DestroyedRowsLeaveTheMappingsObservers)
{
    const auto observersBefore = processor->channelMapping.observers.size();
    chooseInput (surroundName, { 0, 1, 2, 3, 4, 5 });
    buildRouting();
    ASSERT_EQ (rowObserversOf (processor->channelMapping), 6);

    routing.reset();

    EXPECT_EQ (processor->channelMapping.observers.size(), observersBefore);
    processor->channelMapping.notifyObservers();
}

TEST_F (RoutingEditor, RowsOutlivingTheMappingLeaveItAlone)
{
    buildRouting();
    const auto rows = rowsOf (*routing);

    processor->inputDeviceManager.removeChangeListener (&notifications);
    processor.reset();

    for (auto* row : rows)
    {
        EXPECT_EQ (row->mapping, nullptr);
        EXPECT_EQ (row->processor, nullptr);
    }

    choose (0, 1);   // a choice with nothing left to edit does nothing
    routing.reset();
}

//==============================================================================
namespace
{
class TranslatableRoutingEditor : public RoutingEditor
{
};

} // namespace

TEST_F (TranslatableRoutingEditor, APassRetranslatesTooltipsAndItemsButNeverLabelsOrHeading)
{
    buildRouting();
    auto rows = rowsOf (*routing);
    ASSERT_EQ (rows.size(), 2u);

    routing->setTranslatableTooltip ("Input Routing");
    rows[0]->setTranslatableTooltip ("tt_inputRouting");
    EXPECT_EQ (routing->getTooltip(), "Eingangs-Routing");
    EXPECT_EQ (routing->untranslatedTooltip, "Input Routing");
    EXPECT_EQ (rows[0]->getTooltip(), "Eingang waehlen");
    EXPECT_EQ (rows[0]->untranslatedTooltip, "tt_inputRouting");
    pumpMessagesFor (20);   // the build's own refills

    juce::LocalisedStrings::setCurrentMappings (new juce::LocalisedStrings (R"(language: Other
"Input channel" = "Kanal"
"Input Routing" = "Routing"
"tt_inputRouting" = "Eingang"
"L" = "Links"
)", false));

    RecordingObserver observer;
    processor->channelMapping.addAttributeObserver (&observer);
    routing->updateTranslation();

    EXPECT_EQ (routing->getTooltip(), "Routing");
    EXPECT_EQ (routing->headingLabel->getText(), "Input Routing");

    for (auto* row : rows)
    {
        EXPECT_EQ (row->comboBox->getTooltip(), "Eingang");
        EXPECT_EQ (row->comboBox->getItemText (1), "Kanal 2 (Rear Mic (XLR))");
    }

    EXPECT_EQ (rows[0]->label->getText(), "L");
    EXPECT_EQ (rows[0]->getTooltip(), "Eingang waehlen") << "a row keeps its own tooltip";

    // Each refill selects the row's entry again, which later tells the observers once per row.
    ASSERT_TRUE (pumpMessagesUntil ([&] { return observer.events.size() >= 2; }, 5000));
    EXPECT_EQ (mapping(), (Mapping { 0, 1, 2, 3, 4, 5 }));
}

TEST_F (TranslatableRoutingEditor, WithTheGermanTableItemsAndLabelsStayAsTheyAre)
{
    TranslationTable::installForLanguage ("de-DE");
    chooseInput (surroundName, { 0, 1, 2, 3, 4, 5 });
    buildRouting();

    const auto rows = rowsOf (*routing);
    ASSERT_EQ (rows.size(), 6u);
    EXPECT_EQ (rows[2]->label->getText(), "C");
    EXPECT_EQ (rows[2]->label->getTooltip(), "Centre");
    EXPECT_EQ (rows[2]->comboBox->getItemText (0), "Input channel 1 (Input 1)");
    EXPECT_EQ (routing->headingLabel->getText(), "Input Routing");
}
