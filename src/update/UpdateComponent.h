#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The content of the new-version dialog: the message, a link to the download page of the new
    version (a DownloadLinkButton) and an "OK" button that ends the dialog. Its widgets are drawn
    by the installed look-and-feel. */
class UpdateComponent : public juce::Component,
                        public juce::Button::Listener
{
public:
    UpdateComponent (const juce::String& versionText, const juce::String& downloadUrl);
    ~UpdateComponent() override;

    void buttonClicked (juce::Button* button) override;

    static constexpr int dialogWidth = 400;
    static constexpr int dialogHeight = 160;

    /** The return code the dialog ends with when "OK" is pressed. */
    static constexpr int okReturnCode = 1234;
};
