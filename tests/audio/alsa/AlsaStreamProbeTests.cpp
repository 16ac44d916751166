#include "audio/alsa/AlsaStreamProbe.h"

#include <gtest/gtest.h>

TEST (AlsaStreamProbe, APluginPcmThatMovesFlowsAndAMissingOneIsLeftToJuce)
{
    // ALSA's "null" PCM is a plugin of libasound's own: it takes and gives frames at once.
    for (const bool forInput : { true, false })
    {
        EXPECT_EQ (AlsaStreamProbe::probe ("null", forInput, 5000), AlsaStreamProbe::Result::flows) << forInput;
        EXPECT_EQ (AlsaStreamProbe::probe ("kestro-no-such-pcm", forInput, 5000), AlsaStreamProbe::Result::notChecked) << forInput;
    }
}
