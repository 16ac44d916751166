#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The new-version dialog's link to the download page. The address comes from the update server:
    the button links only to what DesktopOpener::checkedWebLink accepts (anything else gives a link
    without a target, which does nothing), and a click hands exactly that text to the
    DesktopOpener instead of the framework's shell-based launcher. */
class DownloadLinkButton : public juce::HyperlinkButton
{
public:
    DownloadLinkButton (const juce::String& linkText, const juce::String& downloadUrl);

    /** The checked link a click opens; empty when there is none. */
    const juce::String& getLink() const noexcept { return link; }

protected:
    void clicked() override;
    void clicked (const juce::ModifierKeys&) override { clicked(); }

private:
    juce::String link;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DownloadLinkButton)
};
