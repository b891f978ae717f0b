// Draws every picture the plug-in embeds and the contact sheet that shows
// them all. Usage:
//   tarvolin_pictures --images DIR [--draw] [--sheet FILE] [--compare REFERENCE_DIR]
// --draw writes DIR/<name>.png for every picture; --sheet reads them back
// from DIR and writes the contact sheet to FILE; --compare fails unless every
// DIR/<name>.png has the pixels of REFERENCE_DIR/<name>.png, so that a
// drawing changed without redrawing the committed pictures is caught.

#include "ContactSheet.h"
#include "PictureCompare.h"
#include "PictureSet.h"

namespace
{
int fail (const juce::String& message)
{
    std::fprintf (stderr, "tarvolin_pictures: %s\n", message.toRawUTF8());
    return 1;
}

juce::Result writePng (const juce::Image& image, const juce::File& file)
{
    file.getParentDirectory().createDirectory();
    file.deleteFile();
    juce::FileOutputStream stream (file);

    if (! stream.openedOk() || ! juce::PNGImageFormat().writeImageToStream (image, stream))
        return juce::Result::fail ("cannot write " + file.getFullPathName());

    return juce::Result::ok();
}

juce::Result drawAll (const std::vector<Picture>& pictures, const juce::File& folder)
{
    for (const auto& picture : pictures)
    {
        juce::Image image (juce::Image::ARGB, picture.width, picture.height, true);
        {
            juce::Graphics g (image);
            picture.draw (g);
        }

        if (auto result = writePng (image, folder.getChildFile (picture.name + ".png")); result.failed())
            return result;
    }

    return juce::Result::ok();
}
} // namespace

int main (int argc, char* argv[])
{
    juce::StringArray args;
    for (int i = 1; i < argc; ++i)
        args.add (argv[i]);

    const auto valueAfter = [&] (const char* option) {
        const auto index = args.indexOf (option);
        return index >= 0 && index + 1 < args.size() ? args[index + 1] : juce::String();
    };

    const auto imagesPath = valueAfter ("--images");
    const auto sheetPath = valueAfter ("--sheet");
    const auto referencePath = valueAfter ("--compare");

    if (imagesPath.isEmpty() || (! args.contains ("--draw") && sheetPath.isEmpty() && referencePath.isEmpty()))
        return fail ("usage: tarvolin_pictures --images DIR [--draw] [--sheet FILE] [--compare REFERENCE_DIR]");

    const auto cwd = juce::File::getCurrentWorkingDirectory();
    const auto folder = cwd.getChildFile (imagesPath);
    const auto pictures = allPictures();

    if (args.contains ("--draw"))
        if (auto result = drawAll (pictures, folder); result.failed())
            return fail (result.getErrorMessage());

    if (sheetPath.isNotEmpty())
    {
        juce::Image sheet;

        if (auto result = ContactSheet::make (pictures, folder, sheet); result.failed())
            return fail (result.getErrorMessage());

        if (auto result = writePng (sheet, cwd.getChildFile (sheetPath)); result.failed())
            return fail (result.getErrorMessage());
    }

    // Last, so that the sheet of what was drawn is there to look at when
    // the comparison fails.
    if (referencePath.isNotEmpty())
        if (auto result = comparePictures (pictures, folder, cwd.getChildFile (referencePath)); result.failed())
            return fail (result.getErrorMessage());

    return 0;
}
