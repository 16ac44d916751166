#include "DesktopOpener.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

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

/** A host with an optional port: a name, or an IPv6 address in brackets (RFC 3986's IP literal;
    its "v..." form, which no browser opens, is refused like anything else in brackets). */
bool isHostAndPort (const juce::String& hostAndPort)
{
    if (! hostAndPort.startsWithChar ('['))
        return ! hostAndPort.containsAnyOf ("[]") && hostAndPort.upToFirstOccurrenceOf (":", false, false).isNotEmpty();

    const auto close = hostAndPort.indexOfChar (']');
    if (close < 0)
        return false;

    in6_addr address;
    const auto port = hostAndPort.substring (close + 1);

    return ::inet_pton (AF_INET6, hostAndPort.substring (1, close).toRawUTF8(), &address) == 1
        && (port.isEmpty() || (port.startsWithChar (':') && port.substring (1).containsOnly ("0123456789")));
}
} // namespace

juce::String DesktopOpener::checkedWebLink (const juce::String& text)
{
    const auto link = text.trim();

    const auto schemeLength = link.startsWithIgnoreCase ("https://") ? 8 : link.startsWithIgnoreCase ("http://") ? 7 : 0;

    if (schemeLength == 0)
        return {};

    // A host must follow the scheme, before any port. A user part is refused: in
    // "https://dl.example@evil.example/" what reads as the host is a user name, and the browser
    // goes to evil.example.
    const auto host = link.substring (schemeLength)
                          .upToFirstOccurrenceOf ("/", false, false)
                          .upToFirstOccurrenceOf ("?", false, false)
                          .upToFirstOccurrenceOf ("#", false, false);

    if (host.containsChar ('@') || ! isHostAndPort (host))
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
    // Everything the children use is made before the fork: after it, in a program with other
    // threads, only async-signal-safe calls are allowed.
    const std::string program (openerProgram);
    const std::string argument (target.toStdString());
    char* const argv[] = { const_cast<char*> (program.c_str()), const_cast<char*> (argument.c_str()), nullptr };

    // Tells the parent whether the opener's exec worked: closed by the exec, or written with its errno.
    int report[2];
    if (::pipe2 (report, O_CLOEXEC) != 0)
        return false;

    const pid_t middle = ::fork();

    if (middle < 0)
    {
        ::close (report[0]);
        ::close (report[1]);
        return false;
    }

    if (middle == 0)
    {
        // The middle child starts the opener and ends at once, so the opener belongs to init,
        // which collects it whenever it ends: no thread here waits for it.
        ::close (report[0]);

        if (const pid_t opener = ::fork(); opener != 0)
            ::_exit (opener > 0 ? 0 : 1);

        // The report end first moves above the standard descriptors: in a program started with
        // its output closed the pipe can have got number 1 or 2, and /dev/null would replace it
        // there, so that a failed exec went unreported.
        int reportEnd = ::fcntl (report[1], F_DUPFD_CLOEXEC, 3);

        if (reportEnd < 0)
            ::_exit (127);

        // The opener gets standard input and nothing else of the program's (its X connection,
        // its lock file, its pipes): output to /dev/null (input too, if the program had none),
        // every other descriptor closed. The report pipe becomes 3, the one descriptor left, and
        // closes with the exec.
        if (const int devNull = ::open ("/dev/null", O_RDWR); devNull >= 0)
        {
            ::dup2 (devNull, STDOUT_FILENO);
            ::dup2 (devNull, STDERR_FILENO);

            if (devNull > STDERR_FILENO)
                ::close (devNull);
        }

        if (reportEnd != 3)
        {
            reportEnd = ::dup3 (reportEnd, 3, O_CLOEXEC);

            if (reportEnd < 0)
                ::_exit (127);
        }

        ::closefrom (4);
        ::execvp (argv[0], argv);

        const int error = errno;
        [[maybe_unused]] const auto written = ::write (reportEnd, &error, sizeof (error));
        ::_exit (127);
    }

    ::close (report[1]);

    int middleStatus = 0;
    while (::waitpid (middle, &middleStatus, 0) < 0 && errno == EINTR) {}

    // Nothing to read: the exec closed the pipe. A number: the errno of a failed exec.
    int error = 0;
    ssize_t count;
    while ((count = ::read (report[0], &error, sizeof (error))) < 0 && errno == EINTR) {}
    ::close (report[0]);

    return WIFEXITED (middleStatus) && WEXITSTATUS (middleStatus) == 0 && count == 0;
}
