#pragma once

#include <juce_core/juce_core.h>

/** What a virtual audio device offers. A device with input channels is listed as an input, one
    with output channels as an output; with both it is a duplex device listed under the same name
    in both lists. */
struct VirtualDeviceDescription
{
    juce::String name;
    juce::StringArray inputChannelNames;
    juce::StringArray outputChannelNames;
    juce::Array<double> sampleRates { 44100.0, 48000.0, 88200.0, 96000.0 };
    juce::Array<int> bufferSizes { 64, 128, 256, 512, 1024 };
    int defaultBufferSize = 256;
    int inputLatencySamples = 0;
    int outputLatencySamples = 0;
    /** As JUCE's JACK device, whose ports JACK reports connected only from a later cycle on: an
        opened device first starts with no active output, and restarts with the outputs it was
        opened with once the message thread runs. */
    bool outputsConnectAfterStart = false;
    /** As JUCE's JACK device whose ports nobody connects: an opened device starts with no
        active output and stays so. */
    bool outputsNeverConnect = false;

    bool hasInputs() const noexcept   { return ! inputChannelNames.isEmpty(); }
    bool hasOutputs() const noexcept  { return ! outputChannelNames.isEmpty(); }

    static VirtualDeviceDescription input (const juce::String& deviceName, const juce::StringArray& channelNames)
    {
        return duplex (deviceName, channelNames, {});
    }

    static VirtualDeviceDescription output (const juce::String& deviceName, const juce::StringArray& channelNames)
    {
        return duplex (deviceName, {}, channelNames);
    }

    static VirtualDeviceDescription duplex (const juce::String& deviceName,
                                     const juce::StringArray& inputNames,
                                     const juce::StringArray& outputNames)
    {
        VirtualDeviceDescription description;
        description.name = deviceName;
        description.inputChannelNames = inputNames;
        description.outputChannelNames = outputNames;
        return description;
    }

    /** Channels named "Input 1", "Input 2", ... */
    static VirtualDeviceDescription input (const juce::String& deviceName, int numChannels)
    {
        return input (deviceName, numberedNames ("Input", numChannels));
    }

    /** Channels named "Output 1", "Output 2", ... */
    static VirtualDeviceDescription output (const juce::String& deviceName, int numChannels)
    {
        return output (deviceName, numberedNames ("Output", numChannels));
    }

    static VirtualDeviceDescription duplex (const juce::String& deviceName, int numInputs, int numOutputs)
    {
        return duplex (deviceName, numberedNames ("Input", numInputs), numberedNames ("Output", numOutputs));
    }

    static juce::StringArray numberedNames (const juce::String& prefix, int count)
    {
        juce::StringArray names;

        for (int i = 1; i <= count; ++i)
            names.add (prefix + " " + juce::String (i));

        return names;
    }
};
