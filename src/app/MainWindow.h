#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

class StandaloneProcessor;
class UsbPluginAudioProcessorEditor;

/** The application's one window. It owns the processor and the editor; the editor is its content
    but not owned by the content holder, so that the window decides the order of deletion. */
class MainWindow : public juce::DocumentWindow
{
public:
    MainWindow();
    ~MainWindow() override;

    void userTriedToCloseWindow() override;
    void closeButtonPressed() override;

    std::unique_ptr<StandaloneProcessor> processor;
    std::unique_ptr<UsbPluginAudioProcessorEditor> editor;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainWindow)
};
