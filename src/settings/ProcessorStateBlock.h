#pragma once

#include <juce_core/juce_core.h>

class Data;

/** The processor state block a plug-in host stores: a 32-bit magic, a 32-bit length n, n bytes of
    UTF-8 XML text holding the owner's settings and one zero byte, all little-endian.

    Both functions may run on a host thread; they take each setting's lock while they work on it. */

/** Replaces the contents of `block` with the settings of `data`. */
void writeStateBlock (Data& data, juce::MemoryBlock& block);

/** Loads the settings of `data` from a block a host hands back; the bytes are untrusted.

    A block shorter than the header, with the wrong magic or with a length of 0 or less changes
    nothing and gives false. Otherwise the text is read as far as the block goes (a length beyond
    the block is cut to it), every setting found in it is loaded, the others keep their values
    and move their revert points to them, and the result is true. */
bool readStateBlock (Data& data, const void* bytes, int sizeInBytes);
