#include "DownloadLinkButton.h"

#include "DesktopOpener.h"

DownloadLinkButton::DownloadLinkButton (const juce::String& linkText, const juce::String& downloadUrl)
    : juce::HyperlinkButton (linkText, {}),
      link (DesktopOpener::checkedWebLink (downloadUrl))
{
    // The framework's URL is only what the tooltip shows; the click opens `link` itself.
    if (link.isNotEmpty())
        setURL (juce::URL (link));
}

void DownloadLinkButton::clicked()
{
    if (link.isNotEmpty())
        DesktopOpener::openLink (link);
}
