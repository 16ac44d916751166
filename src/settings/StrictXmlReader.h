#pragma once

#include <juce_core/juce_core.h>

#include <cstddef>
#include <memory>

/** The one reader for XML that comes from outside the program: the files in the settings folder
    and the versions document from the network. It is built on expat and takes only what those
    documents need:
    - the bytes must be well-formed XML in UTF-8 (a byte-order mark and a declaration are fine;
      malformed, overlong or truncated sequences, and any other encoding, are refused);
    - a document type declaration is refused as soon as it starts, so no entity but the five
      predefined ones and character references is ever expanded, and nothing is read from
      another file or address;
    - elements nested deeper than the caller's limit, or carrying more than maxAttributes
      attributes, are refused; the reader counts the depth itself, and neither it nor expat
      recurses per level, so the limit also bounds every recursive walk of the tree it returns.

    What it accepts becomes the juce::XmlElement tree the framework's own parser would build:
    elements with their attributes in document order and text exactly as decoded (character
    references included; line ends normalised as XML says), a text node for each run of
    character data (CDATA sections and text on either side of a comment or processing
    instruction join into one run). A run of white space only is dropped when the element also
    holds other content (the indentation between elements), and kept when it is the element's
    whole content. Comments and processing instructions are dropped.

    Keeps no state between calls; any thread may call it. */
class StrictXmlReader
{
public:
    /** Deep enough for any settings file the program or a user writes. */
    static constexpr int defaultMaxDepth = 256;

    /** An element with more attributes than this is refused (the framework adds each attribute
        by walking the ones before it). */
    static constexpr int maxAttributes = 1024;

    /** A settings file larger than this is not read (they are a few hundred bytes). */
    static constexpr juce::int64 maxFileBytes = 4 * 1024 * 1024;

    /** The document's root element, or null for "no document": bytes that are empty, not
        well-formed, or refused for one of the reasons above. */
    static std::unique_ptr<juce::XmlElement> parse (const void* data, size_t numBytes, int maxDepth = defaultMaxDepth);

    /** How readFile moves a file aside: juce::File::moveFileTo unless a test needs a move that
        fails. */
    using MoveFunction = bool (*) (const juce::File& source, const juce::File& target);

    /** Reads a settings file. Null, with nothing touched, for an empty path, a missing file, a
        folder in its place or an empty file. A file that exists but cannot be read, is larger
        than maxFileBytes or holds no document also gives null, after it has been moved to
        unreadableCopyOf (file) beside it (copied when it cannot be moved; an older copy there
        is replaced), so that the next write of the file does not destroy what it held. */
    static std::unique_ptr<juce::XmlElement> readFile (const juce::File& file, MoveFunction moveFile = nullptr);

    /** Where readFile keeps a file it could not read: "<name>.unreadable" in the same folder. */
    static juce::File unreadableCopyOf (const juce::File& file);

    StrictXmlReader() = delete;
};
