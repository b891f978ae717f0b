#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The pedal of the current gadget: its picture, its name as a title, an
    optional hover title (the gadget whose selector is under the mouse) and
    its description. Two of them slide past each other when the gadget
    changes: the old one out, the new one in, with a cubic ease-out. */
class ComponentPedalAnim : public juce::Component, public juce::Timer
{
public:
    explicit ComponentPedalAnim (juce::Font titleFont);
    ~ComponentPedalAnim() override;

    /** Restarts the slide from step 0 at x = startPosition, moving towards
        slideDirection (+1 right, -1 left). */
    void startSlide (int startPosition, int slideDirection);

    void paint (juce::Graphics& g) override;
    void timerCallback() override;

    /** One of the editor's pedal pictures; not owned, null draws no picture. */
    juce::Image* picture = nullptr;
    juce::String title;
    juce::String description;
    juce::String hoverTitle;
    juce::Font font;
    int step = 0;
    int numSteps = 10;
    int stepInterval = 40;
    int startX = 0;
    int direction = 0;
    bool isAnimating = false;

private:
    void finishSlide();
    int slideOffset() const;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ComponentPedalAnim)
};
