#include "ui/controls/bitmap_button.h"

#include <QEnterEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <algorithm>

namespace datrevo::ui {
namespace {

constexpr int kPadding = 4;     // between the frame and the contents
constexpr int kCaptionGap = 3;  // between the picture and the caption

}  // namespace

PictureButton::PictureButton(QWidget* parent) : QPushButton(parent) {
    setFlat(true);
    setAttribute(Qt::WA_Hover);
    setCursor(Qt::ArrowCursor);
}

PictureButton::PictureButton(const QString& caption, QWidget* parent) : PictureButton(parent) {
    setText(caption);
}

void PictureButton::setBitmaps(const QPixmap& normal, const QPixmap& pressed,
                               const QPixmap& disabled) {
    images_.clear();
    if (normal.isNull()) {
        updateGeometry();
        update();
        return;
    }
    images_.push_back(normal);
    if (!pressed.isNull()) images_.push_back(pressed);
    if (!pressed.isNull() && !disabled.isNull()) images_.push_back(disabled);
    updateGeometry();
    update();
}

void PictureButton::setCaptionPlacement(CaptionPlacement placement) {
    placement_ = placement;
    updateGeometry();
    update();
}

void PictureButton::setTextPosition(QPoint position) {
    textPosition_ = position;
    update();
}

void PictureButton::setTextColor(QColor normal, QColor disabled) {
    textColor_ = normal;
    disabledTextColor_ = disabled;
    update();
}

void PictureButton::setCaptionFont(const QFont& font) {
    setFont(font);
    updateGeometry();
}

int PictureButton::ImageIndexFor(int imageCount, bool pressed, bool enabled) {
    if (imageCount <= 0) return -1;
    if (!enabled) return imageCount >= 3 ? 2 : 0;
    if (pressed) return imageCount >= 2 ? 1 : 0;
    return 0;
}

int PictureButton::currentImageIndex() const {
    return ImageIndexFor(imageCount(), isDown(), isEnabled());
}

QSize PictureButton::imageSize() const {
    if (images_.empty()) return {};
    return images_.front().deviceIndependentSize().toSize();
}

QSize PictureButton::sizeHint() const {
    const QSize picture = imageSize();
    const QSize caption =
        text().isEmpty() ? QSize() : fontMetrics().size(Qt::TextShowMnemonic, text());
    QSize contents;
    switch (placement_) {
        case CaptionPlacement::Centered: contents = picture.expandedTo(caption); break;
        case CaptionPlacement::Below:
            contents =
                QSize(std::max(picture.width(), caption.width()),
                      picture.height() + (caption.isEmpty() ? 0 : kCaptionGap + caption.height()));
            break;
        case CaptionPlacement::Beside:
            contents =
                QSize(picture.width() + (caption.isEmpty() ? 0 : kCaptionGap + caption.width()),
                      std::max(picture.height(), caption.height()));
            break;
    }
    return contents + QSize(2 * kPadding, 2 * kPadding);
}

QRect PictureButton::imageRect() const {
    const QSize picture = imageSize();
    const QRect inner = rect().adjusted(kPadding, kPadding, -kPadding, -kPadding);
    const QSize caption =
        text().isEmpty() ? QSize() : fontMetrics().size(Qt::TextShowMnemonic, text());
    switch (placement_) {
        case CaptionPlacement::Centered: break;
        case CaptionPlacement::Below: {
            const int total =
                picture.height() + (caption.isEmpty() ? 0 : kCaptionGap + caption.height());
            const int top = inner.top() + (inner.height() - total) / 2;
            return QRect(QPoint(inner.left() + (inner.width() - picture.width()) / 2, top),
                         picture);
        }
        case CaptionPlacement::Beside:
            return QRect(
                QPoint(inner.left(), inner.top() + (inner.height() - picture.height()) / 2),
                picture);
    }
    return QRect(QPoint(inner.left() + (inner.width() - picture.width()) / 2,
                        inner.top() + (inner.height() - picture.height()) / 2),
                 picture);
}

QRect PictureButton::captionRect() const {
    const QRect inner = rect().adjusted(kPadding, kPadding, -kPadding, -kPadding);
    if (textPosition_) return QRect(*textPosition_, inner.bottomRight());
    const QRect picture = imageRect();
    switch (placement_) {
        case CaptionPlacement::Centered: return inner;
        case CaptionPlacement::Below:
            if (images_.empty()) return inner;
            return QRect(QPoint(inner.left(), picture.bottom() + 1 + kCaptionGap),
                         inner.bottomRight());
        case CaptionPlacement::Beside:
            if (images_.empty()) return inner;
            return QRect(QPoint(picture.right() + 1 + kCaptionGap, inner.top()),
                         inner.bottomRight());
    }
    return inner;
}

void PictureButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // A flat frame: visible while the pointer is over the button or it has
    // the keyboard focus, sunken while pressed.
    const bool raised = isEnabled() && (hovered_ || hasFocus());
    if (raised || isDown()) {
        const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        painter.setPen(QPen(isDown() ? QColor(20, 70, 150) : QColor(90, 150, 220), 1));
        painter.setBrush(isDown() ? QColor(190, 220, 245) : QColor(225, 240, 252));
        painter.drawRoundedRect(frame, 3, 3);
    }
    const int index = currentImageIndex();
    if (index >= 0) {
        QRect target = imageRect();
        if (isDown() && index == 0)
            target.translate(1, 1);  // one picture: show the press by a shift
        painter.drawPixmap(target, images_[static_cast<std::size_t>(index)]);
    }
    if (!text().isEmpty()) {
        painter.setPen(isEnabled() ? textColor_ : disabledTextColor_);
        painter.setFont(font());
        int flags = Qt::TextShowMnemonic | Qt::TextSingleLine;
        if (textPosition_)
            flags |= Qt::AlignLeft | Qt::AlignTop;
        else if (placement_ == CaptionPlacement::Below)
            flags |= Qt::AlignHCenter | Qt::AlignTop;
        else if (placement_ == CaptionPlacement::Beside)
            flags |= Qt::AlignLeft | Qt::AlignVCenter;
        else
            flags |= Qt::AlignCenter;
        painter.drawText(captionRect(), flags, text());
    }
}

void PictureButton::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    update();
    QPushButton::enterEvent(event);
}

void PictureButton::leaveEvent(QEvent* event) {
    hovered_ = false;
    update();
    QPushButton::leaveEvent(event);
}

}  // namespace datrevo::ui
