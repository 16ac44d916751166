#include "VersionNumber.h"

#include <limits>

VersionNumber VersionNumber::fromText (const juce::String& versionText)
{
    VersionNumber number;

    juce::StringArray tokens;
    tokens.addTokens (versionText.upToFirstOccurrenceOf ("-", false, false), ".", "\"");

    if (tokens.isEmpty() || tokens.size() > (int) number.parts.size())
        return number;

    for (int i = 0; i < tokens.size(); ++i)
        if (! _readPart (tokens[i], number.parts[(size_t) i]))
            return number;

    number.valid = true;
    return number;
}

bool VersionNumber::isNewerThan (const VersionNumber& other) const noexcept
{
    return valid && other.valid && parts > other.parts;
}

bool VersionNumber::_readPart (const juce::String& part, int& value)
{
    auto text = part.getCharPointer();

    while (juce::CharacterFunctions::isWhitespace (*text))
        ++text;

    // A "-" never reaches here: everything from the first one on is cut off as a suffix.
    if (*text == '+')
        ++text;

    juce::int64 result = 0;

    for (; juce::CharacterFunctions::isDigit (*text); ++text)
    {
        result = result * 10 + (juce::int64) juce::CharacterFunctions::getHexDigitValue (*text);

        if (result > std::numeric_limits<int>::max())
            return false;
    }

    value = (int) result;
    return true;
}
