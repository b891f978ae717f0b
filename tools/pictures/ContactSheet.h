#pragma once

#include "PictureSet.h"

// One large picture showing every embedded picture at its own size over a
// chequerboard (so transparency shows), with its name and size under it.
class ContactSheet
{
public:
    // Reads name.png for every picture from the folder. Fails when a file is
    // missing, does not decode or has the wrong size.
    static juce::Result make (const std::vector<Picture>& pictures, const juce::File& folder, juce::Image& sheet);

private:
    static int tileWidth (const juce::Image& image, const Picture& picture);
    static juce::String sizeText (const Picture& picture);
    static void drawTile (juce::Graphics& g, const juce::Image& image, const Picture& picture, juce::Point<int> origin);
};
