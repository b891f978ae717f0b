#pragma once

#include <juce_graphics/juce_graphics.h>

// Soft light effects the framework's renderer lacks: blurs, shadows, glows and
// surface grain, all computed on premultiplied ARGB layers the size of the
// picture being drawn.
namespace effects
{
// Gaussian blur approximated by three box passes per axis; pixels outside
// the image count as transparent, so shapes near the border fade out.
void blur (juce::Image& image, float sigmaX, float sigmaY);

// A blank layer of the same size as the picture, for drawing and blurring.
juce::Image makeLayer (juce::Rectangle<int> pictureBounds);

// Draws a layer at the given opacity. Graphics::drawImageAt otherwise
// borrows the alpha of whatever colour was set last.
void drawLayer (juce::Graphics& g, const juce::Image& layer, float opacity = 1.0f);

// The shape filled with one colour, moved by offset and blurred.
void drawShadow (juce::Graphics& g,
                 juce::Rectangle<int> pictureBounds,
                 const juce::Path& shape,
                 juce::Colour colour,
                 float sigma,
                 juce::Point<float> offset = {});

// A blurred copy of the layer drawn under the crisp layer: the layer glows.
void drawWithBloom (juce::Graphics& g, const juce::Image& layer, float sigma, float bloomOpacity);

enum class Grain
{
    fine, // even speckle, a matte powder coat
    flakes, // sparse bright specks, a metal-flake lacquer
    hammered, // soft blotches, a hammer-tone enamel
    brushed, // long horizontal streaks, brushed aluminium
};

// Surface grain inside the shape, light and dark in equal measure.
void fillGrain (juce::Graphics& g,
                juce::Rectangle<int> pictureBounds,
                const juce::Path& shape,
                Grain grain,
                float strength,
                juce::uint32 seed);
} // namespace effects
