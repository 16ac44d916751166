#include "IntListText.h"

#include <algorithm>
#include <limits>

namespace
{
    bool _isSpace (wchar_t c)
    {
        return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r';
    }

    int32_t _pieceToInt (const std::wstring& text, size_t begin, size_t end)
    {
        auto i = begin;

        while (i < end && _isSpace (text[i]))
            ++i;

        bool negative = false;

        if (i < end && (text[i] == L'+' || text[i] == L'-'))
            negative = text[i++] == L'-';

        // Accumulated as a magnitude that stops growing past the 32-bit range, so any number of
        // digits is safe.
        constexpr int64_t limit = int64_t (std::numeric_limits<int32_t>::max()) + 1;
        int64_t magnitude = 0;

        for (; i < end && text[i] >= L'0' && text[i] <= L'9'; ++i)
            magnitude = std::min (limit, magnitude * 10 + (text[i] - L'0'));

        if (negative)
            return (int32_t) -magnitude;

        return (int32_t) std::min (magnitude, limit - 1);
    }
}

std::wstring intListToText (std::vector<int32_t> list)
{
    std::wstring text;

    for (size_t i = 0; i < list.size(); ++i)
    {
        if (i > 0)
            text += L',';

        text += std::to_wstring (list[i]);
    }

    return text;
}

std::vector<int32_t> textToIntList (std::wstring text)
{
    std::vector<int32_t> list;
    size_t pieceStart = 0;

    for (;;)
    {
        const auto comma = text.find (L',', pieceStart);
        const auto pieceEnd = comma == std::wstring::npos ? text.size() : comma;
        list.push_back (_pieceToInt (text, pieceStart, pieceEnd));

        if (comma == std::wstring::npos)
            return list;

        pieceStart = comma + 1;
    }
}
