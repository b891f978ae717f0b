#include <Fonts.h>

#include <gtest/gtest.h>
#include <juce_graphics/juce_graphics.h>

namespace
{
struct FontCase
{
    const char* label;
    const char* data;
    int size;
    int expectedSize; // the public Open Sans 1.10 files, embedded whole
    const char* style;
};

const FontCase fonts[] = {
    { "regular", Fonts::opensansregular_ttf, Fonts::opensansregular_ttfSize, 217360, "Regular" },
    { "italic", Fonts::opensansitalic_ttf, Fonts::opensansitalic_ttfSize, 212896, "Italic" },
};
} // namespace

TEST (EmbeddedFonts, LoadAsOpenSansWithTheirStyleAndDrawText)
{
    for (const auto& font : fonts)
    {
        SCOPED_TRACE (font.label);
        EXPECT_EQ (font.size, font.expectedSize);

        const auto typeface = juce::Typeface::createSystemTypefaceFor (font.data, (size_t) font.size);
        ASSERT_NE (typeface, nullptr);
        EXPECT_EQ (typeface->getName(), "Open Sans");
        EXPECT_EQ (typeface->getStyle(), font.style);

        const juce::Font sized = juce::Font (typeface).withHeight (16.0f);
        EXPECT_GT (sized.getStringWidthFloat ("Tarvolin"), 0.0f);
    }
}
