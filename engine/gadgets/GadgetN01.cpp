#include "GadgetN01.h"

GadgetN01::GadgetN01()
{
    describe ("Dovid Udizur", 0, { "Delay", "Feedback", "Sens.", "Sync" }, { 0.5f, 0.2f, 0.3f, 0.0f });
    isSwitch[3] = true;
    description = "A ping-pong delay that only answers when you hit the strings hard: soft playing stays dry, strong attacks bounce between left and right. The Delay knob sets the length, Feedback how many repeats you hear, and Sens. how hard you must play to reach the delay. The Sync switch chooses between free delay times and note values tied to the host's tempo.";
}

void GadgetN01::reset()
{
}

void GadgetN01::processSamples (float*, float*, int, float)
{
    beginBlock();
}

void GadgetN01::updateCoefficients()
{
}
