#include "ControlTestSupport.h"

#include "ui/KnobComponent.h"
#include "ui/SelectorComponent.h"
#include "ui/SwitchComponent.h"

using namespace controltest;

namespace
{
constexpr float tolerance = 1.0e-6f;
const juce::Point<float> centre { 20.0f, 20.0f };

juce::MouseEvent dragTo (juce::Component& c, float dy)
{
    return mouseAt (c, centre + juce::Point<float> (0, dy), left, 1, centre);
}
} // namespace

TEST (Knob, DragClampsAndTheOffsetFollowsTheMouse)
{
    struct Case
    {
        const char* what;
        float startValue;
        std::vector<std::pair<float, float>> dragsAndValues; // y from the drag start, value after it
    };

    for (const auto& c : std::vector<Case> {
             { "up past the top, back down 10 px", 0.9f, { { -30.0f, 1.0f }, { -20.0f, 0.9f } } },
             { "down past the bottom, back up 5 px", 0.5f, { { 20.0f, 0.3f }, { 60.0f, 0.0f }, { 55.0f, 0.05f } } },
             { "no movement still reports", 0.4f, { { 0.0f, 0.4f } } },
         })
    {
        SCOPED_TRACE (c.what);
        KnobComponent knob;
        knob.value = c.startValue;
        ChangeCounter changes (knob);

        for (const auto& [dy, expected] : c.dragsAndValues)
        {
            knob.mouseDrag (dragTo (knob, dy));
            EXPECT_EQ (changes.take(), 1);
            EXPECT_NEAR (knob.value, expected, tolerance);
        }

        knob.mouseUp (mouseAt (knob, centre, left));
        EXPECT_EQ (knob.dragOffset, 0.0f); // the next drag starts afresh
        knob.mouseDrag (mouseAt (knob, centre, left | right, 1, centre + juce::Point<float> (0, 50)));
        EXPECT_EQ (changes.take(), 0); // not while the right button is held
    }
}

TEST (Knob, DoubleClickResetsOnPressAndOnReleaseWheelStepsInRange)
{
    KnobComponent knob;
    knob.value = 0.2f;
    ChangeCounter changes (knob);
    knob.mouseDown (mouseAt (knob, centre, left));
    EXPECT_EQ (changes.take(), 0); // a single left click does nothing

    knob.mouseDown (mouseAt (knob, centre, left, 2));
    EXPECT_EQ (changes.take(), 1);
    knob.value = 0.2f;
    knob.mouseUp (mouseAt (knob, centre, left, 2));
    EXPECT_EQ (changes.take(), 1);
    EXPECT_EQ (knob.value, 0.5f);

    for (const auto& [start, deltaY, expected] :
         std::vector<std::tuple<float, float, float>> { { 0.5f, 1.0f, 0.55f },
                                                        { 0.5f, -0.5f, 0.475f },
                                                        { 0.98f, 1.0f, 1.0f },
                                                        { 0.02f, -1.0f, 0.0f },
                                                        { 1.0f, 100.0f, 1.0f },
                                                        { 0.0f, -100.0f, 0.0f } })
    {
        knob.value = start;
        knob.mouseWheelMove (mouseAt (knob, centre, 0), wheel (deltaY));
        EXPECT_EQ (changes.take(), 1);
        EXPECT_NEAR (knob.value, expected, tolerance) << start << " " << deltaY;
    }
}

//==============================================================================
namespace
{
void leftClick (juce::Component& c, int clicks = 1) { c.mouseDown (mouseAt (c, { 5, 5 }, left, clicks)); }
} // namespace

TEST (LearnableControls, RightClickArmsForFiveSecondsAndArmedControlsIgnoreValueGestures)
{
    KnobComponent knob;
    SwitchComponent toggle;
    SelectorComponent selector;

    struct Case
    {
        const char* what;
        juce::Component& control;
        bool& armed;
        std::function<float()> valueOf;
        std::vector<std::function<void()>> valueGestures; // the first one moves the value
    };

    const std::vector<Case> cases {
        { "knob",
          knob,
          knob.armed,
          [&] { return knob.value; },
          { [&] { knob.mouseWheelMove (mouseAt (knob, centre, 0), wheel (1.0f)); },
            [&] { knob.mouseDrag (dragTo (knob, -10.0f)); },
            [&] { leftClick (knob, 2), knob.mouseUp (mouseAt (knob, centre, left, 2)); } } },
        { "switch", toggle, toggle.armed, [&] { return (float) toggle.state; }, { [&] { leftClick (toggle); } } },
        { "selector", selector, selector.armed, [&] { return (float) selector.lastEvent; }, { [&] {
              leftClick (selector);
          } } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        auto& timer = dynamic_cast<juce::Timer&> (c.control);
        ChangeCounter changes (dynamic_cast<juce::ChangeBroadcaster&> (c.control));

        c.control.mouseDown (mouseAt (c.control, { 5, 5 }, right, 2));
        EXPECT_EQ (changes.take(), 0);
        EXPECT_FALSE (c.armed);

        for (int click = 0; click < 2; ++click) // every right click arms again and reports again
        {
            c.control.mouseDown (mouseAt (c.control, { 5, 5 }, right));
            EXPECT_EQ (changes.take(), 1);
            EXPECT_TRUE (c.armed);
            EXPECT_EQ (timer.getTimerInterval(), 5000);
        }

        selector.lastEvent = SelectorComponent::mouseLeft; // the right click left 0, as a left click would
        const auto before = c.valueOf();

        for (const auto& gesture : c.valueGestures)
            gesture();

        EXPECT_EQ (changes.take(), 0);
        EXPECT_EQ (c.valueOf(), before);

        timer.timerCallback(); // the 5000 ms are up
        EXPECT_FALSE (c.armed || timer.isTimerRunning());
        c.valueGestures.front()();
        EXPECT_EQ (changes.take(), 1);
        EXPECT_NE (c.valueOf(), before);
    }
}

TEST (SwitchAndSelector, OnlyASingleClickActsAndTheSelectorReportsEnterAndLeave)
{
    SwitchComponent toggle;
    ChangeCounter toggleChanges (toggle);
    leftClick (toggle, 2);
    EXPECT_EQ (toggleChanges.take(), 0);
    leftClick (toggle);
    EXPECT_EQ (toggleChanges.take(), 1);
    EXPECT_TRUE (toggle.state);

    SelectorComponent selector;
    ChangeCounter changes (selector);
    const auto at = mouseAt (selector, { 5, 5 }, 0);
    const std::vector<std::tuple<std::function<void()>, int, int>> steps {
        // gesture, lastEvent, messages
        { [&] { selector.mouseEnter (at); }, SelectorComponent::mouseEntered, 1 },
        { [&] { leftClick (selector); }, SelectorComponent::clicked, 1 },
        { [&] { selector.mouseExit (at); }, SelectorComponent::mouseLeft, 1 },
        { [&] { leftClick (selector, 2); }, SelectorComponent::mouseLeft, 0 },
    };

    for (const auto& [gesture, lastEvent, messages] : steps)
    {
        gesture();
        EXPECT_EQ (changes.take(), messages);
        EXPECT_EQ (selector.lastEvent, lastEvent);
    }

    EXPECT_FALSE (selector.selected); // only the editor selects
}
