#pragma once

#include <juce_core/juce_core.h>

#include <atomic>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

/** Opens a FIFO for writing, again and again, until it ends: a reader waiting in open() for a
    writer is let go and then reads the end of the file, so a reader that blocks on FIFOs cannot
    hang the test. Records whether anybody was waiting. */
class FifoReleaser
{
public:
    explicit FifoReleaser (const juce::File& fifo)
        : thread ([this, path = fifo.getFullPathName().toStdString()]
                  {
                      while (! done)
                      {
                          if (const int fd = ::open (path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC); fd >= 0)
                          {
                              readerWasWaiting = true;
                              ::close (fd);
                          }

                          std::this_thread::sleep_for (std::chrono::milliseconds (20));
                      }
                  })
    {
    }

    ~FifoReleaser()
    {
        done = true;
        thread.join();
    }

    std::atomic<bool> readerWasWaiting { false };

private:
    std::atomic<bool> done { false };
    std::thread thread;
};
