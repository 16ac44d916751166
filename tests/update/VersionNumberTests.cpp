// Which "versionstring" texts count as newer than which: the rule that decides whether the user
// is offered a download, fed with the texts a server might send.

#include "update/VersionNumber.h"

#include <gtest/gtest.h>

namespace
{
struct VersionCase
{
    const char* candidate;
    const char* running;
    bool newer;
};

const VersionCase versionCases[] = {
    { "1.6.1", "1.6.0", true },
    { "1.6.0", "1.6.0", false },
    { "1.5.9", "1.6.0", false },
    { "1.7", "1.6.0", true },
    { "2", "1.6.0", true },
    { "2.0", "1.9.9", true },
    { "1.9.9", "2.0", false },
    { "1.7.0-beta", "1.6.0", true },     // the suffix is ignored
    { "1.6.0-rc2", "1.6.0", false },
    { "1.6.0.1", "1.6.0", false },       // four parts are no version
    { "1.7.0.1", "1.6.0", false },
    { "", "1.6.0", false },
    { "-1.7.0", "1.6.0", false },        // nothing before the "-"
    { "abc", "1.6.0", false },           // one part without digits reads 0
    { "1..7", "1.6.0", false },          // an empty part reads 0: 1.0.7
    { " 1. 7 .0", "1.6.0", true },       // white space before the digits is skipped
    { "+1.7.0", "1.6.0", true },
    { "1.7.0abc", "1.6.0", true },       // digits up to the first other character
    { "\"1.7\".0", "1.6.0", false },     // a quoted part starts with a quote, not a digit
    { "1.300.0", "2.0.0", false },       // parts never carry into the part before
    { "2.0.0", "1.300.0", true },
    { "1.6.256", "1.7.0", false },
    { "32768.0.0", "1.6.0", true },      // larger than the 16 bits a packed number gives it
    { "2147483647.0.0", "1.6.0", true },
    { "2147483648.0.0", "1.6.0", false }, // too large for an int: no version
    { "1.99999999999999999999.0", "1.6.0", false },
    { "1.6.0", "abc.def", true },
    { "1.6.0", "", false },              // nothing is newer than no version
    { "", "", false },
};

class UpdateVersionNumber : public ::testing::TestWithParam<VersionCase>
{
};
} // namespace

TEST_P (UpdateVersionNumber, DecidesWhetherTheCandidateIsNewer)
{
    const auto& c = GetParam();
    EXPECT_EQ (VersionNumber::fromText (c.candidate).isNewerThan (VersionNumber::fromText (c.running)), c.newer)
        << '"' << c.candidate << "\" against \"" << c.running << '"';
}

INSTANTIATE_TEST_SUITE_P (UpdateTable, UpdateVersionNumber, ::testing::ValuesIn (versionCases));

TEST (UpdateVersionNumberValidity, TextsWithoutOneToThreePartsOrWithOverlongPartsAreNoVersion)
{
    for (const auto* text : { "", "1.2.3.4", "1.99999999999.0", "-beta" })
        EXPECT_FALSE (VersionNumber::fromText (text).isValid()) << text;

    for (const auto* text : { "0", "1.6", "1.6.0", "x.y.z", "1.6.0-beta.2" })
        EXPECT_TRUE (VersionNumber::fromText (text).isValid()) << text;
}
