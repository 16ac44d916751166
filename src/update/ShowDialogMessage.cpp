#include "ShowDialogMessage.h"

#include "UpdateComponent.h"

#include <BinaryData.h>

#include <juce_gui_basics/juce_gui_basics.h>

ShowDialogMessage::ShowDialogMessage (const juce::String& versionText, const juce::String& downloadUrl)
    : payload (std::make_unique<std::pair<juce::String, juce::String>> (versionText, downloadUrl))
{
}

void ShowDialogMessage::messageCallback()
{
    if (payload == nullptr)
        return;

    juce::DialogWindow::LaunchOptions options;
    options.dialogTitle = juce::translate ("newVersionAvailableTitle");
    options.dialogBackgroundColour = juce::Colour (0xffdddee0);
    options.content.setOwned (new UpdateComponent (payload->first, payload->second));
    options.componentToCentreAround = nullptr;
    options.escapeKeyTriggersCloseButton = true;
    options.useNativeTitleBar = true;
    options.resizable = false;
    options.launchAsync();

    const auto icon = juce::ImageCache::getFromMemory (BinaryData::settings_normal_png, BinaryData::settings_normal_pngSize);

    for (int i = 0; i < juce::ComponentPeer::getNumPeers(); ++i)
        if (auto* peer = juce::ComponentPeer::getPeer (i))
            peer->setIcon (icon);

    payload.reset();
}
