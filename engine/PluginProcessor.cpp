#include "PluginProcessor.h"

#include "engine/HostParameter.h"
#include "dsp/FiniteBlock.h"
#include "engine/HostState.h"
#include "ui/TarvolinAudioProcessorEditor.h"

#include <cfloat>

namespace
{
constexpr float controllerSteps = 127.0f;
// Below this rate the tube stage's cathode step is no longer stable and the
// gadgets' corners crowd Nyquist; no host runs there.
constexpr double lowestSampleRateHz = 8000.0;

float decibelsToGain (float decibels) noexcept { return std::pow (10.0f, decibels / 20.0f); }

/** A choice value (a float holding an integer) as an int; anything that is
    not a plausible index becomes -1, which the slot turns into gadget 0. */
int toChoiceIndex (float choice) noexcept { return (choice >= 0.0f && choice <= 1000.0f) ? (int) choice : -1; }

void applyGain (float* samples, int numSamples, float gain) noexcept
{
    if (gain != 1.0f)
        juce::FloatVectorOperations::multiply (samples, gain, numSamples);
}

void silence (float* left, float* right, int numSamples) noexcept
{
    std::fill (left, left + numSamples, 0.0f);
    std::fill (right, right + numSamples, 0.0f);
}

bool isController (const juce::MidiMessageMetadata& event) noexcept
{
    return event.numBytes >= 3 && (event.data[0] & 0xf0) == 0xb0;
}
} // namespace

TarvolinAudioProcessor::TarvolinAudioProcessor()
    : AudioProcessor (BusesProperties()
                          .withInput ("Input", juce::AudioChannelSet::stereo(), true)
                          .withOutput ("Output", juce::AudioChannelSet::stereo(), true))
{
    for (int i = 0; i < numParameters; ++i)
        addParameter (new HostParameter (*this, i));

    presets = std::make_unique<PresetManagement> (&params);

    for (int slot = 0; slot < numSlots; ++slot)
    {
        inputGain[slot] = 1.0f;
        outputGain[slot] = 1.0f;
    }

    midiLearnParameter = noParameter;
    midiLearnDone = false;
}

TarvolinAudioProcessor::~TarvolinAudioProcessor() { presets.reset(); }

//==============================================================================
bool TarvolinAudioProcessor::isBusesLayoutSupported (const BusesLayout& layouts) const
{
    // Stereo in, stereo out only: a VST2 that accepts anything announces 64
    // channels and some hosts then render silence.
    return layouts.getMainInputChannelSet() == juce::AudioChannelSet::stereo()
           && layouts.getMainOutputChannelSet() == juce::AudioChannelSet::stereo();
}

void TarvolinAudioProcessor::prepareToPlay (double sampleRate, int maximumBlockSize)
{
    // A host that announces no usable rate or size gets no processing: every
    // slot passes audio through (its gains still apply) until a usable
    // prepare, so nothing runs on with an earlier rate's coefficients.
    if (! (sampleRate >= lowestSampleRateHz) || maximumBlockSize <= 0)
    {
        for (auto& slot : slots)
            slot.prepared = false;

        return;
    }

    updateParameters();
    meteredInput.calloc ((size_t) maximumBlockSize);
    preparedBlockSize = maximumBlockSize;

    for (auto& slot : slots)
        slot.initProcessing (sampleRate, maximumBlockSize);

    for (auto& meter : meters)
        meter.setSampleRate (sampleRate);

    for (auto& meter : meters)
        meter.reset();
}

void TarvolinAudioProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi)
{
    if (buffer.getNumChannels() < 2)
        return;

    if (! midi.isEmpty())
        applyMidiControllers (midi);

    auto* left = buffer.getWritePointer (0);
    auto* right = buffer.getWritePointer (1);
    const auto numSamples = buffer.getNumSamples();

    // The input meter runs beside the output meter, on a copy of the input,
    // where the block fits the copy.
    const bool meterTogether = numSamples <= preparedBlockSize;

    if (meterTogether)
        std::copy (left, left + numSamples, meteredInput.get());
    else
        meters[0].processSamples (left, numSamples);

    const auto bpm = readHostTempo();

    // The gadgets size their buffers from the prepared block size, so a
    // longer host block runs through the chain in pieces.
    const auto pieceLength = preparedBlockSize > 0 ? preparedBlockSize : numSamples;

    bool slotsRan = false;
    for (int start = 0; start < numSamples; start += pieceLength)
        slotsRan |= processSlots (left + start, right + start, std::min (pieceLength, numSamples - start), bpm);

    // Each slot that ran checked its own output. With every slot off the
    // input passes straight through, and a broken sample from upstream
    // stops here instead.
    if (! slotsRan && ! isFiniteBlock (left, right, numSamples))
        silence (left, right, numSamples);

    if (meterTogether)
        SimpleVuMeter::processPair (meters[0], meteredInput, meters[1], left, numSamples);
    else
        meters[1].processSamples (left, numSamples);
}

bool TarvolinAudioProcessor::processSlots (float* left, float* right, int numSamples, float bpm)
{
    bool anyRan = false;

    for (int slot = 0; slot < numSlots; ++slot)
    {
        if (params.getValue (ParameterMapping::indexOf (slot, ParameterMapping::enabled))
            < ParameterMapping::switchThreshold)
            continue;

        anyRan = true;

        const float in = inputGain[slot];
        applyGain (left, numSamples, in);
        applyGain (right, numSamples, in);

        const auto hot = params.getValue (ParameterMapping::indexOf (slot, ParameterMapping::hot))
                         >= ParameterMapping::switchThreshold;
        slots[slot].processSamples (left, right, numSamples, bpm, hot);

        const float out = outputGain[slot];
        applyGain (left, numSamples, out);
        applyGain (right, numSamples, out);

        // The last guard, whatever the cause: nothing non-finite goes on to
        // the next slot or the host, and the slot starts afresh.
        if (! isFiniteBlock (left, right, numSamples))
        {
            silence (left, right, numSamples);
            slots[slot].resetRunningState();
        }
    }

    return anyRan;
}

void TarvolinAudioProcessor::applyMidiControllers (const juce::MidiBuffer& midi)
{
    int learnTarget = midiLearnParameter;
    float pendingValue[numParameters];
    bool hasPendingValue[numParameters] = {};

    for (const auto event : midi)
    {
        if (! isController (event))
            continue;

        const int controller = event.data[1] & 0x7f;
        const int controllerValue = event.data[2] & 0x7f;

        if (juce::isPositiveAndBelow (learnTarget, numParameters))
        {
            for (auto& assigned : params.midiCC)
                if (assigned == controller)
                    assigned = ParameterMapping::noController;

            params.midiCC[(size_t) learnTarget] = controller;
            midiLearnParameter = noParameter;
            midiLearnDone = true;
        }

        // The first controller of a block ends the learn, so another one
        // moving in the same block cannot take the assignment from it.
        learnTarget = noParameter;

        for (int index = 0; index < numParameters; ++index)
        {
            if (params.getMidiCCParameter (index) == controller)
            {
                pendingValue[index] = (float) controllerValue / controllerSteps;
                hasPendingValue[index] = true;
                break;
            }
        }
    }

    for (int index = 0; index < numParameters; ++index)
    {
        if (! hasPendingValue[index])
            continue;

        auto& parameter = hostParameter (index);
        parameter.beginChangeGesture();
        parameter.setValueNotifyingHost (pendingValue[index]);
        parameter.endChangeGesture();
    }
}

float TarvolinAudioProcessor::readHostTempo() const
{
    auto* hostPlayHead = getPlayHead();

    if (hostPlayHead == nullptr)
        return 0.0f;

    const auto position = hostPlayHead->getPosition();

    if (! position.hasValue())
        return 0.0f;

    const auto bpm = position->getBpm();

    if (! bpm.hasValue())
        return 0.0f;

    // Keep a wild value inside float range; the delay gadget handles the rest.
    const auto tempo = *bpm;
    return std::isfinite (tempo) ? (float) juce::jlimit ((double) -FLT_MAX, (double) FLT_MAX, tempo) : (float) tempo;
}

//==============================================================================
juce::AudioProcessorEditor* TarvolinAudioProcessor::createEditor() { return new TarvolinAudioProcessorEditor (this); }

bool TarvolinAudioProcessor::hasEditor() const { return true; }

//==============================================================================
const juce::String TarvolinAudioProcessor::getParameterName (int index)
{
    return juce::isPositiveAndBelow (index, numParameters) ? params.getParameterName (index) : juce::String();
}

float TarvolinAudioProcessor::getParameter (int index)
{
    return juce::isPositiveAndBelow (index, numParameters) ? params.getValue (index) : 0.0f;
}

const juce::String TarvolinAudioProcessor::getParameterText (int index)
{
    return juce::isPositiveAndBelow (index, numParameters) ? params.getParameterText (index) : juce::String();
}

bool TarvolinAudioProcessor::isParameterAutomatable (int index) const
{
    return ParameterMapping::kindOf (index) != ParameterMapping::enabled;
}

bool TarvolinAudioProcessor::isMetaParameter (int index) const
{
    const auto kind = ParameterMapping::kindOf (index);
    return kind >= ParameterMapping::algorithm && kind <= ParameterMapping::impulse;
}

void TarvolinAudioProcessor::setParameter (int index, float value)
{
    if (! juce::isPositiveAndBelow (index, numParameters))
        return;

    value = ParameterMapping::sanitise (index, value);
    params.setValue (index, value);

    const auto slot = ParameterMapping::slotOf (index);

    switch (ParameterMapping::kindOf (index))
    {
        case ParameterMapping::input:
            inputGain[slot] = decibelsToGain (params.getMappedValue (index));
            slots[slot].getCurrentAlgorithmObject()->inputGain = inputGain[slot].load();
            break;
        case ParameterMapping::output:
            outputGain[slot] = decibelsToGain (params.getMappedValue (index));
            break;
        case ParameterMapping::algorithm:
            selectGadget (slot, value);
            break;
        case ParameterMapping::control1:
        case ParameterMapping::control2:
        case ParameterMapping::control3:
        case ParameterMapping::control4:
        case ParameterMapping::impulse:
            pushControlsToGadget (slot);
            break;
        default:
            break; // hot and enabled are read by every block
    }
}

void TarvolinAudioProcessor::selectGadget (int slot, float normalised)
{
    auto& manager = slots[slot];
    manager.setCurrentIndex (toChoiceIndex (ParameterMapping::roundChoice (normalised, 13.0f)));

    // Each gadget keeps its own settings: the slot's controls take them back.
    // The host hears of these values when it next reads them.
    auto* gadget = manager.getCurrentAlgorithmObject();
    const float controls[] = { gadget->p1, gadget->p2, gadget->p3, gadget->p4 };

    for (int k = 0; k < 4; ++k)
        params.setValue (ParameterMapping::indexOf (slot, ParameterMapping::control1 + k), controls[k]);

    params.setValue (ParameterMapping::indexOf (slot, ParameterMapping::impulse),
                     (float) gadget->impulseIndexInUse / 7.0f);
    gadget->inputGain = inputGain[slot].load();
}

void TarvolinAudioProcessor::pushControlsToGadget (int slot)
{
    auto value = [this, slot] (int kind) { return params.getValue (ParameterMapping::indexOf (slot, kind)); };
    const auto impulseChoice = params.getMappedValue (ParameterMapping::indexOf (slot, ParameterMapping::impulse));

    slots[slot].getCurrentAlgorithmObject()->setParameters (value (ParameterMapping::control1),
                                                            value (ParameterMapping::control2),
                                                            value (ParameterMapping::control3),
                                                            value (ParameterMapping::control4),
                                                            toChoiceIndex (impulseChoice));
}

//==============================================================================
float TarvolinAudioProcessor::getMappedParameter (int index) const noexcept
{
    return juce::isPositiveAndBelow (index, numParameters) ? params.getMappedValue (index) : 0.0f;
}

void TarvolinAudioProcessor::setMappedParameter (int index, float value)
{
    if (! juce::isPositiveAndBelow (index, numParameters))
        return;

    params.setMappedValue (index, value);
    setParameterNotifyingHost (index, params.getValue (index));
}

void TarvolinAudioProcessor::setParameterNotifyingHost (int index, float value)
{
    if (juce::isPositiveAndBelow (index, numParameters))
        hostParameter (index).setValueNotifyingHost (value);
}

juce::AudioProcessorParameter& TarvolinAudioProcessor::hostParameter (int index) const
{
    return *getParameters().getUnchecked (index);
}

void TarvolinAudioProcessor::swapSlots (int a, int b)
{
    for (int kind = 0; kind < ParameterMapping::numKinds; ++kind)
    {
        const auto indexA = ParameterMapping::indexOf (a, kind);
        const auto indexB = ParameterMapping::indexOf (b, kind);
        const auto valueA = params.getValue (indexA);
        params.setValue (indexA, params.getValue (indexB));
        params.setValue (indexB, valueA);
    }

    updateParameters();
}

void TarvolinAudioProcessor::updateParameters()
{
    for (int slot = 0; slot < numSlots; ++slot)
    {
        auto mapped = [this, slot] (int kind) {
            return params.getMappedValue (ParameterMapping::indexOf (slot, kind));
        };

        inputGain[slot] = decibelsToGain (mapped (ParameterMapping::input));
        outputGain[slot] = decibelsToGain (mapped (ParameterMapping::output));
        slots[slot].setCurrentIndex (toChoiceIndex (mapped (ParameterMapping::algorithm)));
        slots[slot].getCurrentAlgorithmObject()->inputGain = inputGain[slot].load();
        pushControlsToGadget (slot);
    }
}

//==============================================================================
void TarvolinAudioProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    HostState::write (params, *presets, destData);
}

void TarvolinAudioProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    HostState::read (data, sizeInBytes, params, *presets);

    // Whatever the block held: learning stops, the engine takes the values
    // now in force and an open editor refreshes.
    midiLearnParameter = noParameter;
    updateParameters();
    sendChangeMessage();
}

//==============================================================================
juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter() { return new TarvolinAudioProcessor(); }
