#include "ControlTestSupport.h"

#include "ui/KnobComponent.h"
#include "ui/SelectorComponent.h"
#include "ui/SwitchComponent.h"

#include <cmath>

using namespace controltest;

namespace
{
constexpr float tolerance = 1.0e-6f;

struct DragCase
{
    const char* what;
    float startValue;
    std::vector<float> dragsY; // positions relative to where the drag started
    std::vector<float> expected;
};

std::unique_ptr<KnobComponent> makeKnob (float value)
{
    auto knob = std::make_unique<KnobComponent>();
    knob->setBounds (0, 0, 47, 47);
    knob->value = value;
    return knob;
}
} // namespace

TEST (Knob, DragClampsAndTheOffsetFollowsTheMouse)
{
    const std::vector<DragCase> cases {
        { "up past the top, back down 10 px", 0.9f, { -30.0f, -20.0f }, { 1.0f, 0.9f } },
        { "down past the bottom, back up 5 px", 0.5f, { 20.0f, 60.0f, 55.0f }, { 0.3f, 0.0f, 0.05f } },
        { "no movement still reports", 0.4f, { 0.0f }, { 0.4f } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        auto knob = makeKnob (c.startValue);
        ChangeCounter changes (*knob);

        for (size_t i = 0; i < c.dragsY.size(); ++i)
        {
            EXPECT_EQ (changes.count ([&] {
                knob->mouseDrag (mouseAt (*knob, { 20, 20 + c.dragsY[i] }, left, 1, { 20, 20 }));
            }),
                       1);
            EXPECT_NEAR (knob->value, c.expected[i], tolerance);
        }

        knob->mouseUp (mouseAt (*knob, { 20, 20 }, left));
        EXPECT_EQ (knob->dragOffset, 0.0f); // the next drag starts afresh
    }
}

TEST (Knob, DoubleClickResetsOnPressAndReleaseWheelStepsAndArmedIgnoresBoth)
{
    for (const bool armed : { false, true })
    {
        SCOPED_TRACE (armed ? "armed" : "not armed");
        auto knob = makeKnob (0.2f);
        knob->armed = armed;
        ChangeCounter changes (*knob);

        EXPECT_EQ (changes.count ([&] { knob->mouseDown (mouseAt (*knob, { 20, 20 }, left, 2)); }), armed ? 0 : 1);
        knob->value = 0.2f;
        EXPECT_EQ (changes.count ([&] { knob->mouseUp (mouseAt (*knob, { 20, 20 }, left, 2)); }), armed ? 0 : 1);
        EXPECT_EQ (knob->value, armed ? 0.2f : 0.5f);

        const std::vector<std::pair<float, float>> wheelSteps { { 1.0f, 0.05f }, { -0.5f, -0.025f } };

        for (const auto& [deltaY, change] : wheelSteps)
        {
            knob->value = 0.5f;
            EXPECT_EQ (changes.count ([&] {
                knob->mouseWheelMove (mouseAt (*knob, { 20, 20 }, 0), wheel (deltaY));
            }),
                       armed ? 0 : 1);
            EXPECT_NEAR (knob->value, armed ? 0.5f : 0.5f + change, tolerance);
        }

        EXPECT_EQ (changes.count ([&] {
            knob->mouseDrag (mouseAt (*knob, { 20, 0 }, left, 1, { 20, 20 }));
        }),
                   armed ? 0 : 1);
        EXPECT_EQ (changes.count ([&] {
            knob->mouseDown (mouseAt (*knob, { 20, 20 }, left));
        }),
                   0); // single left click
    }
}

TEST (Knob, WheelNeverLeavesTheRange)
{
    for (const auto& [start, deltaY, expected] : std::vector<std::tuple<float, float, float>> {
             { 0.98f, 1.0f, 1.0f }, { 0.02f, -1.0f, 0.0f }, { 1.0f, 100.0f, 1.0f }, { 0.0f, -100.0f, 0.0f } })
    {
        auto knob = makeKnob (start);
        knob->mouseWheelMove (mouseAt (*knob, { 20, 20 }, 0), wheel (deltaY));
        EXPECT_EQ (knob->value, expected) << start << " " << deltaY;
    }
}

//==============================================================================
namespace
{
/** One of the three controls, seen through what the MIDI learn tests need. */
struct LearnableCase
{
    const char* what;
    std::function<std::unique_ptr<juce::Component>()> make;
    std::function<void (juce::Component&)> valueGesture;
    std::function<juce::String (juce::Component&)> valueOf;
};

template <typename Control>
Control& as (juce::Component& c)
{
    return dynamic_cast<Control&> (c);
}

template <typename Control>
std::unique_ptr<juce::Component> makeControl (int width, int height)
{
    auto control = std::make_unique<Control>();
    control->setBounds (0, 0, width, height);
    return control;
}

std::vector<LearnableCase> learnableCases()
{
    return {
        { "knob",
          [] { return makeControl<KnobComponent> (47, 47); },
          [] (juce::Component& c) {
              c.mouseWheelMove (mouseAt (c, { 5, 5 }, 0), wheel (1.0f));
          },
          [] (juce::Component& c) { return juce::String (as<KnobComponent> (c).value); } },
        { "switch",
          [] { return makeControl<SwitchComponent> (12, 32); },
          [] (juce::Component& c) {
              c.mouseDown (mouseAt (c, { 5, 5 }, left));
          },
          [] (juce::Component& c) { return juce::String ((int) as<SwitchComponent> (c).state); } },
        { "selector",
          [] { return makeControl<SelectorComponent> (30, 30); },
          [] (juce::Component& c) {
              c.mouseDown (mouseAt (c, { 15, 15 }, left));
          },
          [] (juce::Component& c) { return juce::String (as<SelectorComponent> (c).lastEvent); } },
    };
}

bool& armedOf (juce::Component& c)
{
    if (auto* knob = dynamic_cast<KnobComponent*> (&c))
        return knob->armed;
    if (auto* toggle = dynamic_cast<SwitchComponent*> (&c))
        return toggle->armed;
    return as<SelectorComponent> (c).armed;
}
} // namespace

TEST (LearnableControls, RightClickArmsForFiveSecondsAndArmedControlsIgnoreValueGestures)
{
    for (const auto& c : learnableCases())
    {
        SCOPED_TRACE (c.what);
        auto control = c.make();
        auto& broadcaster = dynamic_cast<juce::ChangeBroadcaster&> (*control);
        auto& timer = dynamic_cast<juce::Timer&> (*control);
        ChangeCounter changes (broadcaster);

        EXPECT_EQ (changes.count ([&] { control->mouseDown (mouseAt (*control, { 5, 5 }, right, 2)); }), 0);
        EXPECT_FALSE (armedOf (*control));

        // Every right click arms again and reports again.
        for (int click = 0; click < 2; ++click)
        {
            EXPECT_EQ (changes.count ([&] { control->mouseDown (mouseAt (*control, { 5, 5 }, right)); }), 1);
            EXPECT_TRUE (armedOf (*control));
            EXPECT_EQ (timer.getTimerInterval(), 5000);
        }

        const auto before = c.valueOf (*control);
        EXPECT_EQ (changes.count ([&] { c.valueGesture (*control); }), 0);
        EXPECT_EQ (c.valueOf (*control), before);

        timer.timerCallback(); // the 5000 ms are up
        EXPECT_FALSE (armedOf (*control));
        EXPECT_FALSE (timer.isTimerRunning());
        EXPECT_EQ (changes.count ([&] { c.valueGesture (*control); }), 1);
    }
}

TEST (Switch, SingleLeftClickFlipsDoubleClickDoesNothing)
{
    SwitchComponent toggle;
    ChangeCounter changes (toggle);
    EXPECT_EQ (changes.count ([&] { toggle.mouseDown (mouseAt (toggle, { 5, 5 }, left)); }), 1);
    EXPECT_TRUE (toggle.state);
    EXPECT_EQ (changes.count ([&] { toggle.mouseDown (mouseAt (toggle, { 5, 5 }, left, 2)); }), 0);
    EXPECT_TRUE (toggle.state);
}

TEST (Selector, ReportsEnterLeaveAndClick)
{
    SelectorComponent selector;
    ChangeCounter changes (selector);
    const std::vector<std::pair<std::function<void()>, int>> steps {
        { [&] {
             selector.mouseEnter (mouseAt (selector, { 5, 5 }, 0));
         },
          SelectorComponent::mouseEntered },
        { [&] {
             selector.mouseDown (mouseAt (selector, { 5, 5 }, left));
         },
          SelectorComponent::clicked },
        { [&] {
             selector.mouseExit (mouseAt (selector, { 5, 5 }, 0));
         },
          SelectorComponent::mouseLeft },
    };

    for (const auto& [gesture, expected] : steps)
    {
        EXPECT_EQ (changes.count (gesture), 1);
        EXPECT_EQ (selector.lastEvent, expected);
    }

    EXPECT_EQ (changes.count ([&] { selector.mouseDown (mouseAt (selector, { 5, 5 }, left, 2)); }), 0);
    EXPECT_FALSE (selector.selected); // only the editor selects
}
