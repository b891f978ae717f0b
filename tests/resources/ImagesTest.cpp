#include <Images.h>

#include <gtest/gtest.h>
#include <juce_graphics/juce_graphics.h>

#include <set>
#include <vector>

namespace
{
constexpr int pedalCount = 14;
constexpr int meterFrameCount = 11;
constexpr int pedalWidth = 369;
constexpr int pedalHeight = 282;

struct PictureCase
{
    std::string name; // resource name without "_png"
    int width;
    int height;
};

std::string twoDigits (int n) { return juce::String (n).paddedLeft ('0', 2).toStdString(); }

std::string pedalName (int number, bool dark) { return "pedal" + twoDigits (number) + (dark ? "dark" : ""); }

// The sizes the editor's fixed layout is built around.
std::vector<PictureCase> allPictures()
{
    std::vector<PictureCase> cases {
        { "fond", 732, 430 },  { "fond2", 732, 277 },   { "knob", 47, 47 },       { "switch1", 12, 31 },
        { "switch2", 12, 32 }, { "combobox", 150, 19 }, { "combobox2", 200, 19 }, { "buttons", 97, 140 },
    };

    for (int dark = 0; dark < 2; ++dark)
        for (int n = 1; n <= pedalCount; ++n)
            cases.push_back ({ pedalName (n, dark == 1), pedalWidth, pedalHeight });

    for (int k = 0; k < meterFrameCount; ++k)
        cases.push_back ({ "vumeter" + twoDigits (k), 11, 51 });

    return cases;
}

juce::Image decode (const std::string& name)
{
    int size = 0;
    const auto* data = Images::getNamedResource ((name + "_png").c_str(), size);

    if (data == nullptr)
        return {};

    juce::MemoryInputStream stream (data, (size_t) size, false);

    if (! juce::PNGImageFormat().canUnderstand (stream))
        return {};

    stream.setPosition (0);
    return juce::PNGImageFormat().decodeImage (stream);
}

bool samePixels (const juce::Image& a, const juce::Image& b)
{
    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
            if (a.getPixelAt (x, y) != b.getPixelAt (x, y))
                return false;

    return true;
}

class EmbeddedPicture : public ::testing::TestWithParam<PictureCase>
{
};
} // namespace

TEST_P (EmbeddedPicture, DecodesAsPngOfItsExactSize)
{
    const auto& expected = GetParam();
    const auto image = decode (expected.name);

    ASSERT_TRUE (image.isValid()) << expected.name << " is missing or is not a PNG";
    EXPECT_EQ (image.getWidth(), expected.width) << expected.name;
    EXPECT_EQ (image.getHeight(), expected.height) << expected.name;
}

INSTANTIATE_TEST_SUITE_P (Images, EmbeddedPicture, ::testing::ValuesIn (allPictures()), [] (const auto& info) {
    return info.param.name;
});

TEST (EmbeddedPictures, AreExactlyTheOnesTheEditorUses)
{
    std::set<std::string> expected;
    for (const auto& picture : allPictures())
        expected.insert (picture.name + "_png");

    std::set<std::string> embedded;
    for (int i = 0; i < Images::namedResourceListSize; ++i)
        embedded.insert (Images::namedResourceList[i]);

    EXPECT_EQ (embedded, expected);
}

// The editor swaps a pedal for its dark partner in place, over its light panel.
TEST (EmbeddedPictures, EveryPedalHasADistinctDarkPartnerWithATransparentSurround)
{
    for (int n = 1; n <= pedalCount; ++n)
    {
        SCOPED_TRACE (pedalName (n, false));
        const auto normal = decode (pedalName (n, false));
        const auto dark = decode (pedalName (n, true));
        ASSERT_TRUE (normal.isValid() && dark.isValid());

        EXPECT_EQ (dark.getBounds(), normal.getBounds());
        EXPECT_FALSE (samePixels (normal, dark));

        for (const auto& picture : { normal, dark })
        {
            EXPECT_TRUE (picture.hasAlphaChannel());
            EXPECT_EQ (picture.getPixelAt (0, 0).getAlpha(), 0);
            EXPECT_EQ (picture.getPixelAt (picture.getWidth() - 1, picture.getHeight() - 1).getAlpha(), 0);
        }
    }
}

TEST (EmbeddedPictures, EachMeterFrameDiffersFromTheOneBelowIt)
{
    for (int k = 1; k < meterFrameCount; ++k)
    {
        SCOPED_TRACE (k);
        const auto lower = decode ("vumeter" + twoDigits (k - 1));
        const auto frame = decode ("vumeter" + twoDigits (k));
        ASSERT_TRUE (lower.isValid() && frame.isValid());
        EXPECT_FALSE (samePixels (lower, frame));
    }
}
