// The translatable component base: the raw tooltip kept beside the translated one, and which
// components a translation pass reaches; the System tab's caption-and-value rows.

#include "i18n/ScopedTranslations.h"

#include "i18n/TranslationTable.h"
#include "gui/LabeledMenuComponent.h"
#include "gui/SystemMenuPanel.h"
#include "gui/SystemMenuTab.h"
#include "gui/TranslatableComponent.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{
class TranslatablePanel : public juce::Component,
                          public juce::SettableTooltipClient,
                          public TranslatableComponent<TranslatablePanel*>
{
public:
    TranslatablePanel() { owner = this; }
};

const juce::String germanBusy (juce::CharPointer_UTF8 ("Verbinde Ger\xc3\xa4t ..."));
const juce::String englishBusy ("Busy connecting device ...");
} // namespace

TEST (Translatable, KeepsTheRawTooltipBesideTheTranslationInBothLanguages)
{
    ScopedTranslations translations;
    TranslatablePanel panel;
    EXPECT_EQ (panel.untranslatedTooltip, "");

    TranslationTable::installForLanguage ("de-DE");
    panel.setTranslatableTooltip ("tt_deviceBusy");
    EXPECT_EQ (panel.getTooltip(), germanBusy);
    EXPECT_EQ (panel.untranslatedTooltip, "tt_deviceBusy");

    TranslationTable::installForLanguage ("en-US");
    panel.updateTranslation();
    EXPECT_EQ (panel.getTooltip(), englishBusy);
    EXPECT_EQ (panel.untranslatedTooltip, "tt_deviceBusy");

    TranslationTable::installForLanguage ("de-DE");
    panel.updateTranslation();
    EXPECT_EQ (panel.getTooltip(), germanBusy);

    panel.setTranslatableTooltip ("Not a key of the table");
    EXPECT_EQ (panel.getTooltip(), "Not a key of the table");
}

TEST (Translatable, APassReachesOnlyTheDirectTranslatableChildren)
{
    ScopedTranslations translations;
    TranslationTable::installForLanguage ("de-DE");

    TranslatablePanel panel, child, grandchild;
    juce::Component plain;
    panel.addChildComponent (child);
    panel.addChildComponent (plain);
    plain.addChildComponent (grandchild);

    for (auto* translatable : { &panel, &child, &grandchild })
        translatable->setTranslatableTooltip ("tt_deviceBusy");

    TranslationTable::installForLanguage ("en-US");
    panel.updateTranslation();

    EXPECT_EQ (panel.getTooltip(), englishBusy);
    EXPECT_EQ (child.getTooltip(), englishBusy);
    EXPECT_EQ (grandchild.getTooltip(), germanBusy) << "below a plain component the pass does not reach";
}

TEST (TranslatableRows, APassOverTheSystemTabsRowsShowsTheirCaptionsInTheNewLanguage)
{
    ScopedTranslations translations;
    TranslationTable::installForLanguage ("de-DE");
    auto tab = std::make_unique<SystemMenuTab>();
    auto* panel = tab->getInfoPanel();
    ASSERT_NE (panel, nullptr);

    juce::String values[5];
    for (int i = 0; i < 5; ++i)
        values[i] = panel->infoRows[i]->labels[1]->getText();
    EXPECT_EQ (panel->infoRows[0]->labels[0]->getText(), "Software-Name");

    const char* englishCaptions[] = { "Software name", "Software version", "Product number", "Build date", "Software path" };
    TranslationTable::installForLanguage ("en-US");
    for (auto* row : panel->infoRows)
        row->updateTranslation();

    for (int i = 0; i < 5; ++i)
    {
        EXPECT_EQ (panel->infoRows[i]->labels[0]->getText(), englishCaptions[i]) << "row " << i;
        EXPECT_EQ (panel->infoRows[i]->labels[1]->getText(), values[i]) << "values are not keys";
    }

    TranslationTable::installForLanguage ("de-DE");
    panel->infoRows[3]->updateTranslation();
    EXPECT_EQ (panel->infoRows[3]->labels[0]->getText(), "Build-Datum");
}

TEST (TranslatableRows, ARowWithoutItsValueLabelTranslatesItsCaptionAndPassesTooltipsToItsChildren)
{
    ScopedTranslations translations;
    TranslationTable::installForLanguage ("de-DE");

    LabeledMenuComponent row ("Software name", "Check for update");
    std::unique_ptr<juce::Label> valueLabel (row.labels[1]);
    row.removeChildComponent (valueLabel.get());
    row.labels[1] = nullptr;

    TranslatablePanel child;
    row.addChildComponent (child);
    row.setTranslatableTooltip ("tt_deviceBusy");
    EXPECT_EQ (child.getTooltip(), germanBusy);
    EXPECT_EQ (row.getTooltip(), "") << "the row keeps no tooltip of its own";
    EXPECT_EQ (row.untranslatedTooltip, "");

    TranslationTable::installForLanguage ("en-US");
    row.updateTranslation();
    EXPECT_EQ (row.labels[0]->getText(), "Software name");
    EXPECT_EQ (child.getTooltip(), englishBusy) << "the pass goes on to the children";
    EXPECT_EQ (valueLabel->getText(), "Update suchen") << "a label no longer in the row is left alone";

    row.removeChildComponent (&child);
}
