#pragma once

#include <juce_core/juce_core.h>

#include <fcntl.h>
#include <sys/inotify.h>
#include <unistd.h>

/** Counts the opens of one file (of its inode, whatever name reaches it), as inotify reports
    them: a handle that opens nothing (O_PATH) is no open, any read or write open is. */
class OpenWatch
{
public:
    explicit OpenWatch (const juce::File& file)
        : fd (::inotify_init1 (IN_NONBLOCK | IN_CLOEXEC))
    {
        isWatching = fd >= 0 && ::inotify_add_watch (fd, file.getFullPathName().toRawUTF8(), IN_OPEN) >= 0;
    }

    ~OpenWatch()
    {
        if (fd >= 0)
            ::close (fd);
    }

    /** The opens reported since the last call. */
    int takeOpens()
    {
        int opens = 0;
        alignas (inotify_event) char buffer[4096];

        for (;;)
        {
            const auto count = ::read (fd, buffer, sizeof (buffer));
            if (count <= 0)
                return opens;

            for (ssize_t offset = 0; offset < count;)
            {
                const auto* event = reinterpret_cast<const inotify_event*> (buffer + offset);
                opens += (event->mask & IN_OPEN) != 0 ? 1 : 0;
                offset += (ssize_t) (sizeof (inotify_event) + event->len);
            }
        }
    }

    bool isWatching = false;

private:
    const int fd;

    JUCE_DECLARE_NON_COPYABLE (OpenWatch)
};
