#include "UpdateComponent.h"

#include "DownloadLinkButton.h"

#include "lookandfeel/KestroColors.h"

UpdateComponent::UpdateComponent (const juce::String& versionText, const juce::String& downloadUrl)
{
    setSize (dialogWidth, dialogHeight);
    const auto w = getWidth();

    auto* message = new juce::Label ("Version Update", juce::translate ("newVersionAvailableContent"));
    message->setBounds (10, 10, w - 20, 80);
    message->setJustificationType (juce::Justification::topLeft);
    message->setColour (juce::Label::textColourId, KestroColors::black);
    addAndMakeVisible (message);

    auto* link = new DownloadLinkButton ("Kestro Vantrel - version " + versionText, downloadUrl);
    link->setBounds (10, 90, w - 20, 22);
    link->setColour (juce::HyperlinkButton::textColourId, KestroColors::gradient_blue_2_dark);
    addAndMakeVisible (link);

    auto* okButton = new juce::TextButton ("OK");
    okButton->setBounds (10, 130, w - 20, 22);
    okButton->addListener (this);
    addAndMakeVisible (okButton);
}

UpdateComponent::~UpdateComponent()
{
    for (int i = getNumChildComponents(); --i >= 0;)
    {
        auto* child = getChildComponent (i);
        removeChildComponent (i);
        delete child;
    }
}

void UpdateComponent::buttonClicked (juce::Button*)
{
    if (auto* dialog = findParentComponentOfClass<juce::DialogWindow>())
        dialog->exitModalState (okReturnCode);
}
