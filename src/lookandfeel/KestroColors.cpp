#include "KestroColors.h"

// The definitions run in this order during static initialisation: every derived entry stands
// after the entries it is made from.
const juce::Colour KestroColors::dark_grey { 0xff141414 };
const juce::Colour KestroColors::white { 0xffffffff };
const juce::Colour KestroColors::black { 0xff000000 };
const juce::Colour KestroColors::kestro_dock_background { 0xff353535 };
const juce::Colour KestroColors::instrument_background { 0xff303030 };
const juce::Colour KestroColors::menuTabBackgroundNonactive { 0xff787878 };
const juce::Colour KestroColors::menuTabBackgroundActive { dark_grey };
const juce::Colour KestroColors::menuPanelBackgroundActive { instrument_background };
const juce::Colour KestroColors::menuPanelBackgroundNonactive { 0xff212121 };
const juce::Colour KestroColors::menuPanelHeadTextActive { 0xffffffff };
const juce::Colour KestroColors::menuPanelHeadTextNonactive { 0xffcccccc };

const juce::Colour KestroColors::red { 0xfff9223c };
const juce::Colour KestroColors::cyan { 0xff00ffff };
const juce::Colour KestroColors::green { 0xff64ff00 };
const juce::Colour KestroColors::yellow { 0xffffda00 };
const juce::Colour KestroColors::blue { 0xff007aff };
const juce::Colour KestroColors::purple { 0xffae00ff };
const juce::Colour KestroColors::light_blue { 0xffa6d5ff };
const juce::Colour KestroColors::light_green { 0xffc9ffa6 };
const juce::Colour KestroColors::light_purple { 0xffe0a6ff };
const juce::Colour KestroColors::light_yellow { 0xfffff0a6 };

const juce::Colour KestroColors::gradient_green_1_dark { 0xff235500 };
const juce::Colour KestroColors::gradient_green_1_light { 0xff64ff00 };
const juce::Colour KestroColors::dark_green { gradient_green_1_dark.interpolatedWith (gradient_green_1_light, 0.5f) };
const juce::Colour KestroColors::gradient_green_2_dark { 0xff00bf00 };
const juce::Colour KestroColors::gradient_green_2_light { 0xff97f644 };
const juce::Colour KestroColors::gradient_green_3_dark { 0xff64ff00 };
const juce::Colour KestroColors::gradient_green_3_light { 0xffe4ffd2 };

const juce::Colour KestroColors::gradient_cyan_1_dark { 0xff005957 };
const juce::Colour KestroColors::gradient_cyan_1_light { 0xff00ffff };
const juce::Colour KestroColors::gradient_cyan_2_dark { 0xff00ffff };
const juce::Colour KestroColors::gradient_cyan_2_light { 0xffa6fffd };
const juce::Colour KestroColors::gradient_cyan_3_dark { 0xffa6fffd };
const juce::Colour KestroColors::gradient_cyan_3_light { 0xffd2fffe };

const juce::Colour KestroColors::gradient_red_1_dark { 0xff590d19 };
const juce::Colour KestroColors::gradient_red_1_light { 0xfff9223c };
const juce::Colour KestroColors::gradient_red_2_dark { 0xffff0000 };
const juce::Colour KestroColors::gradient_red_2_light { 0xfff9223c };
const juce::Colour KestroColors::gradient_red_3_dark { 0xfff9223c };
const juce::Colour KestroColors::gradient_red_3_light { 0xfffbd0d7 };

const juce::Colour KestroColors::gradient_yellow_1_dark { 0xffff6000 };
const juce::Colour KestroColors::gradient_yellow_1_light { 0xffffda00 };
const juce::Colour KestroColors::dark_yellow { gradient_yellow_1_dark.interpolatedWith (gradient_yellow_1_light, 0.25f) };
const juce::Colour KestroColors::gradient_yellow_2_dark { 0xffffda00 };
const juce::Colour KestroColors::gradient_yellow_2_light { 0xfffff0a6 };
const juce::Colour KestroColors::gradient_yellow_3_dark { 0xfffff0a6 };
const juce::Colour KestroColors::gradient_yellow_3_light { 0xfffff8d2 };

const juce::Colour KestroColors::gradient_blue_1_dark { 0xff002f59 };
const juce::Colour KestroColors::gradient_blue_1_light { 0xff007aff };
const juce::Colour KestroColors::gradient_blue_2_dark { 0xff007aff };
const juce::Colour KestroColors::gradient_blue_2_light { 0xffa6d5ff };
const juce::Colour KestroColors::gradient_blue_3_dark { 0xffa6d5ff };
const juce::Colour KestroColors::gradient_blue_3_light { 0xffd2eaff };

const juce::Colour KestroColors::gradient_purple_1_dark { 0xff3a0059 };
const juce::Colour KestroColors::gradient_purple_1_light { 0xffae00ff };
const juce::Colour KestroColors::gradient_purple_2_dark { 0xffae00ff };
const juce::Colour KestroColors::gradient_purple_2_light { 0xffe0a6ff };
const juce::Colour KestroColors::gradient_purple_3_dark { 0xffe0a6ff };
const juce::Colour KestroColors::gradient_purple_3_light { 0xfff0d2ff };

const juce::Colour KestroColors::gradient_grey_1_dark { 0xff3f3f3f };
const juce::Colour KestroColors::gradient_grey_1_light { 0xff7f7f7f };
const juce::Colour KestroColors::gradient_grey_2_dark { 0xff7f7f7f };
const juce::Colour KestroColors::gradient_grey_2_light { 0xffffffff };
const juce::Colour KestroColors::gradient_grey_3_dark { 0xffffffff };
const juce::Colour KestroColors::gradient_grey_3_light { 0xffffffff };

const juce::Colour KestroColors::peakmeterFrameColor { 0xff686868 };
const juce::Colour KestroColors::button_outline { 0xff1c1c1c };
const juce::Colour KestroColors::peakmeter_text_background { 0xff1d1d1b };
const juce::Colour KestroColors::peakmeter_stripe_dark { 0xff1d1d1b };
const juce::Colour KestroColors::peakmeter_stripe_blue { 0xff173542 };
const juce::Colour KestroColors::scale_headroom { 0xfff9223c };
const juce::Colour KestroColors::rta_dashed_line_dark { 0xff494949 };
const juce::Colour KestroColors::surround_indicator_1 { 0xff80fff1 };
const juce::Colour KestroColors::surround_indicator_2 { 0xffffe600 };
const juce::Colour KestroColors::input_color { 0xffadd8e6 };
const juce::Colour KestroColors::output_color { 0xff98fb98 };

const juce::Colour KestroColors::kestro_red { 0xffdb052b };
const juce::Colour KestroColors::kestro_grey { 0xffb8bcb8 };
const juce::Colour KestroColors::light_grey { 0xffababab };
const juce::Colour KestroColors::bright_grey { 0xfff3f3f3 };
const juce::Colour KestroColors::dark_blue { 0xff0a1ec3 };
const juce::Colour KestroColors::light_pink { 0xffff9bb5 };

const juce::Colour KestroColors::identifier_colors[KestroColors::numIdentifierColors] {
    red, cyan, green, yellow, blue, purple, light_blue, light_green, light_purple, light_yellow
};
