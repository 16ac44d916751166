#include "settings/IntListText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

namespace
{
    constexpr int32_t m_min = std::numeric_limits<int32_t>::min();
    constexpr int32_t m_max = std::numeric_limits<int32_t>::max();
}

struct TextToListCase
{
    const wchar_t* text;
    std::vector<int32_t> expected;
};

class SettingsIntListTextParsing : public ::testing::TestWithParam<TextToListCase> {};

TEST_P (SettingsIntListTextParsing, GivesOneEntryForEachPiece)
{
    EXPECT_EQ (textToIntList (GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P (Settings, SettingsIntListTextParsing, ::testing::Values (
    TextToListCase { L"0,1,2,3,4,5", { 0, 1, 2, 3, 4, 5 } },
    TextToListCase { L" 2, 3", { 2, 3 } },
    TextToListCase { L"\t\n\v\f\r 9", { 9 } },
    TextToListCase { L"-7", { -7 } },
    TextToListCase { L"+5", { 5 } },
    TextToListCase { L"007", { 7 } },
    TextToListCase { L"1;2", { 1 } },
    TextToListCase { L"12abc", { 12 } },
    TextToListCase { L"3 4", { 3 } },
    TextToListCase { L"0x10", { 0 } },
    TextToListCase { L"abc", { 0 } },
    TextToListCase { L"-", { 0 } },
    TextToListCase { L"+-3", { 0 } },
    TextToListCase { L"2147483647", { m_max } },
    TextToListCase { L"2147483648", { m_max } },
    TextToListCase { L"99999999999", { m_max } },
    TextToListCase { L"-2147483648", { m_min } },
    TextToListCase { L"-99999999999999999999999999", { m_min } },
    TextToListCase { L"000000000000000000000000042", { 42 } },
    TextToListCase { L"", { 0 } },
    TextToListCase { L" ", { 0 } },
    TextToListCase { L"1,", { 1, 0 } },
    TextToListCase { L",1", { 0, 1 } },
    TextToListCase { L"4,,5", { 4, 0, 5 } }));

TEST (SettingsIntListText, EveryTextWithKCommasGivesKPlusOneEntries)
{
    for (const std::wstring text : { L",", L",,,", L"a,b", L"1,2,3,", L" , ,", L"x;y,z" })
        EXPECT_EQ (textToIntList (text).size(), (size_t) std::count (text.begin(), text.end(), L',') + 1) << text;
}

struct ListToTextCase
{
    std::vector<int32_t> list;
    const wchar_t* expected;
};

class SettingsIntListTextWriting : public ::testing::TestWithParam<ListToTextCase> {};

TEST_P (SettingsIntListTextWriting, JoinsShortestDecimalFormsAndReadsBack)
{
    const auto text = intListToText (GetParam().list);
    EXPECT_EQ (text, GetParam().expected);

    if (! GetParam().list.empty())
    {
        EXPECT_EQ (textToIntList (text), GetParam().list);
    }
}

INSTANTIATE_TEST_SUITE_P (Settings, SettingsIntListTextWriting, ::testing::Values (
    ListToTextCase { { 0, 1, 2, 3, 4, 5 }, L"0,1,2,3,4,5" },
    ListToTextCase { {}, L"" },
    ListToTextCase { { 0 }, L"0" },
    ListToTextCase { { -1, 10 }, L"-1,10" },
    ListToTextCase { { m_min, m_max, 0 }, L"-2147483648,2147483647,0" }));
