#pragma once

#include <cstdint>
#include <string>
#include <vector>

/** The text form of an integer list: decimal numbers joined by "," with no blanks, as used for the
    channel mapping. Pure functions; safe on any thread. */

/** Joins the entries' shortest decimal forms with ","; an empty list gives the empty text. */
std::wstring intListToText (std::vector<int32_t> list);

/** One entry for each piece between commas (k commas give k + 1 entries). A piece is read like
    strtol in base 10: leading white space, an optional sign, the longest run of digits, the rest
    ignored; a piece without digits (empty, blank, "abc") gives 0, and a number beyond the 32-bit
    range gives the nearest limit. */
std::vector<int32_t> textToIntList (std::wstring text);
