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
    // The framework places a new dialog on the primary screen and reads it unguarded; with no
    // screen listed there is nowhere to show it, and the System tab still shows the check's result.
    if (payload == nullptr || juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() == nullptr)
        return;

    juce::DialogWindow::LaunchOptions options;
    options.dialogTitle = juce::translate ("newVersionAvailableTitle");
    options.dialogBackgroundColour = juce::Colour (0xffdddee0);
    options.content.setOwned (new UpdateComponent (payload->first, payload->second));
    options.componentToCentreAround = nullptr;
    options.escapeKeyTriggersCloseButton = true;
    options.useNativeTitleBar = true;
    options.resizable = false;

    // The window is first sized for the framework's own title bar and border; with the native
    // title bar those are gone, so the content is given its size again. Centred on the screen,
    // not on whichever window happens to be active (the settings window, an earlier dialog).
    auto* dialog = options.create();
    dialog->setContentComponentSize (UpdateComponent::dialogWidth, UpdateComponent::dialogHeight);
    dialog->centreWithSize (dialog->getWidth(), dialog->getHeight());
    dialog->enterModalState (true, nullptr, true);

    const auto icon = juce::ImageCache::getFromMemory (BinaryData::settings_normal_png, BinaryData::settings_normal_pngSize);

    for (int i = 0; i < juce::ComponentPeer::getNumPeers(); ++i)
        if (auto* peer = juce::ComponentPeer::getPeer (i))
            peer->setIcon (icon);

    payload.reset();
}
