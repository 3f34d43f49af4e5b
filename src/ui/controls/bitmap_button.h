// PictureButton: a flat push button that shows a picture and a caption. Up to three
// pictures of one size: normal, pressed, disabled. With fewer, the normal
// picture stands in for the missing ones, so a one-picture button shows it
// in every state. Hover and keyboard focus raise a frame around it.
#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QPushButton>
#include <optional>
#include <vector>

namespace datrevo::ui {

class PictureButton : public QPushButton {
    Q_OBJECT
public:
    // Where the caption goes relative to the picture.
    enum class CaptionPlacement { Centered, Below, Beside };

    explicit PictureButton(QWidget* parent = nullptr);
    PictureButton(const QString& caption, QWidget* parent = nullptr);

    // Replaces the pictures; `pressed` and `disabled` may be null.
    void setBitmaps(const QPixmap& normal, const QPixmap& pressed = {},
                    const QPixmap& disabled = {});
    int imageCount() const { return static_cast<int>(images_.size()); }

    void setCaptionPlacement(CaptionPlacement placement);
    CaptionPlacement captionPlacement() const { return placement_; }
    // A fixed top-left point for the caption instead of the placement.
    void setTextPosition(QPoint position);
    void setTextColor(QColor normal, QColor disabled);
    QColor textColor() const { return textColor_; }
    QColor disabledTextColor() const { return disabledTextColor_; }
    void setCaptionFont(const QFont& font);
    void setToolTipText(const QString& text) { setToolTip(text); }

    // Which picture the button shows now (0 normal, 1 pressed, 2 disabled;
    // -1 without pictures).
    int currentImageIndex() const;
    // The picture for a state: disabled wins over pressed; a missing one
    // falls back to the normal picture.
    static int ImageIndexFor(int imageCount, bool pressed, bool enabled);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QRect imageRect() const;
    QRect captionRect() const;
    QSize imageSize() const;

    std::vector<QPixmap> images_;
    CaptionPlacement placement_ = CaptionPlacement::Centered;
    std::optional<QPoint> textPosition_;
    QColor textColor_ = Qt::white;
    QColor disabledTextColor_ = Qt::white;
    bool hovered_ = false;
};

}  // namespace datrevo::ui
