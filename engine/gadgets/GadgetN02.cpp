#include "GadgetN02.h"

GadgetN02::GadgetN02()
{
    describe ("Rezov Ididiz", 1, { "Amount", "Rate", "Feedback" }, { 0.5f, 0.5f, 0.5f });
    description = "The pedal for strange guitar sounds, in the manner of two famous rock guitarists. It has the amount and rate controls of any phaser, and it becomes really interesting once you turn up the feedback.";
}

void GadgetN02::reset()
{
}

void GadgetN02::processSamples (float*, float*, int, float)
{
    beginBlock();
}

void GadgetN02::updateCoefficients()
{
}
