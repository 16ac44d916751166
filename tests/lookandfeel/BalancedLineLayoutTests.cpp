#include "FixedAdvanceTypeface.h"

#include <lookandfeel/BalancedLineLayout.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace
{
constexpr float maxWidth = 400.0f;

juce::AttributedString wordWrapped (const juce::String& text, const juce::Font& font)
{
    juce::AttributedString s;
    s.setJustification (juce::Justification::centredLeft);
    s.setWordWrap (juce::AttributedString::byWord);
    s.append (text, font, juce::Colours::black);
    return s;
}

std::vector<float> lineLengths (const juce::TextLayout& layout)
{
    std::vector<float> lengths;
    for (int i = 0; i < layout.getNumLines(); ++i)
        lengths.push_back (layout.getLine (i).getLineBoundsX().getLength());
    return lengths;
}

// Shorter over longer of the last two lines.
float balanceOf (const juce::TextLayout& layout)
{
    const auto lengths = lineLengths (layout);
    const auto a = lengths[lengths.size() - 1], b = lengths[lengths.size() - 2];
    return juce::jmin (a, b) / juce::jmax (a, b);
}

struct LayoutCase
{
    const char* name;
    const char* text;
    std::vector<float> lines; ///< expected line lengths, worked out by hand
};
} // namespace

// Every character is 10 px wide, so a line of n characters is 10 n px long and the widths tried
// (400 px down to 200 px in steps of 10) hold 40 down to 20 characters.
TEST (BalancedLineLayout, KeepsTheWidestBalancedWidthElseTheClosest)
{
    const juce::Font font = juce::Font (makeFixedAdvanceTypeface (1.0f)).withHeight (10.0f);

    const LayoutCase cases[] = {
        // Fits on one line at 400: laid out there, as wide as itself.
        { "oneLine", "abcd efgh ijkl", { 140.0f } },
        // Words of 4 7 9 3 2 9 6. At 400 (and down to 390) the last word is alone: 39 and 6
        // characters; 380-290: 29 and 16; 280-260: 26 and 19; at 250 the first width within 10 %:
        // 22 and 23. Narrower, 210 would even be exact (12, 16, 16), but the search has stopped.
        { "firstBalancedWidth", "abcd efghijk lmnopqrst uvw xy zabcdefgh ijklmn", { 220.0f, 230.0f } },
        // Words of 4 2 6 8 8 3 2 2. 400-390: 39 and 2; 380-360: 36 and 5; 350-320: 32 and 8;
        // 310-230: 23 and 18, the closest (0.78); 220-210: 14, 21 and 5; 200: 14, 17 and 8. No
        // width is within 10 %: the first of the closest is kept.
        { "closestWidth", "abcd ef ghijkl mnopqrst uvwxyzab cde fg hi", { 230.0f, 180.0f } },
    };

    for (const auto& c : cases)
    {
        const auto layout = BalancedLineLayout::create (wordWrapped (c.text, font), maxWidth);
        EXPECT_EQ (lineLengths (layout), c.lines) << c.name;
        EXPECT_EQ (layout.getWidth(), *std::max_element (c.lines.begin(), c.lines.end())) << c.name;
    }
}

// The program's tooltip texts in both languages, and one made to wrap badly at every width, in
// the machine's own font.
TEST (BalancedLineLayout, TooltipTextsGetLinesOfAtMost400PixelsNoWorseBalancedThanFilledOnes)
{
    const char* const texts[] = {
        "In this menu section you can configure the input device source.",
        "In diesem Menü-Bereich erfolgt die Konfiguration des Eingangs-Gerätes.",
        "In this menu section you will get information on the plug-in model, software version, and others. "
        "You also have the possibility to proceed a software update.",
        "In diesem Menü-Bereich erhalten Sie Informationen zum PlugIn-Modell, zur Software-Version u. a. "
        "Sie haben zudem die Möglichkeit, ein Software-Update durchzuführen.",
        "This drop down menu is used to select the sample rate. The sample rate coming from the system is "
        "displayed as default.",
        "Mit dieser Schaltfläche wird das Audio-Interface zurückgesetzt.\nDas ist manchmal nötig, nachdem "
        "Eigenschaften eines Gerätes in seinem eigenen Bedienfeld geändert wurden.",
        "Kanal-Konfiguration-oder-Samplerate-wird-nicht-unterstützt ab",
    };

    for (const auto* utf8 : texts)
    {
        const auto s = wordWrapped (juce::String::fromUTF8 (utf8), juce::Font (15.5f));
        const auto layout = BalancedLineLayout::create (s, maxWidth);

        juce::TextLayout filled;
        filled.createLayout (s, maxWidth);

        ASSERT_GE (layout.getNumLines(), 2) << utf8;
        for (const auto length : lineLengths (layout))
            EXPECT_LE (length, maxWidth) << utf8;

        EXPECT_GE (balanceOf (layout), balanceOf (filled)) << utf8;
    }
}
