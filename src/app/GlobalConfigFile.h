#pragma once

#include <juce_core/juce_core.h>

/** globalconfig.xml: the automatic-update switch, kept between runs. The application reads it at
    start-up before the editor is built and writes it at shutdown once the editor is gone. The
    root element may have any name, and whatever else the file holds is kept when it is written.
    Message thread only. */
class GlobalConfigFile
{
public:
    /** The switch as stored in the file: the "enabled" attribute of the root's first child named
        "AutoUpdateCheck" (ignoring case), read by JUCE's boolean rule, so a child without the
        attribute reads as off. Returns `current` when the file is missing, a folder, empty, no
        regular file, not read by the strict reader of untrusted XML, or has no such child. A file
        that is there but not read is first set aside as "globalconfig.xml.unreadable" beside it
        (numbered when that name is taken), so that the write at shutdown keeps what it held. */
    static bool read (const juce::File& file, bool current);

    /** Stores the switch as "1" or "0" in the file. An existing document keeps every other byte:
        only the value of the first switch's "enabled" changes, or the attribute is added last to
        it, or a switch is added as the root's last child; a write whose result the reader would
        not take again (past the size limit, say) is not made. Without a document a new one is
        made, with the folders and a root "KestroVantrelStandalone" (a file that cannot be read is
        set aside as read() does; a folder, or such a file that cannot be set aside, is left alone
        and nothing is written). The file is replaced all at once (SettingsFileWriter: a failed
        write keeps the old file, and a link in its place is written through and kept). Returns
        whether the file was written; failures are not reported otherwise. */
    static bool write (const juce::File& file, bool enabled);

    GlobalConfigFile() = delete;

private:
    static juce::XmlElement* _findSwitch (juce::XmlElement& root);
};
