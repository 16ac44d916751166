#include "FuzzSupport.h"

#include "NoDeviceType.h"

#include <juce_events/juce_events.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

void fuzzCheckFailed (const char* condition, const char* file, int line)
{
    std::fprintf (stderr, "Fuzz check failed: %s (%s:%d)\n", condition, file, line);
    std::abort();
}

void initialiseJuceForFuzzing()
{
    // Never shut down: at exit, JUCE's list of objects deleted at shutdown is itself a static
    // that may already be gone. The process ends right after the run anyway.
    static auto* initialiser = new juce::ScopedJuceInitialiser_GUI();
    juce::ignoreUnused (initialiser);
}

juce::File fuzzScratchFolder()
{
    // Kept as a plain path: the exit handler runs after JUCE's and this file's statics are gone.
    static const std::string path = []
    {
        auto base = juce::File::getSpecialLocation (juce::File::tempDirectory);
        auto made = base.getChildFile ("kestro-fuzz-" + juce::String ((int) ::getpid()));
        made.deleteRecursively();
        made.createDirectory();
        return made.getFullPathName().toStdString();
    }();

    static const bool cleanedAtExit = []
    {
        std::atexit ([] { std::error_code ignored; std::filesystem::remove_all (path, ignored); });
        return true;
    }();

    juce::ignoreUnused (cleanedAtExit);
    return juce::File (path);
}

void writeInputToFile (const juce::File& file, const uint8_t* data, size_t size)
{
    file.deleteFile();
    juce::FileOutputStream out (file);

    if (! out.openedOk() || ! out.write (data, size))
        fuzzCheckFailed ("the input could be written to the scratch folder", __FILE__, __LINE__);
}

namespace
{
// Strict UTF-8: no overlong forms, surrogates, values beyond U+10FFFF or cut-off sequences.
bool decodeStrictUtf8 (const uint8_t* data, size_t size, std::vector<juce::juce_wchar>& codePoints)
{
    for (size_t i = 0; i < size;)
    {
        const auto lead = data[i];
        size_t extra = 0;
        uint32_t value = lead, smallest = 0;

        if (lead >= 0xf0 && lead <= 0xf4)      { extra = 3; value = lead & 0x07u; smallest = 0x10000; }
        else if ((lead & 0xf0) == 0xe0)        { extra = 2; value = lead & 0x0fu; smallest = 0x800; }
        else if (lead >= 0xc2 && lead <= 0xdf) { extra = 1; value = lead & 0x1fu; smallest = 0x80; }
        else if (lead >= 0x80)                 return false;

        if (extra >= size - i)
            return false;

        for (size_t k = 1; k <= extra; ++k)
        {
            if ((data[i + k] & 0xc0) != 0x80)
                return false;

            value = (value << 6) | (data[i + k] & 0x3fu);
        }

        if (value < smallest || value > 0x10ffff || (value >= 0xd800 && value <= 0xdfff))
            return false;

        codePoints.push_back ((juce::juce_wchar) value);
        i += extra + 1;
    }

    return true;
}
} // namespace

juce::String decodedText (const uint8_t* data, size_t size)
{
    std::vector<juce::juce_wchar> codePoints;

    if (! decodeStrictUtf8 (data, size, codePoints))
    {
        codePoints.clear();

        for (size_t i = 0; i < size; ++i)
            codePoints.push_back ((juce::juce_wchar) data[i]);
    }

    // A zero character would end the text early; the readers never see one inside a string.
    codePoints.erase (std::remove (codePoints.begin(), codePoints.end(), 0), codePoints.end());
    codePoints.push_back (0);
    return juce::String (juce::CharPointer_UTF32 (codePoints.data()));
}

AudioDeviceTypeFactory noAudioDevices()
{
    return []
    {
        std::vector<std::unique_ptr<juce::AudioIODeviceType>> types;
        types.push_back (std::make_unique<NoDeviceType>());
        return types;
    };
}
