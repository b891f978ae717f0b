#include "GadgetN09.h"

GadgetN09::GadgetN09()
{
    describe ("Vuvuru", 10, { "Rate", "Thresh.", "Release" }, { 0.5f, 0.5f, 0.7f });
    description = "A noise gate in the hands of a child: below the threshold the guitar is chopped at the rate you choose, while strong notes pass whole. Set the rate slow for a stutter or fast for a buzzing tremolo; now and then it gives you the tones of a certain famous guitarist.";
}

void GadgetN09::reset()
{
}

void GadgetN09::processSamples (float*, float*, int, float)
{
    beginBlock();
}

void GadgetN09::updateCoefficients()
{
}
