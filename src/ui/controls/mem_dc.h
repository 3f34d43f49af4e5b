// CMemDC: paints into an off-screen picture and copies it to the target in
// one go when it goes away, so a control that paints in layers never shows
// a half-painted state.
#pragma once

#include <QPainter>
#include <QPixmap>
#include <QRect>

namespace datrevo::ui {

class CMemDC {
public:
    // `area` in the target's coordinates; the off-screen painter uses the
    // same coordinates.
    CMemDC(QPainter& target, QRect area, qreal pixelRatio)
        : target_(target), area_(area), picture_(area.size() * pixelRatio) {
        picture_.setDevicePixelRatio(pixelRatio);
        picture_.fill(Qt::transparent);
        painter_.begin(&picture_);
        painter_.translate(-area_.topLeft());
    }
    ~CMemDC() {
        painter_.end();
        target_.drawPixmap(area_.topLeft(), picture_);
    }
    CMemDC(const CMemDC&) = delete;
    CMemDC& operator=(const CMemDC&) = delete;

    QPainter& painter() { return painter_; }

private:
    QPainter& target_;
    QRect area_;
    QPixmap picture_;
    QPainter painter_;
};

}  // namespace datrevo::ui
