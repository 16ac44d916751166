#pragma once

#include "ScopedTemporaryHome.h"
#include "VirtualDeviceRegistry.h"
#include "i18n/ScopedTranslations.h"

#include "audio/StandaloneProcessor.h"
#include "gui/UsbPluginAudioProcessorEditor.h"

#include <gtest/gtest.h>

/** The real editor on the real processor, as the application builds them, with virtual devices:
    speakers for the input manager's one output, a stereo input and the meter's output. The home
    folder, the translation table and the automatic-update switch are put back afterwards.

    The editor owns a desktop window (the settings window), so these tests need an X display and
    skip themselves without one. */
class EditorFixture : public ::testing::Test
{
protected:
    static inline const juce::String inputName { "Studio Interface" };
    static inline const juce::String meterName { "KM7-Solvin Output" };

    void SetUp() override
    {
        if (juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() == nullptr)
            GTEST_SKIP() << "the editor needs an X display (run under xvfb-run)";

        // The input manager asks for one output; it must not take the meter's.
        registry.addDevice (VirtualDeviceDescription::output ("Virtual Speakers", 2));
        registry.addDevice (VirtualDeviceDescription::input (inputName, 2));
        registry.addDevice (VirtualDeviceDescription::output (meterName, 2));

        processor = makeProcessor();
        buildEditor();
    }

    void TearDown() override
    {
        deleteEditor();
        processor.reset();
    }

    /** The application's processor: the input side on the virtual devices. */
    virtual std::unique_ptr<UsbPluginAudioProcessor> makeProcessor()
    {
        return std::make_unique<StandaloneProcessor> (registry.makeFactory());
    }

    void buildEditor()
    {
        editor.reset (dynamic_cast<UsbPluginAudioProcessorEditor*> (processor->createEditorIfNeeded()));
        ASSERT_NE (editor, nullptr);
    }

    void deleteEditor()
    {
        if (editor != nullptr)
        {
            processor->editorBeingDeleted (editor.get());
            editor.reset();
        }
    }

    /** Keeps the meter handler's thread and both refresh timers still, for tests that set the
        handler's state themselves. */
    void stopTheMeterSide()
    {
        processor->delayedThreadStarter.stopTimer();
        processor->stopTimer();
        editor->stopTimer();
    }

    juce::Image snapshot() { return editor->createComponentSnapshot (editor->getLocalBounds(), true, 1.0f); }

    ScopedTranslations translations;   // the processor installs the table for the user's language
    ScopedTemporaryHome home;
    struct ScopedAutoUpdateSwitch
    {
        const bool saved = UsbPluginAudioProcessor::s_enableAutoUpdate;
        ~ScopedAutoUpdateSwitch() { UsbPluginAudioProcessor::s_enableAutoUpdate = saved; }
    } autoUpdateSwitch;

    VirtualDeviceRegistry registry;
    std::unique_ptr<UsbPluginAudioProcessor> processor;
    std::unique_ptr<UsbPluginAudioProcessorEditor> editor;
};
