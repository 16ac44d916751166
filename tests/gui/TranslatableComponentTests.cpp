// The translatable component base: the raw tooltip kept beside the translated one, and which
// components a translation pass reaches.

#include "i18n/ScopedTranslations.h"

#include "i18n/TranslationTable.h"
#include "gui/TranslatableComponent.h"

#include <gtest/gtest.h>

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
