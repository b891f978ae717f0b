#include <Sounds.h>

#include <gtest/gtest.h>
#include <juce_audio_formats/juce_audio_formats.h>

#include <memory>

namespace
{
struct SoundCase
{
    const char* label;
    const char* data;
    int size;
    double sampleRate; // the file's own rate; the engine takes every file as 44.1 kHz
    int bitsPerSample;
    juce::int64 numFrames;
};

const SoundCase sounds[] = {
    { "small speaker", Sounds::small_speaker_mono_wav, Sounds::small_speaker_mono_wavSize, 48000.0, 24, 20570 },
    { "heart beat", Sounds::fx_heart_beat_wav, Sounds::fx_heart_beat_wavSize, 22046.0, 16, 16227 },
    { "metal pipe", Sounds::fx_metal_pipe_wav, Sounds::fx_metal_pipe_wavSize, 44092.0, 16, 176151 },
    { "metal pole", Sounds::fx_metal_pole_wav, Sounds::fx_metal_pole_wavSize, 44092.0, 16, 28247 },
    { "thick glass", Sounds::fx_thick_glass_l_wav, Sounds::fx_thick_glass_l_wavSize, 44092.0, 16, 23838 },
    { "siren", Sounds::fxpolsr1_wav, Sounds::fxpolsr1_wavSize, 44092.0, 16, 60800 },
    { "radar", Sounds::fxradar1_wav, Sounds::fxradar1_wavSize, 44092.0, 16, 99233 },
    { "storm", Sounds::fxstrm2_wav, Sounds::fxstrm2_wavSize, 44092.0, 16, 95252 },
    { "glass vase", Sounds::glass_vase_wav, Sounds::glass_vase_wavSize, 44092.0, 16, 26299 },
};

constexpr int kernelFrames = 896;
} // namespace

TEST (EmbeddedSounds, AreMonoPcmWithTheirRatesDepthsAndLengths)
{
    for (const auto& sound : sounds)
    {
        SCOPED_TRACE (sound.label);
        juce::WavAudioFormat format;
        std::unique_ptr<juce::AudioFormatReader> reader (
            format.createReaderFor (new juce::MemoryInputStream (sound.data, (size_t) sound.size, false), true));
        ASSERT_NE (reader, nullptr);

        EXPECT_EQ (reader->numChannels, 1u);
        EXPECT_EQ (reader->sampleRate, sound.sampleRate);
        EXPECT_EQ (reader->bitsPerSample, (unsigned) sound.bitsPerSample);
        EXPECT_FALSE (reader->usesFloatingPointData);
        EXPECT_EQ (reader->lengthInSamples, sound.numFrames);
        EXPECT_EQ (sound.size, 44 + sound.numFrames * sound.bitsPerSample / 8) << "a 16-byte fmt chunk and the data";

        // Only the first 896 frames reach the kernel: they must carry sound,
        // starting at once, not a fade-in from silence.
        juce::AudioBuffer<float> start (1, kernelFrames);
        ASSERT_TRUE (reader->read (&start, 0, kernelFrames, 0, true, false));
        EXPECT_GT (start.getRMSLevel (0, 0, kernelFrames), 0.01f);
        EXPECT_GT (start.getMagnitude (0, 0, 32), 0.01f);
    }
}
