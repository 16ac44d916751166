// The routing button on the real editor and processor: what it shows for each of the meter
// handler's states in both languages, and what its clicks do to the real handler thread and the
// virtual meter.

#include "EditorFixture.h"
#include "MessagePump.h"
#include "VirtualAudioDevice.h"

#include "i18n/TranslationTable.h"

#include <BinaryData.h>

#include <gtest/gtest.h>

namespace
{
struct PictureSet
{
    const char* name;
    juce::Image normal, over, down;
};

juce::Image embedded (const char* data, int size)
{
    return juce::ImageCache::getFromMemory (data, size);
}

PictureSet disconnectedSet()
{
    return { "disconnected",
             embedded (BinaryData::routing_disconnected_normal_png, BinaryData::routing_disconnected_normal_pngSize),
             embedded (BinaryData::routing_disconnected_hover_png, BinaryData::routing_disconnected_hover_pngSize),
             embedded (BinaryData::routing_disconnected_pressed_png, BinaryData::routing_disconnected_pressed_pngSize) };
}

PictureSet readySet()
{
    return { "ready",
             embedded (BinaryData::routing_ready_normal_png, BinaryData::routing_ready_normal_pngSize),
             embedded (BinaryData::routing_ready_hover_png, BinaryData::routing_ready_hover_pngSize),
             embedded (BinaryData::routing_ready_pressed_png, BinaryData::routing_ready_pressed_pngSize) };
}

PictureSet routingSet()
{
    return { "routing",
             embedded (BinaryData::routing_on_normal_png, BinaryData::routing_on_normal_pngSize),
             embedded (BinaryData::routing_on_hover_png, BinaryData::routing_on_hover_pngSize),
             embedded (BinaryData::routing_on_pressed_png, BinaryData::routing_on_pressed_pngSize) };
}

PictureSet singlePicture (const char* name, const char* data, int size)
{
    const auto image = embedded (data, size);
    return { name, image, image, image };
}

PictureSet unsupportedSet() { return singlePicture ("unsupported", BinaryData::routing_unsupported_png, BinaryData::routing_unsupported_pngSize); }
PictureSet busySet() { return singlePicture ("busy", BinaryData::routing_busy_png, BinaryData::routing_busy_pngSize); }

/** Which of the sets the button shows, by name; "none" if it is none of them. */
juce::String shownSet (juce::ImageButton& button)
{
    for (const auto& set : { disconnectedSet(), readySet(), routingSet(), unsupportedSet(), busySet() })
        if (button.getNormalImage() == set.normal && button.getOverImage() == set.over && button.getDownImage() == set.down)
            return set.name;

    return "none";
}

juce::String utf8 (const char* text) { return juce::String (juce::CharPointer_UTF8 (text)); }

struct StateCase
{
    const char* language;
    int state;
    const char* productName;
    bool enabled;
    const char* pictures;
    juce::String tooltip;
};

std::ostream& operator<< (std::ostream& out, const StateCase& c)
{
    return out << c.language << " state " << c.state << " name '" << c.productName << "'";
}

const std::vector<StateCase> stateCases {
    { "en", DeviceState::Inactive, "", false, "disconnected", "USB audio device disconnected" },
    { "en", DeviceState::Searching, "", false, "disconnected", "USB audio device disconnected" },
    { "en", DeviceState::Searching, "KM7-Solvin", false, "disconnected", "KM7-Solvin disconnected" },
    { "en", DeviceState::DeviceReady, "KM7-Solvin", true, "ready", "Enable Routing to KM7-Solvin" },
    { "en", DeviceState::Routing, "KM7-Solvin", true, "routing", "Disable Routing to KM7-Solvin" },
    { "en", DeviceState::UnsupportedFormat, "KM7-Solvin", false, "unsupported", "Channel setup or sample rate not supported by KM7-Solvin" },
    { "en", DeviceState::UnsupportedFormat, "", false, "unsupported", "Channel setup or sample rate not supported by USB audio device" },
    { "en", DeviceState::NotSupported, "KM7-Solvin", true, "unsupported", "Audio routing not supported.\nPlease click for details." },
    { "de", DeviceState::Inactive, "PV4", false, "disconnected", "Verbindung zu PV4 getrennt" },
    { "de", DeviceState::Searching, "", false, "disconnected", utf8 ("Verbindung zu USB Audio Ger\xc3\xa4t getrennt") },
    { "de", DeviceState::Searching, "KM7-Solvin", false, "disconnected", "Verbindung zu KM7-Solvin getrennt" },
    { "de", DeviceState::DeviceReady, "KM7-Solvin", true, "ready", "Routing zu KM7-Solvin aktivieren" },
    { "de", DeviceState::Routing, "KM7-Solvin", true, "routing", "Routing zu KM7-Solvin unterbrechen" },
    { "de", DeviceState::UnsupportedFormat, "KM7-Solvin", false, "unsupported", utf8 ("Kanal-Konfiguration oder Samplerate wird von KM7-Solvin nicht unterst\xc3\xbctzt") },
    { "de", DeviceState::NotSupported, "KM7-Solvin", true, "unsupported", utf8 ("Audio-Routing wird nicht unterst\xc3\xbctzt.\nBitte klicken Sie f\xc3\xbcr Details.") },
};

class RoutingButtonStates : public EditorFixture,
                            public ::testing::WithParamInterface<StateCase>
{
};

/** How the routing button looks at the moment a click on it has been handled. */
struct ClickRecord
{
    int clicks = 0;
    juce::String pictures, tooltip;
    int requestedState = -1;
    bool solvinConnected = false;
};

using RoutingButtonClick = EditorFixture;
} // namespace

TEST_P (RoutingButtonStates, ShowsTheHandlersStateInPicturesEnabledStateAndTooltip)
{
    const auto& param = GetParam();
    stopTheMeterSide();
    TranslationTable::installForLanguage (param.language);

    // The remote buttons follow the MIDI output, not the state.
    const bool remotesBefore = editor->startButton.isEnabled();

    processor->deviceHandler.productName = param.productName;
    processor->deviceHandler.deviceState = param.state;
    editor->updateSolvinState();

    EXPECT_EQ (editor->solvinButton.isEnabled(), param.enabled);
    EXPECT_EQ (shownSet (editor->solvinButton), param.pictures);
    EXPECT_EQ (editor->solvinButton.getTooltip(), param.tooltip);
    EXPECT_EQ (editor->startButton.isEnabled(), remotesBefore);
}

INSTANTIATE_TEST_SUITE_P (RoutingButtonEveryStateInBothLanguages, RoutingButtonStates, ::testing::ValuesIn (stateCases),
                          [] (const auto& p) { return juce::String (p.index).toStdString() + "_" + p.param.language; });

TEST_F (RoutingButtonClick, ClicksSwitchRoutingToTheVirtualMeterOnAndOff)
{
    TranslationTable::installForLanguage ("en");
    auto& handler = processor->deviceHandler;

    // The handler thread starts a second after the processor and finds the meter.
    ASSERT_TRUE (pumpMessagesUntil ([&] { return handler.deviceState == DeviceState::DeviceReady
                                                 && editor->solvinButton.isEnabled(); }, 10000));
    EXPECT_EQ (shownSet (editor->solvinButton), "ready");
    EXPECT_EQ (editor->solvinButton.getTooltip(), "Enable Routing to KM7-Solvin");
    EXPECT_FALSE (processor->solvinConnected.value);
    EXPECT_EQ (registry.findOpenDevice (meterName), nullptr) << "the probe closes the meter again";

    // JUCE calls onClick after every listener, so the editor has handled the click by then.
    ClickRecord recorder;
    editor->solvinButton.onClick = [&]
    {
        ++recorder.clicks;
        recorder.pictures = shownSet (editor->solvinButton);
        recorder.tooltip = editor->solvinButton.getTooltip();
        recorder.requestedState = handler.requestedState.load();
        recorder.solvinConnected = processor->solvinConnected.value;
    };

    // On: the busy look at once, then the routing look once the handler thread has opened the meter.
    editor->solvinButton.triggerClick();
    ASSERT_TRUE (pumpMessagesUntil ([&] { return recorder.clicks == 1; }, 3000));
    EXPECT_EQ (recorder.pictures, "busy");
    EXPECT_EQ (recorder.tooltip, "Busy connecting device ...");
    EXPECT_EQ (recorder.requestedState, DeviceState::Routing);
    EXPECT_TRUE (recorder.solvinConnected);

    ASSERT_TRUE (pumpMessagesUntil ([&] { return handler.deviceState == DeviceState::Routing
                                                 && shownSet (editor->solvinButton) == "routing"; }, 10000));
    EXPECT_EQ (editor->solvinButton.getTooltip(), "Disable Routing to KM7-Solvin");
    EXPECT_TRUE (processor->solvinConnected.value);

    auto* meter = registry.findOpenDevice (meterName);
    ASSERT_NE (meter, nullptr);
    EXPECT_EQ (meter->getActiveOutputChannels().countNumberOfSetBits(), 2);
    EXPECT_EQ (meter->getCurrentBufferSizeSamples(), 64);

    // Audio played into the input arrives at the meter, channel by channel.
    juce::AudioBuffer<float> input (2, 64), silence (1, 64), output;
    input.clear();
    for (int i = 0; i < 64; ++i)
    {
        input.setSample (0, i, 0.5f);
        input.setSample (1, i, -0.25f);
    }

    bool arrived = false;
    for (int block = 0; block < 100 && ! arrived; ++block)
    {
        ASSERT_TRUE (registry.processBlock (inputName, input, 64));
        ASSERT_TRUE (registry.processBlock (meterName, silence, 64, &output));
        arrived = output.getNumChannels() == 2 && output.getSample (0, 63) == 0.5f && output.getSample (1, 63) == -0.25f;
    }
    EXPECT_TRUE (arrived) << "the meter never played the input";

    // Off: the handler closes the meter and the button offers routing again.
    editor->solvinButton.triggerClick();
    ASSERT_TRUE (pumpMessagesUntil ([&] { return recorder.clicks == 2; }, 3000));
    EXPECT_EQ (recorder.requestedState, DeviceState::DeviceReady);
    EXPECT_FALSE (recorder.solvinConnected);

    ASSERT_TRUE (pumpMessagesUntil ([&] { return handler.deviceState == DeviceState::DeviceReady
                                                 && shownSet (editor->solvinButton) == "ready"; }, 10000));
    EXPECT_EQ (editor->solvinButton.getTooltip(), "Enable Routing to KM7-Solvin");
    EXPECT_EQ (registry.findOpenDevice (meterName), nullptr);
    EXPECT_FALSE (registry.processBlock (meterName, silence, 64, &output));
    EXPECT_FALSE (processor->solvinConnected.value);

    editor->solvinButton.onClick = nullptr;
}
