#include "engine/PluginProcessor.h"

#include <gtest/gtest.h>

TEST (ProcessorMeters, ReadTheLeftChannelBeforeAndAfterTheSlots)
{
    constexpr int blockSize = 512;
    TarvolinAudioProcessor processor;
    processor.prepareToPlay (48000.0, blockSize);

    // Slot 1 alone, doubling (+6.02 dB in) a patch that otherwise passes audio.
    processor.setParameter (ParameterMapping::indexOf (0, ParameterMapping::input), 20.0f * std::log10 (2.0f) / 20.0f);

    juce::AudioBuffer<float> buffer (2, blockSize);
    juce::FloatVectorOperations::fill (buffer.getWritePointer (0), -0.25f, blockSize);
    juce::FloatVectorOperations::fill (buffer.getWritePointer (1), 0.9f, blockSize);
    juce::MidiBuffer midi;
    processor.processBlock (buffer, midi);

    for (auto& meter : processor.meters)
        meter.refresh();

    EXPECT_NEAR ((float) processor.meters[0].levelDb, -12.041f, 0.01f);
    EXPECT_NEAR ((float) processor.meters[1].levelDb, -6.021f, 0.01f);

    // Preparing again starts both from silence.
    processor.prepareToPlay (44100.0, blockSize);
    EXPECT_EQ ((float) processor.meters[0].levelDb, AbstractVuMeterDSP::silentDb);
    EXPECT_EQ ((float) processor.meters[1].peakEnv, 0.0f);
}
