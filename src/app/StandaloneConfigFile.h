#pragma once

#include <juce_core/juce_core.h>

#include <memory>

class StandaloneProcessor;

/** config.xml: the input device's set-up and the channel mapping, read at start-up and written at
    shutdown. Element names are matched ignoring case. Message thread only. */
class StandaloneConfigFile
{
public:
    /** The parsed document, whatever its root element's name, or null when the file is missing,
        a folder, empty, no regular file, or not read by the strict reader of untrusted XML; a file
        that is there but not read is first set aside as "config.xml.unreadable" beside it
        (numbered when that name is taken), so that the shutdown's write keeps what it held. */
    static std::unique_ptr<juce::XmlElement> read (const juce::File& file);

    /** Applies a document read by `read` to the processor: reopens the input device from the
        saved set-up, then hands the saved mapping to StandaloneProcessor::restoreChannelMapping,
        which keeps it where it suits the device now open and through the device notification
        that follows. An empty mapping changes nothing. */
    static void restore (const juce::XmlElement& root, StandaloneProcessor& processor);

    /** Replaces the file with the processor's current state under the root
        "KestroVantrelStandalone", all at once (SettingsFileWriter: the old file stays whole if
        anything fails, and a link in its place is written through and kept). What is in the
        file's place is looked at as `read` does first: a folder, and a file that cannot be read
        and cannot be set aside, are left alone. Returns whether the file was replaced. */
    static bool write (const juce::File& file, StandaloneProcessor& processor);
};
