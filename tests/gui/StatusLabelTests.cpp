// The System tab's status label: every outcome of an update check shows whole, in both languages,
// in the label's 48 pixels.

#include "lookandfeel/PixelProbe.h"
#include "lookandfeel/ScopedDefaultLookAndFeel.h"
#include "i18n/ScopedTranslations.h"

#include "i18n/TranslationTable.h"
#include "gui/StatusLabel.h"
#include "gui/SystemMenuPanel.h"
#include "lookandfeel/KestroLookAndFeel.h"

#include <gtest/gtest.h>

TEST (SystemTabStatusLabel, EveryOutcomeInBothLanguagesFitsWholeIntoTheLabel)
{
    ScopedTranslations savedTranslations;
    KestroLookAndFeel theme;
    ScopedDefaultLookAndFeel scopedTheme (theme);

    const char* const outcomes[] = { "errorCheckingVersion", "noNewVersionAvailable", "newVersionAvailableTitle", "Checking for updates..." };

    for (const auto* language : { "en-GB", "de-DE" })
    {
        TranslationTable::installForLanguage (language);

        // As wide as the settings window makes the panel.
        SystemMenuPanel panel;
        panel.setSize (354, 400);
        auto& label = *panel.statusLabel;
        ASSERT_EQ (label.getHeight(), 48);

        for (const auto* outcome : outcomes)
        {
            // The longest time text there is: a two-digit day, hour, minute and second.
            auto status = juce::translate (outcome);
            if (juce::String (outcome) != "Checking for updates...")
                status << "\n" << juce::translate ("lastCheck") << "Dec 31 2026 / 23:59:59";

            label.setText (status, juce::dontSendNotification);
            SCOPED_TRACE (status.toStdString());

            // Painted without the clip its parent gives it, text below the label's bottom edge
            // would show below it here.
            const juce::Colour background (0xff202020);
            juce::Image image (juce::Image::ARGB, label.getWidth(), label.getHeight() * 3, true);
            {
                juce::Graphics g (image);
                g.fillAll (background);
                static_cast<juce::Component&> (label).paint (g);
            }

            const auto ink = inkBounds (image, image.getBounds(), background);
            ASSERT_FALSE (ink.isEmpty());
            EXPECT_TRUE (label.getLocalBounds().contains (ink)) << "ink " << ink.toString() << " outside the label";

            // ... and what is drawn is every word of the text, the last line's included.
            const auto area = label.getBorderSize().subtractedFrom (label.getLocalBounds());
            const auto layout = StatusLabel::fitText (status, theme.getLabelFont (label), area.getWidth(), area.getHeight());
            EXPECT_TRUE (layout.fits);
            EXPECT_EQ (layout.rows.joinIntoString (" "), status.replace ("\n", " "));
            EXPECT_LE ((float) layout.rows.size() * layout.font.getHeight(), (float) area.getHeight());
            EXPECT_GE (layout.font.getHorizontalScale(), StatusLabel::minimumHorizontalScale - 0.001f);

            for (const auto& row : layout.rows)
                EXPECT_LE (layout.font.getStringWidthFloat (row), (float) area.getWidth()) << row;

            // The label's own font and scale are given up only where they cannot hold the text.
            const auto labelFont = theme.getLabelFont (label);
            if (layout.font.getHeight() < labelFont.getHeight())
            {
                const auto oneStepLarger = labelFont.withHeight (layout.font.getHeight() + 0.5f);
                EXPECT_FLOAT_EQ (StatusLabel::fitText (status, oneStepLarger, area.getWidth(), area.getHeight()).font.getHeight(),
                                 layout.font.getHeight());
            }
        }
    }
}

TEST (SystemTabStatusLabel, ShortTextsKeepTheLabelsFontAndLongLinesSqueezeBeforeTheyShrink)
{
    const juce::Font font (15.0f);

    const auto shortText = StatusLabel::fitText ("No new version.\nLast check", font, 300, 46);
    EXPECT_EQ (shortText.rows, juce::StringArray ({ "No new version.", "Last check" }));
    EXPECT_FLOAT_EQ (shortText.font.getHeight(), 15.0f);
    EXPECT_FLOAT_EQ (shortText.font.getHorizontalScale(), 1.0f);

    // Slightly too wide for one row: squeezed, not wrapped onto a second one.
    const juce::String line ("There was an error checking");
    const auto width = (int) std::ceil (font.getStringWidthFloat (line) * 0.9f);
    const auto squeezed = StatusLabel::fitText (line, font, width, 15);
    EXPECT_TRUE (squeezed.fits);
    EXPECT_EQ (squeezed.rows, juce::StringArray (line));
    EXPECT_FLOAT_EQ (squeezed.font.getHeight(), 15.0f);
    EXPECT_LT (squeezed.font.getHorizontalScale(), 1.0f);

    // Far too much for the area even at the smallest size: reported, not silently cut.
    EXPECT_FALSE (StatusLabel::fitText (juce::String::repeatedString ("word ", 200), font, 150, 46).fits);
}
