#pragma once

#include "audio/AudioDeviceTypeFactory.h"

#include <juce_core/juce_core.h>

#include <cstddef>
#include <cstdint>

/** What the fuzz targets share. Each target is one process that libFuzzer calls with one input at
    a time on its main thread, which is also JUCE's message thread here. */

// The entry points libFuzzer calls; each target defines the first, some the second.
extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size);
extern "C" int LLVMFuzzerInitialize (int* argc, char*** argv);

/** Ends the run with a message when a property of the code under test does not hold; libFuzzer
    keeps the input that did it like any other crash. */
#define FUZZ_CHECK(condition) \
    ((condition) ? (void) 0 : fuzzCheckFailed (#condition, __FILE__, __LINE__))

[[noreturn]] void fuzzCheckFailed (const char* condition, const char* file, int line);

/** Starts JUCE's message manager once for the whole run (no message is ever dispatched). */
void initialiseJuceForFuzzing();

/** A folder of this process's own, emptied and removed at exit, for the readers that take a file. */
juce::File fuzzScratchFolder();

/** Replaces `file` with exactly the input's bytes. */
void writeInputToFile (const juce::File& file, const uint8_t* data, size_t size);

/** The input as a text that JUCE's strings hold safely: its UTF-8 when it is valid UTF-8, else
    each byte as one character (Latin-1). For readers whose text reaches them already decoded. */
juce::String decodedText (const uint8_t* data, size_t size);

/** Device types for a processor that must never open a real or virtual device: one type that
    lists no devices and opens none. */
AudioDeviceTypeFactory noAudioDevices();
