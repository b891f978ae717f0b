#include "Effects.h"

#include <cmath>
#include <vector>

namespace effects
{
namespace
{
    constexpr int boxPasses = 3;
    constexpr int channels = 4;

    // Three box passes of width w give a variance of 3 (w^2 - 1) / 12.
    int boxRadiusFor (float sigma)
    {
        const auto width = std::sqrt (4.0f * sigma * sigma + 1.0f);
        return juce::jmax (0, juce::roundToInt ((width - 1.0f) * 0.5f));
    }

    // One running-sum box pass over a line of interleaved channels.
    // The source line is packed; the target line may be a column of the picture.
    void boxLine (const float* source, float* target, int length, int targetStride, int radius)
    {
        const auto scale = 1.0f / (float) (2 * radius + 1);

        for (int c = 0; c < channels; ++c)
        {
            float sum = 0.0f;

            for (int i = 0; i <= juce::jmin (radius, length - 1); ++i)
                sum += source[i * channels + c];

            for (int i = 0; i < length; ++i)
            {
                target[i * targetStride + c] = sum * scale;
                const auto entering = i + radius + 1;
                const auto leaving = i - radius;

                if (entering < length)
                    sum += source[entering * channels + c];

                if (leaving >= 0)
                    sum -= source[leaving * channels + c];
            }
        }
    }

    void blurAxis (std::vector<float>& pixels, int width, int height, bool horizontal, int radius)
    {
        if (radius <= 0)
            return;

        const auto lines = horizontal ? height : width;
        const auto length = horizontal ? width : height;
        const auto stride = horizontal ? channels : width * channels;
        std::vector<float> line ((size_t) (length * channels));

        for (int l = 0; l < lines; ++l)
        {
            auto* start = pixels.data() + (horizontal ? l * width * channels : l * channels);

            for (int pass = 0; pass < boxPasses; ++pass)
            {
                for (int i = 0; i < length; ++i)
                    for (int c = 0; c < channels; ++c)
                        line[(size_t) (i * channels + c)] = start[i * stride + c];

                boxLine (line.data(), start, length, stride, radius);
            }
        }
    }
} // namespace

void blur (juce::Image& image, float sigmaX, float sigmaY)
{
    image = image.convertedToFormat (juce::Image::ARGB);
    const auto width = image.getWidth();
    const auto height = image.getHeight();
    std::vector<float> pixels ((size_t) (width * height * channels));

    {
        const juce::Image::BitmapData data (image, juce::Image::BitmapData::readOnly);

        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
            {
                const auto* p = reinterpret_cast<const juce::PixelARGB*> (data.getPixelPointer (x, y));
                auto* out = pixels.data() + (y * width + x) * channels;
                out[0] = p->getAlpha();
                out[1] = p->getRed();
                out[2] = p->getGreen();
                out[3] = p->getBlue();
            }
    }

    blurAxis (pixels, width, height, true, boxRadiusFor (sigmaX));
    blurAxis (pixels, width, height, false, boxRadiusFor (sigmaY));

    const juce::Image::BitmapData data (image, juce::Image::BitmapData::writeOnly);

    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            const auto* in = pixels.data() + (y * width + x) * channels;
            const auto toByte = [] (float v) { return (juce::uint8) juce::jlimit (0, 255, juce::roundToInt (v)); };
            const auto alpha = toByte (in[0]);
            // Premultiplied colour can never exceed its alpha.
            const auto limited = [&] (float v) { return juce::jmin (alpha, toByte (v)); };
            auto* p = reinterpret_cast<juce::PixelARGB*> (data.getPixelPointer (x, y));
            p->setARGB (alpha, limited (in[1]), limited (in[2]), limited (in[3]));
        }
}

juce::Image makeLayer (juce::Rectangle<int> pictureBounds)
{
    return juce::Image (juce::Image::ARGB, pictureBounds.getWidth(), pictureBounds.getHeight(), true);
}

void drawLayer (juce::Graphics& g, const juce::Image& layer, float opacity)
{
    g.setOpacity (opacity);
    g.drawImageAt (layer, 0, 0);
}

void drawShadow (juce::Graphics& g,
                 juce::Rectangle<int> pictureBounds,
                 const juce::Path& shape,
                 juce::Colour colour,
                 float sigma,
                 juce::Point<float> offset)
{
    auto layer = makeLayer (pictureBounds);
    {
        juce::Graphics lg (layer);
        lg.setColour (colour);
        lg.fillPath (shape, juce::AffineTransform::translation (offset));
    }
    blur (layer, sigma, sigma);
    drawLayer (g, layer);
}

void drawWithBloom (juce::Graphics& g, const juce::Image& layer, float sigma, float bloomOpacity)
{
    auto bloom = layer.createCopy();
    blur (bloom, sigma, sigma);
    drawLayer (g, bloom, bloomOpacity);
    drawLayer (g, layer);
}

namespace
{
    juce::Image makeGrain (juce::Rectangle<int> pictureBounds, Grain grain, float strength, juce::uint32 seed)
    {
        auto layer = makeLayer (pictureBounds);
        juce::Random random ((juce::int64) seed);
        const auto speck = [&] (float amount) {
            const auto level = random.nextFloat() * 2.0f - 1.0f;
            const auto base = level > 0.0f ? juce::Colours::white : juce::Colours::black;
            return base.withAlpha (juce::jlimit (0.0f, 1.0f, std::abs (level) * amount));
        };

        {
            juce::Image::BitmapData data (layer, juce::Image::BitmapData::writeOnly);

            for (int y = 0; y < data.height; ++y)
            {
                // Brushed metal: every row carries its own streak brightness.
                const auto rowLevel = grain == Grain::brushed ? random.nextFloat() * 2.0f - 1.0f : 0.0f;

                for (int x = 0; x < data.width; ++x)
                {
                    juce::Colour c;

                    if (grain == Grain::flakes)
                        c = random.nextFloat() < 0.06f
                                ? juce::Colours::white.withAlpha (random.nextFloat() * strength * 2.5f)
                                : speck (strength * 0.4f);
                    else if (grain == Grain::brushed)
                        c = (rowLevel > 0.0f ? juce::Colours::white : juce::Colours::black)
                                .withAlpha (juce::jlimit (
                                    0.0f, 1.0f, std::abs (rowLevel) * strength + random.nextFloat() * strength * 0.3f));
                    else
                        c = speck (grain == Grain::hammered ? strength * 3.0f : strength);

                    data.setPixelColour (x, y, c);
                }
            }
        }

        if (grain == Grain::hammered)
            blur (layer, 1.6f, 1.6f);
        else if (grain == Grain::brushed)
            blur (layer, 6.0f, 0.0f);

        return layer;
    }
} // namespace

void fillGrain (juce::Graphics& g,
                juce::Rectangle<int> pictureBounds,
                const juce::Path& shape,
                Grain grain,
                float strength,
                juce::uint32 seed)
{
    const auto layer = makeGrain (pictureBounds, grain, strength, seed);
    juce::Graphics::ScopedSaveState state (g);
    g.reduceClipRegion (shape);
    drawLayer (g, layer);
}
} // namespace effects
