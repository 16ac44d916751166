// The smallest JUCE window program: one 220 x 300 window with a native title bar, as the
// application's main window has, and nothing else. bench/idle-cpu.sh sets the application's idle
// CPU time beside this program's, so that what JUCE itself costs an idle window is known.

#include <juce_gui_basics/juce_gui_basics.h>

namespace
{
class IdleWindow : public juce::DocumentWindow
{
public:
    IdleWindow()
        : juce::DocumentWindow ("Idle Window", juce::Colours::black, juce::DocumentWindow::closeButton)
    {
        setUsingNativeTitleBar (true);
        auto* content = new juce::Component();
        content->setSize (220, 300);
        setContentOwned (content, true);
        setVisible (true);
    }

    void closeButtonPressed() override { juce::JUCEApplication::quit(); }
};

class IdleWindowApplication : public juce::JUCEApplication
{
public:
    const juce::String getApplicationName() override { return "Kestro Idle Window"; }
    const juce::String getApplicationVersion() override { return "1.0"; }
    bool moreThanOneInstanceAllowed() override { return true; }

    void initialise (const juce::String&) override { window = std::make_unique<IdleWindow>(); }
    void shutdown() override { window.reset(); }

private:
    std::unique_ptr<IdleWindow> window;
};
} // namespace

START_JUCE_APPLICATION (IdleWindowApplication)
