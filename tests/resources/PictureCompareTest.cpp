// The comparer behind the redraw check of the embedded pictures.

#include "pictures/PictureCompare.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <functional>

namespace
{
constexpr int width = 9;
constexpr int height = 6;

/** Opaque, and no two pixels alike, so a report naming the wrong pixel shows. */
juce::Image picture (juce::Image::PixelFormat format = juce::Image::ARGB, int pictureWidth = width)
{
    juce::Image image (format, pictureWidth, height, false);

    for (int y = 0; y < height; ++y)
        for (int x = 0; x < pictureWidth; ++x)
            image.setPixelAt (x, y, juce::Colour ((juce::uint8) (x * 25), (juce::uint8) (y * 40), (juce::uint8) 200));

    return image;
}

juce::Image withBlueRaised (juce::Image image, std::initializer_list<juce::Point<int>> pixels)
{
    for (auto pixel : pixels)
    {
        const auto colour = image.getPixelAt (pixel.x, pixel.y);
        image.setPixelAt (
            pixel.x, pixel.y, juce::Colour (colour.getRed(), colour.getGreen(), (juce::uint8) (colour.getBlue() + 1)));
    }

    return image;
}

void save (const juce::Image& image, const juce::File& file)
{
    file.getParentDirectory().createDirectory();
    juce::FileOutputStream stream (file);
    ASSERT_TRUE (stream.openedOk() && juce::PNGImageFormat().writeImageToStream (image, stream));
}
} // namespace

TEST (PictureComparer, PassesOnlyTheSamePixelsAndNamesTheFirstThatDiffers)
{
    struct Case
    {
        const char* label;
        juce::Image drawn; // not written when invalid
        juce::Image reference;
        const char* expectedReport; // empty for a pass
    };

    const Case cases[] = {
        { "the same pixels", picture(), picture(), "" },
        { "the same pixels, the reference saved without alpha", picture(), picture (juce::Image::RGB), "" },
        { "one channel of one pixel",
          withBlueRaised (picture(), { { 5, 3 } }),
          picture(),
          "1 pixels differ, the first at x 5, y 3" },
        { "two pixels, the first found row by row",
          withBlueRaised (picture(), { { 2, 4 }, { 7, 1 } }),
          picture(),
          "2 pixels differ, the first at x 7, y 1" },
        { "another size", picture (juce::Image::ARGB, width - 1), picture(), "is 8 x 6, the reference 9 x 6" },
        { "no picture drawn", {}, picture(), "cannot read" },
    };

    const std::vector<Picture> pictures { { "pedal", width, height, {} } };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.label);
        const TemporaryFolder temporary;
        const auto drawnFolder = temporary.folder.getChildFile ("drawn");
        const auto referenceFolder = temporary.folder.getChildFile ("reference");
        drawnFolder.createDirectory();
        save (c.reference, referenceFolder.getChildFile ("pedal.png"));

        if (c.drawn.isValid())
            save (c.drawn, drawnFolder.getChildFile ("pedal.png"));

        const auto result = comparePictures (pictures, drawnFolder, referenceFolder);
        const juce::String expected (c.expectedReport);
        EXPECT_EQ (result.wasOk(), expected.isEmpty());
        EXPECT_TRUE (result.getErrorMessage().contains (expected)) << result.getErrorMessage();
    }
}
