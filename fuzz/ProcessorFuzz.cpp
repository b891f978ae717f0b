// The whole processor as a host drives it: prepares at any rate and block
// size, blocks shorter and longer than announced (and empty), automation
// with values outside 0..1 or not finite, inputs holding NaN and infinity,
// MIDI controllers, state restored from arbitrary bytes and round trips,
// gadget changes while audio runs. Every block must come out finite and
// every value stay in range.

#include "FuzzChecks.h"
#include "engine/PluginProcessor.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace
{
// The kernel cache keeps one spectrum per rate for the life of the process,
// as hosts use a handful of rates: the fuzzer draws from a fixed set that
// spans the accepted range, odd rates included.
constexpr double sampleRates[] = { 8000.0,  11025.0,  12345.0,  16000.0,  22050.0,  32000.0,  44100.0,
                                   47999.5, 48000.0,  88200.0,  96000.0,  100000.0, 176400.0, 192000.0,
                                   352800.0, 383999.0, 384000.0 };
constexpr int largestBlockSize = 512;
constexpr int largestOperations = 12;

enum class Operation
{
    prepare,
    release,
    process,
    automate,
    changeGadget,
    restoreState,
    roundTrip
};

struct Fixture
{
    Fixture()
    {
        // Restores announce themselves through the message queue.
        juce::MessageManager::getInstance();
    }

    TarvolinAudioProcessor processor;
    juce::AudioBuffer<float> buffer { 2, 3 * largestBlockSize };
    int preparedBlockSize = 512;
    bool prepared = false;
};

float anyValue (FuzzedDataProvider& data)
{
    switch (data.ConsumeIntegralInRange (0, 5))
    {
        case 0: return std::numeric_limits<float>::quiet_NaN();
        case 1: return std::numeric_limits<float>::infinity();
        case 2: return -std::numeric_limits<float>::infinity();
        case 3: return data.ConsumeFloatingPointInRange (-4.0f, 5.0f);
        default: return data.ConsumeProbability<float>();
    }
}

void fillInput (FuzzedDataProvider& data, juce::AudioBuffer<float>& buffer, int numSamples)
{
    const auto level = std::pow (10.0f, data.ConsumeFloatingPointInRange (-6.0f, 3.0f));
    auto seed = data.ConsumeIntegral<std::uint32_t>();

    for (int channel = 0; channel < 2; ++channel)
        for (int i = 0; i < numSamples; ++i)
        {
            seed = seed * 1664525u + 1013904223u;
            buffer.setSample (channel, i, level * ((float) (seed >> 8) / 8388608.0f - 1.0f));
        }

    // A few samples from a broken source upstream.
    for (int bad = data.ConsumeIntegralInRange (0, 3); bad > 0 && numSamples > 0; --bad)
        buffer.setSample (data.ConsumeIntegralInRange (0, 1), data.ConsumeIntegralInRange (0, numSamples - 1),
                          anyValue (data));
}

void requireFiniteOutput (const juce::AudioBuffer<float>& buffer, int numSamples)
{
    for (int channel = 0; channel < 2; ++channel)
        for (int i = 0; i < numSamples; ++i)
            if (! std::isfinite (buffer.getSample (channel, i)))
                std::abort();
}

void processOneBlock (FuzzedDataProvider& data, Fixture& fixture)
{
    // Empty, short, as announced, or up to three times longer.
    const auto numSamples = data.ConsumeIntegralInRange (0, 3 * fixture.preparedBlockSize);
    fillInput (data, fixture.buffer, numSamples);

    juce::MidiBuffer midi;
    for (int event = data.ConsumeIntegralInRange (0, 2); event > 0; --event)
        midi.addEvent (juce::MidiMessage::controllerEvent (1, data.ConsumeIntegralInRange (0, 127),
                                                           data.ConsumeIntegralInRange (0, 127)),
                       data.ConsumeIntegralInRange (0, std::max (0, numSamples - 1)));

    juce::AudioBuffer<float> block (fixture.buffer.getArrayOfWritePointers(), 2, numSamples);
    fixture.processor.processBlock (block, midi);
    requireFiniteOutput (block, numSamples);
}

void runOperation (FuzzedDataProvider& data, Fixture& fixture)
{
    auto& processor = fixture.processor;

    // A prepare clears every gadget's delay lines, by far the slowest step:
    // drawn one time in sixteen, audio most often.
    constexpr Operation weighted[] = { Operation::prepare,      Operation::release,      Operation::process,
                                       Operation::process,      Operation::process,      Operation::process,
                                       Operation::process,      Operation::process,      Operation::automate,
                                       Operation::automate,     Operation::automate,     Operation::changeGadget,
                                       Operation::changeGadget, Operation::restoreState, Operation::restoreState,
                                       Operation::roundTrip };

    switch (data.PickValueInArray (weighted))
    {
        case Operation::prepare:
            fixture.preparedBlockSize = data.ConsumeIntegralInRange (1, largestBlockSize);
            processor.prepareToPlay (data.PickValueInArray (sampleRates), fixture.preparedBlockSize);
            break;
        case Operation::release:
            processor.releaseResources();
            break;
        case Operation::process:
            processOneBlock (data, fixture);
            break;
        case Operation::automate:
            processor.setParameter (data.ConsumeIntegralInRange (-1, TarvolinAudioProcessor::numParameters),
                                    anyValue (data));
            break;
        case Operation::changeGadget:
            processor.setParameter (ParameterMapping::indexOf (data.ConsumeIntegralInRange (0, 3),
                                                               ParameterMapping::algorithm),
                                    (float) data.ConsumeIntegralInRange (0, 13) / 13.0f);
            break;
        case Operation::restoreState:
        {
            const auto bytes = data.ConsumeBytes<std::uint8_t> (data.ConsumeIntegralInRange (0, 4096));
            processor.setStateInformation (bytes.data(), (int) bytes.size());
            break;
        }
        case Operation::roundTrip:
        {
            juce::MemoryBlock state;
            processor.getStateInformation (state);
            processor.setStateInformation (state.getData(), (int) state.getSize());
            break;
        }
    }

    requireDefinedValues (processor.params);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    static Fixture fixture;
    FuzzedDataProvider provider (data, size);

    // The first input starts from a prepare, as a host's session does; later
    // ones go on from where the last left the processor (a prepare clears
    // 23 MiB of delay lines, and would dominate every run).
    if (! fixture.prepared)
    {
        fixture.processor.prepareToPlay (48000.0, fixture.preparedBlockSize);
        fixture.prepared = true;
    }

    for (int operation = 0; operation < largestOperations && provider.remaining_bytes() > 0; ++operation)
        runOperation (provider, fixture);

    // And ends with audio, whatever came before.
    processOneBlock (provider, fixture);
    return 0;
}
