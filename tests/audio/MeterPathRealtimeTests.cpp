// The audio callbacks of the meter path allocate nothing and take no lock but the handler's
// ringLock. This binary replaces the global allocation functions and pthread_mutex_lock /
// pthread_mutex_trylock to see what two audio threads do while counting is armed; it is built
// without sanitizers, which replace the same functions.
//
// How the lock check knows: every juce::CriticalSection (ScopedLock), std::mutex and
// juce::WaitableEvent on Linux goes through pthread_mutex_lock or pthread_mutex_trylock, and the
// JUCE code is linked statically into this binary, so its calls land here. juce::SpinLock does not;
// the meter path uses none (its only lock is ringLock, a CriticalSection).

#include "ChannelIdentitySignal.h"
#include "MeterTestRig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <dlfcn.h>
#include <new>
#include <pthread.h>
#include <thread>

namespace
{
std::atomic<bool> g_armed { false };
thread_local bool t_isAudioThread = false;

std::atomic<long> g_allocations { 0 };
std::atomic<long> g_deallocations { 0 };
std::atomic<long> g_locks { 0 };

// The distinct mutexes the audio threads locked; a fixed table, since recording may not allocate.
std::array<std::atomic<void*>, 32> g_lockedMutexes {};

bool isCounting() noexcept
{
    return t_isAudioThread && g_armed.load (std::memory_order_relaxed);
}

void noteLock (void* mutex) noexcept
{
    ++g_locks;

    for (auto& slot : g_lockedMutexes)
    {
        void* expected = nullptr;

        if (slot.compare_exchange_strong (expected, mutex) || expected == mutex)
            return;
    }
}

void* allocate (std::size_t size) noexcept
{
    if (isCounting())
        ++g_allocations;

    return std::malloc (size == 0 ? 1 : size);
}

void* allocateAligned (std::size_t size, std::align_val_t alignment) noexcept
{
    if (isCounting())
        ++g_allocations;

    void* p = nullptr;
    return posix_memalign (&p, juce::jmax (sizeof (void*), (std::size_t) alignment), size == 0 ? 1 : size) == 0 ? p : nullptr;
}

void release (void* p) noexcept
{
    if (p != nullptr && isCounting())
        ++g_deallocations;

    std::free (p);
}

void* allocateOrThrow (void* p)
{
    if (p == nullptr)
        throw std::bad_alloc();

    return p;
}

using MutexFunction = int (*) (pthread_mutex_t*);

MutexFunction realMutexFunction (std::atomic<MutexFunction>& cache, const char* name) noexcept
{
    auto function = cache.load();

    if (function == nullptr)
    {
        function = reinterpret_cast<MutexFunction> (dlsym (RTLD_NEXT, name));
        cache = function;
    }

    return function;
}

std::atomic<MutexFunction> g_realLock { nullptr }, g_realTryLock { nullptr };
} // namespace

void* operator new (std::size_t size)                                        { return allocateOrThrow (allocate (size)); }
void* operator new[] (std::size_t size)                                      { return allocateOrThrow (allocate (size)); }
void* operator new (std::size_t size, const std::nothrow_t&) noexcept        { return allocate (size); }
void* operator new[] (std::size_t size, const std::nothrow_t&) noexcept      { return allocate (size); }
void* operator new (std::size_t size, std::align_val_t a)                    { return allocateOrThrow (allocateAligned (size, a)); }
void* operator new[] (std::size_t size, std::align_val_t a)                  { return allocateOrThrow (allocateAligned (size, a)); }
void* operator new (std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept   { return allocateAligned (size, a); }
void* operator new[] (std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept { return allocateAligned (size, a); }

void operator delete (void* p) noexcept                                      { release (p); }
void operator delete[] (void* p) noexcept                                    { release (p); }
void operator delete (void* p, std::size_t) noexcept                         { release (p); }
void operator delete[] (void* p, std::size_t) noexcept                       { release (p); }
void operator delete (void* p, std::align_val_t) noexcept                    { release (p); }
void operator delete[] (void* p, std::align_val_t) noexcept                  { release (p); }
void operator delete (void* p, std::size_t, std::align_val_t) noexcept       { release (p); }
void operator delete[] (void* p, std::size_t, std::align_val_t) noexcept     { release (p); }
void operator delete (void* p, const std::nothrow_t&) noexcept               { release (p); }
void operator delete[] (void* p, const std::nothrow_t&) noexcept             { release (p); }

extern "C" int pthread_mutex_lock (pthread_mutex_t* mutex)
{
    if (isCounting())
        noteLock (mutex);

    return realMutexFunction (g_realLock, "pthread_mutex_lock") (mutex);
}

extern "C" int pthread_mutex_trylock (pthread_mutex_t* mutex)
{
    if (isCounting())
        noteLock (mutex);

    return realMutexFunction (g_realTryLock, "pthread_mutex_trylock") (mutex);
}

namespace
{
class MeterPathRealtime : public ::testing::TestWithParam<int> {};

TEST_P (MeterPathRealtime, AudioCallbacksAllocateNothingAndTakeOnlyTheRingLock)
{
    const int numChannels = GetParam();
    MeterTestRig::Options options;
    options.inputChannels = numChannels;
    MeterTestRig rig (options);
    ASSERT_TRUE (rig.waitForState (DeviceState::DeviceReady));
    ASSERT_TRUE (rig.setRouting (true));

    auto& processor = *rig.processor;
    auto& handler = rig.handler();
    ASSERT_EQ (processor.numActiveInputs.load(), numChannels);
    ASSERT_TRUE (handler.outputActive.load());

    // Everything the audio threads use is made here, before counting.
    constexpr int numInputBlocks = 4000;
    constexpr int numMeterBlocks = 16000;
    const auto input = ChannelIdentitySignal::makeBlock (numChannels, 0, 256);
    juce::AudioBuffer<float> output (numChannels, 64);
    std::vector<int> inputBlockSizes;
    juce::Random random (7);

    for (int i = 0; i < numInputBlocks; ++i)
        inputBlockSizes.push_back (random.nextInt ({ 1, 257 }));

    const juce::AudioIODeviceCallbackContext context {};
    std::atomic<int> soundingMeterBlocks { 0 };

    for (auto& slot : g_lockedMutexes)
        slot = nullptr;

    g_allocations = 0;
    g_deallocations = 0;
    g_locks = 0;
    g_armed = true;

    // The two threads keep loosely in step, as two device clocks do, whatever the scheduler does:
    // the meter never runs ahead of the input (so audio goes through), and the input never runs
    // far ahead of the meter (so a stalled meter thread never looks like a meter that went away).
    std::atomic<int> inputBlocksDone { 0 }, meterBlocksDone { 0 };
    const auto waitUntil = [] (const std::atomic<int>& count, int atLeast)
    {
        while (count.load() < atLeast)
            std::this_thread::yield();
    };

    // The input device's callback: StandaloneProcessor -> processBlock -> processAudio.
    std::thread inputThread ([&]
    {
        t_isAudioThread = true;

        for (int i = 0; i < numInputBlocks; ++i)
        {
            waitUntil (meterBlocksDone, 4 * (i - 16));
            processor.audioDeviceIOCallbackWithContext (input.getArrayOfReadPointers(), numChannels,
                                                        nullptr, 0, inputBlockSizes[(size_t) i], context);
            ++inputBlocksDone;
        }

        t_isAudioThread = false;
    });

    // The meter device's callback: the read side.
    std::thread meterThread ([&]
    {
        t_isAudioThread = true;

        for (int i = 0; i < numMeterBlocks; ++i)
        {
            waitUntil (inputBlocksDone, std::min (numInputBlocks, i / 4 + 1));
            handler.audioDeviceIOCallbackWithContext (nullptr, 0, output.getArrayOfWritePointers(), numChannels, 64, context);

            if (output.getSample (0, 0) != 0.0f)
                ++soundingMeterBlocks;

            ++meterBlocksDone;
        }

        t_isAudioThread = false;
    });

    inputThread.join();
    meterThread.join();
    g_armed = false;

    EXPECT_EQ (g_allocations.load(), 0);
    EXPECT_EQ (g_deallocations.load(), 0);
    EXPECT_GT (soundingMeterBlocks.load(), 0) << "no audio went through: the path was not exercised";

    // Each callback locks ringLock once; both threads ran thousands of blocks.
    EXPECT_GE (g_locks.load(), (long) (numInputBlocks + numMeterBlocks));

    std::vector<void*> locked;

    for (auto& slot : g_lockedMutexes)
        if (auto* mutex = slot.load())
            locked.push_back (mutex);

    // A CriticalSection's only member on Linux is its pthread mutex.
    EXPECT_EQ (locked, std::vector<void*> { static_cast<void*> (&handler.ringLock) });
}

INSTANTIATE_TEST_SUITE_P (MeterPathRealtimeChannels, MeterPathRealtime, ::testing::Values (2, 6),
    [] (const ::testing::TestParamInfo<int>& param) { return std::to_string (param.param) + "Channels"; });
} // namespace
