#include "TarvolinAudioProcessorEditor.h"

#include "game/Component2048.h"
#include "ui/AboutTab.h"
#include "ui/ComboBoxMIDILearn.h"
#include "ui/ComponentPedalAnim.h"
#include "ui/CustomLookAndFeel.h"
#include "ui/GadgetChainerComponent.h"
#include "ui/KnobComponent.h"
#include "ui/MIDILearnComponent.h"
#include "ui/MIDIUnlearnComponent.h"
#include "ui/MidiLearnArming.h"
#include "ui/SelectorComponent.h"
#include "ui/SpecialComboBox.h"
#include "ui/SwitchComponent.h"
#include "ui/VuMeterComponent.h"

#include <Images.h>

#include <cmath>
#include <cstring>

namespace
{
using Kind = ParameterMapping::Kind;

// Every position is a whole pixel value worked out from the window and the
// pictures' sizes; nothing scales.
constexpr int windowWidth = 732;
constexpr int windowHeight = 430;
constexpr int knobSize = 47;
constexpr int halfKnob = knobSize / 2;
constexpr int switchWidth = 12;
constexpr int switchHeight = 32;
constexpr int meterWidth = 11;
constexpr int meterHeight = 51;
constexpr int comboWidth = 150;
constexpr int wideComboWidth = 200;
constexpr int comboHeight = 19;
constexpr int selectorSize = 30;
constexpr int selectorPitch = 50;
constexpr int controlX[] = { 315, 375, 435, 495 };
constexpr int knobY = windowHeight - 12 - knobSize;
constexpr int captionY = windowHeight - 32 - halfKnob;
constexpr int valueTextY = windowHeight - 16 - halfKnob;
constexpr int switchY = windowHeight - 22 - switchHeight;
constexpr int bottomBandHeight = 70;
constexpr int arrowWidth = 10;
constexpr int arrowHeight = 12;

// The title band that opens the about panel.
constexpr int titleBandLeft = 11;
constexpr int titleBandTop = 1;
constexpr int titleBandBottom = 44;

constexpr int tooltipDelayMs = 10;
constexpr float smallLabelHeight = 12.0f;
constexpr float presetsLabelHeight = 19.0f;
constexpr float pedalTitleHeight = 24.0f;
constexpr int numImpulses = ParameterMapping::numImpulses;

// The gadget whose fourth switch chooses a speed rather than a sync mode.
constexpr int slowFastGadget = 12;

// Slide directions: the old pedal leaves to the left when the new gadget's
// selector lies to the right of the old one's, as if the row were a strip of pedals.
constexpr int slideLeft = -1;
constexpr int slideRight = 1;

/** An engineering choice (gadget, impulse) as an index into a list of count
    entries; whatever cannot index the list (NaN, 99, -3) falls back to 0,
    the engine's own answer to an out-of-range gadget. */
int indexWithin (float choice, int count) noexcept
{
    if (! (choice >= 0.0f && choice < (float) count))
        return 0;

    return (int) std::floor (choice);
}

template <typename Control>
void arm (Control& control)
{
    control.armed = true;
    control.startTimer (MidiLearnArming::timeoutMs);
    control.repaint();
}

template <typename Control>
void disarm (Control& control)
{
    control.armed = false;
    control.stopTimer();
    control.repaint();
}

juce::Image drawArrow (bool pointsRight)
{
    juce::Image picture (juce::Image::ARGB, arrowWidth, arrowHeight, true);
    juce::Graphics g (picture);
    juce::Path triangle;
    triangle.addTriangle (0.0f, arrowHeight / 2.0f, (float) arrowWidth, 0.0f, (float) arrowWidth, (float) arrowHeight);

    if (pointsRight)
        triangle.applyTransform (
            juce::AffineTransform::rotation (juce::MathConstants<float>::pi, arrowWidth / 2.0f, arrowHeight / 2.0f));

    g.setColour (juce::Colours::lightgrey);
    g.fillPath (triangle);
    return picture;
}

juce::ImageButton* makeArrowButton (const juce::Image& picture)
{
    auto* button = new juce::ImageButton();
    const auto none = juce::Colours::transparentBlack;
    // Dim at rest, full under the mouse, a little dimmer while pressed.
    button->setImages (false, false, true, picture, 0.5f, none, picture, 1.0f, none, picture, 0.6f, none, 0.0f);
    return button;
}

juce::Image pictureNamed (const juce::String& resourceName)
{
    int size = 0;
    const auto* data = Images::getNamedResource (resourceName.toRawUTF8(), size);
    return data != nullptr ? juce::ImageCache::getFromMemory (data, size) : juce::Image();
}
} // namespace

//==============================================================================
TarvolinAudioProcessorEditor::TarvolinAudioProcessorEditor (TarvolinAudioProcessor* owner)
    : AudioProcessorEditor (owner)
    , audioProcessor (*owner)
    , tooltipWindow (nullptr, tooltipDelayMs)
{
    setBufferedToImage (true);
    audioProcessor.addChangeListener (this);
    lookAndFeel = &audioProcessor.lookAndFeel;
    CustomLookAndFeel::installTypefaceSubstitution();
    setLookAndFeel (lookAndFeel);
    tooltipWindow.setLookAndFeel (lookAndFeel);
    tooltipWindow.setMillisecondsBeforeTipAppears (tooltipDelayMs);

    background = juce::ImageCache::getFromMemory (Images::fond_png, Images::fond_pngSize);

    for (int i = 0; i < numGadgets; ++i)
    {
        const auto number = juce::String (i + 1).paddedLeft ('0', 2);
        pedalPictures[i] = pictureNamed ("pedal" + number + "_png");
        pedalPictures[i + numGadgets] = pictureNamed ("pedal" + number + "dark_png");
    }

    labelFont = lookAndFeel->regularFont;

    createStrip();
    const auto slot = getShownSlot();
    createAboutPanel();
    createKnobsAndLabels (slot);
    createSwitches (slot);
    createImpulseBox (slot);
    createPresetControls();
    createMeters();
    createPedalViews (slot);
    createSelectors (slot);
    createArrowButtons();

    midiLearnIndicator = new MIDILearnComponent (lookAndFeel);
    addChildComponent (midiLearnIndicator);
    midiLearnIndicator->addChangeListener (this);
    midiUnlearnIndicator = new MIDIUnlearnComponent (lookAndFeel);
    addChildComponent (midiUnlearnIndicator);

    aboutTab->toFront (false);

    updateDisplayControls (slot);
    setSize (windowWidth, windowHeight);
    choicesChangedSinceLastPoll(); // what the window opened with
    startTimer (pollIntervalMs);
}

TarvolinAudioProcessorEditor::~TarvolinAudioProcessorEditor()
{
    stopTimer();
    deleteAllChildren();
    audioProcessor.removeChangeListener (this);
    setLookAndFeel (nullptr);
    tooltipWindow.setLookAndFeel (nullptr);
}

void TarvolinAudioProcessorEditor::createStrip()
{
    chainer = new GadgetChainerComponent (lookAndFeel);
    addAndMakeVisible (chainer);
    chainer->addChangeListener (this);
    refreshStripFromParameters();
}

void TarvolinAudioProcessorEditor::createAboutPanel()
{
    aboutTab = new AboutTab (lookAndFeel);
    addChildComponent (aboutTab);
    aboutTab->addChangeListener (this);
}

void TarvolinAudioProcessorEditor::createKnobsAndLabels (int slot)
{
    auto makeKnob = [this] (int index) {
        auto* knob = new KnobComponent();
        addAndMakeVisible (knob);
        knob->value = readValue (index);
        knob->repaint();
        knob->addChangeListener (this);
        return knob;
    };

    const auto inputIndex = ParameterMapping::indexOf (slot, Kind::input);
    const auto outputIndex = ParameterMapping::indexOf (slot, Kind::output);
    inputKnob = makeKnob (inputIndex);
    outputKnob = makeKnob (outputIndex);

    inputLabel = addLabel ("input", juce::Justification::centredRight);
    inputValueLabel =
        addLabel (ParameterMapping::textFor (inputIndex, readValue (inputIndex)), juce::Justification::centredRight);
    outputLabel = addLabel ("output", juce::Justification::centredLeft);
    outputValueLabel =
        addLabel (ParameterMapping::textFor (outputIndex, readValue (outputIndex)), juce::Justification::centredLeft);

    for (int i = 0; i < numControls; ++i)
    {
        const auto value = readValue (ParameterMapping::indexOf (slot, Kind::control1 + i));
        controlKnobs[i] = makeKnob (ParameterMapping::indexOf (slot, Kind::control1 + i));
        controlKnobs[i]->font = labelFont;

        controlSwitches[i] = new SwitchComponent();
        addAndMakeVisible (controlSwitches[i]);
        controlSwitches[i]->state = isOn (value);
        controlSwitches[i]->repaint();
        controlSwitches[i]->addChangeListener (this);
    }
}

void TarvolinAudioProcessorEditor::createSwitches (int slot)
{
    labelFont.setHeight (smallLabelHeight);
    freeLabel = addLabel ("free", juce::Justification::centredLeft);
    syncLabel = addLabel ("sync", juce::Justification::centredLeft);
    normalLabel = addLabel ("normal", juce::Justification::centredRight);
    hotLabel = addLabel ("hot", juce::Justification::centredRight);

    hotSwitch = new SwitchComponent();
    addAndMakeVisible (hotSwitch);
    hotSwitch->state = isOn (readValue (ParameterMapping::indexOf (slot, Kind::hot)));
    hotSwitch->repaint();
    hotSwitch->addChangeListener (this);
}

void TarvolinAudioProcessorEditor::createImpulseBox (int slot)
{
    impulseBox = new ComboBoxMIDILearn();
    addAndMakeVisible (impulseBox);
    impulseBox->setBufferedToImage (true);
    impulseBox->addListener (this);
    impulseBox->addChangeListener (this);

    for (int id = 1; id <= numImpulses; ++id)
        impulseBox->addItem ("Impulse " + juce::String (id), id);

    impulseBox->setSelectedId (readImpulseId (slot), juce::dontSendNotification);
}

void TarvolinAudioProcessorEditor::createPresetControls()
{
    presetsLabel = new juce::Label ({}, "PRESETS");
    presetsLabel->setJustificationType (juce::Justification::centredRight);
    presetsLabel->setFont (labelFont.italicised().withHeight (presetsLabelHeight));
    presetsLabel->setColour (juce::Label::textColourId, juce::Colours::white);
    addAndMakeVisible (presetsLabel);

    presetBox = new SpecialComboBox (audioProcessor.presets.get());
    addAndMakeVisible (presetBox);
    presetBox->setBufferedToImage (true);
    presetBox->setCurrentItem (PresetManagement::none, PresetManagement::none);
    presetBox->addChangeListener (this);
}

void TarvolinAudioProcessorEditor::createMeters()
{
    inputMeter = new VuMeterComponent (&audioProcessor.meters[0]);
    addAndMakeVisible (inputMeter);
    outputMeter = new VuMeterComponent (&audioProcessor.meters[1]);
    addAndMakeVisible (outputMeter);
}

void TarvolinAudioProcessorEditor::createPedalViews (int slot)
{
    labelFont.setHeight (pedalTitleHeight);
    const auto& gadget = currentGadget (slot);

    auto describe = [this, &gadget] (ComponentPedalAnim& view) {
        view.picture = pedalPictureFor (gadget);
        view.title = gadget.name;
        view.description = gadget.description;
    };

    pedalView = new ComponentPedalAnim (labelFont);
    addAndMakeVisible (pedalView);
    describe (*pedalView);

    sparePedalView = new ComponentPedalAnim (labelFont);
    addChildComponent (sparePedalView);
    describe (*sparePedalView);
}

void TarvolinAudioProcessorEditor::createSelectors (int slot)
{
    for (auto*& selector : selectors)
    {
        selector = new SelectorComponent();
        addAndMakeVisible (selector);
        selector->selected = false;
        selector->repaint();
        selector->setEnabled (true);
        selector->addChangeListener (this);
    }

    selectors[readGadgetIndex (slot)]->selected = true;
    selectors[readGadgetIndex (slot)]->repaint();

    const auto& manager = audioProcessor.slots[slot];

    for (int i = 0; i < juce::jmin (manager.getNumAlgorithms(), numGadgets); ++i)
        selectors[i]->name = manager.getAlgorithmObject (i)->name;
}

void TarvolinAudioProcessorEditor::createArrowButtons()
{
    previousButton = makeArrowButton (drawArrow (false));
    nextButton = makeArrowButton (drawArrow (true));

    for (auto* button : { previousButton, nextButton })
    {
        addAndMakeVisible (button);
        button->addListener (this);
    }
}

juce::Label* TarvolinAudioProcessorEditor::addLabel (const juce::String& text, juce::Justification justification)
{
    auto* label = new juce::Label ({}, text);
    addAndMakeVisible (label);
    label->setFont (labelFont);
    label->setColour (juce::Label::textColourId, juce::Colours::white);
    label->setJustificationType (justification);
    return label;
}

//==============================================================================
void TarvolinAudioProcessorEditor::paint (juce::Graphics& g)
{
    // The framework's own renderer: the pictures are drawn pixel for pixel.
    if (auto* peer = getTopLevelComponent()->getPeer())
        peer->setCurrentRenderingEngine (0);

    g.drawImageAt (background, 0, 0);
}

void TarvolinAudioProcessorEditor::resized()
{
    inputKnob->setBounds (95, knobY, knobSize, knobSize);
    outputKnob->setBounds (155, knobY, knobSize, knobSize);
    inputLabel->setBounds (45, captionY, 48, 22);
    inputValueLabel->setBounds (35, valueTextY, 58, 22);
    outputLabel->setBounds (knobSize + 153, captionY, 48, 22);
    outputValueLabel->setBounds (knobSize + 153, valueTextY, 58, 22);

    for (int i = 0; i < numControls; ++i)
    {
        controlKnobs[i]->setBounds (controlX[i], knobY, knobSize, knobSize);
        controlSwitches[i]->setBounds (controlX[i], switchY, switchWidth, switchHeight);
    }

    freeLabel->setBounds (510, switchY, 48, switchHeight / 2);
    syncLabel->setBounds (510, switchY + switchHeight / 2, 48, switchHeight / 2);
    hotSwitch->setBounds (windowWidth - 15 - switchWidth, switchY, switchWidth, switchHeight);
    normalLabel->setBounds (windowWidth - 65 - switchWidth, switchY, 48, switchHeight / 2);
    hotLabel->setBounds (windowWidth - 65 - switchWidth, switchY + switchHeight / 2, 48, switchHeight / 2);
    inputMeter->setBounds (20, windowHeight - 10 - meterHeight, meterWidth, meterHeight);
    outputMeter->setBounds (270, windowHeight - 10 - meterHeight, meterWidth, meterHeight);
    impulseBox->setBounds (500, windowHeight - 28 - comboHeight, comboWidth, comboHeight);

    const auto firstSelectorX = (windowWidth - selectorPitch * numGadgets + 20) / 2;

    for (int i = 0; i < numGadgets; ++i)
        selectors[i]->setBounds (firstSelectorX + selectorPitch * i, windowHeight - 108, selectorSize, selectorSize);

    aboutTab->setBounds (0, 0, windowWidth, windowHeight - bottomBandHeight);

    pedalView->setBounds (0, 63, windowWidth, 300);
    sparePedalView->setBounds (0, 63, windowWidth, 300);
    chainer->setBounds (476, 7, 97, 35);
    midiLearnIndicator->setBounds (0, 80, 75, 24);
    midiUnlearnIndicator->setBounds (0, 80, 95, 24);
    presetsLabel->setBounds (10, 49, 85, 19);
    presetBox->setBounds (100, 50, wideComboWidth, comboHeight);
    previousButton->setBounds (308, 54, arrowWidth, arrowHeight);
    nextButton->setBounds (326, 54, arrowWidth, arrowHeight);
}

void TarvolinAudioProcessorEditor::mouseDown (const juce::MouseEvent& event)
{
    if (event.getNumberOfClicks() != 1)
        return;

    const auto position = event.getEventRelativeTo (this).getPosition();
    const auto inTitleBand = position.x >= titleBandLeft && position.x < getWidth() && position.y >= titleBandTop
                             && position.y <= titleBandBottom;

    if (inTitleBand)
    {
        aboutTab->setVisible (true);
        aboutTab->grabKeyboardFocus();
    }
}

//==============================================================================
void TarvolinAudioProcessorEditor::updateDisplayControls (int slot)
{
    const auto& gadget = currentGadget (slot);

    for (int i = 0; i < numControls; ++i)
    {
        const auto shown = i < gadget.numControls;
        controlKnobs[i]->setVisible (shown && ! gadget.isSwitch[i]);
        controlSwitches[i]->setVisible (shown && gadget.isSwitch[i]);

        if (shown)
        {
            controlKnobs[i]->name = gadget.controlLabel[i];
            controlKnobs[i]->repaint();
        }
    }

    const auto lastIsSwitch = gadget.numControls == numControls && gadget.isSwitch[numControls - 1];
    freeLabel->setVisible (lastIsSwitch);
    syncLabel->setVisible (lastIsSwitch);

    const auto choosesSpeed = gadget.name == audioProcessor.slots[slot].getAlgorithmObject (slowFastGadget)->name;
    freeLabel->setText (choosesSpeed ? "slow" : "free", juce::dontSendNotification);
    syncLabel->setText (choosesSpeed ? "fast" : "sync", juce::dontSendNotification);

    impulseBox->setVisible (gadget.usesImpulse);

    pedalView->picture = pedalPictureFor (gadget);
    pedalView->title = gadget.name;
    pedalView->description = gadget.description;
    pedalView->repaint();
}

void TarvolinAudioProcessorEditor::updateValueControls (int slot)
{
    const auto& gadget = currentGadget (slot);
    const float controls[] = { gadget.p1, gadget.p2, gadget.p3, gadget.p4 };

    for (int j = 0; j < juce::jmin (gadget.numControls, numControls); ++j)
    {
        const auto value =
            ParameterMapping::sanitise (ParameterMapping::indexOf (slot, Kind::control1 + j), controls[j]);
        controlKnobs[j]->value = value;
        controlKnobs[j]->repaint();
        controlSwitches[j]->state = isOn (value);
        controlSwitches[j]->repaint();
    }

    impulseBox->setSelectedId (indexWithin ((float) gadget.impulseIndexInUse, numImpulses) + 1,
                               juce::dontSendNotification);
    showSelection (readGadgetIndex (slot));

    // Through the engine's mapping (on from the threshold up), where the poll
    // below reads the stored value as the editor's switches do (on above it).
    hotSwitch->state = audioProcessor.getMappedParameter (ParameterMapping::indexOf (slot, Kind::hot))
                       > ParameterMapping::switchThreshold;
    hotSwitch->repaint();
}

void TarvolinAudioProcessorEditor::updateNotAutomatableAndDiscreteParameters()
{
    const auto slot = getShownSlot();
    const auto hot = isOn (readValue (parameterOf (Kind::hot)));
    const auto impulseId = readImpulseId (slot);
    const auto gadgetIndex = readGadgetIndex (slot);

    if (hotSwitch->state != hot)
    {
        hotSwitch->state = hot;
        hotSwitch->repaint();
        setPedalPictures (slot); // HOT can bring the dark pictures in or out
        pedalView->repaint();
    }

    if (impulseBox->getSelectedId() != impulseId)
        impulseBox->setSelectedId (impulseId, juce::dontSendNotification);

    if (selectors[gadgetIndex]->selected)
        return;

    showSelection (gadgetIndex);
    updateDisplayControls (slot);
    setPedalPictures (slot);
}

void TarvolinAudioProcessorEditor::showSelection (int gadgetIndex)
{
    for (int i = 0; i < numGadgets; ++i)
    {
        selectors[i]->selected = i == gadgetIndex;
        selectors[i]->repaint();
        selectors[i]->setEnabled (true);
    }
}

//==============================================================================
void TarvolinAudioProcessorEditor::changeListenerCallback (juce::ChangeBroadcaster* source)
{
    endAwaitedStep (source);

    if (source == presetBox)
    {
        audioProcessor.presets->loadPreset (presetBox->currentFolder, presetBox->currentEntry);
        refreshAfterPresetLoad();
        return;
    }

    if (source == &audioProcessor)
    {
        refreshAfterOutsideChange();
        return;
    }

    // The pedals are mid-slide: nothing may change the shown gadget now.
    if (pedalView->isAnimating)
        return;

    if (source == chainer)
        handleStripChange();
    else if (source == midiLearnIndicator)
        handleLearnIndicatorBlink();
    else if (source == static_cast<juce::ChangeBroadcaster*> (impulseBox))
        learnOrUnlearn (parameterOf (Kind::impulse));
    else if (handleValueControl (source))
        return;
    else if (source == aboutTab)
        setPedalPictures (getShownSlot()); // the game's best score may have unlocked the dark pictures
    else
        handleSelector (source);
}

void TarvolinAudioProcessorEditor::endAwaitedStep (juce::ChangeBroadcaster* source)
{
    // Taken or refused (mid-slide), the step is no longer on its way: from
    // here on the poll may show the processor's value in the control again.
    if (auto* knob = dynamic_cast<KnobComponent*> (source))
        knob->stepAwaitingDelivery = false;
    else if (auto* control = dynamic_cast<SwitchComponent*> (source))
        control->stepAwaitingDelivery = false;
}

bool TarvolinAudioProcessorEditor::handleValueControl (juce::ChangeBroadcaster* source)
{
    auto knobOrLearn = [this] (KnobComponent& knob, int index) {
        if (knob.armed)
            learnOrUnlearn (index);
        else
            sendGesture (index, knob.value);
    };

    auto switchOrLearn = [this] (SwitchComponent& control, int index) {
        if (control.armed)
            learnOrUnlearn (index);
        else
            sendGesture (index, control.state ? 1.0f : 0.0f);
    };

    if (source == inputKnob || source == outputKnob)
    {
        auto* knob = source == inputKnob ? inputKnob : outputKnob;
        auto* text = source == inputKnob ? inputValueLabel : outputValueLabel;
        const auto index = parameterOf (source == inputKnob ? Kind::input : Kind::output);
        knobOrLearn (*knob, index);

        if (! knob->armed)
            text->setText (ParameterMapping::textFor (index, readValue (index)), juce::dontSendNotification);

        return true;
    }

    for (int j = 0; j < numControls; ++j)
    {
        if (source == controlKnobs[j])
        {
            knobOrLearn (*controlKnobs[j], parameterOf (Kind::control1 + j));
            return true;
        }

        if (source == controlSwitches[j])
        {
            switchOrLearn (*controlSwitches[j], parameterOf (Kind::control1 + j));
            return true;
        }
    }

    if (source == hotSwitch)
    {
        if (hotSwitch->armed)
            learnOrUnlearn (parameterOf (Kind::hot));
        else
            handleHotSwitch();

        return true;
    }

    return false;
}

void TarvolinAudioProcessorEditor::handleHotSwitch()
{
    sendGesture (parameterOf (Kind::hot), hotSwitch->state ? 1.0f : 0.0f);
    repaint();
    setPedalPictures (getShownSlot());
}

bool TarvolinAudioProcessorEditor::handleSelector (juce::ChangeBroadcaster* source)
{
    for (int i = 0; i < numGadgets; ++i)
    {
        if (source != selectors[i])
            continue;

        auto& selector = *selectors[i];

        switch (selector.lastEvent)
        {
            case SelectorComponent::mouseEntered:
                showHoverTitle (selector.name);
                break;
            case SelectorComponent::mouseLeft:
                showHoverTitle ({});
                break;
            case SelectorComponent::clicked:
                if (selector.armed)
                    learnOrUnlearn (parameterOf (Kind::algorithm));
                else
                    switchGadget (i);
                break;
            default:
                break;
        }

        return true;
    }

    return false;
}

void TarvolinAudioProcessorEditor::showHoverTitle (const juce::String& title)
{
    pedalView->hoverTitle = title;
    pedalView->repaint();
    sparePedalView->hoverTitle = {};
    sparePedalView->repaint();
}

void TarvolinAudioProcessorEditor::switchGadget (int gadgetIndex)
{
    const auto slot = getShownSlot();
    const auto oldIndex = readGadgetIndex (slot);

    if (oldIndex == gadgetIndex)
        return;

    const auto algorithmIndex = parameterOf (Kind::algorithm);
    auto* algorithm = audioProcessor.getParameters()[algorithmIndex];
    algorithm->beginChangeGesture();

    pedalView->hoverTitle = {};
    sparePedalView->hoverTitle = {};

    // The spare takes the outgoing gadget's face and slides it away.
    const auto& outgoing = currentGadget (slot);
    sparePedalView->picture = pedalPictureFor (outgoing);
    sparePedalView->title = outgoing.name;
    sparePedalView->description = outgoing.description;
    sparePedalView->repaint();
    sparePedalView->setBounds (pedalView->getBounds());
    sparePedalView->setVisible (true);

    audioProcessor.setMappedParameter (algorithmIndex, (float) gadgetIndex);

    showSelection (gadgetIndex);
    repaint();
    pedalView->setVisible (false);
    updateDisplayControls (slot);

    for (int j = 0; j < numControls; ++j)
    {
        const auto value = readValue (parameterOf (Kind::control1 + j));
        controlKnobs[j]->value = value;
        controlKnobs[j]->repaint();
        controlSwitches[j]->state = isOn (value);
        controlSwitches[j]->repaint();
    }

    impulseBox->setSelectedId (readImpulseId (slot), juce::dontSendNotification);

    const auto direction = gadgetIndex > oldIndex ? slideLeft : slideRight;
    sparePedalView->startSlide (0, direction);
    pedalView->startSlide (-direction * pedalView->getWidth(), direction);

    algorithm->endChangeGesture();
}

void TarvolinAudioProcessorEditor::sendGesture (int index, float value)
{
    auto* parameter = audioProcessor.getParameters()[index];
    parameter->beginChangeGesture();
    audioProcessor.setParameterNotifyingHost (index, value);
    parameter->endChangeGesture();
}

void TarvolinAudioProcessorEditor::handleStripChange()
{
    const auto slot = getShownSlot();

    if (chainer->swapPending)
    {
        chainer->swapPending = false;
        const auto a = chainer->swapSlotA;
        const auto b = chainer->swapSlotB;

        if (juce::isPositiveAndBelow (a, TarvolinAudioProcessor::numSlots)
            && juce::isPositiveAndBelow (b, TarvolinAudioProcessor::numSlots))
            audioProcessor.swapSlots (a, b);
    }

    updateValueControls (slot);
    updateDisplayControls (slot);

    for (int i = 0; i < TarvolinAudioProcessor::numSlots; ++i)
        audioProcessor.setParameterNotifyingHost (ParameterMapping::indexOf (i, Kind::enabled),
                                                  chainer->slotEnabled[i] ? 1.0f : 0.0f);

    manageMIDILearn (TarvolinAudioProcessor::noParameter);
}

void TarvolinAudioProcessorEditor::comboBoxChanged (juce::ComboBox* box)
{
    if (box != impulseBox)
        return;

    const auto id = impulseBox->getSelectedId();

    // No item chosen (id 0) is not a choice to pass on.
    if (id < 1 || id > numImpulses)
        return;

    const auto index = parameterOf (Kind::impulse);
    auto* parameter = audioProcessor.getParameters()[index];
    parameter->beginChangeGesture();
    audioProcessor.setMappedParameter (index, (float) (id - 1));
    parameter->endChangeGesture();
}

void TarvolinAudioProcessorEditor::buttonClicked (juce::Button* button)
{
    if (button == previousButton)
        audioProcessor.presets->loadPreviousPreset();
    else if (button == nextButton)
        audioProcessor.presets->loadNextPreset();
    else
        return;

    refreshAfterPresetLoad();
}

//==============================================================================
void TarvolinAudioProcessorEditor::refreshStripFromParameters()
{
    int firstEnabled = -1;

    for (int i = 0; i < TarvolinAudioProcessor::numSlots; ++i)
    {
        chainer->slotEnabled[i] = isOn (readValue (ParameterMapping::indexOf (i, Kind::enabled)));
        chainer->repaint();

        if (firstEnabled < 0 && chainer->slotEnabled[i])
            firstEnabled = i;
    }

    // With every slot disabled the window still needs a slot to show: the first.
    if (! chainer->slotEnabled[getShownSlot()] || chainer->selectedSlot != getShownSlot())
    {
        chainer->selectedSlot = juce::jmax (0, firstEnabled);
        chainer->repaint();
    }
}

void TarvolinAudioProcessorEditor::refreshAfterPresetLoad()
{
    audioProcessor.updateParameters();
    refreshStripFromParameters();

    const auto slot = getShownSlot();
    updateDisplayControls (slot);
    updateValueControls (slot);
    presetBox->setHasBeenModified (false);
    audioProcessor.updateHostDisplay();
    setPedalPictures (slot);
    repaint();
    startTimer (pollIntervalMs);
}

void TarvolinAudioProcessorEditor::refreshAfterOutsideChange()
{
    // After a state restore, or a host's change of a choice on screen. Either
    // can rewrite the routing: the strip must not hold the old one, or its
    // next action would write the old flags back.
    refreshStripFromParameters();
    updateDisplayControls (getShownSlot());
    updateNotAutomatableAndDiscreteParameters();
}

//==============================================================================
void TarvolinAudioProcessorEditor::timerCallback()
{
    if (audioProcessor.midiLearnDone)
    {
        audioProcessor.midiLearnDone = false;
        manageMIDILearn (TarvolinAudioProcessor::noParameter);
        audioProcessor.midiLearnParameter = TarvolinAudioProcessor::noParameter;
        return;
    }

    // The host's own controls and automation reach the choices too; the
    // window follows without a slide, once any running slide has ended.
    if (! pedalView->isAnimating && choicesChangedSinceLastPoll())
        refreshAfterOutsideChange();

    const auto slot = getShownSlot();
    pollGains (slot);
    pollControls (slot);
}

bool TarvolinAudioProcessorEditor::choicesChangedSinceLastPoll()
{
    const auto slot = getShownSlot();
    int watched[numWatchedChoices] = { ParameterMapping::indexOf (slot, Kind::algorithm),
                                       ParameterMapping::indexOf (slot, Kind::impulse),
                                       ParameterMapping::indexOf (slot, Kind::hot) };

    for (int i = 0; i < TarvolinAudioProcessor::numSlots; ++i)
        watched[numWatchedChoices - TarvolinAudioProcessor::numSlots + i] =
            ParameterMapping::indexOf (i, Kind::enabled);

    juce::uint32 differences = 0;

    // Bits, not floats: a NaN in the store is no change while it stays.
    for (int i = 0; i < numWatchedChoices; ++i)
    {
        juce::uint32 bits;
        const float value = audioProcessor.params.getValue (watched[i]);
        std::memcpy (&bits, &value, sizeof (bits));
        differences |= bits ^ watchedChoices[(size_t) i];
        watchedChoices[(size_t) i] = bits;
    }

    return differences != 0;
}

void TarvolinAudioProcessorEditor::pollGains (int slot)
{
    const struct
    {
        KnobComponent* knob;
        juce::Label* text;
        int index;
    } gains[] = {
        { inputKnob, inputValueLabel, ParameterMapping::indexOf (slot, Kind::input) },
        { outputKnob, outputValueLabel, ParameterMapping::indexOf (slot, Kind::output) },
    };

    for (const auto& gain : gains)
    {
        const auto value = readValue (gain.index);

        if (gain.knob->value != value && ! gain.knob->stepAwaitingDelivery)
        {
            gain.knob->value = value;
            gain.knob->repaint();
            gain.text->setText (ParameterMapping::textFor (gain.index, value), juce::dontSendNotification);
        }
    }
}

void TarvolinAudioProcessorEditor::pollControls (int slot)
{
    for (int j = 0; j < numControls; ++j)
    {
        const auto value = readValue (ParameterMapping::indexOf (slot, Kind::control1 + j));

        if (controlKnobs[j]->value != value && ! controlKnobs[j]->stepAwaitingDelivery)
        {
            controlKnobs[j]->value = value;
            controlKnobs[j]->repaint();
        }

        if (controlSwitches[j]->state != isOn (value) && ! controlSwitches[j]->stepAwaitingDelivery)
        {
            controlSwitches[j]->state = isOn (value);
            controlSwitches[j]->repaint();
        }
    }
}

//==============================================================================
void TarvolinAudioProcessorEditor::learnOrUnlearn (int parameter)
{
    auto& params = audioProcessor.params;

    if (params.getMidiCCParameter (parameter) != ParameterMapping::noController)
    {
        midiUnlearnIndicator->startTimer (unlearnNoticeMs);
        midiUnlearnIndicator->setVisible (true);
        params.removeMIDICCFromParameter (parameter);
        parameter = TarvolinAudioProcessor::noParameter;
    }

    manageMIDILearn (parameter);
}

void TarvolinAudioProcessorEditor::manageMIDILearn (int parameter)
{
    const auto isShownSlots = juce::isPositiveAndBelow (parameter, TarvolinAudioProcessor::numParameters)
                              && ParameterMapping::slotOf (parameter) == getShownSlot();

    if (! isShownSlots)
    {
        // Only the arming shown here ends: the learn belongs to the processor,
        // which keeps its target, so the next controller still lands there.
        disarmAllExcept (TarvolinAudioProcessor::noParameter);
        midiLearnIndicator->stopTimer();
        midiLearnIndicator->setVisible (false);
        return;
    }

    const auto kind = ParameterMapping::kindOf (parameter);
    disarmAllExcept (kind);
    armControlsFor (kind);
    audioProcessor.midiLearnParameter = parameter;
    midiLearnIndicator->startTimer (learnBlinkMs);
    midiLearnIndicator->setVisible (true);
}

void TarvolinAudioProcessorEditor::disarmAllExcept (int kind)
{
    if (kind != Kind::input)
        disarm (*inputKnob);

    if (kind != Kind::output)
        disarm (*outputKnob);

    if (kind != Kind::algorithm)
        for (auto* selector : selectors)
            disarm (*selector);

    for (int j = 0; j < numControls; ++j)
    {
        if (kind != Kind::control1 + j)
        {
            disarm (*controlKnobs[j]);
            disarm (*controlSwitches[j]);
        }
    }

    if (kind != Kind::impulse)
        disarm (*impulseBox);

    if (kind != Kind::hot)
        disarm (*hotSwitch);
}

void TarvolinAudioProcessorEditor::armControlsFor (int kind)
{
    // The clicked control armed itself; these are the others that stand for
    // the same parameter.
    if (kind == Kind::algorithm)
    {
        for (auto* selector : selectors)
            arm (*selector);
    }
    else if (kind >= Kind::control1 && kind <= Kind::control4)
    {
        arm (*controlKnobs[kind - Kind::control1]);
        arm (*controlSwitches[kind - Kind::control1]);
    }
}

bool TarvolinAudioProcessorEditor::isAnyControlArmed() const
{
    auto armed = inputKnob->armed || outputKnob->armed || hotSwitch->armed || impulseBox->armed;

    for (int j = 0; j < numControls; ++j)
        armed = armed || controlKnobs[j]->armed || controlSwitches[j]->armed;

    for (const auto* selector : selectors)
        armed = armed || selector->armed;

    return armed;
}

void TarvolinAudioProcessorEditor::handleLearnIndicatorBlink()
{
    if (isAnyControlArmed())
        return;

    midiLearnIndicator->stopTimer();
    midiLearnIndicator->setVisible (false);
}

//==============================================================================
int TarvolinAudioProcessorEditor::getShownSlot() const noexcept
{
    return juce::jlimit (0, TarvolinAudioProcessor::numSlots - 1, chainer->selectedSlot);
}

int TarvolinAudioProcessorEditor::parameterOf (int kind) const noexcept
{
    return ParameterMapping::indexOf (getShownSlot(), kind);
}

float TarvolinAudioProcessorEditor::readValue (int index) const noexcept
{
    // Only finite values in 0..1 ever reach a control, whatever the store
    // holds. Straight from the store: the poll reads a dozen values a tick.
    return ParameterMapping::sanitise (index, audioProcessor.params.getValue (index));
}

int TarvolinAudioProcessorEditor::readGadgetIndex (int slot) const noexcept
{
    return indexWithin (audioProcessor.getMappedParameter (ParameterMapping::indexOf (slot, Kind::algorithm)),
                        numGadgets);
}

int TarvolinAudioProcessorEditor::readImpulseId (int slot) const noexcept
{
    return indexWithin (audioProcessor.getMappedParameter (ParameterMapping::indexOf (slot, Kind::impulse)),
                        numImpulses)
           + 1;
}

// Above the threshold, as the gadgets read their switch controls; the engine's
// HOT and ENABLED count the threshold itself as on (see switchThreshold).
bool TarvolinAudioProcessorEditor::isOn (float value) noexcept { return value > ParameterMapping::switchThreshold; }

Gadgets& TarvolinAudioProcessorEditor::currentGadget (int slot) const noexcept
{
    return *audioProcessor.slots[slot].getCurrentAlgorithmObject();
}

int TarvolinAudioProcessorEditor::bestGameScore() const
{
    return aboutTab->game != nullptr ? aboutTab->game->getMaximumScore() : 0;
}

juce::Image* TarvolinAudioProcessorEditor::pedalPictureFor (const Gadgets& gadget)
{
    const auto index = juce::jlimit (0, numGadgets - 1, gadget.pedalImageIndex);
    const auto dark = hotSwitch->state && bestGameScore() >= darkPedalScore;
    return &pedalPictures[dark ? index + numGadgets : index];
}

void TarvolinAudioProcessorEditor::setPedalPictures (int slot)
{
    auto* picture = pedalPictureFor (currentGadget (slot));
    pedalView->picture = picture;
    sparePedalView->picture = picture;
}
