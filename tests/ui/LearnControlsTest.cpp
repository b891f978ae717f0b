#include "ControlTestSupport.h"
#include "ui/ComboBoxMIDILearn.h"
#include "ui/MIDILearnComponent.h"
#include "ui/MIDIUnlearnComponent.h"

namespace
{
constexpr int impulseCount = 8;

class ImpulseBoxTest : public GuiTest
{
protected:
    ImpulseBoxTest()
    {
        box.setLookAndFeel (&lookAndFeel);
        box.setBounds (0, 0, 150, 19);

        for (int i = 1; i <= impulseCount; ++i)
            box.addItem ("Impulse " + juce::String (i), i);

        box.setSelectedId (1, juce::dontSendNotification);
    }

    CustomLookAndFeel lookAndFeel;
    ComboBoxMIDILearn box;
    ChangeWatcher changes { box };
};
} // namespace

TEST_F (ImpulseBoxTest, RightClickArmsWithoutOpeningTheListLeftClickOpensIt)
{
    const struct
    {
        const char* label;
        bool armedBefore;
        juce::ModifierKeys buttons;
        int clicks;
        bool armedAfter;
        bool listOpen;
        bool message;
    } cases[] = {
        { "right click", false, rightButton, 1, true, false, true },
        { "right click while armed", true, rightButton, 1, true, false, true },
        { "right double click", false, rightButton, 2, false, false, false },
        { "left click", false, leftButton, 1, false, true, false },
        { "left click while armed", true, leftButton, 1, true, true, false },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.label);
        box.armed = c.armedBefore;
        box.stopTimer();

        box.mouseDown (pressAt (box, { 40, 9 }, c.buttons, c.clicks));

        EXPECT_EQ (box.armed, c.armedAfter);
        EXPECT_EQ (box.isTimerRunning(), c.message);
        EXPECT_EQ (box.isPopupActive(), c.listOpen);
        EXPECT_EQ (changes.sentSinceLastLook(), c.message);
        EXPECT_EQ (box.getSelectedId(), 1);
        box.hidePopup();
    }
}

TEST_F (ImpulseBoxTest, RedFromArmingUntilTheTimeoutOrTheEditorDisarms)
{
    enum class Step
    {
        rightClick,
        timeout, // driven: the timer's tick is what the five seconds end in
        editorArms,
        editorDisarms,
    };

    const struct
    {
        Step step;
        bool armed;
        bool timerRunning;
        bool message;
    } steps[] = {
        { Step::rightClick, true, true, true },
        // The tick leaves the timer running; the editor stops it as it disarms.
        { Step::timeout, false, true, false },
        { Step::editorArms, true, true, false },
        { Step::editorDisarms, false, false, false },
    };

    for (const auto& s : steps)
    {
        SCOPED_TRACE ((int) s.step);

        if (s.step == Step::rightClick)
            box.mouseDown (pressAt (box, { 40, 9 }, rightButton, 1));
        else if (s.step == Step::timeout)
            box.timerCallback();
        else
        {
            // As the editor does it: the field, the timer, a repaint.
            box.armed = s.step == Step::editorArms;
            box.armed ? box.startTimer (ComboBoxMIDILearn::armingTimeoutMs) : box.stopTimer();
            box.repaint();
        }

        EXPECT_EQ (box.armed, s.armed);
        EXPECT_EQ (box.isTimerRunning(), s.timerRunning);
        EXPECT_EQ (changes.sentSinceLastLook(), s.message);

        if (s.timerRunning)
            EXPECT_EQ (box.getTimerInterval(), 5000);

        const auto snapshot = snapshotOf (box);
        saveSnapshot (snapshot, "impulse-box-step-" + juce::String ((int) s.step));
        EXPECT_EQ (looksArmed (snapshot.getPixelAt (75, 9)), s.armed);
        // The text box is rebuilt when the colour changes; the choice shows on.
        EXPECT_EQ (box.getText(), "Impulse 1");
    }
}

//==============================================================================
namespace
{
class IndicatorTest : public GuiTest
{
protected:
    CustomLookAndFeel lookAndFeel;
};

bool hasRedText (juce::Component& indicator)
{
    const auto snapshot = snapshotOf (indicator);

    for (int y = 0; y < snapshot.getHeight(); ++y)
        for (int x = 0; x < snapshot.getWidth(); ++x)
        {
            const auto pixel = snapshot.getPixelAt (x, y);

            if (pixel.getAlpha() > 200 && pixel.getRed() > 200 && pixel.getGreen() < 60 && pixel.getBlue() < 60)
                return true;
        }

    return false;
}
} // namespace

TEST_F (IndicatorTest, LearnIndicatorTogglesAndReportsOnEveryTick)
{
    MIDILearnComponent indicator (&lookAndFeel);
    indicator.setSize (75, 24);
    ChangeWatcher changes (indicator);
    EXPECT_FALSE (indicator.isVisible());

    indicator.setVisible (true);
    indicator.startTimer (MIDILearnComponent::blinkPeriodMs);

    const bool visibleAfterTick[] = { false, true, false, true };

    for (const bool visible : visibleAfterTick)
    {
        indicator.timerCallback();
        EXPECT_EQ (indicator.isVisible(), visible);
        EXPECT_TRUE (changes.sentSinceLastLook());
        EXPECT_TRUE (indicator.isTimerRunning());
    }

    saveSnapshot (snapshotOf (indicator), "midi-learn-indicator");
    EXPECT_TRUE (hasRedText (indicator));
}

TEST_F (IndicatorTest, UnlearnIndicatorHidesItselfAtItsFirstTick)
{
    MIDIUnlearnComponent indicator (&lookAndFeel);
    indicator.setSize (95, 24);
    ChangeWatcher changes (indicator);
    EXPECT_FALSE (indicator.isVisible());

    // Shown, shown again while showing (which restarts its time), then the tick.
    for (int showings = 0; showings < 2; ++showings)
    {
        indicator.startTimer (MIDIUnlearnComponent::noticeDurationMs);
        indicator.setVisible (true);
        EXPECT_EQ (indicator.getTimerInterval(), MIDIUnlearnComponent::noticeDurationMs);
    }

    saveSnapshot (snapshotOf (indicator), "midi-unlearn-indicator");
    EXPECT_TRUE (hasRedText (indicator));

    indicator.timerCallback();
    EXPECT_FALSE (indicator.isVisible());
    EXPECT_FALSE (indicator.isTimerRunning());
    EXPECT_FALSE (changes.sentSinceLastLook());
}
