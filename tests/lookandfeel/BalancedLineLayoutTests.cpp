#include <lookandfeel/BalancedLineLayout.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace
{
constexpr float maxWidth = 400.0f;

juce::AttributedString wordWrapped (const juce::String& text)
{
    juce::AttributedString s;
    s.setJustification (juce::Justification::centredLeft);
    s.setWordWrap (juce::AttributedString::byWord);
    s.append (text, juce::Font (15.5f), juce::Colours::black);
    return s;
}

float lineLength (const juce::TextLayout& layout, int line)
{
    return layout.getLine (line).getLineBoundsX().getLength();
}

// Shorter over longer of the last two lines.
float balanceOf (const juce::TextLayout& layout)
{
    const int n = layout.getNumLines();
    const auto a = lineLength (layout, n - 1), b = lineLength (layout, n - 2);
    return juce::jmin (a, b) / juce::jmax (a, b);
}

juce::TextLayout greedy (const juce::AttributedString& s, float width)
{
    juce::TextLayout layout;
    layout.createLayout (s, width);
    return layout;
}

// Tooltip texts of the program in both languages, and one made to wrap badly at every width.
const char* const longTexts[] = {
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
} // namespace

class BalancedLineLayoutOfLongText : public ::testing::TestWithParam<const char*>
{
};

// Of the widths from the maximum down to half of it in 10 px steps, the widest whose last two
// lines are within 10 % of each other; without one, the width whose last two lines are closest.
TEST_P (BalancedLineLayoutOfLongText, KeepsTheWidestBalancedWidthElseTheClosest)
{
    const auto s = wordWrapped (juce::String::fromUTF8 (GetParam()));
    const auto layout = BalancedLineLayout::create (s, maxWidth);

    ASSERT_GE (layout.getNumLines(), 2);

    for (int i = 0; i < layout.getNumLines(); ++i)
        EXPECT_LE (lineLength (layout, i), maxWidth) << "line " << i;

    std::vector<std::pair<float, juce::TextLayout>> candidates;
    for (float width = maxWidth; width >= maxWidth / 2.0f; width -= 10.0f)
        candidates.emplace_back (width, greedy (s, width));

    const auto firstBalanced = std::find_if (candidates.begin(), candidates.end(),
                                             [] (const auto& c) { return balanceOf (c.second) > 1.0f / 1.1f; });

    if (firstBalanced == candidates.end())
    {
        for (const auto& [width, candidate] : candidates)
            EXPECT_GE (balanceOf (layout), balanceOf (candidate)) << "the width " << width << " is closer";
        return;
    }

    const auto& expected = firstBalanced->second;
    ASSERT_EQ (layout.getNumLines(), expected.getNumLines()) << "the width " << firstBalanced->first;
    for (int i = 0; i < layout.getNumLines(); ++i)
        EXPECT_FLOAT_EQ (lineLength (layout, i), lineLength (expected, i)) << "line " << i;
}

INSTANTIATE_TEST_SUITE_P (TooltipTexts, BalancedLineLayoutOfLongText, ::testing::ValuesIn (longTexts));

TEST (BalancedLineLayout, OneLineTextKeepsItsOwnWidth)
{
    const auto s = wordWrapped ("Busy connecting device ...");
    const auto layout = BalancedLineLayout::create (s, maxWidth);

    ASSERT_EQ (layout.getNumLines(), 1);
    EXPECT_NEAR (layout.getWidth(), juce::Font (15.5f).getStringWidthFloat ("Busy connecting device ..."), 1.0f);
}
