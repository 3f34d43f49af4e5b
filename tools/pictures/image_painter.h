// Draws the program's pictures: toolbar images, the 16 x 16 tree images, the
// window icon, the splash, the notice picture and the iPod-help sketch, and
// the program's mark at any size for the desktop icon. Used only by the
// generator that writes them as files into the source tree.
#pragma once

#include <QImage>
#include <QRectF>
#include <vector>

class QPainter;

namespace datrevo::ui::art {

struct NamedImage {
    const char* file;  // name under src/ui/resources/images
    QImage (*paint)();
};

// Every picture the resources carry.
const std::vector<NamedImage>& AllImages();

// The program's mark filling `r`: drawn in units of r.width() / 128, so the
// same strokes serve the 16-pixel window icon and the scalable desktop icon.
void PaintMark(QPainter& p, QRectF r);

}  // namespace datrevo::ui::art
