#include "PictureSet.h"

#include "ControlPictures.h"
#include "PedalPainter.h"
#include "WindowPictures.h"

namespace
{
constexpr int meterFrames = 11;

juce::String twoDigits (int n) { return juce::String (n).paddedLeft ('0', 2); }

void addPedals (std::vector<Picture>& list, bool hot)
{
    const auto& styles = pedalStyles();

    for (size_t i = 0; i < styles.size(); ++i)
    {
        const auto& style = styles[i];
        list.push_back ({ "pedal" + twoDigits ((int) i + 1) + (hot ? "dark" : ""),
                          PedalGeometry::pictureWidth,
                          PedalGeometry::pictureHeight,
                          [&style, hot] (juce::Graphics& g) { PedalPainter (style, hot).paint (g); } });
    }
}
} // namespace

std::vector<Picture> allPictures()
{
    std::vector<Picture> list {
        { "fond", 732, 430, window::background },
        { "fond2", 732, 277, window::aboutPanel },
        { "knob", 47, 47, controls::knob },
        { "switch1", 12, 31, controls::switchOff },
        { "switch2", 12, 32, controls::switchOn },
        { "combobox", 150, 19, [] (juce::Graphics& g) { controls::comboBox (g, 150); } },
        { "combobox2", 200, 19, [] (juce::Graphics& g) { controls::comboBox (g, 200); } },
        { "buttons", 97, 140, controls::slotButtons },
    };

    addPedals (list, false);
    addPedals (list, true);

    for (int k = 0; k < meterFrames; ++k)
        list.push_back (
            { "vumeter" + twoDigits (k), 11, 51, [k] (juce::Graphics& g) { controls::meterFrame (g, k); } });

    return list;
}
