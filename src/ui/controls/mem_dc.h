// OffscreenCanvas: paints into an off-screen picture and copies it to the target in
// one go when it goes away, so a control that paints in layers never shows
// a half-painted state.
#pragma once

#include <QPainter>
#include <QPixmap>
#include <QRect>

namespace datrevo::ui {

class OffscreenCanvas {
public:
    // `area` in the target's coordinates; the off-screen painter uses the
    // same coordinates.
    OffscreenCanvas(QPainter& target, QRect area, qreal pixelRatio)
        : target_(target), area_(area), picture_(area.size() * pixelRatio) {
        picture_.setDevicePixelRatio(pixelRatio);
        picture_.fill(Qt::transparent);
        painter_.begin(&picture_);
        painter_.translate(-area_.topLeft());
    }
    ~OffscreenCanvas() {
        painter_.end();
        target_.drawPixmap(area_.topLeft(), picture_);
    }
    OffscreenCanvas(const OffscreenCanvas&) = delete;
    OffscreenCanvas& operator=(const OffscreenCanvas&) = delete;

    QPainter& painter() { return painter_; }

private:
    QPainter& target_;
    QRect area_;
    QPixmap picture_;
    QPainter painter_;
};

}  // namespace datrevo::ui
