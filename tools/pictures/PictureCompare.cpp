#include "PictureCompare.h"

#include <cstring>

namespace
{
// Decoded to one pixel format, so that a picture saved with or without its
// alpha channel compares by what it shows.
juce::Image loadArgb (const juce::File& file)
{
    const auto image = juce::ImageFileFormat::loadFrom (file);
    return image.isValid() ? image.convertedToFormat (juce::Image::ARGB) : image;
}

juce::String sizeText (const juce::Image& image)
{
    return juce::String (image.getWidth()) + " x " + juce::String (image.getHeight());
}

bool samePixel (const juce::Image::BitmapData& a, const juce::Image::BitmapData& b, int x, int y)
{
    return std::memcmp (a.getPixelPointer (x, y), b.getPixelPointer (x, y), (size_t) a.pixelStride) == 0;
}

// Empty when the two images have the same size and pixels.
juce::String describeDifference (const juce::Image& image, const juce::Image& reference)
{
    if (image.getBounds() != reference.getBounds())
        return "is " + sizeText (image) + ", the reference " + sizeText (reference);

    const juce::Image::BitmapData pixels (image, juce::Image::BitmapData::readOnly);
    const juce::Image::BitmapData referencePixels (reference, juce::Image::BitmapData::readOnly);
    int differing = 0;
    juce::Point<int> first;

    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            if (! samePixel (pixels, referencePixels, x, y))
                if (differing++ == 0)
                    first = { x, y };

    if (differing == 0)
        return {};

    return juce::String (differing) + " pixels differ, the first at x " + juce::String (first.x) + ", y "
           + juce::String (first.y) + ": ARGB " + pixels.getPixelColour (first.x, first.y).toDisplayString (true)
           + ", the reference " + referencePixels.getPixelColour (first.x, first.y).toDisplayString (true);
}
} // namespace

juce::Result
    comparePictures (const std::vector<Picture>& pictures, const juce::File& folder, const juce::File& referenceFolder)
{
    juce::StringArray differences;

    for (const auto& picture : pictures)
    {
        const auto file = folder.getChildFile (picture.name + ".png");
        const auto referenceFile = referenceFolder.getChildFile (picture.name + ".png");
        const auto image = loadArgb (file);
        const auto reference = loadArgb (referenceFile);

        if (! image.isValid() || ! reference.isValid())
            differences.add ("cannot read " + (image.isValid() ? referenceFile : file).getFullPathName());
        else if (const auto difference = describeDifference (image, reference); difference.isNotEmpty())
            differences.add (file.getFullPathName() + " against " + referenceFile.getFullPathName() + ": "
                             + difference);
    }

    if (differences.isEmpty())
        return juce::Result::ok();

    return juce::Result::fail (juce::String (differences.size()) + " of " + juce::String ((int) pictures.size())
                               + " pictures differ from the reference:\n" + differences.joinIntoString ("\n"));
}
