// The editor window as it opens: which controls it shows for which state,
// their texts and places, and what it makes of states no host should send.

#include "game/Component2048.h"
#include "game/Moteur2048.h"
#include "ui/AboutTab.h"
#include "ui/ComboBoxMIDILearn.h"
#include "ui/ComponentPedalAnim.h"
#include "ui/ControlTestSupport.h"
#include "ui/GadgetChainerComponent.h"
#include "ui/KnobComponent.h"
#include "ui/MIDILearnComponent.h"
#include "ui/MIDIUnlearnComponent.h"
#include "ui/SelectorComponent.h"
#include "ui/SpecialComboBox.h"
#include "ui/SwitchComponent.h"
#include "ui/VuMeterComponent.h"
#include "ui/support/EditorHarness.h"
#include "ui/support/MessageLoop.h"

#include <gtest/gtest.h>

#include <functional>

namespace
{
using Kind = ParameterMapping::Kind;
using Prepare = std::function<void (EditorHarness&)>;

int at (int slot, int kind) { return ParameterMapping::indexOf (slot, kind); }

void setMapped (TarvolinAudioProcessor& p, int slot, int kind, float value)
{
    p.setMappedParameter (at (slot, kind), value);
}

Prepare slot0 (int kind, float value)
{
    return [=] (EditorHarness& h) { setMapped (*h.processor, 0, kind, value); };
}

Prepare restoring (EditorHarness::Attributes attributes)
{
    return [=] (EditorHarness& h) { h.restoreStateWith (attributes); };
}

/** Past every door that sanitises: values the editor must still cope with. */
Prepare storing (float value, std::vector<int> kinds)
{
    return [=] (EditorHarness& h) {
        for (int slot = 0; slot < TarvolinAudioProcessor::numSlots; ++slot)
            for (auto kind : kinds)
                h.processor->params.setValue (at (slot, kind), value);
    };
}

struct OpeningState
{
    const char* name;
    Prepare prepare;
    int shownSlot;
    int gadget;
    const char* controls; // per control: k a knob, s a switch, - neither
    const char* fourthSwitchTexts; // "" when hidden
    int impulseId; // 0 when the box is hidden
    bool hotOn;
};

constexpr auto nan = std::numeric_limits<float>::quiet_NaN();
constexpr auto infinity = std::numeric_limits<float>::infinity();

const OpeningState openingStates[] = {
    { "default", [] (auto&) {}, 0, 0, "kkkk", "", 0, false },
    { "slots 0 and 1 disabled",
      [] (auto& h) {
          for (auto [kind, value] : { std::pair { Kind::enabled, 1.0f },
                                      { Kind::algorithm, 4.0f },
                                      { Kind::impulse, 5.0f },
                                      { Kind::hot, 1.0f },
                                      { Kind::input, 12.0f } })
              setMapped (*h.processor, 2, kind, value);
          setMapped (*h.processor, 0, Kind::enabled, 0.0f);
      },
      2,
      4,
      "kkk-",
      "",
      6,
      true },
    { "three controls", slot0 (Kind::algorithm, 1.0f), 0, 1, "kkk-", "", 0, false },
    { "switch as fourth control", slot0 (Kind::algorithm, 6.0f), 0, 6, "kkks", "free sync", 0, false },
    { "speed switch", slot0 (Kind::algorithm, 12.0f), 0, 12, "kkks", "slow fast", 0, false },
    { "HOT on", slot0 (Kind::hot, 1.0f), 0, 0, "kkkk", "", 0, true },

    // What no host should send, yet might.
    { "all slots disabled", restoring ({ { "ENABLED0", "0" } }), 0, 0, "kkkk", "", 0, false },
    { "gadget index 99", restoring ({ { "INDXALGO0", "99" } }), 0, 0, "kkkk", "", 0, false },
    { "gadget index -3", restoring ({ { "INDXALGO0", "-3" }, { "INPUT0", "nan" } }), 0, 0, "kkkk", "", 0, false },
    { "not-a-number values in the store", storing (nan, { 0, 1, 2, 3, 4, 5, 6, 7, 8, 9 }), 0, 0, "kkkk", "", 0, false },
    { "infinite choices in the store",
      storing (infinity, { Kind::algorithm, Kind::impulse }),
      0,
      0,
      "kkkk",
      "",
      0,
      false },
};

class EditorOpening : public ::testing::TestWithParam<OpeningState>
{
};

TEST_P (EditorOpening, ShowsTheSlotItFindsAndStaysUsable)
{
    const auto& c = GetParam();
    EditorHarness h;
    c.prepare (h);
    auto& editor = h.open();

    EXPECT_EQ (editor.chainer->selectedSlot, c.shownSlot);
    EXPECT_EQ (editor.getShownSlot(), c.shownSlot);

    for (int i = 0; i < TarvolinAudioProcessorEditor::numGadgets; ++i)
        EXPECT_EQ (editor.selectors[i]->selected, i == c.gadget) << "selector " << i;

    const auto& gadget = *h.processor->slots[c.shownSlot].getCurrentAlgorithmObject();
    EXPECT_EQ (editor.pedalView->title, gadget.name);
    EXPECT_EQ (editor.pedalView->picture, &editor.pedalPictures[gadget.pedalImageIndex]);

    for (int j = 0; j < 4; ++j)
    {
        EXPECT_EQ (editor.controlKnobs[j]->isVisible(), c.controls[j] == 'k') << "knob " << j;
        EXPECT_EQ (editor.controlSwitches[j]->isVisible(), c.controls[j] == 's') << "switch " << j;
        EXPECT_TRUE (editor.controlKnobs[j]->value >= 0.0f && editor.controlKnobs[j]->value <= 1.0f);

        if (c.controls[j] == 'k')
            EXPECT_EQ (editor.controlKnobs[j]->name, gadget.controlLabel[j]);
    }

    const auto input = at (c.shownSlot, Kind::input);
    EXPECT_EQ (editor.inputKnob->value, ParameterMapping::sanitise (input, h.processor->getParameter (input)));
    EXPECT_EQ (editor.inputValueLabel->getText(), ParameterMapping::textFor (input, editor.inputKnob->value));

    EXPECT_TRUE (editor.outputKnob->value >= 0.0f && editor.outputKnob->value <= 1.0f);

    const juce::String texts (c.fourthSwitchTexts);
    EXPECT_EQ (editor.freeLabel->isVisible(), texts.isNotEmpty());
    EXPECT_EQ (editor.syncLabel->isVisible(), texts.isNotEmpty());

    if (texts.isNotEmpty())
        EXPECT_EQ (editor.freeLabel->getText() + " " + editor.syncLabel->getText(), texts);

    EXPECT_EQ (editor.impulseBox->isVisible(), c.impulseId != 0);
    EXPECT_EQ (editor.impulseBox->getNumItems(), 8);

    if (c.impulseId != 0)
        EXPECT_EQ (editor.impulseBox->getSelectedId(), c.impulseId);

    EXPECT_EQ (editor.hotSwitch->state, c.hotOn);

    // Usable: another gadget can be chosen and takes effect in the engine.
    const auto other = (c.gadget + 3) % TarvolinAudioProcessorEditor::numGadgets;
    h.click (*editor.selectors[other]);
    EXPECT_EQ (h.processor->slots[c.shownSlot].getCurrentIndex(), other);
    EXPECT_TRUE (editor.selectors[other]->selected);
}

INSTANTIATE_TEST_SUITE_P (States, EditorOpening, ::testing::ValuesIn (openingStates), [] (const auto& info) {
    return juce::String (info.param.name).retainCharacters ("abcdefghijklmnopqrstuvwxyzHOT0123456789").toStdString();
});

//==============================================================================
TEST (EditorLayout, EveryChildSitsWhereTheWindowPutsIt)
{
    EditorHarness h;
    auto& e = h.open();
    using R = juce::Rectangle<int>;

    const struct
    {
        const char* name;
        juce::Component* child;
        R bounds;
    } children[] = {
        { "window", &e, { 0, 0, 732, 430 } },
        { "input knob", e.inputKnob, { 95, 371, 47, 47 } },
        { "output knob", e.outputKnob, { 155, 371, 47, 47 } },
        { "input caption", e.inputLabel, { 45, 375, 48, 22 } },
        { "input value", e.inputValueLabel, { 35, 391, 58, 22 } },
        { "output caption", e.outputLabel, { 200, 375, 48, 22 } },
        { "output value", e.outputValueLabel, { 200, 391, 58, 22 } },
        { "first control knob", e.controlKnobs[0], { 315, 371, 47, 47 } },
        { "last control knob", e.controlKnobs[3], { 495, 371, 47, 47 } },
        { "first control switch", e.controlSwitches[0], { 315, 376, 12, 32 } },
        { "last control switch", e.controlSwitches[3], { 495, 376, 12, 32 } },
        { "free", e.freeLabel, { 510, 376, 48, 16 } },
        { "sync", e.syncLabel, { 510, 392, 48, 16 } },
        { "hot switch", e.hotSwitch, { 705, 376, 12, 32 } },
        { "normal", e.normalLabel, { 655, 376, 48, 16 } },
        { "hot", e.hotLabel, { 655, 392, 48, 16 } },
        { "input meter", e.inputMeter, { 20, 369, 11, 51 } },
        { "output meter", e.outputMeter, { 270, 369, 11, 51 } },
        { "impulse box", e.impulseBox, { 500, 383, 150, 19 } },
        { "first selector", e.selectors[0], { 26, 322, 30, 30 } },
        { "last selector", e.selectors[13], { 676, 322, 30, 30 } },
        { "pedal", e.pedalView, { 0, 63, 732, 300 } },
        { "spare pedal", e.sparePedalView, { 0, 63, 732, 300 } },
        { "strip", e.chainer, { 476, 7, 97, 35 } },
        { "learn", e.midiLearnIndicator, { 0, 80, 75, 24 } },
        { "unlearn", e.midiUnlearnIndicator, { 0, 80, 95, 24 } },
        { "presets caption", e.presetsLabel, { 10, 49, 85, 19 } },
        { "preset box", e.presetBox, { 100, 50, 200, 19 } },
        { "previous", e.previousButton, { 308, 54, 10, 12 } },
        { "next", e.nextButton, { 326, 54, 10, 12 } },
    };

    for (const auto& c : children)
        EXPECT_EQ (c.child->getBounds(), c.bounds) << c.name;

    EXPECT_FALSE (e.sparePedalView->isVisible());
    EXPECT_FALSE (e.midiLearnIndicator->isVisible());
    EXPECT_FALSE (e.midiUnlearnIndicator->isVisible());
    EXPECT_EQ (e.inputLabel->getText() + e.outputLabel->getText() + e.presetsLabel->getText(), "inputoutputPRESETS");
    EXPECT_EQ (e.inputValueLabel->getText(), "0.0 dB");
    EXPECT_EQ (e.outputValueLabel->getText(), "0.0 dB");
}

TEST (EditorLayout, HotAtExactlyTheThresholdReadsOnOnlyThroughTheEngineMapping)
{
    EditorHarness h;
    h.processor->setParameter (at (0, Kind::hot), ParameterMapping::switchThreshold);
    auto& e = h.open();

    e.updateValueControls (0);
    EXPECT_TRUE (e.hotSwitch->state);
    e.updateNotAutomatableAndDiscreteParameters();
    EXPECT_FALSE (e.hotSwitch->state);
}

TEST (EditorAboutPanel, OnlyASingleClickInTheTitleBandOpensIt)
{
    EditorHarness h;
    auto& e = h.open();

    const struct
    {
        juce::Point<int> at;
        bool opens;
    } clicks[] = { { { 10, 20 }, false }, { { 20, 45 }, false }, { { 11, 1 }, true }, { { 731, 44 }, true } };

    for (const auto& c : clicks)
    {
        e.aboutTab->setVisible (false);
        h.click (e, c.at);
        EXPECT_EQ (e.aboutTab->isVisible(), c.opens) << c.at.toString();
    }

    // The second press of a double click, which the open panel would otherwise hide.
    e.aboutTab->setVisible (false);
    e.mouseDown (controltest::mouseAt (e, { 100.0f, 20.0f }, controltest::left, 2));
    EXPECT_FALSE (e.aboutTab->isVisible());
}

TEST (EditorAboutPanel, DarkPedalPicturesFromABestScoreOf5000WithHotOn)
{
    EditorHarness h;
    setMapped (*h.processor, 0, Kind::algorithm, 9.0f);
    setMapped (*h.processor, 0, Kind::hot, 1.0f);
    auto& e = h.open();
    auto& bestScore = e.aboutTab->game->engine->bestScore;
    const auto normal = h.processor->slots[0].getCurrentAlgorithmObject()->pedalImageIndex;

    const struct
    {
        int score;
        bool hot;
        int picture;
    } cases[] = { { 4999, true, normal }, { 5000, true, normal + 14 }, { 5000, false, normal } };

    for (const auto& c : cases)
    {
        bestScore = c.score;
        e.hotSwitch->state = c.hot;
        // The game's message after a move at 5000 or more, passed on by the panel.
        e.aboutTab->sendChangeMessage();
        deliverPendingMessages();

        EXPECT_EQ (e.pedalView->picture, &e.pedalPictures[c.picture]) << c.score << (c.hot ? " hot" : "");
        EXPECT_EQ (e.sparePedalView->picture, e.pedalView->picture);
    }
}
} // namespace
