#pragma once

#include <juce_graphics/juce_graphics.h>

// The plug-in's own two Open Sans faces, read from resources/fonts so the
// pictures use the same letters as the editor.
class PictureFonts
{
public:
    static juce::Font regular (float height);
    static juce::Font italic (float height);

private:
    static juce::Typeface::Ptr load (const char* fileName);
};
