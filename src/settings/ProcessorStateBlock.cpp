#include "ProcessorStateBlock.h"

#include "Data.h"
#include "FastXml.h"

#include <algorithm>
#include <sstream>

namespace
{
    constexpr juce::uint32 m_stateBlockMagic = 0x02CEDEF5;
    constexpr int m_headerSize = 8;

    void _writeLittleEndian (char* destination, juce::uint32 value)
    {
        for (int i = 0; i < 4; ++i)
            destination[i] = (char) ((value >> (8 * i)) & 0xff);
    }

    juce::uint32 _readLittleEndian (const juce::uint8* source)
    {
        return (juce::uint32) source[0]
             | ((juce::uint32) source[1] << 8)
             | ((juce::uint32) source[2] << 16)
             | ((juce::uint32) source[3] << 24);
    }

    // Decoded here rather than through juce::String: the block comes from a host, and JUCE's own
    // conversion of malformed UTF-8 (stray continuation bytes, overlong forms) writes past the
    // end of its buffer. The text ends at the first zero byte; every malformed, overlong,
    // surrogate or out-of-range sequence becomes one U+FFFD.
    std::wstring _decodeUtf8 (const juce::uint8* bytes, size_t count)
    {
        std::wstring text;
        size_t i = 0;

        while (i < count && bytes[i] != 0)
        {
            const auto lead = bytes[i];

            if (lead < 0x80)
            {
                text += (wchar_t) lead;
                ++i;
                continue;
            }

            size_t extra = 0;
            juce::uint32 codePoint = 0, smallest = 0;

            if ((lead & 0xe0) == 0xc0)      { extra = 1; codePoint = lead & 0x1fu; smallest = 0x80; }
            else if ((lead & 0xf0) == 0xe0) { extra = 2; codePoint = lead & 0x0fu; smallest = 0x800; }
            else if ((lead & 0xf8) == 0xf0) { extra = 3; codePoint = lead & 0x07u; smallest = 0x10000; }

            size_t length = 1;

            for (; length <= extra && i + length < count && (bytes[i + length] & 0xc0) == 0x80; ++length)
                codePoint = (codePoint << 6) | (bytes[i + length] & 0x3fu);

            const bool valid = extra > 0 && length == extra + 1 && codePoint >= smallest
                            && codePoint <= 0x10ffff && (codePoint < 0xd800 || codePoint > 0xdfff);

            text += valid ? (wchar_t) codePoint : L'\xfffd';
            i += length;
        }

        return text;
    }
}

void writeStateBlock (Data& data, juce::MemoryBlock& block)
{
    XmlNode root (nullptr, false, L"root");
    data.save (&root);

    std::wostringstream stream;
    xmlWriteFileImpl (stream, &root, 0);

    const juce::String text (stream.str().c_str());
    const auto numBytes = text.getNumBytesAsUTF8();

    block.setSize (numBytes + m_headerSize + 1);
    auto* destination = static_cast<char*> (block.getData());

    _writeLittleEndian (destination, m_stateBlockMagic);
    _writeLittleEndian (destination + 4, (juce::uint32) numBytes);
    memcpy (destination + m_headerSize, text.toRawUTF8(), numBytes);
    destination[m_headerSize + numBytes] = 0;
}

bool readStateBlock (Data& data, const void* bytes, int sizeInBytes)
{
    if (bytes == nullptr || sizeInBytes < m_headerSize + 1)
        return false;

    const auto* block = static_cast<const juce::uint8*> (bytes);

    if (_readLittleEndian (block) != m_stateBlockMagic)
        return false;

    const auto declaredLength = (juce::int32) _readLittleEndian (block + 4);

    if (declaredLength <= 0)
        return false;

    const auto available = (size_t) (sizeInBytes - m_headerSize);
    const auto count = std::min ((size_t) declaredLength, available);

    const auto root = xmlReadFileImpl (_decodeUtf8 (block + m_headerSize, count));
    data.load (root.get());
    return true;
}
