#pragma once

#include <juce_core/juce_core.h>

#include <array>

/** A release number of up to three parts read from a versions document's "versionstring".

    Anything after the first "-" is a suffix and ignored (1.7.0-beta is 1.7.0). The text is split
    at every "." into one to three parts, each read as a decimal integer (leading white space, an
    optional "+", then digits; a part without digits reads 0). Missing parts are 0.

    The text comes from the network: no parts, four or more parts, or a part too large for an int
    make the number invalid, and an invalid number is never newer than anything. Parts compare in
    order and never carry into each other, so 1.300.0 is older than 2.0.0. */
class VersionNumber
{
public:
    static VersionNumber fromText (const juce::String& versionText);

    bool isValid() const noexcept { return valid; }

    /** True only when both numbers are valid and this one is strictly newer. */
    bool isNewerThan (const VersionNumber& other) const noexcept;

private:
    VersionNumber() = default;

    static bool _readPart (const juce::String& part, int& value);

    std::array<int, 3> parts {};
    bool valid = false;
};
