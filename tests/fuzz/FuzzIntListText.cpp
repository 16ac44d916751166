// The integer-list text (the channel mapping in config.xml and the state block): any text gives
// one entry per comma-separated piece, and the list it gives survives its own text form.

#include "FuzzSupport.h"

#include "settings/IntListText.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    // Both ways the text reaches the reader: config.xml widens each byte, the state block
    // decodes UTF-8 (so any code point).
    const std::wstring bytes (data, data + size);
    const auto decoded = decodedText (data, size);

    for (const auto& text : { bytes, std::wstring (decoded.toWideCharPointer()) })
    {
        const auto list = textToIntList (text);
        FUZZ_CHECK (list.size() == (size_t) std::count (text.begin(), text.end(), L',') + 1);
        FUZZ_CHECK (textToIntList (intListToText (list)) == list);
    }

    return 0;
}
