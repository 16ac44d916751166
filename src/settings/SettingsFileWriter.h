#pragma once

#include <juce_core/juce_core.h>

#include <cstddef>

/** Replaces a settings file with new bytes, all at once: they are written to a new file beside
    the one replaced and then renamed over it, so a failed or short write (a full disk) keeps the
    old file whole and leaves nothing behind. A symbolic link in the file's place (settings kept in
    a folder of dotfiles) is followed to the file it names, which is replaced in its own folder;
    the link stays as it is. The new file takes the old one's permissions.

    Keeps no state between calls; any thread may call it, one writer a file at a time. */
class SettingsFileWriter
{
public:
    /** The file that a write of `file` replaces: `file` itself, or where its chain of links
        ends (which may not exist yet). Empty for a chain that loops. */
    static juce::File resolveLinks (const juce::File& file);

    /** Returns whether the file now holds exactly these bytes. The folder must exist. */
    static bool replace (const juce::File& file, const void* data, size_t numBytes);

    /** Writes every byte to `fd`, going on after an interrupted or short write; false on an error. */
    static bool writeAll (int fd, const char* data, size_t size);

    SettingsFileWriter() = delete;
};
