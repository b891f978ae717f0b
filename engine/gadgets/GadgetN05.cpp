#include "GadgetN05.h"

GadgetN05::GadgetN05()
{
    describe ("Dirizovazi", 9, { "Feed", "Freq", "Tone" }, { 0.0f, 0.5f, 0.5f });
    description = "Made to have fun with feedback, the kind some effect pedals and distortion plug-ins give you when you stand too close to the amp. As a note decays it turns into a howl; a fresh attack cuts it off. It can sound right or very wrong depending on the amp simulation after it, and the tone control tries to tame the result, though it can also make it worse.";
}

void GadgetN05::reset()
{
}

void GadgetN05::processSamples (float*, float*, int, float)
{
    beginBlock();
}

void GadgetN05::updateCoefficients()
{
}
