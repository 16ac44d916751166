#pragma once

#include <juce_events/juce_events.h>

#include <memory>
#include <utility>

/** Posted by the update thread when a newer version is listed; on the message thread it opens
    the new-version dialog for that version. */
class ShowDialogMessage : public juce::MessageManager::MessageBase
{
public:
    ShowDialogMessage (const juce::String& versionText, const juce::String& downloadUrl);

    void messageCallback() override;

    /** The version text and the download address; owned, so a message that is never delivered
        frees it too. */
    std::unique_ptr<std::pair<juce::String, juce::String>> payload;
};
