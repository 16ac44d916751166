#include "Artwork.h"

#include <juce_events/juce_events.h>

#include <iostream>

// Usage: kestro_artwork <output folder>
// Writes every picture as PNG; an existing file is replaced.
int main (int argc, char** argv)
{
    if (argc != 2)
    {
        std::cerr << "usage: kestro_artwork <output folder>\n";
        return 2;
    }

    juce::ScopedJuceInitialiser_GUI juceInitialiser;
    const juce::File outputFolder = juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]);
    outputFolder.createDirectory();

    std::vector<ArtworkItem> items;
    for (auto&& group : { applicationArtwork(), lookAndFeelArtwork(), editorArtwork(), tabArtwork(), settingsWindowArtwork() })
        items.insert (items.end(), group.begin(), group.end());

    int failures = 0;
    for (const auto& item : items)
    {
        // JUCE writes an RGB image as a PNG without alpha.
        juce::Image image (item.opaque ? juce::Image::RGB : juce::Image::ARGB, item.width, item.height, true);
        {
            juce::Graphics g (image);
            item.draw (g, (float) item.width, (float) item.height);
        }

        const auto file = outputFolder.getChildFile (item.fileName);
        file.deleteFile();
        juce::FileOutputStream out (file);
        juce::PNGImageFormat png;
        if (! out.openedOk() || ! png.writeImageToStream (image, out))
        {
            std::cerr << "could not write " << file.getFullPathName() << "\n";
            ++failures;
        }
    }

    std::cout << "wrote " << (items.size() - (size_t) failures) << " pictures to "
              << outputFolder.getFullPathName() << "\n";
    return failures == 0 ? 0 : 1;
}
