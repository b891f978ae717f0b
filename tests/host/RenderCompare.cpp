// Compares a host's stereo render with the two mono files it was made from:
// same rate, same length, and every sample within a tolerance. Reads the
// 32-bit float WAV files hosts write for lossless renders, chunk by chunk,
// so the extra chunks they add (fact, PEAK, bext) do not matter.
//
// usage: tarvolin_render_compare <left.wav> <right.wav> <render.wav> <tolerance>
// Exit status 0 when the render matches, 1 when it does not, 2 on bad files,
// 3 when it is the input moved as a whole by a few samples: Ardour 7.3 now
// and then starts an export that far off, with or without any plug-in.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{
constexpr std::uint16_t formatPcm = 1;
constexpr std::uint16_t formatFloat = 3;
constexpr std::uint16_t formatExtensible = 0xfffe;
// Below this the input would prove nothing: a silent render matches it.
constexpr float quietestUsefulPeak = 0.01f;
// The largest whole-render offset looked for when the render does not match.
constexpr int largestShiftFrames = 64;

struct FloatWav
{
    int numChannels = 0;
    std::uint32_t sampleRate = 0;
    std::vector<float> interleaved;

    std::size_t numFrames() const { return numChannels > 0 ? interleaved.size() / (std::size_t) numChannels : 0; }
    float sample (std::size_t frame, int channel) const { return interleaved[frame * (std::size_t) numChannels + (std::size_t) channel]; }
};

std::uint32_t readLittleEndian (const unsigned char* bytes, int numBytes)
{
    std::uint32_t value = 0;

    for (int i = numBytes; --i >= 0;)
        value = (value << 8) | bytes[i];

    return value;
}

/** True when every frame of the render that has a counterpart equals the
    input shifted by shiftFrames (render[n] = input[n + shiftFrames]). */
bool matchesShifted (const FloatWav& render, int channel, const FloatWav& input, long shiftFrames, float tolerance)
{
    for (std::size_t frame = 0; frame < render.numFrames(); ++frame)
    {
        const long source = (long) frame + shiftFrames;

        if (source < 0 || source >= (long) input.numFrames())
            continue;

        if (! (std::abs (render.sample (frame, channel) - input.sample ((std::size_t) source, 0)) <= tolerance))
            return false;
    }

    return true;
}

/** Reads a RIFF/WAVE file of 32-bit float samples; an empty result (and a
    message) for anything else. */
FloatWav readFloatWav (const std::string& path)
{
    std::ifstream file (path, std::ios::binary);
    const std::vector<unsigned char> bytes ((std::istreambuf_iterator<char> (file)), std::istreambuf_iterator<char>());
    FloatWav wav;

    if (bytes.size() < 12 || std::memcmp (bytes.data(), "RIFF", 4) != 0 || std::memcmp (bytes.data() + 8, "WAVE", 4) != 0)
    {
        std::fprintf (stderr, "%s: missing, or not a WAV file\n", path.c_str());
        return {};
    }

    std::uint16_t format = 0, bitsPerSample = 0;
    std::size_t position = 12;

    while (position + 8 <= bytes.size())
    {
        const auto* chunk = bytes.data() + position;
        const std::size_t size = readLittleEndian (chunk + 4, 4);
        const auto* body = chunk + 8;
        const std::size_t available = std::min (size, bytes.size() - position - 8);

        if (std::memcmp (chunk, "fmt ", 4) == 0 && available >= 16)
        {
            format = (std::uint16_t) readLittleEndian (body, 2);
            wav.numChannels = (int) readLittleEndian (body + 2, 2);
            wav.sampleRate = readLittleEndian (body + 4, 4);
            bitsPerSample = (std::uint16_t) readLittleEndian (body + 14, 2);

            // The extensible header names the real format in its sub-format GUID.
            if (format == formatExtensible && available >= 26)
                format = (std::uint16_t) readLittleEndian (body + 24, 2);
        }
        else if (std::memcmp (chunk, "data", 4) == 0)
        {
            if (format != formatFloat || bitsPerSample != 32 || wav.numChannels <= 0)
            {
                std::fprintf (stderr, "%s: format %d with %d bits, expected 32-bit float%s\n", path.c_str(), format,
                              bitsPerSample, format == formatPcm ? " (this is integer PCM)" : "");
                return {};
            }

            wav.interleaved.resize (available / sizeof (float));
            std::memcpy (wav.interleaved.data(), body, wav.interleaved.size() * sizeof (float));
            return wav;
        }

        position += 8 + size + (size & 1);
    }

    std::fprintf (stderr, "%s: no data chunk\n", path.c_str());
    return {};
}
} // namespace

int main (int argc, char** argv)
{
    if (argc != 5)
    {
        std::fprintf (stderr, "usage: %s <left.wav> <right.wav> <render.wav> <tolerance>\n", argv[0]);
        return 2;
    }

    const FloatWav inputs[] = { readFloatWav (argv[1]), readFloatWav (argv[2]) };
    const FloatWav render = readFloatWav (argv[3]);
    const float tolerance = std::strtof (argv[4], nullptr);

    for (const auto* wav : { &inputs[0], &inputs[1], &render })
        if (wav->numFrames() == 0)
            return 2;

    if (inputs[0].numChannels != 1 || inputs[1].numChannels != 1 || render.numChannels != 2)
    {
        std::fprintf (stderr, "expected two mono inputs and a stereo render, got %d, %d and %d channels\n",
                      inputs[0].numChannels, inputs[1].numChannels, render.numChannels);
        return 2;
    }

    bool matches = true;

    for (int channel = 0; channel < 2; ++channel)
    {
        const auto& input = inputs[channel];
        const std::size_t numFrames = input.numFrames();
        float peak = 0.0f, largestDifference = 0.0f;
        std::size_t firstDifferentFrame = numFrames;

        for (std::size_t frame = 0; frame < std::min (numFrames, render.numFrames()); ++frame)
        {
            const float difference = std::abs (render.sample (frame, channel) - input.sample (frame, 0));
            peak = std::max (peak, std::abs (input.sample (frame, 0)));
            largestDifference = std::max (largestDifference, difference);

            // A NaN in the render counts as different.
            if (! (difference <= tolerance) && firstDifferentFrame == numFrames)
                firstDifferentFrame = frame;
        }

        std::printf ("channel %d: %zu input frames at %u Hz, %zu rendered at %u Hz, input peak %g, largest difference %g\n",
                     channel, numFrames, input.sampleRate, render.numFrames(), render.sampleRate, (double) peak,
                     (double) largestDifference);

        if (render.numFrames() != numFrames || render.sampleRate != input.sampleRate)
        {
            std::printf ("  FAIL: the render differs in length or rate\n");
            matches = false;
        }

        if (peak < quietestUsefulPeak)
        {
            std::printf ("  FAIL: the input is (nearly) silent, so a match proves nothing\n");
            matches = false;
        }

        if (firstDifferentFrame < numFrames)
        {
            std::printf ("  FAIL: frame %zu is %g, the input %g (tolerance %g)\n", firstDifferentFrame,
                         (double) render.sample (firstDifferentFrame, channel),
                         (double) input.sample (firstDifferentFrame, 0), (double) tolerance);
            matches = false;
        }
    }

    if (matches)
        return 0;

    for (long shift = -largestShiftFrames; shift <= largestShiftFrames; ++shift)
    {
        if (shift != 0 && matchesShifted (render, 0, inputs[0], shift, tolerance)
            && matchesShifted (render, 1, inputs[1], shift, tolerance))
        {
            std::printf ("the render is the input moved by %ld frames\n", -shift);
            return 3;
        }
    }

    return 1;
}
