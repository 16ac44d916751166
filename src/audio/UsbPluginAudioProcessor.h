#pragma once

#include "AnalysisProcessingExtension.h"
#include "AudioDeviceHandler.h"
#include "AudioDeviceTypeFactory.h"
#include "DelayedThreadStarter.h"
#include "update/DelayedUpdateChecker.h"
#include "MidiPortProvider.h"
#include "RealtimeChannelMapping.h"

#include "settings/BoolAttribute.h"
#include "settings/Data.h"
#include "settings/IntListAttribute.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <atomic>
#include <vector>

class KestroLookAndFeel;

/** The centre of the program: owns the settings, the meter handler and its timers, the channel
    mode, the shared look-and-feel and the translations, and builds the editor. Everything here
    runs on the message thread unless a member says otherwise. */
class UsbPluginAudioProcessor : public juce::AudioProcessor,
                                public AnalysisProcessingExtension,
                                public juce::ChangeListener,
                                public juce::MidiInputCallback,
                                public Data,
                                public juce::Timer
{
public:
    /** deviceTypes and midiPorts go to the meter handler (empty: the platform's). */
    explicit UsbPluginAudioProcessor (const AudioDeviceTypeFactory& deviceTypes = {},
                                      std::shared_ptr<MidiPortProvider> midiPorts = {});
    ~UsbPluginAudioProcessor() override;

    //==============================================================================
    const juce::String getName() const override;
    void prepareToPlay (double sampleRate, int samplesPerBlock) override;
    void releaseResources() override;
    using juce::AudioProcessor::processBlock;
    /** Host audio thread: passes the host's audio through unchanged and, while active, hands
        the input channels to the mapped audio path below. Output channels beyond the inputs are
        silenced; the MIDI buffer is cleared. */
    void processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;

    /** Not offered: each throws std::logic_error. */
    void prepareToAnalyze (int numSamples) override;
    void analyzeAudio (juce::AudioBuffer<float>& buffer) override;
    void prepareToProcess (int numSamples) override;
    void processAudio (juce::AudioBuffer<float>& input, juce::AudioBuffer<float>& output) override;

    double getTailLengthSeconds() const override;
    bool acceptsMidi() const override;
    bool producesMidi() const override;
    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override;
    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram (int index) override;
    const juce::String getProgramName (int index) override;
    void changeProgramName (int index, const juce::String& newName) override;
    void getStateInformation (juce::MemoryBlock& destData) override;
    /** Restores both settings from a host's untrusted state block. The mapping is read into a
        copy first and only entries naming one of this processor's inputs are written (through
        setChannelMappingEntry), so the audio thread never sees an invalid entry. */
    void setStateInformation (const void* data, int sizeInBytes) override;

    // The framework's legacy parameter and channel-name interface, as older hosts query it.
    int getNumParameters() override;
    using juce::AudioProcessor::getParameterName;
    const juce::String getParameterName (int index) override;
    using juce::AudioProcessor::getParameterText;
    const juce::String getParameterText (int index) override;
    float getParameter (int index) override;
    void setParameter (int index, float newValue) override;
    const juce::String getInputChannelName (int channelIndex) const override;
    const juce::String getOutputChannelName (int channelIndex) const override;
    bool isInputChannelStereoPair (int index) const override;
    bool isOutputChannelStereoPair (int index) const override;
    bool silenceInProducesSilenceOut() const override;

    /** The mapped audio path, on the input audio thread: maps the input device's active channels
        through the channel mapping and hands them to the meter handler. Allocates nothing and
        takes no lock of its own. */
    void processBlock (const float* const* inputs, int numChannels, int numSamples) noexcept;

    /** The writer of single entries of the channel mapping (message thread): sets entry `index` to
        `inputChannel` when index is below 6 and 0 <= inputChannel < numActiveInputs, in the setting
        and in the copy the audio thread reads. Returns false and changes nothing otherwise.
        Observers are not told; a caller that changes the user's mapping notifies them itself.
        Inside a ScopedChannelMappingWrite the audio thread sees the change when the scope ends. */
    bool setChannelMappingEntry (size_t index, int inputChannel, int numActiveInputs);

    /** Whether `entries` may be the channel mapping for an input with numActiveInputs active
        channels: six entries, each naming one of six inputs (0 to 5), of which the first
        numActiveInputs are each of 0 to numActiveInputs - 1 once. With 0 (no input, or a count
        the program does not map) any six such entries do. */
    static bool mappingSuitsInputs (const std::vector<int32_t>& entries, int numActiveInputs);

    /** `entries` with each of its first numActiveInputs entries i set to i, the entry that held
        i taking i's old value, so that a mapping that named every input once still does. */
    static std::vector<int32_t> withIdentityPrefix (std::vector<int32_t> entries, int numActiveInputs);

    /** Writes the whole mapping at once (message thread) when mappingSuitsInputs (entries,
        numActiveInputs); the audio thread sees all of it in one step. Returns false, changing
        nothing, otherwise. Observers are not told. */
    bool setChannelMapping (const std::vector<int32_t>& entries, int numActiveInputs);

    /** The routing editor's choice, for an input with numActiveInputs active channels: entry
        `index` takes inputChannel and the first entry that held inputChannel takes index's old
        value; if the first numActiveInputs entries then still do not name each input once, the
        others among them that repeat an input or name none take the missing inputs. Refused
        (false, nothing changed) unless both index and inputChannel are below numActiveInputs. */
    bool swapChannelMappingEntries (size_t index, int inputChannel, int numActiveInputs);

    /** The mapping the audio thread and config.xml get after an input device change: the
        identity in the first numActiveInputs entries, as withIdentityPrefix makes it. */
    void resetChannelMapping (int numActiveInputs);

    /** Batches the setChannelMappingEntry calls made while it lives into one change of the
        audio thread's copy, published when the outermost one ends: a change of several entries
        (a swap) never reaches an input block half done. Message thread only; may nest. */
    class ScopedChannelMappingWrite
    {
    public:
        explicit ScopedChannelMappingWrite (UsbPluginAudioProcessor& processorToUse) noexcept;
        ~ScopedChannelMappingWrite();

    private:
        UsbPluginAudioProcessor& processor;
        JUCE_DECLARE_NON_COPYABLE (ScopedChannelMappingWrite)
    };

    /** The logical channels of the current channelMode in the routing editor's row order, as
        indices into LogicalChannelLabels and LogicalChannelDescriptions; before the channel
        mapping is applied. A mode without a list of its own gives the mono list. */
    std::vector<int> getLogicalChannelsUnmapped() const;

    //==============================================================================
    void timerCallback() override;
    void changeListenerCallback (juce::ChangeBroadcaster* source) override;
    /** A MIDI input's thread: MIDI Machine Control start (06) and stop (07) set remotePlaying;
        after every MIDI Machine Control command the editor's "Start" and "Stop" buttons are
        refreshed from it on the message thread. */
    void handleIncomingMidiMessage (juce::MidiInput* source, const juce::MidiMessage& message) override;

    /** For a plug-in host's preparation: whether the input channel count suits the channel mode.
        Without a mode the user chose, derives channelMode from the count (1, 2 or 6) and returns
        false, leaving it as it was, for any other count. */
    virtual bool _validateChannelConfig();
    /** Input channels over all input buses. */
    virtual int _getNumInputChannels();

    /** Makes the plug-in path active or inactive and tells the editor, if there is one, by a
        posted EditorInactiveMessage: always when going inactive (with `text`), when going active
        only if it was inactive. The last argument is not used. */
    void _setPluginActive (bool active, const juce::String& text, bool);

    //==============================================================================
    int hostId = 0;
    /** Held while the editor is built from the processor's state. Lock order: the framework's
        editor lock (AudioProcessor::createEditorIfNeeded, editorBeingDeleted) before this one;
        never call anything that takes the editor lock while holding it. Not taken by the audio
        callbacks. */
    juce::CriticalSection processorLock;
    /** Gate of the mapped audio path; read by the input audio thread. */
    std::atomic<bool> pluginActive { false };
    juce::String inactiveText;
    bool channelModeChosen = false;
    size_t availableInputChannels = 0;
    size_t requiredInputChannels = 0;
    int channelMode = 3;
    int inputSampleRate = 0;
    AudioDeviceHandler deviceHandler;
    /** Transport state last reported by incoming MIDI Machine Control; written on a MIDI
        input's thread. */
    std::atomic<bool> remotePlaying { true };
    /** The "ChannelMapping" setting; message thread only. Always 6 entries; change entries only
        through setChannelMappingEntry. */
    IntListAttribute channelMapping;
    /** What the input audio thread reads of channelMapping. */
    RealtimeChannelMapping realtimeMapping;
    /** Open ScopedChannelMappingWrites; message thread only. */
    int channelMappingWriteDepth = 0;
    DelayedUpdateChecker delayedUpdateChecker;
    DelayedThreadStarter delayedThreadStarter;
    BoolAttribute solvinConnected;
    bool restoreRouting = false;

    /** The user's automatic-update switch; message thread only. */
    static bool s_enableAutoUpdate;
    /** The one look-and-feel shared by every processor of the process; message thread only. */
    static KestroLookAndFeel* s_lookAndFeel;
    /** Number of live processors; message thread only. */
    static int s_instanceCounter;

protected:
    /** Has the editor, if there is one, rebuild its routing rows (by a posted UpdateRoutingMessage). */
    void _postRoutingUpdateToEditor();

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (UsbPluginAudioProcessor)
};
