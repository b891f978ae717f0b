#pragma once

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

/** Each test runs with the framework's GUI side started (message manager,
    desktop), as in a host that has opened the editor. */
class GuiTest : public ::testing::Test
{
protected:
    juce::ScopedJuceInitialiser_GUI gui;
};

inline const juce::ModifierKeys leftButton { juce::ModifierKeys::leftButtonModifier };
inline const juce::ModifierKeys rightButton { juce::ModifierKeys::rightButtonModifier };

/** A press at a point of a component, as its peer delivers one. */
inline juce::MouseEvent
    pressAt (juce::Component& component, juce::Point<int> position, juce::ModifierKeys buttons, int clicks)
{
    const auto now = juce::Time::getCurrentTime();
    const auto where = position.toFloat();
    return juce::MouseEvent (juce::Desktop::getInstance().getMainMouseSource(),
                             where,
                             buttons,
                             juce::MouseInputSource::defaultPressure,
                             juce::MouseInputSource::defaultOrientation,
                             juce::MouseInputSource::defaultRotation,
                             juce::MouseInputSource::defaultTiltX,
                             juce::MouseInputSource::defaultTiltY,
                             &component,
                             &component,
                             now,
                             where,
                             now,
                             clicks,
                             false);
}

/** Tells whether a broadcaster sent a change message since the last look,
    delivering what is pending at once instead of waiting for the loop. */
class ChangeWatcher : private juce::ChangeListener
{
public:
    explicit ChangeWatcher (juce::ChangeBroadcaster& watched)
        : broadcaster (watched)
    {
        broadcaster.addChangeListener (this);
    }

    ~ChangeWatcher() override { broadcaster.removeChangeListener (this); }

    bool sentSinceLastLook()
    {
        broadcaster.dispatchPendingMessages();
        const bool sent = received;
        received = false;
        return sent;
    }

private:
    void changeListenerCallback (juce::ChangeBroadcaster*) override { received = true; }

    juce::ChangeBroadcaster& broadcaster;
    bool received = false;
};

inline juce::Image snapshotOf (juce::Component& component)
{
    return component.createComponentSnapshot (component.getLocalBounds(), false, 1.0f);
}

/** Premultiplied channels within a tolerance: faint pixels compare by what
    they add to the picture, not by a colour that hardly shows. */
inline bool pixelsNear (juce::Colour a, juce::Colour b, int tolerance)
{
    const auto pa = a.getPixelARGB();
    const auto pb = b.getPixelARGB();
    return std::abs (pa.getAlpha() - pb.getAlpha()) <= tolerance && std::abs (pa.getRed() - pb.getRed()) <= tolerance
           && std::abs (pa.getGreen() - pb.getGreen()) <= tolerance
           && std::abs (pa.getBlue() - pb.getBlue()) <= tolerance;
}

/** Red well above the dark grey of the pictures: the armed tint. */
inline bool looksArmed (juce::Colour c) { return c.getRed() > c.getGreen() + 40 && c.getRed() > c.getBlue() + 40; }

/** Writes a picture into the build folder (next to the test program) for
    anyone to look at. */
inline void saveSnapshot (const juce::Image& image, const juce::String& name)
{
    const auto folder = juce::File::getSpecialLocation (juce::File::currentExecutableFile)
                            .getParentDirectory()
                            .getChildFile ("ui-snapshots");
    folder.createDirectory();

    const auto file = folder.getChildFile (name + ".png");
    file.deleteFile();

    juce::FileOutputStream stream (file);

    if (stream.openedOk())
        juce::PNGImageFormat().writeImageToStream (image, stream);
}
