// Draws the program's pictures: toolbar images, the 16 x 16 tree images, the
// window icon, the splash, the notice picture and the iPod-help sketch. Used
// only by the generator that writes them as PNG files into the resources.
#pragma once

#include <QImage>
#include <vector>

namespace datrevo::ui::art {

struct NamedImage {
    const char* file;  // name under resources/images
    QImage (*paint)();
};

// Every picture the resources carry.
const std::vector<NamedImage>& AllImages();

}  // namespace datrevo::ui::art
