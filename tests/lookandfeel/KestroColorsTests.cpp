#include <lookandfeel/KestroColors.h>

#include <gtest/gtest.h>

namespace
{
struct PaletteEntry
{
    const juce::Colour& colour;
    juce::uint32 argb;
    const char* name;
};
} // namespace

TEST (PaletteValues, ColoursTheProgramReads)
{
    const PaletteEntry entries[] = {
        { KestroColors::dark_grey, 0xff141414, "dark_grey" },
        { KestroColors::white, 0xffffffff, "white" },
        { KestroColors::black, 0xff000000, "black" },
        { KestroColors::kestro_dock_background, 0xff353535, "kestro_dock_background" },
        { KestroColors::gradient_blue_2_dark, 0xff007aff, "gradient_blue_2_dark" },
        { KestroColors::menuTabBackgroundNonactive, 0xff787878, "menuTabBackgroundNonactive" },
        { KestroColors::menuTabBackgroundActive, 0xff141414, "menuTabBackgroundActive" },
        { KestroColors::menuPanelBackgroundActive, 0xff303030, "menuPanelBackgroundActive" },
        { KestroColors::menuPanelBackgroundNonactive, 0xff212121, "menuPanelBackgroundNonactive" },
        { KestroColors::menuPanelHeadTextActive, 0xffffffff, "menuPanelHeadTextActive" },
        { KestroColors::menuPanelHeadTextNonactive, 0xffcccccc, "menuPanelHeadTextNonactive" },
        { KestroColors::instrument_background, 0xff303030, "instrument_background" },
    };

    for (const auto& e : entries)
        EXPECT_EQ (e.colour.getARGB(), e.argb) << e.name;
}

TEST (PaletteValues, CopiesEqualTheirSourcesAndComputedEntriesAreExact)
{
    EXPECT_EQ (KestroColors::menuTabBackgroundActive, KestroColors::dark_grey);
    EXPECT_EQ (KestroColors::menuPanelBackgroundActive, KestroColors::instrument_background);
    EXPECT_EQ (KestroColors::dark_green.getARGB(), 0xff43aa00u);
    EXPECT_EQ (KestroColors::dark_yellow.getARGB(), 0xffff7e00u);
}

TEST (PaletteValues, IdentifierColoursAreTheTenBasicHuesInOrder)
{
    const juce::uint32 expected[] = { 0xfff9223c, 0xff00ffff, 0xff64ff00, 0xffffda00, 0xff007aff,
                                      0xffae00ff, 0xffa6d5ff, 0xffc9ffa6, 0xffe0a6ff, 0xfffff0a6 };
    static_assert (KestroColors::numIdentifierColors == 10);

    for (int i = 0; i < KestroColors::numIdentifierColors; ++i)
        EXPECT_EQ (KestroColors::identifier_colors[i].getARGB(), expected[i]) << "entry " << i;
}

// In the cyan, yellow, blue, purple and grey families the light end of one step is the dark end
// of the next; green and red have steps of their own.
TEST (PaletteValues, GradientFamiliesChainTheirSteps)
{
    struct Family
    {
        const char* name;
        const juce::Colour *d1, *l1, *d2, *l2, *d3, *l3;
        juce::uint32 firstDark, lastLight;
    };

    const Family chained[] = {
        { "cyan", &KestroColors::gradient_cyan_1_dark, &KestroColors::gradient_cyan_1_light, &KestroColors::gradient_cyan_2_dark,
          &KestroColors::gradient_cyan_2_light, &KestroColors::gradient_cyan_3_dark, &KestroColors::gradient_cyan_3_light, 0xff005957, 0xffd2fffe },
        { "yellow", &KestroColors::gradient_yellow_1_dark, &KestroColors::gradient_yellow_1_light, &KestroColors::gradient_yellow_2_dark,
          &KestroColors::gradient_yellow_2_light, &KestroColors::gradient_yellow_3_dark, &KestroColors::gradient_yellow_3_light, 0xffff6000, 0xfffff8d2 },
        { "blue", &KestroColors::gradient_blue_1_dark, &KestroColors::gradient_blue_1_light, &KestroColors::gradient_blue_2_dark,
          &KestroColors::gradient_blue_2_light, &KestroColors::gradient_blue_3_dark, &KestroColors::gradient_blue_3_light, 0xff002f59, 0xffd2eaff },
        { "purple", &KestroColors::gradient_purple_1_dark, &KestroColors::gradient_purple_1_light, &KestroColors::gradient_purple_2_dark,
          &KestroColors::gradient_purple_2_light, &KestroColors::gradient_purple_3_dark, &KestroColors::gradient_purple_3_light, 0xff3a0059, 0xfff0d2ff },
        { "grey", &KestroColors::gradient_grey_1_dark, &KestroColors::gradient_grey_1_light, &KestroColors::gradient_grey_2_dark,
          &KestroColors::gradient_grey_2_light, &KestroColors::gradient_grey_3_dark, &KestroColors::gradient_grey_3_light, 0xff3f3f3f, 0xffffffff },
    };

    for (const auto& f : chained)
    {
        EXPECT_EQ (f.d1->getARGB(), f.firstDark) << f.name;
        EXPECT_EQ (*f.l1, *f.d2) << f.name;
        EXPECT_EQ (*f.l2, *f.d3) << f.name;
        EXPECT_EQ (f.l3->getARGB(), f.lastLight) << f.name;
        EXPECT_NE (*f.d1, *f.l1) << f.name;
    }

    EXPECT_EQ (KestroColors::gradient_green_2_dark.getARGB(), 0xff00bf00u);
    EXPECT_EQ (KestroColors::gradient_green_3_dark, KestroColors::gradient_green_1_light);
    EXPECT_EQ (KestroColors::gradient_red_2_dark.getARGB(), 0xffff0000u);
    EXPECT_EQ (KestroColors::gradient_red_2_light, KestroColors::gradient_red_1_light);
}
