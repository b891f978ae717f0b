#include "PictureFonts.h"

juce::Typeface::Ptr PictureFonts::load (const char* fileName)
{
    juce::MemoryBlock data;
    const auto file = juce::File (TARVOLIN_FONTS_DIR).getChildFile (fileName);

    if (! file.loadFileAsData (data))
    {
        std::fprintf (stderr, "cannot read %s\n", file.getFullPathName().toRawUTF8());
        std::exit (1);
    }

    return juce::Typeface::createSystemTypefaceFor (data.getData(), data.getSize());
}

juce::Font PictureFonts::regular (float height)
{
    static const auto typeface = load ("opensansregular.ttf");
    return juce::Font (typeface).withHeight (height);
}

juce::Font PictureFonts::italic (float height)
{
    static const auto typeface = load ("opensansitalic.ttf");
    return juce::Font (typeface).withHeight (height);
}
