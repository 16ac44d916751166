#pragma once

#include <juce_core/juce_core.h>

#include <memory>

class StandaloneProcessor;

/** config.xml: the input device's set-up and the channel mapping, read at start-up and written at
    shutdown. Element names are matched ignoring case. Message thread only. */
class StandaloneConfigFile
{
public:
    /** The parsed document, or null when the file is missing, a folder, empty, or not read by the
        strict reader of untrusted XML; a file that exists but is not read is first moved to
        "config.xml.unreadable" beside it, so that the shutdown's write keeps what it held. */
    static std::unique_ptr<juce::XmlElement> read (const juce::File& file);

    /** Applies a document read by `read` to the processor: reopens the input device from the
        saved set-up, then hands the saved mapping to StandaloneProcessor::restoreChannelMapping,
        which keeps it where it suits the device now open and through the device notification
        that follows. An empty mapping changes nothing. */
    static void restore (const juce::XmlElement& root, StandaloneProcessor& processor);

    /** Replaces the file with the processor's current state: written to a temporary file beside
        it, then renamed over it, so the old file stays whole if anything fails. A folder in the
        file's place is left alone. Returns whether the file was replaced. */
    static bool write (const juce::File& file, StandaloneProcessor& processor);
};
