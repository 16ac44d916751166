#include "SystemMenuPanel.h"

#include "LabeledMenuComponent.h"
#include "MenuButton.h"
#include "StatusLabel.h"

#include "audio/UsbPluginAudioProcessor.h"
#include "update/DesktopOpener.h"
#include "update/UpdateThread.h"

// Written by the build: KESTRO_BUILD_ID and KESTRO_BUILD_TIME.
#include <KestroBuildInfo.h>

const juce::String SystemMenuPanel::buildIdentifier { KESTRO_BUILD_ID };
juce::String SystemMenuPanel::s_BuildTime { KESTRO_BUILD_TIME };

SystemMenuPanel::SystemMenuPanel()
    : revealFile ([] (const juce::File& file) { DesktopOpener::openFolder (file.getParentDirectory()); })
{
    const juce::String rowTexts[5][2] = {
        { "Software name", JUCE_APPLICATION_NAME_STRING },
        { "Software version", versionText (buildIdentifier) },
        { "Product number", productNumber },
        { "Build date", s_BuildTime },
        { "Software path", juce::File::getSpecialLocation (juce::File::currentExecutableFile).getFullPathName() },
    };

    for (int i = 0; i < 5; ++i)
    {
        // The row translates its caption itself and keeps the key for a later translation pass.
        infoRows[i] = new LabeledMenuComponent (rowTexts[i][0], rowTexts[i][1]);
        addAndMakeVisible (infoRows[i]);
    }

    documentationButton = new MenuButton (juce::translate ("View Documentation"));
    addAndMakeVisible (documentationButton);
    documentationButton->addListener (this);

    updateCheckButton = new MenuButton (juce::translate ("Check for update"));
    addAndMakeVisible (updateCheckButton);
    updateCheckButton->addListener (this);

    // A panel built after a check has ended (a second editor in the same process) shows that
    // check's result at once instead of an empty label.
    const auto status = _copyStatusText();
    statusLabel = new StatusLabel (status, status);
    addAndMakeVisible (statusLabel);
    statusLabel->setFont (juce::Font (15.0f, juce::Font::plain));
    statusLabel->setColour (juce::Label::textColourId, juce::Colour (0xffffffff));
    statusLabel->setJustificationType (juce::Justification::topLeft);

    autoUpdateToggle = new juce::ToggleButton();
    addAndMakeVisible (autoUpdateToggle);
    autoUpdateToggle->setButtonText (juce::translate ("Enable automatic update checking on startup"));
    autoUpdateToggle->addListener (this);
    autoUpdateToggle->setToggleState (UsbPluginAudioProcessor::s_enableAutoUpdate, juce::dontSendNotification);

    UpdateThread::getInstance()->m_listener = this;
}

SystemMenuPanel::~SystemMenuPanel()
{
    for (int i = getNumChildComponents(); --i >= 0;)
    {
        auto* child = getChildComponent (i);
        removeChildComponent (i);
        delete child;
    }

    documentationButton = nullptr;
    updateCheckButton = nullptr;
    statusLabel = nullptr;
    autoUpdateToggle = nullptr;
    for (auto*& row : infoRows)
        row = nullptr;

    // Another panel may have become the listener since; that one stays.
    auto* thread = UpdateThread::getInstance();
    if (thread->m_listener == this)
        thread->m_listener = nullptr;
}

void SystemMenuPanel::updateWholePanelContent() {}

void SystemMenuPanel::discardPanelChanges() {}

juce::String SystemMenuPanel::versionText (const juce::String& identifier)
{
    return juce::String (JUCE_APPLICATION_VERSION_STRING) + "-" + identifier.paddedLeft ('0', 4) + " (64Bit)";
}

juce::File SystemMenuPanel::releaseNotesFile()
{
    const auto separator = juce::File::getSeparatorString();
    auto path = juce::File::getSpecialLocation (juce::File::commonApplicationDataDirectory).getFullPathName();

    if (! path.endsWith (separator))
        path << separator;

    path << "Kestro" << separator << "Vantrel" << separator
         << "Kestro_Vantrel_V" << juce::String (JUCE_APPLICATION_VERSION_STRING).replace (".", "-")
         << "_Release_Notes_EN.pdf";

    return juce::File (path);
}

juce::String SystemMenuPanel::_copyStatusText()
{
    const juce::ScopedLock sl (UpdateThread::m_stringLock);
    return UpdateThread::getInstance()->m_statusText;
}

void SystemMenuPanel::finishedUpdateCheck()
{
    statusLabel->setText (_copyStatusText(), juce::dontSendNotification);
}

void SystemMenuPanel::buttonClicked (juce::Button* b)
{
    if (b == updateCheckButton)
    {
        auto* thread = UpdateThread::getInstance();
        if (! thread->isThreadRunning())
        {
            thread->startThread();
            UpdateThread::m_hasAlreadyChecked = true;
        }
    }
    else if (b == autoUpdateToggle)
    {
        UsbPluginAudioProcessor::s_enableAutoUpdate = autoUpdateToggle->getToggleState();
    }
    else if (b == documentationButton)
    {
        if (revealFile != nullptr)
            revealFile (releaseNotesFile());
    }
}

void SystemMenuPanel::resized()
{
    const int width = getWidth();
    if (width <= 0)
        return;

    int y = 12;
    for (auto* row : infoRows)
        y += row->resize (y, width);

    documentationButton->setBounds (8, y, 160, 30);
    const int belowDocumentation = y + documentationButton->getHeight();

    autoUpdateToggle->setBounds (8, belowDocumentation + 12, 320, 36);
    const int belowToggle = belowDocumentation + autoUpdateToggle->getHeight();

    updateCheckButton->setBounds (8, belowToggle + 24, 160, 30);
    statusLabel->setBounds (180, belowToggle + 18, width - 192, 48);

    openHeight = updateCheckButton->getHeight() + (belowToggle + 12) + 36;
}
