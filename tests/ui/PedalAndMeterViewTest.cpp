#include "ControlTestSupport.h"

#include "dsp/SimpleVuMeter.h"
#include "ui/ComponentPedalAnim.h"
#include "ui/VuMeterComponent.h"

#include <Images.h>

#include <limits>

using namespace controltest;

namespace
{
constexpr int viewWidth = 732;
const std::vector<int> offsetsByStep { 198, 357, 480, 573, 640, 685, 712, 726, 731, 732 };

std::unique_ptr<ComponentPedalAnim> makePedal (int x, bool visible)
{
    auto pedal = std::make_unique<ComponentPedalAnim> (juce::Font (24.0f));
    pedal->setBounds (x, 63, viewWidth, 300);
    pedal->setVisible (visible);
    return pedal;
}
} // namespace

TEST (PedalView, SlidesInTenCubicStepsThenHidesOnlyTheViewThatLeft)
{
    for (const int direction : { -1, 1 })
    {
        SCOPED_TRACE (direction);
        auto outgoing = makePedal (0, true);
        auto incoming = makePedal (0, false);
        outgoing->startSlide (0, direction);
        incoming->startSlide (-viewWidth * direction, direction);
        EXPECT_EQ (incoming->getTimerInterval(), 40);

        for (size_t i = 0; i < offsetsByStep.size(); ++i)
        {
            outgoing->timerCallback();
            incoming->timerCallback();
            EXPECT_EQ (outgoing->getX(), offsetsByStep[i] * direction) << "step " << i + 1;
            EXPECT_EQ (incoming->getX(), -viewWidth * direction + offsetsByStep[i] * direction);
            EXPECT_TRUE (incoming->isVisible() && outgoing->isVisible() && incoming->isAnimating);
            EXPECT_EQ (incoming->getY(), 63);
        }

        outgoing->timerCallback(); // the eleventh tick ends the slide
        incoming->timerCallback();
        EXPECT_FALSE (outgoing->isVisible());
        EXPECT_TRUE (incoming->isVisible());
        EXPECT_EQ (incoming->getX(), 0);
        EXPECT_FALSE (incoming->isAnimating || incoming->isTimerRunning() || outgoing->isAnimating);
    }
}

TEST (PedalView, ANewSlideRestartsFromItsOwnStart)
{
    auto pedal = makePedal (0, true);
    pedal->startSlide (0, 1);

    for (int i = 0; i < 4; ++i)
        pedal->timerCallback();

    pedal->startSlide (-viewWidth, 1);
    pedal->timerCallback();
    EXPECT_EQ (pedal->getX(), -viewWidth + offsetsByStep[0]);
    EXPECT_EQ (pedal->step, 1);
}

TEST (PedalView, TitleInCapitalsHoverTitleOnlyWhenItDiffers)
{
    auto picture = juce::ImageCache::getFromMemory (Images::pedal01_png, Images::pedal01_pngSize);
    auto pedal = makePedal (0, true);
    pedal->picture = &picture;
    pedal->description = "A warm drive. It Keeps Its Case.";

    const auto drawn = [&] (juce::String title, juce::String hover, juce::String description) {
        pedal->title = title;
        pedal->hoverTitle = hover;
        pedal->description = description;
        return snapshot (*pedal, "pedal-" + title + "-" + hover);
    };

    const auto plain = drawn ("Derurevore", "", "It Keeps Its Case.");
    EXPECT_TRUE (samePixels (plain, drawn ("derurevore", "", "It Keeps Its Case.")));
    EXPECT_TRUE (samePixels (plain, drawn ("Derurevore", "Derurevore", "It Keeps Its Case.")));
    EXPECT_FALSE (samePixels (plain, drawn ("Derurevore", "Vuvuru", "It Keeps Its Case.")));
    EXPECT_FALSE (samePixels (plain, drawn ("Derurevore", "", "it keeps its case.")));
    // The picture starts 17 px left of the view and 3 px down.
    EXPECT_EQ (plain.getPixelAt (0, 3), picture.getPixelAt (17, 0));
}

//==============================================================================
namespace
{
/** A meter that reports whatever level the test sets, at its next refresh. */
struct ScriptedMeter : public AbstractVuMeterDSP
{
    void setSampleRate (double) override {}
    void reset() override {}
    void refresh() override
    {
        levelDb = nextLevelDb;
        ++refreshes;
    }
    void processSamples (const float*, int) override {}

    float nextLevelDb = silentDb;
    int refreshes = 0;
};

juce::Image frame (int index)
{
    int size = 0;
    const auto name = "vumeter" + juce::String (index).paddedLeft ('0', 2) + "_png";
    const auto* data = Images::getNamedResource (name.toRawUTF8(), size);
    return juce::ImageCache::getFromMemory (data, size);
}
} // namespace

TEST (MeterView, FrameAtEachBandEdgeAndForLevelsThatAreNotNumbers)
{
    constexpr auto infinity = std::numeric_limits<float>::infinity();
    const std::vector<std::pair<float, int>> cases {
        { -40.001f, 0 }, { -40.0f, 1 }, { -30.001f, 1 }, { -30.0f, 2 },         { -20.0f, 3 },   { -15.0f, 4 },
        { -10.0f, 5 },   { -8.0f, 6 },  { -6.0f, 7 },    { -4.0f, 8 },          { -2.0f, 9 },    { -0.001f, 9 },
        { 0.0f, 10 },    { 6.0f, 10 },  { -200.0f, 0 },  { std::nanf (""), 0 }, { infinity, 0 }, { -infinity, 0 },
    };

    ScriptedMeter meter;
    VuMeterComponent view (&meter);
    view.setBounds (0, 0, 11, 51);
    EXPECT_EQ (view.getTimerInterval(), 100);

    for (const auto& [levelDb, expected] : cases)
    {
        meter.nextLevelDb = levelDb;
        view.timerCallback();
        EXPECT_TRUE (samePixels (snapshot (view), frame (expected))) << levelDb << " dB should show " << expected;
    }

    EXPECT_EQ (meter.refreshes, (int) cases.size());
}

TEST (MeterView, ShowsTheEngineMeterOnlyFromOneTickToTheNext)
{
    SimpleVuMeter meter;
    VuMeterComponent view (&meter);
    view.setBounds (0, 0, 11, 51);
    EXPECT_TRUE (samePixels (snapshot (view), frame (0))); // unprepared: -200 dB

    meter.setSampleRate (44100.0);
    const std::vector<float> halfScale (512, 0.5f); // -6.02 dB, just below -6
    meter.processSamples (halfScale.data(), (int) halfScale.size());
    EXPECT_TRUE (samePixels (snapshot (view), frame (0)));

    view.timerCallback();
    EXPECT_TRUE (samePixels (snapshot (view, "meter-half-scale"), frame (6)));
}
