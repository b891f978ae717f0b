#pragma once

#include "dsp/RelaxedAtomic.h"
#include "dsp/SimpleVuMeter.h"
#include "engine/GadgetManager.h"
#include "engine/ParameterMapping.h"
#include "engine/PresetManagement.h"
#include "ui/CustomLookAndFeel.h"

#include <juce_audio_processors/juce_audio_processors.h>

/** The plug-in: four slots in series, the forty-parameter model, MIDI learn,
    the preset store, the input and output level meters and the editor's
    look and feel.
    Broadcasts a change after a host state restore so an open editor refreshes. */
class TarvolinAudioProcessor : public juce::AudioProcessor, public juce::ChangeBroadcaster
{
public:
    static constexpr int numSlots = ParameterMapping::numSlots;
    static constexpr int numParameters = ParameterMapping::numParameters;
    static constexpr int noParameter = -1;

    TarvolinAudioProcessor();
    ~TarvolinAudioProcessor() override;

    //==============================================================================
    const juce::String getName() const override { return "Tarvolin"; }
    void prepareToPlay (double sampleRate, int maximumBlockSize) override;
    void releaseResources() override {}
    bool isBusesLayoutSupported (const BusesLayout& layouts) const override;
    void processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    using AudioProcessor::processBlock;
    double getTailLengthSeconds() const override { return 0.0; }
    bool acceptsMidi() const override { return true; }
    bool producesMidi() const override { return false; }
    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override;

    //==============================================================================
    // The parameter calls hosts and the editor make; the host-facing
    // HostParameter objects forward to these.
    int getNumParameters() override { return numParameters; }
    const juce::String getParameterName (int index) override;
    float getParameter (int index) override;
    const juce::String getParameterText (int index) override;
    void setParameter (int index, float value) override;
    bool isParameterAutomatable (int index) const override;
    bool isMetaParameter (int index) const override;
    using AudioProcessor::getParameterName;
    using AudioProcessor::getParameterText;

    int getNumPrograms() override { return 1; }
    int getCurrentProgram() override { return 0; }
    void setCurrentProgram (int) override {}
    const juce::String getProgramName (int) override { return "default"; }
    void changeProgramName (int, const juce::String&) override {}

    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

    //==============================================================================
    /** Engineering value of a parameter (dB, gadget index, impulse choice...). */
    float getMappedParameter (int index) const noexcept;

    /** Stores an engineering value and tells the host, as a user edit does. */
    void setMappedParameter (int index, float value);

    /** Exchanges the ten values of two slots; controllers and gadget state stay put. */
    void swapSlots (int a, int b);

    /** Pushes every stored value into the gains and the selected gadgets. */
    void updateParameters();

    /** Stores a value, tells the host, and applies it through setParameter. */
    void setParameterNotifyingHost (int index, float value);

    //==============================================================================
    RelaxedAtomic<float> inputGain[numSlots];
    RelaxedAtomic<float> outputGain[numSlots];
    RelaxedAtomic<int> midiLearnParameter { noParameter };
    RelaxedAtomic<bool> midiLearnDone { false };
    GadgetManager slots[numSlots];
    ParameterMapping params;
    std::unique_ptr<PresetManagement> presets; // built last, deleted first
    SimpleVuMeter meters[2]; // 0 input, 1 output
    /** Lent to every editor, so it must outlive them all; built after the
        meters and released after the preset store. */
    CustomLookAndFeel lookAndFeel;

private:
    void applyMidiControllers (const juce::MidiBuffer& midi);
    float readHostTempo() const;
    /** Runs the enabled slots in order; false when none is enabled. */
    bool processSlots (float* left, float* right, int numSamples, float bpm);
    void selectGadget (int slot, float normalised);
    void pushControlsToGadget (int slot);
    juce::AudioProcessorParameter& hostParameter (int index) const;

    int preparedBlockSize = 0;
    // The left input of the block, for the input meter.
    juce::HeapBlock<float> meteredInput;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TarvolinAudioProcessor)
};
