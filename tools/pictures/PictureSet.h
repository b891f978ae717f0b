#pragma once

#include <juce_graphics/juce_graphics.h>

#include <functional>
#include <vector>

// Every picture the plug-in embeds: its file name (without ".png"), its size
// and how to draw it.
struct Picture
{
    juce::String name;
    int width;
    int height;
    std::function<void (juce::Graphics&)> draw;
};

std::vector<Picture> allPictures();
