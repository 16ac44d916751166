#include "AlsaStreamProbe.h"

#include <alsa/asoundlib.h>

#include <cerrno>
#include <memory>
#include <vector>

namespace
{
struct PcmCloser
{
    void operator() (snd_pcm_t* pcm) const
    {
        snd_pcm_drop (pcm);
        snd_pcm_close (pcm);
    }
};

using PcmHandle = std::unique_ptr<snd_pcm_t, PcmCloser>;

/** A card's own PCM moves or fails by itself. Any plugin PCM may end in a sound server: its own
    (ioplug, as pipewire-alsa's and pulse's are) or a converter's slave chain that reaches one. */
bool mayStall (snd_pcm_t* pcm)
{
    return snd_pcm_type (pcm) != SND_PCM_TYPE_HW;
}

/** Interleaved stereo at 48 kHz, or the nearest the PCM offers, in periods of about 512 frames. */
bool configure (snd_pcm_t* pcm, snd_pcm_format_t& format)
{
    snd_pcm_hw_params_t* params = nullptr;
    snd_pcm_hw_params_alloca (&params);

    if (snd_pcm_hw_params_any (pcm, params) < 0
        || snd_pcm_hw_params_set_access (pcm, params, SND_PCM_ACCESS_RW_INTERLEAVED) < 0)
        return false;

    format = SND_PCM_FORMAT_S16_LE;

    if (snd_pcm_hw_params_set_format (pcm, params, format) < 0
        && snd_pcm_hw_params_set_format_first (pcm, params, &format) < 0)
        return false;

    unsigned int channels = 2, rate = 48000;
    snd_pcm_uframes_t period = 512, buffer = 4 * 512;

    return snd_pcm_hw_params_set_channels_near (pcm, params, &channels) >= 0
        && snd_pcm_hw_params_set_rate_near (pcm, params, &rate, nullptr) >= 0
        && snd_pcm_hw_params_set_period_size_near (pcm, params, &period, nullptr) >= 0
        && snd_pcm_hw_params_set_buffer_size_near (pcm, params, &buffer) >= 0
        && snd_pcm_hw_params (pcm, params) >= 0;
}

/** How many frames the stream moved: captured ones that became available, or played ones that
    made room for more than one buffer of silence. Negative: an error other than an xrun. */
snd_pcm_sframes_t framesMoved (snd_pcm_t* pcm, bool forInput, snd_pcm_format_t format,
                               std::vector<char>& silence, snd_pcm_uframes_t bufferFrames, snd_pcm_sframes_t& written)
{
    if (forInput)
    {
        const auto avail = snd_pcm_avail_update (pcm);
        return avail == -EPIPE ? 1 : avail;
    }

    if (silence.empty())
    {
        silence.resize ((size_t) snd_pcm_frames_to_bytes (pcm, (snd_pcm_sframes_t) bufferFrames));
        snd_pcm_format_set_silence (format, silence.data(),
                                    (unsigned int) (silence.size() * 8 / (size_t) snd_pcm_format_physical_width (format)));
    }

    const auto result = snd_pcm_writei (pcm, silence.data(), bufferFrames);

    if (result == -EPIPE)
        return 1;

    if (result < 0 && result != -EAGAIN)
        return result;

    written += juce::jmax (snd_pcm_sframes_t {}, result);
    return juce::jmax (snd_pcm_sframes_t {}, written - (snd_pcm_sframes_t) bufferFrames);
}
} // namespace

AlsaStreamProbe::Result AlsaStreamProbe::probe (const juce::String& pcmId, bool forInput, int timeoutMs)
{
    snd_pcm_t* opened = nullptr;

    if (snd_pcm_open (&opened, pcmId.toRawUTF8(), forInput ? SND_PCM_STREAM_CAPTURE : SND_PCM_STREAM_PLAYBACK,
                      SND_PCM_NONBLOCK) < 0)
        return Result::notChecked;

    PcmHandle pcm (opened);
    snd_pcm_format_t format = SND_PCM_FORMAT_UNKNOWN;

    if (! mayStall (pcm.get()) || ! configure (pcm.get(), format) || snd_pcm_prepare (pcm.get()) < 0)
        return Result::notChecked;

    snd_pcm_uframes_t bufferFrames = 0, periodFrames = 0;

    if (snd_pcm_get_params (pcm.get(), &bufferFrames, &periodFrames) < 0 || bufferFrames == 0)
        return Result::notChecked;

    // Capture is started here; playback starts by itself with its first frames.
    if (forInput && snd_pcm_start (pcm.get()) < 0)
        return Result::notChecked;

    std::vector<char> silence;
    snd_pcm_sframes_t written = 0;
    const auto deadline = juce::Time::getMillisecondCounter() + (juce::uint32) juce::jmax (0, timeoutMs);

    for (;;)
    {
        const auto moved = framesMoved (pcm.get(), forInput, format, silence, bufferFrames, written);

        if (moved > 0)
            return Result::flows;

        // Any other error reaches JUCE's device as a failed read or write, which ends its thread.
        if (moved < 0)
            return Result::notChecked;

        if (juce::Time::getMillisecondCounter() >= deadline)
            return Result::stalled;

        juce::Thread::sleep (5);
    }
}

juce::String AlsaStreamProbe::findPcmId (const juce::String& deviceName, bool forInput)
{
    // The names as JUCE's "ALSA" type builds them: each hint's description with its lines joined by
    // "; ", or its name, with the same PCMs left out and duplicates numbered the same way.
    juce::StringArray names, ids;
    void** hints = nullptr;

    const auto hintText = [] (const void* hint, const char* field)
    {
        char* text = snd_device_name_get_hint (hint, field);
        auto s = juce::String::fromUTF8 (text);
        ::free (text);
        return s;
    };

    if (snd_device_name_hint (-1, "pcm", &hints) == 0)
    {
        for (auto** h = hints; *h != nullptr; ++h)
        {
            const auto id = hintText (*h, "NAME");
            const auto ioid = hintText (*h, "IOID");

            if (id.isEmpty() || id.startsWith ("default:") || id.startsWith ("sysdefault:")
                || id.startsWith ("plughw:") || id == "null")
                continue;

            const bool listed = forInput ? (ioid != "Output" && ! id.startsWith ("dmix"))
                                         : (ioid != "Input" && ! id.startsWith ("dsnoop"));

            if (! listed)
                continue;

            auto name = hintText (*h, "DESC").replace ("\n", "; ");
            names.add (name.isEmpty() ? id : name);
            ids.add (id);
        }

        snd_device_name_free_hint (hints);
    }

    // JUCE adds these two under fixed names when ALSA gives no hint for them.
    if (! ids.contains ("default"))
    {
        names.add (forInput ? "Default ALSA Input" : "Default ALSA Output");
        ids.add ("default");
    }

    if (! ids.contains ("pulse"))
    {
        names.add (forInput ? "Pulseaudio input" : "Pulseaudio output");
        ids.add ("pulse");
    }

    // ... and list "default" first, "pulse" after it, before numbering the duplicates.
    for (const auto* first : { "pulse", "default" })
    {
        const auto index = ids.indexOf (first);
        ids.move (index, 0);
        names.move (index, 0);
    }

    names.appendNumbersToDuplicates (false, true);
    return ids[names.indexOf (deviceName)];
}
