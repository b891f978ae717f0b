// MIDI learn from the editor's side, with controller messages arriving in the
// blocks of a running audio thread.

#include "support/PollUntil.h"
#include "ui/ComboBoxMIDILearn.h"
#include "ui/GadgetChainerComponent.h"
#include "ui/KnobComponent.h"
#include "ui/MIDILearnComponent.h"
#include "ui/MIDIUnlearnComponent.h"
#include "ui/SelectorComponent.h"
#include "ui/SwitchComponent.h"
#include "ui/support/AudioThread.h"
#include "ui/support/EditorHarness.h"
#include "ui/support/MessageLoop.h"

#include <gtest/gtest.h>

#include <functional>

namespace
{
using Kind = ParameterMapping::Kind;
using Editor = TarvolinAudioProcessorEditor;

int at (int slot, int kind) { return ParameterMapping::indexOf (slot, kind); }

struct LearnControl
{
    std::string name;
    std::function<bool()> isArmed;
};

/** Every control that can be armed, by name. */
std::vector<LearnControl> learnControls (Editor& e)
{
    std::vector<LearnControl> all { { "input", [&e] { return e.inputKnob->armed; } },
                                    { "output", [&e] { return e.outputKnob->armed; } },
                                    { "impulse", [&e] { return e.impulseBox->armed; } },
                                    { "hot", [&e] { return e.hotSwitch->armed; } } };

    for (int j = 0; j < Editor::numControls; ++j)
    {
        all.push_back ({ "knob" + std::to_string (j), [&e, j] { return e.controlKnobs[j]->armed; } });
        all.push_back ({ "switch" + std::to_string (j), [&e, j] { return e.controlSwitches[j]->armed; } });
    }

    for (int i = 0; i < Editor::numGadgets; ++i)
        all.push_back ({ "selector" + std::to_string (i), [&e, i] { return e.selectors[i]->armed; } });

    return all;
}

std::vector<std::string> armedNames (Editor& e)
{
    std::vector<std::string> names;
    for (const auto& control : learnControls (e))
        if (control.isArmed())
            names.push_back (control.name);
    return names;
}

class Learning : public ::testing::Test
{
public:
    void open (int gadget = 0)
    {
        h.processor->setMappedParameter (at (0, Kind::algorithm), (float) gadget);
        editor = &h.open();
    }

    /** A controller moved on the MIDI input, as far as the editor's next poll. */
    void moveController (int number, int value)
    {
        audio.sendController (number, value);
        const auto blocks = audio.blocksDone();
        ASSERT_TRUE (pollUntil ([&] { return audio.blocksDone() > blocks + 1; }));
        editor->timerCallback();
    }

    EditorHarness h;
    AudioThread audio { *h.processor };
    Editor* editor = nullptr;
};

//==============================================================================
TEST_F (Learning, RightClickArmsEveryControlOfItsParameterAndNothingElse)
{
    const struct
    {
        const char* clicked;
        int gadget;
        std::function<juce::Component*(Editor&)> control;
        int kind;
        std::vector<std::string> armed;
    } cases[] = {
        { "input knob", 0, [] (Editor& e) { return e.inputKnob; }, Kind::input, { "input" } },
        { "output knob", 0, [] (Editor& e) { return e.outputKnob; }, Kind::output, { "output" } },
        { "second knob", 0, [] (Editor& e) { return e.controlKnobs[1]; }, Kind::control2, { "knob1", "switch1" } },
        { "fourth switch", 6, [] (Editor& e) { return e.controlSwitches[3]; }, Kind::control4, { "knob3", "switch3" } },
        { "impulse box", 4, [] (Editor& e) { return e.impulseBox; }, Kind::impulse, { "impulse" } },
        { "hot switch", 0, [] (Editor& e) { return e.hotSwitch; }, Kind::hot, { "hot" } },
        { "a selector",
          0,
          [] (Editor& e) { return e.selectors[5]; },
          Kind::algorithm,
          { "selector0",
            "selector1",
            "selector2",
            "selector3",
            "selector4",
            "selector5",
            "selector6",
            "selector7",
            "selector8",
            "selector9",
            "selector10",
            "selector11",
            "selector12",
            "selector13" } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.clicked);
        open (c.gadget);
        h.rightClick (*c.control (*editor));

        EXPECT_EQ (armedNames (*editor), c.armed);
        EXPECT_EQ (h.processor->midiLearnParameter.load(), at (0, c.kind));
        EXPECT_TRUE (editor->midiLearnIndicator->isVisible());
        EXPECT_TRUE (h.log.take().empty()) << "a right click reached the host";
        EXPECT_EQ (h.processor->slots[0].getCurrentIndex(), c.gadget) << "a right click switched the gadget";
    }
}

TEST_F (Learning, TheNextControllerIsLearnedAndTheIndicatorGoesAtTheNextTick)
{
    open();
    h.rightClick (*editor->controlKnobs[0]);
    moveController (20, 64);

    EXPECT_EQ (h.processor->params.getMidiCCParameter (at (0, Kind::control1)), 20);
    EXPECT_EQ (h.processor->midiLearnParameter.load(), -1);
    EXPECT_FALSE (h.processor->midiLearnDone.load());
    EXPECT_TRUE (armedNames (*editor).empty());
    EXPECT_FALSE (editor->midiLearnIndicator->isVisible());

    // From now on the controller drives the knob.
    moveController (20, 127);
    EXPECT_EQ (h.processor->getParameter (at (0, Kind::control1)), 1.0f);
    editor->timerCallback();
    EXPECT_EQ (editor->controlKnobs[0]->value, 1.0f);
}

TEST_F (Learning, RightClickOnALearnedParameterUnlearnsItForTwoSeconds)
{
    open();
    h.processor->params.midiCC[(size_t) at (0, Kind::hot)] = 33;

    h.rightClick (*editor->hotSwitch);

    EXPECT_EQ (h.processor->params.getMidiCCParameter (at (0, Kind::hot)), -1);
    EXPECT_TRUE (editor->midiUnlearnIndicator->isVisible());
    EXPECT_TRUE (editor->midiUnlearnIndicator->isTimerRunning());
    EXPECT_FALSE (editor->midiLearnIndicator->isVisible());
    EXPECT_TRUE (armedNames (*editor).empty());

    editor->midiUnlearnIndicator->timerCallback(); // the 2000 ms notice ends
    EXPECT_FALSE (editor->midiUnlearnIndicator->isVisible());
}

TEST_F (Learning, LeavingTheArmedStateKeepsTheTargetForTheNextController)
{
    const struct
    {
        const char* how;
        std::function<void (Learning&)> leave;
    } ways[] = {
        { "a strip click",
          [] (Learning& t) {
              t.h.click (*t.editor->chainer, { 10, 17 });
          } },
        { "the arming timeout",
          [] (Learning& t) {
              t.editor->inputKnob->timerCallback(); // its 5000 ms run out
              t.editor->midiLearnIndicator->timerCallback();
              deliverPendingMessages();
          } },
    };

    for (const auto& way : ways)
    {
        SCOPED_TRACE (way.how);
        open();
        h.processor->params.midiCC[(size_t) at (0, Kind::input)] = -1;
        h.rightClick (*editor->inputKnob);
        way.leave (*this);

        EXPECT_TRUE (armedNames (*editor).empty());
        EXPECT_FALSE (editor->midiLearnIndicator->isVisible());
        EXPECT_FALSE (editor->midiLearnIndicator->isTimerRunning());
        EXPECT_EQ (h.processor->midiLearnParameter.load(), at (0, Kind::input));

        moveController (21, 10);
        EXPECT_EQ (h.processor->params.getMidiCCParameter (at (0, Kind::input)), 21);
    }
}

TEST_F (Learning, ASecondRightClickMovesTheTarget)
{
    open();
    h.rightClick (*editor->inputKnob);
    h.rightClick (*editor->outputKnob);

    EXPECT_EQ (armedNames (*editor), std::vector<std::string> { "output" });
    EXPECT_EQ (h.processor->midiLearnParameter.load(), at (0, Kind::output));

    moveController (22, 0);
    EXPECT_EQ (h.processor->params.getMidiCCParameter (at (0, Kind::output)), 22);
    EXPECT_EQ (h.processor->params.getMidiCCParameter (at (0, Kind::input)), -1);
}
} // namespace
