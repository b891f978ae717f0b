// Gestures on the editor of a processor whose audio thread is running, and
// what the host hears of them.

#include "engine/BundleLocation.h"
#include "game/Moteur2048.h"
#include "support/PollUntil.h"
#include "ui/ComboBoxMIDILearn.h"
#include "ui/ComponentPedalAnim.h"
#include "ui/GadgetChainerComponent.h"
#include "ui/KnobComponent.h"
#include "ui/SelectorComponent.h"
#include "ui/SpecialComboBox.h"
#include "ui/SwitchComponent.h"
#include "ui/support/AudioThread.h"
#include "ui/support/EditorHarness.h"
#include "ui/support/MessageLoop.h"

#include <gtest/gtest.h>

namespace
{
using Kind = ParameterMapping::Kind;
using Events = std::vector<std::string>;

int at (int slot, int kind) { return ParameterMapping::indexOf (slot, kind); }

/** One gesture as the host hears it. */
Events gesture (int index, float value)
{
    const auto i = std::to_string (index);
    return { "begin " + i, "set " + i + " " + juce::String (value, 4).toStdString(), "end " + i };
}

Events concat (std::initializer_list<Events> parts)
{
    Events all;
    for (const auto& part : parts)
        all.insert (all.end(), part.begin(), part.end());
    return all;
}

/** The rest of the 40 ms steps and the tick that ends the slide, without the wait. */
void finishSlide (TarvolinAudioProcessorEditor& editor)
{
    for (auto* view : { editor.pedalView, editor.sparePedalView })
        while (view->isAnimating)
            view->timerCallback();
}

/** What the window shows, as text: an editor that followed the host and one
    opened afresh on the same values must read the same. */
std::string faceOf (const TarvolinAudioProcessorEditor& e)
{
    juce::String face;
    face << "slot " << e.getShownSlot() << ", strip";

    for (const auto on : e.chainer->slotEnabled)
        face << (on ? " on" : " off");

    for (int i = 0; i < TarvolinAudioProcessorEditor::numGadgets; ++i)
        if (e.selectors[i]->selected)
            face << ", gadget " << i;

    face << ", pedal " << e.pedalView->title << " picture " << (int) (e.pedalView->picture - e.pedalPictures) << " ("
         << e.pedalView->description.hashCode() << ")";

    for (int j = 0; j < TarvolinAudioProcessorEditor::numControls; ++j)
        face << ", " << (e.controlKnobs[j]->isVisible() ? "knob " + e.controlKnobs[j]->name : juce::String())
             << (e.controlSwitches[j]->isVisible() ? "switch" : "") << " " << e.controlKnobs[j]->value;

    if (e.freeLabel->isVisible())
        face << ", " << e.freeLabel->getText() << "/" << e.syncLabel->getText();

    if (e.impulseBox->isVisible())
        face << ", impulse " << e.impulseBox->getSelectedId();

    face << ", hot " << (e.hotSwitch->state ? "on" : "off");
    return face.toStdString();
}

/** The game's best score as the about panel reads it when the editor opens. */
void storeBestScore (int score)
{
    const auto file = BundleLocation::folderForUserFiles().getChildFile ("Tarvolin.ini");
    file.deleteFile();
    file.getParentDirectory().createDirectory();
    Moteur2048 game (file);
    game.bestScore = score;
    game.saveMaximumScore();
}

class RunningEditor : public ::testing::Test
{
protected:
    void open() { editor = &h.open(); }

    EditorHarness h;
    AudioThread audio { *h.processor };
    TarvolinAudioProcessorEditor* editor = nullptr;
};

//==============================================================================
TEST_F (RunningEditor, KnobDragIsOneGesturePerHandledMessage)
{
    open();
    h.drag (*editor->inputKnob, -30, 10);

    EXPECT_EQ (h.log.take(), concat ({ gesture (0, 0.1f), gesture (0, 0.2f), gesture (0, 0.3f) }));
    EXPECT_NEAR (h.processor->getParameter (0), 0.3f, 1e-6f);
    EXPECT_EQ (editor->inputValueLabel->getText(), "6.0 dB");

    // A double click puts a control knob back to the middle, twice.
    h.drag (*editor->controlKnobs[1], 20, 20);
    h.log.take();
    h.doubleClick (*editor->controlKnobs[1]);
    EXPECT_EQ (h.log.take(), concat ({ gesture (4, 0.5f), gesture (4, 0.5f) }));
}

TEST_F (RunningEditor, SwitchesAndHotAreOneGestureEach)
{
    h.processor->setMappedParameter (at (0, Kind::algorithm), 6.0f); // its fourth control is a switch
    open();

    h.click (*editor->controlSwitches[3]);
    h.click (*editor->hotSwitch);
    h.click (*editor->hotSwitch);

    EXPECT_EQ (h.log.take(), concat ({ gesture (6, 1.0f), gesture (8, 1.0f), gesture (8, 0.0f) }));
}

TEST_F (RunningEditor, SelectorSwitchesTheGadgetWithASlideAndRefusesClicksMeanwhile)
{
    open();
    const auto& manager = h.processor->slots[0];

    h.click (*editor->selectors[3]);
    EXPECT_EQ (h.log.take(), gesture (2, 3.0f / 13.0f));
    EXPECT_EQ (manager.getCurrentIndex(), 3);
    EXPECT_TRUE (editor->selectors[3]->selected);
    EXPECT_FALSE (editor->selectors[0]->selected);
    EXPECT_EQ (editor->pedalView->title, manager.getAlgorithmObject (3)->name);
    EXPECT_EQ (editor->sparePedalView->title, manager.getAlgorithmObject (0)->name);
    EXPECT_TRUE (editor->pedalView->isAnimating);

    // The new gadget lies to the right: the old pedal leaves to the left,
    // side by side. The test steps the slide itself; on a busy machine a tick
    // of the views' own timers can land during the click, so it asks for
    // the direction and the spacing, not for one step's position.
    for (auto* view : { editor->pedalView, editor->sparePedalView })
    {
        view->stopTimer();
        view->timerCallback();
        view->stopTimer();
    }
    EXPECT_GT (editor->pedalView->getX(), 0);
    EXPECT_LT (editor->pedalView->getX(), 732);
    EXPECT_EQ (editor->sparePedalView->getX(), editor->pedalView->getX() - 732);

    h.click (*editor->selectors[5]);
    EXPECT_EQ (manager.getCurrentIndex(), 3) << "a click during the slide was taken";
    EXPECT_TRUE (h.log.take().empty());

    finishSlide (*editor);
    EXPECT_FALSE (editor->pedalView->isAnimating);
    EXPECT_EQ (editor->pedalView->getX(), 0);
    EXPECT_TRUE (editor->pedalView->isVisible());
    EXPECT_FALSE (editor->sparePedalView->isVisible());

    h.click (*editor->selectors[5]);
    EXPECT_EQ (manager.getCurrentIndex(), 5);
    finishSlide (*editor);
    h.log.take();

    h.click (*editor->selectors[5]);
    EXPECT_TRUE (h.log.take().empty()) << "the gadget already in use was sent again";
    EXPECT_FALSE (editor->pedalView->isAnimating);
}

TEST_F (RunningEditor, HoveringASelectorNamesItsGadgetOverThePedal)
{
    open();
    h.moveTo (*editor->selectors[9], { 15, 15 });
    EXPECT_EQ (editor->pedalView->hoverTitle, h.processor->slots[0].getAlgorithmObject (9)->name);

    h.moveTo (*editor, { 600, 200 });
    EXPECT_EQ (editor->pedalView->hoverTitle, "");
}

TEST_F (RunningEditor, ImpulseChoiceIsOneGestureInEngineeringUnits)
{
    h.processor->setMappedParameter (at (0, Kind::algorithm), 4.0f);
    open();
    ASSERT_TRUE (editor->impulseBox->isVisible());

    editor->impulseBox->setSelectedId (3, juce::sendNotificationSync);

    EXPECT_EQ (h.log.take(), gesture (7, 2.0f / 7.0f));
    EXPECT_EQ (h.processor->getMappedParameter (at (0, Kind::impulse)), 2.0f);
}

TEST_F (RunningEditor, HostAutomationOfTheShownSlotReachesTheControlsAtTheNextTick)
{
    h.processor->setMappedParameter (at (0, Kind::algorithm), 6.0f);
    open();

    const struct
    {
        int kind;
        float value;
    } automation[] = { { Kind::input, 0.75f },   { Kind::output, 0.125f }, { Kind::control1, 0.3f },
                       { Kind::control2, 0.9f }, { Kind::control3, 0.0f }, { Kind::control4, 1.0f } };

    for (const auto& a : automation)
        h.hostSets (at (0, a.kind), a.value);

    h.hostSets (at (1, Kind::input), 1.0f); // another slot: not on screen
    editor->timerCallback();

    EXPECT_EQ (editor->inputKnob->value, 0.75f);
    EXPECT_EQ (editor->inputValueLabel->getText(), "15.0 dB");
    EXPECT_EQ (editor->outputKnob->value, 0.125f);
    EXPECT_EQ (editor->outputValueLabel->getText(), "-30.0 dB");
    EXPECT_EQ (editor->controlKnobs[0]->value, 0.3f);
    EXPECT_EQ (editor->controlKnobs[1]->value, 0.9f);
    EXPECT_EQ (editor->controlKnobs[2]->value, 0.0f);
    EXPECT_TRUE (editor->controlSwitches[3]->state);
}

TEST_F (RunningEditor, APollAheadOfAUserStepsDeliveryLeavesTheStepInPlace)
{
    h.processor->setMappedParameter (at (0, Kind::algorithm), 6.0f); // its fourth control is a switch

    for (const auto kind : { Kind::input, Kind::output, Kind::control1, Kind::control2 })
        h.processor->setParameter (at (0, kind), 0.5f);

    open();
    ASSERT_TRUE (editor->controlKnobs[0]->isVisible());

    // The window's timer message already queued when each step posts its own.
    h.aheadOfMessages = [this] { editor->timerCallback(); };

    const struct
    {
        const char* name;
        KnobComponent* knob;
        int index;
    } knobs[] = {
        { "input", editor->inputKnob, at (0, Kind::input) },
        { "output", editor->outputKnob, at (0, Kind::output) },
        { "control", editor->controlKnobs[0], at (0, Kind::control1) },
    };

    for (const auto& k : knobs)
    {
        SCOPED_TRACE (k.name);
        h.drag (*k.knob, -20, 10);
        EXPECT_NEAR (k.knob->value, 0.7f, 1e-6f);
        EXPECT_NEAR (h.processor->getParameter (k.index), 0.7f, 1e-6f);

        h.wheel (*k.knob, 1.0f);
        EXPECT_NEAR (k.knob->value, 0.75f, 1e-6f);
        EXPECT_NEAR (h.processor->getParameter (k.index), 0.75f, 1e-6f);
    }

    EXPECT_EQ (editor->inputValueLabel->getText(), "15.0 dB");

    h.click (*editor->controlSwitches[3]);
    EXPECT_TRUE (editor->controlSwitches[3]->state);
    EXPECT_EQ (h.processor->getParameter (at (0, Kind::control4)), 1.0f);

    // Delivered steps hold nothing back: the host moves the knobs just used
    // as it moves one nobody touched.
    h.aheadOfMessages = nullptr;
    h.hostSets (at (0, Kind::input), 0.25f);
    h.hostSets (at (0, Kind::control1), 0.1f);
    h.hostSets (at (0, Kind::control2), 0.9f);
    h.hostSets (at (0, Kind::control4), 0.0f);
    editor->timerCallback();

    EXPECT_EQ (editor->inputKnob->value, 0.25f);
    EXPECT_EQ (editor->controlKnobs[0]->value, 0.1f);
    EXPECT_EQ (editor->controlKnobs[1]->value, 0.9f);
    EXPECT_FALSE (editor->controlSwitches[3]->state);
}

TEST (EditorFollowingTheHost, ChangesOfTheShownChoicesRefreshTheWindowAtTheNextTickWithoutASlide)
{
    const struct
    {
        const char* name;
        std::vector<std::pair<int, float>> hostSets;
        bool changesTheWindow;
        int bestScore = 0;
    } cases[] = {
        { "gadget with a speed switch", { { at (0, Kind::algorithm), 12.0f / 13.0f } }, true },
        { "gadget with impulses, then an impulse",
          { { at (0, Kind::algorithm), 4.0f / 13.0f }, { at (0, Kind::impulse), 5.0f / 7.0f } },
          true },
        // With the dark pictures unlocked, so that HOT changes the pedal picture too.
        { "HOT", { { at (0, Kind::hot), 1.0f } }, true, 5000 },
        { "routing around the shown slot", { { at (2, Kind::enabled), 1.0f }, { at (0, Kind::enabled), 0.0f } }, true },
        { "slot 1 off", { { at (0, Kind::enabled), 0.0f } }, true },
        { "slot 2 on", { { at (1, Kind::enabled), 1.0f } }, true },
        { "slot 3 on", { { at (2, Kind::enabled), 1.0f } }, true },
        { "slot 4 on", { { at (3, Kind::enabled), 1.0f } }, true },
        { "another slot's gadget", { { at (1, Kind::algorithm), 5.0f / 13.0f } }, false },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        storeBestScore (c.bestScore);
        EditorHarness h;
        AudioThread audio (*h.processor);
        auto* editor = &h.open();
        const auto before = faceOf (*editor);

        for (const auto& [index, value] : c.hostSets)
            h.hostSets (index, value);

        editor->timerCallback();
        const auto followed = faceOf (*editor);
        EXPECT_FALSE (editor->pedalView->isAnimating);
        EXPECT_FALSE (editor->sparePedalView->isVisible());

        editor = &h.open();
        EXPECT_EQ (followed, faceOf (*editor));
        EXPECT_EQ (followed != before, c.changesTheWindow) << followed;

        if (c.bestScore >= 5000)
            EXPECT_GE (editor->pedalView->picture - editor->pedalPictures, TarvolinAudioProcessorEditor::numGadgets)
                << "the dark pictures are not unlocked";
    }
}

TEST_F (RunningEditor, AHostChangeDuringASlideShowsOnceTheSlideHasEnded)
{
    open();
    h.click (*editor->selectors[3]);

    // Held mid-slide however slowly the gestures below run.
    for (auto* view : { editor->pedalView, editor->sparePedalView })
        view->stopTimer();

    h.hostSets (at (0, Kind::hot), 1.0f);
    h.drag (*editor->controlKnobs[0], 10, 10);
    EXPECT_EQ (h.log.take(), concat ({ gesture (2, 3.0f / 13.0f), { "set 8 1.0000" } }))
        << "a drag during the slide was taken";
    editor->timerCallback();
    EXPECT_FALSE (editor->hotSwitch->state) << "the window changed under a running slide";
    EXPECT_EQ (editor->controlKnobs[0]->value, h.processor->getParameter (at (0, Kind::control1)))
        << "the refused drag still shows";

    finishSlide (*editor);
    editor->timerCallback();
    EXPECT_TRUE (editor->hotSwitch->state);
    EXPECT_TRUE (editor->selectors[3]->selected);
}

//==============================================================================
class PresetSteps : public RunningEditor
{
protected:
    /** One preset on disk that routes around slot 0: only slot 1, running the
        speed-switch gadget, is enabled. */
    void SetUp() override
    {
        auto& p = *h.processor;
        const auto folder = h.presetRoot.folder.getChildFile ("Guitar");
        folder.createDirectory();
        p.setMappedParameter (at (1, Kind::enabled), 1.0f);
        p.setMappedParameter (at (0, Kind::enabled), 0.0f);
        p.setMappedParameter (at (1, Kind::algorithm), 12.0f);
        p.setParameter (at (1, Kind::control1), 0.25f);
        ASSERT_TRUE (p.presets->savePreset (folder.getChildFile ("bypass.pmt")));
        p.presets->loadDefaultPreset();
        p.updateParameters();
        open();
    }

    void expectSlotOneShown()
    {
        EXPECT_EQ (editor->chainer->selectedSlot, 1);
        EXPECT_FALSE (editor->chainer->slotEnabled[0]);
        EXPECT_TRUE (editor->chainer->slotEnabled[1]);
        EXPECT_TRUE (editor->selectors[12]->selected);
        EXPECT_EQ (editor->freeLabel->getText(), "slow");
        EXPECT_EQ (editor->controlKnobs[0]->value, 0.25f);
        EXPECT_FALSE (editor->hotSwitch->state) << "slot 2 is on, its HOT is not";
        EXPECT_FALSE (editor->presetBox->hasBeenModified);
    }

    void expectDefaultShown()
    {
        EXPECT_EQ (editor->chainer->selectedSlot, 0);
        EXPECT_TRUE (editor->chainer->slotEnabled[0]);
        EXPECT_FALSE (editor->chainer->slotEnabled[1]);
        EXPECT_TRUE (editor->selectors[0]->selected);
    }
};

TEST_F (PresetSteps, ArrowsLoadAndMoveOffADisabledSlot)
{
    h.click (*editor->nextButton);
    expectSlotOneShown();

    h.click (*editor->previousButton);
    expectDefaultShown();
}

TEST_F (PresetSteps, PresetBoxChoiceLoadsThroughTheEditor)
{
    editor->presetBox->handleMenuResult (SpecialComboBox::firstPresetId);
    deliverPendingMessages();
    expectSlotOneShown();

    editor->presetBox->handleMenuResult (SpecialComboBox::defaultItemId);
    deliverPendingMessages();
    expectDefaultShown();
}

//==============================================================================
TEST_F (RunningEditor, StripSwapExchangesTheSlotsAndRewritesEveryEnabledFlag)
{
    auto& p = *h.processor;
    p.setMappedParameter (at (0, Kind::algorithm), 6.0f);
    p.setParameter (at (0, Kind::input), 0.2f);
    p.setMappedParameter (at (1, Kind::algorithm), 12.0f);
    p.setParameter (at (1, Kind::input), 0.7f);
    open();

    // "Swap with slot 2" from the menu of slot 1, the only one enabled.
    auto& strip = *editor->chainer;
    strip.handleMenuChoice (0, GadgetChainerComponent::firstSwapItemId + 1);
    deliverPendingMessages();

    EXPECT_FALSE (strip.swapPending);
    EXPECT_EQ (p.getMappedParameter (at (0, Kind::algorithm)), 12.0f);
    EXPECT_EQ (p.getParameter (at (0, Kind::input)), 0.7f);
    EXPECT_EQ (p.slots[1].getCurrentIndex(), 6);
    EXPECT_EQ (p.getParameter (at (1, Kind::input)), 0.2f);
    EXPECT_EQ (h.log.take(), (Events { "set 9 0.0000", "set 19 1.0000", "set 29 0.0000", "set 39 0.0000" }));
    EXPECT_TRUE (editor->selectors[6]->selected);
    EXPECT_TRUE (editor->controlSwitches[3]->isVisible());
}

TEST_F (RunningEditor, HostStateRestoreRefreshesTheStripBeforeItsNextAction)
{
    open();

    h.restoreStateWith ({ { "ENABLED0", "0" }, { "ENABLED2", "1" }, { "INDXALGO2", "4" } });
    deliverPendingMessages();

    EXPECT_EQ (editor->chainer->selectedSlot, 2);
    EXPECT_TRUE (editor->selectors[4]->selected);
    EXPECT_TRUE (editor->impulseBox->isVisible());

    // A click on the shown slot writes the strip's flags: the restored ones.
    h.click (*editor->chainer, { 60, 17 });
    EXPECT_EQ (h.processor->getParameter (at (0, Kind::enabled)), 0.0f);
    EXPECT_EQ (h.processor->getParameter (at (2, Kind::enabled)), 1.0f);
}

TEST (EditorLifecycle, OpensAndClosesTwiceWhileAudioRuns)
{
    EditorHarness h;
    AudioThread audio (*h.processor);
    EXPECT_TRUE (h.processor->hasEditor());

    for (int round = 0; round < 2; ++round)
    {
        auto& editor = h.open();
        const auto blocksBefore = audio.blocksDone();
        h.drag (*editor.controlKnobs[0], -10, 5);
        h.click (*editor.selectors[round + 1]);
        editor.timerCallback();
        h.close();
        EXPECT_TRUE (pollUntil ([&] { return audio.blocksDone() >= blocksBefore + 2; })) << "audio stalled";
    }
}
} // namespace
