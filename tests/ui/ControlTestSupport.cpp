#include "ControlTestSupport.h"

#include <dlfcn.h>
#include <utility>

namespace
{
/** One framework and message manager for the whole run: starting and
    stopping the GUI side between tests is not something hosts do either. */
class GuiEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        gui = std::make_unique<juce::ScopedJuceInitialiser_GUI>();
        controltest::ignoreXErrors();
    }
    void TearDown() override { gui.reset(); }

private:
    std::unique_ptr<juce::ScopedJuceInitialiser_GUI> gui;
};

[[maybe_unused]] auto* const environment = ::testing::AddGlobalTestEnvironment (new GuiEnvironment);
} // namespace

namespace controltest
{
void ignoreXErrors()
{
    using ErrorHandler = int (*) (void*, void*);
    using SetErrorHandler = ErrorHandler (*) (ErrorHandler);

    if (auto* xlib = dlopen ("libX11.so.6", RTLD_LAZY))
        if (auto* setHandler = reinterpret_cast<SetErrorHandler> (dlsym (xlib, "XSetErrorHandler")))
            setHandler ([] (void*, void*) { return 0; });
}

juce::MouseEvent mouseAt (juce::Component& component,
                          juce::Point<float> position,
                          int buttons,
                          int clicks,
                          juce::Point<float> downPosition)
{
    const auto now = juce::Time::getCurrentTime();
    const auto down = downPosition.x < 0.0f ? position : downPosition;

    return { juce::Desktop::getInstance().getMainMouseSource(),
             position,
             juce::ModifierKeys (buttons),
             juce::MouseInputSource::defaultPressure,
             juce::MouseInputSource::defaultOrientation,
             juce::MouseInputSource::defaultRotation,
             juce::MouseInputSource::defaultTiltX,
             juce::MouseInputSource::defaultTiltY,
             &component,
             &component,
             now,
             down,
             now,
             clicks,
             down != position };
}

juce::MouseWheelDetails wheel (float deltaY) { return { 0.0f, deltaY, false, false, false }; }

ChangeCounter::ChangeCounter (juce::ChangeBroadcaster& broadcasterToCount)
    : broadcaster (broadcasterToCount)
{
    broadcaster.addChangeListener (this);
}

ChangeCounter::~ChangeCounter() { broadcaster.removeChangeListener (this); }

int ChangeCounter::take()
{
    broadcaster.dispatchPendingMessages();
    return std::exchange (received, 0);
}

void saveSnapshot (const juce::Image& image, const juce::String& name)
{
    const auto folder =
        juce::File::getSpecialLocation (juce::File::currentExecutableFile).getSiblingFile ("ui-snapshots");
    folder.createDirectory();
    const auto file = folder.getChildFile (name + ".png");
    file.deleteFile();
    juce::FileOutputStream out (file);
    juce::PNGImageFormat().writeImageToStream (image, out);
}

juce::Image snapshot (juce::Component& component, const juce::String& name)
{
    auto image = component.createComponentSnapshot (component.getLocalBounds(), true, 1.0f);

    if (name.isNotEmpty())
        saveSnapshot (image, name);

    return image;
}

bool samePixels (const juce::Image& a, const juce::Image& b)
{
    if (a.getBounds() != b.getBounds())
        return false;

    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
            if (a.getPixelAt (x, y) != b.getPixelAt (x, y))
                return false;

    return true;
}

bool pixelsNear (juce::Colour a, juce::Colour b, int tolerance)
{
    const auto pa = a.getPixelARGB();
    const auto pb = b.getPixelARGB();
    const auto near = [tolerance] (int x, int y) { return std::abs (x - y) <= tolerance; };
    return near (pa.getAlpha(), pb.getAlpha()) && near (pa.getRed(), pb.getRed()) && near (pa.getGreen(), pb.getGreen())
           && near (pa.getBlue(), pb.getBlue());
}

bool looksArmed (juce::Colour pixel)
{
    constexpr int redMargin = 40;
    return pixel.getRed() > pixel.getGreen() + redMargin && pixel.getRed() > pixel.getBlue() + redMargin;
}
} // namespace controltest
