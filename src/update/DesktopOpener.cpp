#include "DesktopOpener.h"

#include <memory>
#include <thread>

namespace
{
bool isUriCharacter (juce::juce_wchar c)
{
    // RFC 3986: unreserved, gen-delims and sub-delims; "%" is checked with its escape.
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
        || juce::String ("-._~:/?#[]@!$&'()*+,;=").containsChar (c);
}

bool isHexDigit (juce::juce_wchar c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
} // namespace

juce::String DesktopOpener::checkedWebLink (const juce::String& text)
{
    const auto link = text.trim();

    const auto schemeLength = link.startsWithIgnoreCase ("https://") ? 8 : link.startsWithIgnoreCase ("http://") ? 7 : 0;

    if (schemeLength == 0)
        return {};

    // A host must follow the scheme (after any user part, before any port).
    const auto host = link.substring (schemeLength)
                          .upToFirstOccurrenceOf ("/", false, false)
                          .upToFirstOccurrenceOf ("?", false, false)
                          .upToFirstOccurrenceOf ("#", false, false)
                          .fromLastOccurrenceOf ("@", false, false);

    if (! host.startsWithChar ('[') && host.upToFirstOccurrenceOf (":", false, false).isEmpty())
        return {};

    for (auto p = link.getCharPointer(); ! p.isEmpty(); ++p)
    {
        const auto c = *p;

        if (c == '%')
        {
            auto escape = p;
            if (! isHexDigit (*++escape) || ! isHexDigit (*++escape))
                return {};
        }
        else if (! isUriCharacter (c))
        {
            return {};
        }
    }

    return link;
}

bool DesktopOpener::openLink (const juce::String& link)
{
    const auto checked = checkedWebLink (link);

    if (checked.isEmpty() || checked != link)
        return false;

    return _startOpener (checked);
}

bool DesktopOpener::openFolder (const juce::File& folder)
{
    // An absolute path never starts with "-", so the opener cannot take it for an option.
    const auto path = folder.getFullPathName();

    if (! juce::File::isAbsolutePath (path))
        return false;

    return _startOpener (path);
}

bool DesktopOpener::_startOpener (const juce::String& target)
{
    auto process = std::make_unique<juce::ChildProcess>();

    // The argument list is exec'd as it is: no shell, no word splitting, no expansion.
    if (! process->start (juce::StringArray { openerProgram, target }, 0))
        return false;

    // The opener may stay until the program it started ends (a browser in the foreground); its
    // exit is collected on a thread of its own, which owns the process object.
    std::thread ([child = std::move (process)]
                 {
                     while (child->isRunning())
                         juce::Thread::sleep (200);
                 })
        .detach();

    return true;
}
