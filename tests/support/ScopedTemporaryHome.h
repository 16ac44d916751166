#pragma once

#include <juce_core/juce_core.h>

#include <cstdlib>
#include <optional>

/** Points HOME at a fresh temporary folder for one test and puts the old value back, so that the
    editor's globalconfig.xml (under the user's application-data folder, ~/.config here) goes
    there and not into the real home. */
class ScopedTemporaryHome
{
public:
    ScopedTemporaryHome()
    {
        if (const char* home = std::getenv ("HOME"))
            previousHome = juce::String (home);

        folder.createDirectory();
        ::setenv ("HOME", folder.getFullPathName().toRawUTF8(), 1);
    }

    ~ScopedTemporaryHome()
    {
        if (previousHome.has_value())
            ::setenv ("HOME", previousHome->toRawUTF8(), 1);
        else
            ::unsetenv ("HOME");

        folder.deleteRecursively();
    }

    /** Where the editor keeps globalconfig.xml while this home is in place. */
    juce::File globalConfigFile() const
    {
        return folder.getChildFile (".config/Kestro/Vantrel/globalconfig.xml");
    }

    const juce::File folder { juce::File::createTempFile ("kestro-home") };

private:
    std::optional<juce::String> previousHome;

    JUCE_DECLARE_NON_COPYABLE (ScopedTemporaryHome)
};
