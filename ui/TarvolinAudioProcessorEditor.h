#pragma once

#include "engine/PluginProcessor.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <array>

class AboutTab;
class ComboBoxMIDILearn;
class ComponentPedalAnim;
class CustomLookAndFeel;
class GadgetChainerComponent;
class KnobComponent;
class MIDILearnComponent;
class MIDIUnlearnComponent;
class SelectorComponent;
class SpecialComboBox;
class SwitchComponent;
class VuMeterComponent;

/** The plug-in's fixed 732 x 430 window. It shows one slot at a time (the
    strip's selected slot), turns what its controls report into parameter
    gestures, polls the shown slot's values every 200 ms for host automation
    (a changed gadget, impulse, HOT or routing refreshes the window as a
    state restore does, and a control whose user step has not yet reached
    the editor is left alone), and runs MIDI learn from the editor's side.

    The editor is the only listener of every control and tells the sources
    apart by address; the controls' fields are read and written directly.
    The child pointers are public so that the about panel's owner and the
    tests can reach the controls as the editor itself does. */
class TarvolinAudioProcessorEditor : public juce::AudioProcessorEditor,
                                     public juce::ChangeListener,
                                     public juce::ComboBox::Listener,
                                     public juce::Timer,
                                     public juce::Button::Listener
{
public:
    static constexpr int numControls = 4;
    static constexpr int numGadgets = ParameterMapping::numGadgets;
    static constexpr int numPedalPictures = 2 * numGadgets; // normal, then dark
    static constexpr int pollIntervalMs = 200;
    static constexpr int learnBlinkMs = 800;
    static constexpr int unlearnNoticeMs = 2000;
    static constexpr int darkPedalScore = 5000;

    explicit TarvolinAudioProcessorEditor (TarvolinAudioProcessor* owner);
    ~TarvolinAudioProcessorEditor() override;

    void mouseDown (const juce::MouseEvent& event) override;
    void paint (juce::Graphics& g) override;
    void resized() override;
    void changeListenerCallback (juce::ChangeBroadcaster* source) override;
    void comboBoxChanged (juce::ComboBox* box) override;
    void buttonClicked (juce::Button* button) override;
    void timerCallback() override;

    /** Shows, hides and names the controls for the current gadget of a slot. */
    void updateDisplayControls (int slot);

    /** Copies a slot's gadget controls, impulse, gadget choice and HOT into the controls. */
    void updateValueControls (int slot);

    /** Brings HOT, the impulse and the gadget choice of the shown slot up to date. */
    void updateNotAutomatableAndDiscreteParameters();

    /** Arms the controls bound to a parameter of the shown slot and makes it the
        processor's learn target; -1 (or another slot's parameter) disarms all. */
    void manageMIDILearn (int parameter);

    /** The slot on screen: always the strip's selection. */
    int getShownSlot() const noexcept;

    TarvolinAudioProcessor& audioProcessor;
    juce::TooltipWindow tooltipWindow;

    juce::Label* inputLabel = nullptr;
    juce::Label* inputValueLabel = nullptr;
    juce::Label* outputLabel = nullptr;
    juce::Label* outputValueLabel = nullptr;
    KnobComponent* inputKnob = nullptr;
    KnobComponent* outputKnob = nullptr;
    KnobComponent* controlKnobs[numControls] {};
    juce::Label* hotLabel = nullptr;
    juce::Label* normalLabel = nullptr;
    SwitchComponent* hotSwitch = nullptr;
    SwitchComponent* controlSwitches[numControls] {};
    juce::Label* freeLabel = nullptr;
    juce::Label* syncLabel = nullptr;
    VuMeterComponent* inputMeter = nullptr;
    VuMeterComponent* outputMeter = nullptr;
    ComboBoxMIDILearn* impulseBox = nullptr;
    SelectorComponent* selectors[numGadgets] {};
    AboutTab* aboutTab = nullptr;

    juce::Image background;
    juce::Image pedalPictures[numPedalPictures];
    juce::Font labelFont;
    CustomLookAndFeel* lookAndFeel = nullptr;

    ComponentPedalAnim* pedalView = nullptr;
    ComponentPedalAnim* sparePedalView = nullptr;
    GadgetChainerComponent* chainer = nullptr;
    MIDILearnComponent* midiLearnIndicator = nullptr;
    MIDIUnlearnComponent* midiUnlearnIndicator = nullptr;
    juce::Label* presetsLabel = nullptr;
    SpecialComboBox* presetBox = nullptr;
    juce::ImageButton* previousButton = nullptr;
    juce::ImageButton* nextButton = nullptr;

private:
    int parameterOf (int kind) const noexcept;
    float readValue (int index) const noexcept;
    int readGadgetIndex (int slot) const noexcept;
    int readImpulseId (int slot) const noexcept;
    static bool isOn (float value) noexcept;

    void createStrip();
    void createAboutPanel();
    void createKnobsAndLabels (int slot);
    void createSwitches (int slot);
    void createImpulseBox (int slot);
    void createPresetControls();
    void createMeters();
    void createPedalViews (int slot);
    void createSelectors (int slot);
    void createArrowButtons();
    juce::Label* addLabel (const juce::String& text, juce::Justification justification);

    Gadgets& currentGadget (int slot) const noexcept;
    juce::Image* pedalPictureFor (const Gadgets& gadget);
    int bestGameScore() const;
    void setPedalPictures (int slot);
    void showSelection (int gadgetIndex);

    void refreshStripFromParameters();
    void refreshAfterPresetLoad();
    void refreshAfterOutsideChange();
    void handleStripChange();
    void handleLearnIndicatorBlink();
    void endAwaitedStep (juce::ChangeBroadcaster* source);
    bool handleValueControl (juce::ChangeBroadcaster* source);
    bool handleSelector (juce::ChangeBroadcaster* source);
    void handleHotSwitch();
    void showHoverTitle (const juce::String& title);
    void switchGadget (int gadgetIndex);
    void sendGesture (int index, float value);

    void learnOrUnlearn (int parameter);
    void disarmAllExcept (int kind);
    void armControlsFor (int kind);
    bool isAnyControlArmed() const;

    bool choicesChangedSinceLastPoll();
    void pollGains (int slot);
    void pollControls (int slot);

    // What the poll last read of the choices on screen, bit for bit: the
    // shown slot's gadget, impulse and HOT, then every slot's enabled flag.
    static constexpr int numWatchedChoices = 3 + TarvolinAudioProcessor::numSlots;
    std::array<juce::uint32, numWatchedChoices> watchedChoices {};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TarvolinAudioProcessorEditor)
};
