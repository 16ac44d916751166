#pragma once

#include "MenuPanelComponentBase.h"

#include "update/UpdateCheckFinishedListener.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

class LabeledMenuComponent;
class MenuButton;

/** The body of the System tab's "Info" panel: what identifies the installed program (name,
    version, article number, build date, path of the executable), a button that reveals the
    release notes, a button that starts an update check, the switch for the automatic check at
    start-up and the status of the last check.

    While it lives it is the update thread's listener; the thread's notification arrives on the
    message thread, and the status text is read only under UpdateThread::m_stringLock.
    Message thread only. */
class SystemMenuPanel : public MenuPanelComponentBase,
                        public juce::Button::Listener,
                        public UpdateCheckFinishedListener
{
public:
    SystemMenuPanel();
    ~SystemMenuPanel() override;

    void updateWholePanelContent() override;
    void discardPanelChanges() override;
    void buttonClicked (juce::Button* b) override;
    void finishedUpdateCheck() override;
    void resized() override;

    /** "1.6.0-<build identifier, at least 4 characters, padded with 0 on the left> (64Bit)". */
    static juce::String versionText (const juce::String& buildIdentifier);

    /** Where the release notes of this version are installed; the file need not exist. */
    static juce::File releaseNotesFile();

    /** The identifier of the sources this program was built from. */
    static const juce::String buildIdentifier;

    /** Date and time of the build, for example "May 11 2020 / 17:14:53". */
    static juce::String s_BuildTime;

    static constexpr const char* productNumber = "XR61842";

    /** Shows a file in the platform's file browser: by default the folder that holds it, opened
        through the DesktopOpener (which starts a program, so tests replace it). */
    std::function<void (const juce::File&)> revealFile;

    MenuButton* documentationButton = nullptr;
    MenuButton* updateCheckButton = nullptr;
    juce::Label* statusLabel = nullptr;
    juce::ToggleButton* autoUpdateToggle = nullptr;
    LabeledMenuComponent* infoRows[5] {};

private:
    static juce::String _copyStatusText();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SystemMenuPanel)
};
