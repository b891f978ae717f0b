#include "ContactSheet.h"

#include "PictureFonts.h"

#include <map>

namespace
{
constexpr int margin = 24;
constexpr int gap = 24;
constexpr int labelHeight = 38;
constexpr float labelFontHeight = 13.0f;
constexpr int sheetWidth = 1596;
constexpr int checkerSize = 8;

// Rows of the sheet, by name prefix: windows, pedal pairs, controls, meters.
std::vector<std::vector<juce::String>> rowsOf (const std::vector<Picture>& pictures)
{
    std::vector<std::vector<juce::String>> rows { { "fond", "fond2" } };
    std::vector<juce::String> pedals, small, meters;

    for (const auto& p : pictures)
    {
        if (p.name.startsWith ("pedal") && ! p.name.endsWith ("dark"))
        {
            pedals.push_back (p.name);
            pedals.push_back (p.name + "dark");
        }
        else if (p.name.startsWith ("vumeter"))
            meters.push_back (p.name);
        else if (! p.name.startsWith ("pedal") && ! p.name.startsWith ("fond"))
            small.push_back (p.name);
    }

    for (size_t i = 0; i < pedals.size(); i += 4)
        rows.emplace_back (pedals.begin() + (long) i, pedals.begin() + (long) juce::jmin (i + 4, pedals.size()));

    rows.push_back (small);
    rows.push_back (meters);
    return rows;
}
} // namespace

juce::Result ContactSheet::make (const std::vector<Picture>& pictures, const juce::File& folder, juce::Image& sheet)
{
    std::map<juce::String, std::pair<const Picture*, juce::Image>> loaded;

    for (const auto& picture : pictures)
    {
        const auto file = folder.getChildFile (picture.name + ".png");
        const auto image = juce::ImageFileFormat::loadFrom (file);

        if (! image.isValid())
            return juce::Result::fail ("cannot decode " + file.getFullPathName());

        if (image.getWidth() != picture.width || image.getHeight() != picture.height)
            return juce::Result::fail (picture.name + " is " + juce::String (image.getWidth()) + " x "
                                       + juce::String (image.getHeight()) + ", expected " + juce::String (picture.width)
                                       + " x " + juce::String (picture.height));

        loaded[picture.name] = { &picture, image };
    }

    const auto rows = rowsOf (pictures);
    int totalHeight = margin;

    for (const auto& row : rows)
    {
        int rowHeight = 0;
        for (const auto& name : row)
            rowHeight = juce::jmax (rowHeight, loaded.at (name).second.getHeight());
        totalHeight += rowHeight + labelHeight + gap;
    }

    sheet = juce::Image (juce::Image::RGB, sheetWidth, totalHeight + margin - gap, true);
    juce::Graphics g (sheet);
    g.fillAll (juce::Colour (0xff2a2a2e));
    int y = margin;

    for (const auto& row : rows)
    {
        int x = margin;
        int rowHeight = 0;

        for (const auto& name : row)
        {
            const auto& [picture, image] = loaded.at (name);
            drawTile (g, image, *picture, { x, y });
            x += tileWidth (image, *picture) + gap;
            rowHeight = juce::jmax (rowHeight, image.getHeight());
        }

        y += rowHeight + labelHeight + gap;
    }

    return juce::Result::ok();
}

int ContactSheet::tileWidth (const juce::Image& image, const Picture& picture)
{
    const auto font = PictureFonts::regular (labelFontHeight);
    const auto widest =
        juce::jmax (font.getStringWidthFloat (picture.name), font.getStringWidthFloat (sizeText (picture)));
    return juce::jmax (image.getWidth(), (int) std::ceil (widest));
}

juce::String ContactSheet::sizeText (const Picture& picture)
{
    return juce::String (picture.width) + " x " + juce::String (picture.height);
}

void ContactSheet::drawTile (juce::Graphics& g,
                             const juce::Image& image,
                             const Picture& picture,
                             juce::Point<int> origin)
{
    const auto area = image.getBounds().withPosition (origin);
    g.fillCheckerBoard (
        area.toFloat(), (float) checkerSize, (float) checkerSize, juce::Colour (0xffbdbdbd), juce::Colour (0xffd4d4d4));
    g.setOpacity (1.0f);
    g.drawImageAt (image, origin.x, origin.y);

    g.setColour (juce::Colour (0xffdedede));
    g.setFont (PictureFonts::regular (labelFontHeight));
    g.drawSingleLineText (picture.name, origin.x, area.getBottom() + 16);
    g.setColour (juce::Colour (0xff9a9a9a));
    g.drawSingleLineText (sizeText (picture), origin.x, area.getBottom() + 32);
}
