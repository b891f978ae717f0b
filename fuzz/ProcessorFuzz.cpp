// The whole processor behind the state door: arbitrary bytes restored as the
// host state, then a block of audio through every slot. Values must stay in
// range and the output finite.

#include "FuzzChecks.h"
#include "engine/PluginProcessor.h"

#include <cmath>
#include <cstdint>

namespace
{
constexpr double sampleRate = 48000.0;
constexpr int blockSize = 64;

struct Fixture
{
    Fixture()
    {
        // Restores announce themselves through the message queue.
        juce::MessageManager::getInstance();
        processor.prepareToPlay (sampleRate, blockSize);
    }

    TarvolinAudioProcessor processor;
    juce::AudioBuffer<float> buffer { 2, blockSize };
    juce::MidiBuffer midi;
    juce::Random random { 1 };
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    static Fixture fixture;
    auto& processor = fixture.processor;

    processor.setStateInformation (data, (int) size);
    requireDefinedValues (processor.params);

    for (const auto& slot : processor.slots)
        if (slot.getCurrentIndex() < 0 || slot.getCurrentIndex() > 13)
            std::abort();

    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < blockSize; ++i)
            fixture.buffer.setSample (ch, i, fixture.random.nextFloat() - 0.5f);

    processor.processBlock (fixture.buffer, fixture.midi);

    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < blockSize; ++i)
            if (! std::isfinite (fixture.buffer.getSample (ch, i)))
                std::abort();

    return 0;
}
