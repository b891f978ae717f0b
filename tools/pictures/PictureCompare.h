#pragma once

#include "PictureSet.h"

// Compares name.png for every picture in one folder with name.png in a
// reference folder, pixel by pixel once decoded: two encodings of the same
// pixels agree. Fails naming every picture that differs in size or in any
// pixel, with its first differing pixel.
juce::Result
    comparePictures (const std::vector<Picture>& pictures, const juce::File& folder, const juce::File& referenceFolder);
