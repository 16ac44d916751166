#pragma once

#include <juce_core/juce_core.h>

#include <memory>

class StandaloneProcessor;

/** config.xml: the input device's set-up and the channel mapping, read at start-up and written at
    shutdown. Message thread only. */
class StandaloneConfigFile
{
public:
    /** The parsed document, or null when the file is missing, a folder or not XML. */
    static std::unique_ptr<juce::XmlElement> read (const juce::File& file);

    /** Applies a document read by `read` to the processor. */
    static void restore (const juce::XmlElement& root, StandaloneProcessor& processor);

    /** Replaces the file with the processor's current state. The old file stays if writing fails. */
    static bool write (const juce::File& file, StandaloneProcessor& processor);
};
