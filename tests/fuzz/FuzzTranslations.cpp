// The translation texts, read as the resources hold them (the bytes followed by a zero byte).

#include "FuzzSupport.h"

#include "i18n/TranslationTable.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    if (size >= (size_t) std::numeric_limits<int>::max())
        return 0;

    std::vector<uint8_t> resource (data, data + size);
    resource.push_back (0);

    const auto table = TranslationTable::createTableFromText (resource.data(), (int) size);

    for (const auto* key : { "Settings", "Input Routing", "Last check", "" })
        (void) table->translate (key);

    (void) table->getLanguageName();
    return 0;
}
