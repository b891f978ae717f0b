#include "engine/PluginProcessor.h"
#include "engine/gadgets/GadgetN08.h"
#include "engine/gadgets/GadgetN11.h"
#include "engine/gadgets/GadgetN13.h"
#include "support/AllocationGuard.h"
#include "support/PollUntil.h"
#include "support/TestSignals.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <limits>
#include <thread>

namespace
{
constexpr double rate = 48000.0;
constexpr int blockSize = 256;

int at (int slot, int kind) { return ParameterMapping::indexOf (slot, kind); }

juce::AudioBuffer<float> constantBuffer (float value, int numSamples = blockSize, int channels = 2)
{
    juce::AudioBuffer<float> buffer (channels, numSamples);
    for (int channel = 0; channel < channels; ++channel)
        juce::FloatVectorOperations::fill (buffer.getWritePointer (channel), value, numSamples);
    return buffer;
}

juce::AudioBuffer<float> noiseBuffer (int numSamples, std::uint32_t seed, float amplitude = 0.5f)
{
    juce::AudioBuffer<float> buffer (2, numSamples);
    for (int channel = 0; channel < 2; ++channel)
    {
        const auto noise = testsignals::noiseWithImpulses (numSamples, seed + (std::uint32_t) channel, amplitude);
        buffer.copyFrom (channel, 0, noise.data(), numSamples);
    }
    return buffer;
}

juce::MidiBuffer controllers (std::initializer_list<std::pair<int, int>> numberAndValue, int channel = 1)
{
    juce::MidiBuffer midi;
    int position = 0;
    for (auto [number, value] : numberAndValue)
        midi.addEvent (juce::MidiMessage::controllerEvent (channel, number, value), position++);
    return midi;
}

struct GestureCounter final : juce::AudioProcessorListener
{
    void audioProcessorParameterChanged (juce::AudioProcessor*, int, float) override { ++changes; }
    void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override {}
    void audioProcessorParameterChangeGestureBegin (juce::AudioProcessor*, int) override { ++begins; }
    void audioProcessorParameterChangeGestureEnd (juce::AudioProcessor*, int) override { ++ends; }

    int changes = 0, begins = 0, ends = 0;
};

class Processor : public ::testing::Test
{
protected:
    void process (juce::AudioBuffer<float>& buffer, juce::MidiBuffer midi = {})
    {
        processor->processBlock (buffer, midi);
    }

    std::unique_ptr<TarvolinAudioProcessor> processor = std::make_unique<TarvolinAudioProcessor>();
};
} // namespace

//==============================================================================
TEST_F (Processor, AnswersTheHostsQuestions)
{
    EXPECT_EQ (processor->getName(), "Tarvolin");
    EXPECT_EQ (processor->getParameters().size(), 40);
    EXPECT_EQ (processor->getNumPrograms(), 1);
    EXPECT_EQ (processor->getProgramName (5), "default");
    EXPECT_TRUE (processor->acceptsMidi());
    EXPECT_FALSE (processor->producesMidi());
    EXPECT_EQ (processor->getTailLengthSeconds(), 0.0);
    EXPECT_EQ (processor->getLatencySamples(), 0);

    processor->setCurrentProgram (3);
    EXPECT_EQ (processor->getCurrentProgram(), 0);

    // The default a host resets to is the fresh value, wherever the values have gone.
    const TarvolinAudioProcessor fresh;
    for (auto* parameter : processor->getParameters())
        parameter->setValue (0.4f);

    // The ten parameters of a slot, in the order every slot repeats them.
    const struct
    {
        const char* nameStem;
        bool automatable, meta;
    } kinds[] = {
        { "INPUT-SLOT", true, false },    { "OUTPUT-SLOT", true, false }, { "ALGO-SLOT", true, true },
        { "PRM1-SLOT", true, true },      { "PRM2-SLOT", true, true },    { "PRM3-SLOT", true, true },
        { "PRM4-SLOT", true, true },      { "IMPULSE-SLOT", true, true }, { "HOT-SLOT", true, false },
        { "ENABLED-SLOT", false, false },
    };

    for (int index = 0; index < 40; ++index)
    {
        SCOPED_TRACE (testing::Message() << "parameter " << index);
        const auto& parameter = *processor->getParameters()[index];
        const auto& kind = kinds[index % 10];
        EXPECT_EQ (parameter.getName (100), kind.nameStem + juce::String (index / 10 + 1));
        EXPECT_EQ (parameter.isAutomatable(), kind.automatable);
        EXPECT_EQ (parameter.isMetaParameter(), kind.meta);
        EXPECT_EQ (parameter.getDefaultValue(), fresh.getParameters()[index]->getValue());
        EXPECT_EQ (parameter.getLabel(), "");
    }

    EXPECT_EQ (processor->getParameters()[15]->getName (4), "PRM3") << "cut to the host's length";
}

TEST_F (Processor, AcceptsOnlyStereoInAndOut)
{
    using Set = juce::AudioChannelSet;
    const struct
    {
        Set in, out;
        bool supported;
    } layouts[] = {
        { Set::stereo(), Set::stereo(), true },
        { Set::mono(), Set::stereo(), false },
        { Set::stereo(), Set::mono(), false },
        { Set::mono(), Set::mono(), false },
        { Set::discreteChannels (64), Set::discreteChannels (64), false },
    };

    for (const auto& layout : layouts)
    {
        juce::AudioProcessor::BusesLayout buses;
        buses.inputBuses.add (layout.in);
        buses.outputBuses.add (layout.out);
        EXPECT_EQ (processor->checkBusesLayoutSupported (buses), layout.supported);
    }
}

//==============================================================================
TEST_F (Processor, GainsFollowTheirDecibelValues)
{
    processor->setParameter (at (0, ParameterMapping::input), 1.0f);
    EXPECT_FLOAT_EQ (processor->inputGain[0], 10.0f);

    processor->setParameter (at (1, ParameterMapping::output), 0.5f);
    EXPECT_EQ (processor->outputGain[1], 1.0f);

    processor->setParameter (at (1, ParameterMapping::output), 0.25f);
    EXPECT_FLOAT_EQ (processor->outputGain[1], 0.1f);

    processor->setParameter (at (2, ParameterMapping::input), 0.3f);
    EXPECT_EQ (processor->slots[2].getCurrentAlgorithmObject()->inputGain, processor->inputGain[2]);
}

TEST_F (Processor, BeforePrepareOnlyTheGainsApply)
{
    processor->setParameter (at (0, ParameterMapping::control2), 1.0f); // a feedback comb, were it prepared
    processor->setParameter (at (0, ParameterMapping::input), 0.3f); // 6 dB
    auto buffer = noiseBuffer (blockSize, 3);
    auto expected = buffer;
    expected.applyGain (std::pow (10.0f, 6.0f / 20.0f));

    process (buffer);

    for (int channel = 0; channel < 2; ++channel)
        for (int i = 0; i < blockSize; ++i)
            ASSERT_FLOAT_EQ (buffer.getSample (channel, i), expected.getSample (channel, i));
}

TEST_F (Processor, OnlyEnabledSlotsRunAndExactlyHalfIsEnabled)
{
    processor->prepareToPlay (rate, blockSize);

    // Each slot doubles the level (+6.02 dB input gain) when it runs, so the
    // output tells which slots ran.
    const auto doubling = 20.0f * std::log10 (2.0f) / 20.0f;
    for (int slot = 0; slot < 4; ++slot)
        processor->setParameter (at (slot, ParameterMapping::input), doubling);

    const struct
    {
        float enabled[4];
        float expectedGain;
    } cases[] = {
        { { 1.0f, 0.0f, 0.0f, 0.0f }, 2.0f },
        { { 1.0f, 0.5f, 0.0f, 0.4999f }, 4.0f },
        { { 0.0f, 0.0f, 0.0f, 0.0f }, 1.0f },
        { { 1.0f, 1.0f, 1.0f, 1.0f }, 16.0f },
    };

    for (const auto& c : cases)
    {
        for (int slot = 0; slot < 4; ++slot)
            processor->setParameter (at (slot, ParameterMapping::enabled), c.enabled[slot]);

        auto buffer = constantBuffer (0.01f);
        process (buffer);
        EXPECT_NEAR (buffer.getSample (0, blockSize - 1), 0.01f * c.expectedGain, 1.0e-5f);
        EXPECT_NEAR (buffer.getSample (1, 0), 0.01f * c.expectedGain, 1.0e-5f);
    }
}

TEST (ProcessorSwitches, HotIsOnFromExactlyTheThreshold)
{
    const auto outputWithHot = [] (float hot) {
        TarvolinAudioProcessor p;
        p.setParameter (at (0, ParameterMapping::hot), hot);
        p.prepareToPlay (rate, blockSize);
        auto buffer = noiseBuffer (blockSize, 7);
        juce::MidiBuffer none;
        p.processBlock (buffer, none);
        return std::vector<float> (buffer.getReadPointer (0), buffer.getReadPointer (0) + blockSize);
    };

    const auto hot = outputWithHot (1.0f);
    EXPECT_EQ (outputWithHot (ParameterMapping::switchThreshold), hot);
    EXPECT_NE (outputWithHot (std::nextafter (ParameterMapping::switchThreshold, 0.0f)), hot);
}

TEST_F (Processor, DefaultPatchLeavesAudioUntouched)
{
    processor->prepareToPlay (rate, blockSize);
    auto buffer = noiseBuffer (blockSize, 5);
    const auto input = buffer;

    process (buffer);

    for (int channel = 0; channel < 2; ++channel)
        for (int i = 0; i < blockSize; ++i)
            ASSERT_EQ (buffer.getSample (channel, i), input.getSample (channel, i));
}

//==============================================================================
TEST_F (Processor, SwitchingGadgetsRestoresTheirOwnControls)
{
    const auto algo = at (1, ParameterMapping::algorithm);
    const auto control1 = at (1, ParameterMapping::control1);

    processor->setParameter (algo, 3.0f / 13.0f);
    processor->setParameter (control1, 0.9f);
    processor->setParameter (at (1, ParameterMapping::impulse), 5.0f / 7.0f);
    processor->setParameter (algo, 5.0f / 13.0f);

    EXPECT_EQ (processor->params.getValue (control1), 0.5f); // gadget 5's own default
    EXPECT_EQ (processor->params.getValue (at (1, ParameterMapping::impulse)), 0.0f);

    processor->setParameter (algo, 3.0f / 13.0f);
    EXPECT_EQ (processor->params.getValue (control1), 0.9f);
    EXPECT_EQ (processor->slots[1].getCurrentIndex(), 3);
}

TEST_F (Processor, TheConvolutionGadgetGetsBackEachImpulseChoice)
{
    constexpr int convolution = 4;
    constexpr int slot = 0; // enabled in a fresh instance, so its gadget runs
    const auto algo = at (slot, ParameterMapping::algorithm);
    const auto impulse = at (slot, ParameterMapping::impulse);
    auto* gadget = processor->slots[slot].getAlgorithmObject (convolution);
    ASSERT_TRUE (gadget->usesImpulse);
    processor->prepareToPlay (rate, blockSize);
    auto buffer = constantBuffer (0.0f);

    for (int choice = 0; choice < ParameterMapping::numImpulses; ++choice)
    {
        SCOPED_TRACE (testing::Message() << "impulse " << choice);
        const auto hostValue = (float) choice / 7.0f;
        processor->setParameter (algo, convolution / 13.0f);
        processor->setParameter (impulse, hostValue);
        process (buffer); // the gadget takes a new choice up in its next block

        processor->setParameter (algo, 0.0f);
        processor->setParameter (algo, convolution / 13.0f);
        EXPECT_EQ (processor->getParameters()[impulse]->getValue(), hostValue);
        EXPECT_EQ (processor->getMappedParameter (impulse), (float) choice);

        // Moving a control hands the impulse back to the gadget with it.
        processor->setParameter (at (slot, ParameterMapping::control1), 0.25f);
        process (buffer);
        EXPECT_EQ (gadget->impulseIndex, choice);
        EXPECT_EQ (gadget->impulseIndexInUse, choice);
    }
}

TEST_F (Processor, EveryGadgetGetsBackAllFourOfItsControls)
{
    constexpr int slot = 2;
    constexpr int numGadgets = GadgetManager::numGadgets;
    const auto algo = at (slot, ParameterMapping::algorithm);
    auto controlValue = [] (int gadget, int k) { return (float) (gadget * 4 + k + 1) / 64.0f; };

    for (int gadget = 0; gadget < numGadgets; ++gadget)
    {
        processor->setParameter (algo, (float) gadget / 13.0f);

        for (int k = 0; k < 4; ++k)
            processor->setParameter (at (slot, ParameterMapping::control1 + k), controlValue (gadget, k));
    }

    // Visited in another order, so each switch leaves a different gadget.
    for (int step = 0; step < numGadgets; ++step)
    {
        const auto gadget = (step * 5) % numGadgets;
        processor->setParameter (algo, (float) gadget / 13.0f);
        SCOPED_TRACE (testing::Message() << "gadget " << gadget);

        for (int k = 0; k < 4; ++k)
            EXPECT_EQ (processor->params.getValue (at (slot, ParameterMapping::control1 + k)), controlValue (gadget, k))
                << "control " << k + 1;
    }
}

TEST_F (Processor, ControlsReachTheCurrentGadget)
{
    processor->setParameter (at (3, ParameterMapping::control3), 0.75f);
    processor->setParameter (at (3, ParameterMapping::impulse), 0.5f);

    auto* gadget = processor->slots[3].getCurrentAlgorithmObject();
    EXPECT_EQ (gadget->p3, 0.75f);
    EXPECT_EQ (gadget->p1, 0.5f);
    EXPECT_EQ (gadget->impulseIndex, 4); // 3.5 rounds to even
}

TEST_F (Processor, SwapSlotsExchangesValuesButNotControllers)
{
    processor->setParameter (at (0, ParameterMapping::input), 0.25f);
    processor->setParameter (at (2, ParameterMapping::algorithm), 9.0f / 13.0f);
    processor->params.midiCC[at (0, ParameterMapping::input)] = 11;

    processor->swapSlots (0, 2);

    EXPECT_EQ (processor->params.getValue (at (2, ParameterMapping::input)), 0.25f);
    EXPECT_EQ (processor->params.getValue (at (0, ParameterMapping::enabled)), 0.0f);
    EXPECT_EQ (processor->params.getValue (at (2, ParameterMapping::enabled)), 1.0f);
    EXPECT_EQ (processor->slots[0].getCurrentIndex(), 9);
    EXPECT_EQ (processor->slots[2].getCurrentIndex(), 0);
    EXPECT_FLOAT_EQ (processor->inputGain[2], std::pow (10.0f, 5.0f / 20.0f));
    EXPECT_EQ (processor->params.getMidiCCParameter (at (0, ParameterMapping::input)), 11);
}

TEST_F (Processor, MappedParametersConvertAndNotify)
{
    GestureCounter counter;
    processor->addListener (&counter);

    processor->setMappedParameter (at (1, ParameterMapping::algorithm), 5.0f);

    EXPECT_EQ (processor->params.getValue (at (1, ParameterMapping::algorithm)), 5.0f / 13.0f);
    EXPECT_EQ (processor->getMappedParameter (at (1, ParameterMapping::algorithm)), 5.0f);
    EXPECT_EQ (processor->slots[1].getCurrentIndex(), 5);
    EXPECT_EQ (counter.changes, 1);
    processor->removeListener (&counter);
}

//==============================================================================
TEST_F (Processor, HostValuesAreSanitisedAtTheDoor)
{
    const auto nan = std::numeric_limits<float>::quiet_NaN();
    const auto inf = std::numeric_limits<float>::infinity();

    processor->setParameter (at (0, ParameterMapping::enabled), nan);
    EXPECT_EQ (processor->getParameter (at (0, ParameterMapping::enabled)), 1.0f);

    processor->setParameter (at (1, ParameterMapping::output), inf);
    EXPECT_EQ (processor->outputGain[1], 1.0f);

    processor->setParameter (at (1, ParameterMapping::algorithm), 7.0f);
    EXPECT_EQ (processor->slots[1].getCurrentIndex(), 13);

    processor->setParameter (at (1, ParameterMapping::algorithm), -3.0f);
    EXPECT_EQ (processor->slots[1].getCurrentIndex(), 0);

    processor->setParameter (at (1, ParameterMapping::input), -1.0f);
    EXPECT_EQ (processor->inputGain[1], 1.0f);

    // Out-of-range indices are ignored rather than written past the table.
    processor->setParameter (40, 0.3f);
    processor->setParameter (-1, 0.3f);
    processor->setMappedParameter (40, 3.0f);
    EXPECT_EQ (processor->getParameter (40), 0.0f);
    EXPECT_EQ (processor->getMappedParameter (-1), 0.0f);
}

TEST_F (Processor, BadPrepareAndNarrowBuffersLeaveAudioAlone)
{
    processor->setParameter (at (0, ParameterMapping::control2), 1.0f);

    // Rates below 8 kHz count as none: the tube stage is not stable there.
    for (double badRate : { 0.0, -48000.0, 7999.0, std::numeric_limits<double>::quiet_NaN() })
        processor->prepareToPlay (badRate, blockSize);
    auto stereo = noiseBuffer (blockSize, 8);
    const auto stereoInput = stereo;
    process (stereo);
    EXPECT_EQ (stereo.getSample (0, 100), stereoInput.getSample (0, 100));
    EXPECT_FALSE (processor->slots[0].prepared);

    processor->prepareToPlay (rate, blockSize);
    processor->setParameter (at (0, ParameterMapping::input), 1.0f);
    auto mono = constantBuffer (0.25f, blockSize, 1);
    process (mono);
    EXPECT_EQ (mono.getSample (0, 10), 0.25f);
}

TEST_F (Processor, ARefusedRateAfterAGoodOneLeavesOnlyTheGains)
{
    processor->setParameter (at (0, ParameterMapping::control2), 1.0f); // the comb's full feedback
    processor->setParameter (at (0, ParameterMapping::hot), 1.0f);
    processor->setParameter (at (0, ParameterMapping::input), 1.0f); // +20 dB

    for (const bool releaseFirst : { false, true })
    {
        processor->prepareToPlay (rate, blockSize);
        auto warmUp = noiseBuffer (blockSize, 9);
        process (warmUp);

        if (releaseFirst)
            processor->releaseResources();

        processor->prepareToPlay (7999.0, blockSize);
        auto buffer = noiseBuffer (blockSize, 10);
        auto expected = buffer;
        expected.applyGain (10.0f);
        process (buffer);

        for (int channel = 0; channel < 2; ++channel)
            for (int i = 0; i < blockSize; ++i)
                ASSERT_FLOAT_EQ (buffer.getSample (channel, i), expected.getSample (channel, i))
                    << (releaseFirst ? "released first, " : "") << "sample " << i;
    }
}

TEST_F (Processor, NonFiniteAudioIsSilencedForTheBlockAndItsSlotStartsAfresh)
{
    // The equaliser's filters and HOT's tube stages would carry the NaN on.
    auto configure = [] (TarvolinAudioProcessor& p) {
        p.setParameter (at (0, ParameterMapping::algorithm), 11.0f / 13.0f);
        p.setParameter (at (0, ParameterMapping::hot), 1.0f);
        p.prepareToPlay (rate, blockSize);
    };
    configure (*processor);

    auto poisoned = noiseBuffer (blockSize, 30);
    poisoned.setSample (1, 17, std::numeric_limits<float>::quiet_NaN());
    process (poisoned);
    EXPECT_EQ (poisoned.getMagnitude (0, blockSize), 0.0f);

    TarvolinAudioProcessor fresh;
    configure (fresh);
    auto afterwards = noiseBuffer (blockSize, 31);
    auto reference = afterwards;
    process (afterwards);
    juce::MidiBuffer none;
    fresh.processBlock (reference, none);

    for (int channel = 0; channel < 2; ++channel)
        for (int i = 0; i < blockSize; ++i)
            ASSERT_EQ (afterwards.getSample (channel, i), reference.getSample (channel, i)) << i;

    // With every slot off the input passes through, unless it is broken.
    processor->setParameter (at (0, ParameterMapping::enabled), 0.0f);
    auto passing = noiseBuffer (blockSize, 32);
    passing.setSample (0, 3, std::numeric_limits<float>::infinity());
    process (passing);
    EXPECT_EQ (passing.getMagnitude (0, blockSize), 0.0f);
}

TEST_F (Processor, LongBlocksRunInPreparedSizePieces)
{
    // A comb with feedback and an LFO carries state across pieces, so the
    // split must be exactly what the host would get with short blocks.
    auto configure = [] (TarvolinAudioProcessor& p) {
        p.setParameter (at (0, ParameterMapping::control1), 0.7f);
        p.setParameter (at (0, ParameterMapping::control2), 0.9f);
        p.setParameter (at (0, ParameterMapping::control3), 0.6f);
        p.setParameter (at (0, ParameterMapping::control4), 0.8f);
        p.prepareToPlay (rate, 64);
    };

    configure (*processor);
    auto longBlock = noiseBuffer (1000, 21);
    process (longBlock);

    TarvolinAudioProcessor reference;
    configure (reference);
    auto shortBlocks = noiseBuffer (1000, 21);
    juce::MidiBuffer none;
    for (int start = 0; start < 1000; start += 64)
    {
        const auto length = std::min (64, 1000 - start);
        juce::AudioBuffer<float> piece (shortBlocks.getArrayOfWritePointers(), 2, start, length);
        reference.processBlock (piece, none);
    }

    for (int channel = 0; channel < 2; ++channel)
        for (int i = 0; i < 1000; ++i)
            ASSERT_EQ (longBlock.getSample (channel, i), shortBlocks.getSample (channel, i)) << i;
}

//==============================================================================
TEST_F (Processor, BlockWithoutMidiLeavesLearningAlone)
{
    processor->midiLearnParameter = 12;
    processor->params.midiCC[3] = 20;
    auto buffer = constantBuffer (0.0f);

    process (buffer);

    EXPECT_EQ (processor->midiLearnParameter, 12);
    EXPECT_FALSE (processor->midiLearnDone);
    EXPECT_EQ (processor->params.getMidiCCParameter (3), 20);
}

TEST_F (Processor, OnlyTheFirstControllerOfABlockIsLearned)
{
    const auto target = at (1, ParameterMapping::control2);
    const auto previousOwner = at (3, ParameterMapping::control1);
    const auto otherParameter = at (2, ParameterMapping::control4);
    processor->params.midiCC[previousOwner] = 7;
    processor->params.midiCC[otherParameter] = 10;
    processor->midiLearnParameter = target;

    auto buffer = constantBuffer (0.0f);
    process (buffer, controllers ({ { 7, 127 }, { 10, 64 } }));

    EXPECT_EQ (processor->params.getMidiCCParameter (target), 7);
    EXPECT_EQ (processor->params.getMidiCCParameter (previousOwner), -1);
    EXPECT_EQ (processor->params.getMidiCCParameter (otherParameter), 10);
    EXPECT_EQ (processor->midiLearnParameter, -1);
    EXPECT_TRUE (processor->midiLearnDone);

    // Both controllers still drive their parameters in the same block.
    EXPECT_EQ (processor->getParameter (target), 1.0f);
    EXPECT_EQ (processor->getParameter (otherParameter), 64.0f / 127.0f);
}

TEST_F (Processor, ControllersOnEveryChannelAreLearnedAndHeard)
{
    const auto target = at (2, ParameterMapping::output);
    auto buffer = constantBuffer (0.0f);

    for (int channel : { 1, 2, 10, 16 })
    {
        SCOPED_TRACE (testing::Message() << "channel " << channel);
        const auto controller = 20 + channel; // a new one each time, so a missed learn shows
        processor->midiLearnParameter = target;

        process (buffer, controllers ({ { controller, 127 } }, channel));
        EXPECT_EQ (processor->params.getMidiCCParameter (target), controller);
        EXPECT_EQ (processor->getParameter (target), 1.0f);

        // Once learned, the controller is heard on any other channel too.
        process (buffer, controllers ({ { controller, 0 } }, 17 - channel));
        EXPECT_EQ (processor->getParameter (target), 0.0f);
    }
}

TEST_F (Processor, ControllersApplyTheLastValueWithOneGesture)
{
    const auto target = at (0, ParameterMapping::output);
    processor->params.midiCC[target] = 74;
    GestureCounter counter;
    processor->addListener (&counter);

    auto buffer = constantBuffer (0.0f);
    process (buffer, controllers ({ { 74, 10 }, { 1, 99 }, { 74, 64 } }));

    EXPECT_EQ (processor->getParameter (target), 64.0f / 127.0f);
    EXPECT_FLOAT_EQ (processor->outputGain[0], std::pow (10.0f, (80.0f * 64.0f / 127.0f - 40.0f) / 20.0f));
    EXPECT_EQ (counter.begins, 1);
    EXPECT_EQ (counter.ends, 1);
    EXPECT_EQ (counter.changes, 1);
    processor->removeListener (&counter);
}

TEST_F (Processor, AControllerOnSeveralParametersDrivesTheLowestIndex)
{
    // A restored state may give one controller to several parameters.
    processor->params.midiCC[25] = 30;
    processor->params.midiCC[13] = 30;

    auto buffer = constantBuffer (0.0f);
    process (buffer, controllers ({ { 30, 0 } }));

    EXPECT_EQ (processor->getParameter (13), 0.0f);
    EXPECT_EQ (processor->getParameter (25), 0.5f);
}

TEST_F (Processor, ProcessBlockDoesNotAllocate)
{
    for (int slot = 0; slot < 4; ++slot)
    {
        processor->setParameter (at (slot, ParameterMapping::enabled), 1.0f);
        processor->setParameter (at (slot, ParameterMapping::hot), 1.0f);
        processor->setParameter (at (slot, ParameterMapping::control3), 0.7f);
    }
    processor->params.midiCC[at (2, ParameterMapping::control1)] = 1;
    processor->midiLearnParameter = at (3, ParameterMapping::control2);
    processor->prepareToPlay (rate, blockSize);

    auto buffer = noiseBuffer (blockSize * 3, 4);
    auto midi = controllers ({ { 1, 20 }, { 2, 90 }, { 1, 100 } });

    AllocationGuard guard;
    processor->processBlock (buffer, midi);
    processor->processBlock (buffer, midi);
    EXPECT_EQ (guard.allocations(), 0);
}

TEST_F (Processor, SwitchingGadgetsAndImpulsesDoesNotAllocate)
{
    // Every gadget in turn, and the convolution gadget asked for a new
    // impulse response on the audio thread, which wakes its loader.
    processor->prepareToPlay (rate, blockSize);
    auto buffer = noiseBuffer (blockSize, 6);
    juce::MidiBuffer none;

    AllocationGuard guard;

    for (int gadget = 0; gadget < GadgetManager::numGadgets; ++gadget)
    {
        processor->setParameter (at (0, ParameterMapping::algorithm), (float) gadget / 13.0f);
        processor->processBlock (buffer, none);
    }

    processor->setParameter (at (0, ParameterMapping::algorithm), 4.0f / 13.0f);
    for (int impulse = 0; impulse < 8; ++impulse)
    {
        processor->setParameter (at (0, ParameterMapping::impulse), (float) impulse / 7.0f);
        processor->processBlock (buffer, none);
    }

    EXPECT_EQ (guard.allocations(), 0);
}

//==============================================================================
/* The loudest chain a host can set up: every slot on one gadget with Input
   +20 dB, Output +40 dB and HOT on. Every block must come out finite and
   with sound in it: a slot silenced by the last-resort guard would mean a
   gadget had gone non-finite on its own. */
class LoudestChain : public ::testing::TestWithParam<int>
{
};

TEST_P (LoudestChain, StaysFiniteWithoutTheGuard)
{
    constexpr float controls[] = { 0.2225f, 0.9620f, 0.1050f, 0.5359f };
    TarvolinAudioProcessor processor;

    for (int slot = 0; slot < 4; ++slot)
    {
        processor.setParameter (at (slot, ParameterMapping::algorithm), (float) GetParam() / 13.0f);
        processor.setParameter (at (slot, ParameterMapping::input), 1.0f);
        processor.setParameter (at (slot, ParameterMapping::output), 1.0f);
        processor.setParameter (at (slot, ParameterMapping::hot), 1.0f);
        processor.setParameter (at (slot, ParameterMapping::enabled), 1.0f);
        for (int control = 0; control < 4; ++control)
            processor.setParameter (at (slot, ParameterMapping::control1 + control), controls[control]);
    }

    processor.prepareToPlay (rate, blockSize);
    juce::MidiBuffer none;

    for (std::uint32_t block = 0; block < 40; ++block)
    {
        auto buffer = noiseBuffer (blockSize, block);
        processor.processBlock (buffer, none);

        for (int channel = 0; channel < 2; ++channel)
        {
            const auto* samples = buffer.getReadPointer (channel);
            ASSERT_TRUE (std::all_of (samples, samples + blockSize, [] (float x) { return std::isfinite (x); }))
                << "block " << block;
            ASSERT_GT (buffer.getMagnitude (channel, 0, blockSize), 0.0f) << "block " << block;
        }
    }
}

INSTANTIATE_TEST_SUITE_P (EveryGadget, LoudestChain, ::testing::Range (0, GadgetManager::numGadgets));

/* A tube pushed through the gains of the slots before it, its level pulled
   back afterwards: comb slots, the first at Output +40 dB, the second at
   Input +20 dB and Output +40 dB, the third at Input +20 dB with HOT. Noise
   at -10 dBFS reaches the tube at about +104 dBFS; the slot must saturate
   there, not fall silent. */
TEST_F (Processor, GadgetsDrivenThroughEarlierSlotsGainsKeepSounding)
{
    // Combs at Input +20 dB and Output +40 dB ahead of a last slot at Input
    // +20 dB: what reaches it is some 1e10 times louder than what came in.
    // It must come out finite and sounding, every block; with HOT the tube
    // stage bounds it (far above its saturated swing, far below a runaway),
    // and an Output of -40 dB brings that down to playing level.
    constexpr int comb = 0, ladder = 3;
    constexpr float tubeBound = 10.0f, minus40Db = 0.01f, noBound = std::numeric_limits<float>::infinity();
    const auto numSamples = 20 * blockSize;
    const auto noise = testsignals::noiseWithImpulses (numSamples, 7, 0.316f);
    const auto square = testsignals::square (numSamples, 1000.0, rate, 0.5f);

    const struct
    {
        const char* what;
        int lastSlot, lastGadget;
        bool hot;
        float lastOutput, bound;
        const std::vector<float>& input;
    } rows[] = {
        { "a comb with HOT after two combs, noise", 2, comb, true, 0.5f, tubeBound, noise },
        { "the ladder after three combs, a square", 3, ladder, false, 0.5f, noBound, square },
        { "the ladder with HOT at Output -40 dB", 3, ladder, true, 0.0f, tubeBound * minus40Db, square },
    };

    for (const auto& row : rows)
    {
        for (int slot = 0; slot < 4; ++slot)
        {
            const auto isLast = slot == row.lastSlot;
            processor->setParameter (at (slot, ParameterMapping::enabled), slot <= row.lastSlot ? 1.0f : 0.0f);
            processor->setParameter (at (slot, ParameterMapping::input), 1.0f);
            processor->setParameter (at (slot, ParameterMapping::output), isLast ? row.lastOutput : 1.0f);
            processor->setParameter (at (slot, ParameterMapping::algorithm), (isLast ? row.lastGadget : comb) / 13.0f);
            processor->setParameter (at (slot, ParameterMapping::hot), isLast && row.hot ? 1.0f : 0.0f);
        }
        processor->prepareToPlay (rate, blockSize);

        for (int start = 0; start < numSamples; start += blockSize)
        {
            juce::AudioBuffer<float> buffer (2, blockSize);
            for (int channel = 0; channel < 2; ++channel)
                buffer.copyFrom (channel, 0, row.input.data() + start, blockSize);
            process (buffer);

            for (int channel = 0; channel < 2; ++channel)
            {
                const std::vector<float> output (buffer.getReadPointer (channel),
                                                 buffer.getReadPointer (channel) + blockSize);
                SCOPED_TRACE (testing::Message() << row.what << ", sample " << start);
                ASSERT_TRUE (testsignals::allFinite (output));
                ASSERT_GT (testsignals::peakOf (output), 0.0f);
                ASSERT_LT (testsignals::peakOf (output), row.bound);
            }
        }
    }
}

//==============================================================================
namespace
{
// Where the gadgets that load impulses or draw random numbers sit in a slot.
constexpr int convolutionGadget = 4, tapeGadget = 8, rotorGadget = 12;

bool impulsesLoaded (const TarvolinAudioProcessor& p)
{
    for (const auto& slot : p.slots)
    {
        const auto& convolution = dynamic_cast<const GadgetN11&> (*slot.getAlgorithmObject (convolutionGadget));
        const auto& tape = dynamic_cast<const GadgetN08&> (*slot.getAlgorithmObject (tapeGadget));

        if (! (convolution.convolvers[0].isReady() && convolution.convolvers[1].isReady() && tape.convolverL.isReady()
               && tape.convolverR.isReady()))
            return false;
    }

    return true;
}

/** The tape's jitter and the rotors' start angles are random: both
    processors compared draw them from one seed. */
void seedRandomDraws (TarvolinAudioProcessor& p)
{
    for (auto& slot : p.slots)
    {
        dynamic_cast<GadgetN08&> (*slot.getAlgorithmObject (tapeGadget)).random.setSeed (31);
        dynamic_cast<GadgetN13&> (*slot.getAlgorithmObject (rotorGadget)).rotorRandom.setSeed (32);
    }
}

std::unique_ptr<TarvolinAudioProcessor> processorWith (int gadget, bool hot)
{
    auto p = std::make_unique<TarvolinAudioProcessor>();
    p->setParameter (at (0, ParameterMapping::algorithm), (float) gadget / 13.0f);
    p->setParameter (at (0, ParameterMapping::hot), hot ? 1.0f : 0.0f);
    p->setParameter (at (0, ParameterMapping::control1), 0.3f);
    p->setParameter (at (0, ParameterMapping::control2), 0.8f);
    p->setParameter (at (0, ParameterMapping::control3), 0.6f);
    p->setParameter (at (0, ParameterMapping::control4), 0.7f);
    p->setParameter (at (0, ParameterMapping::impulse), 2.0f / 7.0f);
    return p;
}

constexpr int preparedSize = 512;

/** Prepares and, once the impulses are in, runs shorter blocks than announced. */
std::vector<float> firstBlocksAfterPrepare (TarvolinAudioProcessor& p)
{
    seedRandomDraws (p);
    p.prepareToPlay (rate, preparedSize);
    EXPECT_TRUE (pollUntil ([&] { return impulsesLoaded (p); }));
    std::vector<float> output;
    juce::MidiBuffer none;

    for (std::uint32_t block = 0; block < 4; ++block)
    {
        auto buffer = noiseBuffer (preparedSize / 2, 40 + block);
        p.processBlock (buffer, none);

        for (int channel = 0; channel < 2; ++channel)
            output.insert (output.end(),
                           buffer.getReadPointer (channel),
                           buffer.getReadPointer (channel) + buffer.getNumSamples());
    }

    return output;
}

/** Full blocks of noise, the last ending on a NaN and an infinity. */
void dirty (TarvolinAudioProcessor& p)
{
    p.prepareToPlay (rate, preparedSize);
    ASSERT_TRUE (pollUntil ([&] { return impulsesLoaded (p); }));
    juce::MidiBuffer none;

    for (std::uint32_t block = 0; block < 3; ++block)
    {
        auto buffer = noiseBuffer (preparedSize, 60 + block);

        if (block == 2)
        {
            buffer.setSample (0, preparedSize - 1, std::numeric_limits<float>::quiet_NaN());
            buffer.setSample (1, preparedSize - 1, std::numeric_limits<float>::infinity());
        }

        p.processBlock (buffer, none);
    }
}
} // namespace

TEST (ProcessorLifecycle, APrepareStartsFromSilenceAsANewInstanceDoes)
{
    for (int gadget = 0; gadget < GadgetManager::numGadgets; ++gadget)
        for (const bool hot : { false, true })
            for (const bool releaseFirst : { false, true })
            {
                SCOPED_TRACE (testing::Message() << "gadget " << gadget << (hot ? " hot" : "")
                                                 << (releaseFirst ? ", released before the prepare" : ""));
                auto fresh = processorWith (gadget, hot);
                const auto expected = firstBlocksAfterPrepare (*fresh);

                auto used = processorWith (gadget, hot);
                dirty (*used);

                if (releaseFirst)
                    used->releaseResources();

                EXPECT_EQ (firstBlocksAfterPrepare (*used), expected);
            }
}

namespace
{
/** What a host does that quits without deleting its instances: the exit
    handlers run while the impulses above 44.1 kHz are still loading. */
[[noreturn]] void exitWithInstancesLoading (int delayMs)
{
    // Held where the leak checker sees them, as the host's own lists would.
    static auto* alive = new std::vector<TarvolinAudioProcessor*>();

    for (const double hostRate : { 88200.0, 96000.0, 176400.0, 192000.0 })
        for (const int size : { 256, 4096 })
        {
            alive->push_back (new TarvolinAudioProcessor());
            alive->back()->prepareToPlay (hostRate, size);
        }

    std::this_thread::sleep_for (std::chrono::milliseconds (delayMs));
    std::exit (0);
}
} // namespace

TEST (ProcessorLifecycle, ExitingWithInstancesAliveEndsCleanly)
{
    // Each exit in a process of its own, started afresh: nothing loaded yet.
    const auto style = GTEST_FLAG_GET (death_test_style);
    GTEST_FLAG_SET (death_test_style, "threadsafe");

    for (const int delayMs : { 0, 0, 1, 2, 3, 5, 8, 13 })
        EXPECT_EXIT (exitWithInstancesLoading (delayMs), ::testing::ExitedWithCode (0), "") << delayMs << " ms";

    GTEST_FLAG_SET (death_test_style, style);
}
