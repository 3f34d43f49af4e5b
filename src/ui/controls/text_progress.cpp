#include "ui/controls/text_progress.h"

#include <QPainter>
#include <algorithm>
#include <cstdint>

#include "base/time_left.h"
#include "ui/controls/mem_dc.h"

namespace datrevo::ui {

int ProgressPercent(int minimum, int maximum, int position) {
    if (maximum <= minimum) return 0;
    const std::int64_t span = std::int64_t{maximum} - minimum;
    const std::int64_t done = std::clamp<std::int64_t>(std::int64_t{position} - minimum, 0, span);
    // done * 100 / span rounded half up, in integers: (2 * 100 * done + span) / (2 * span).
    return static_cast<int>((200 * done + span) / (2 * span));
}

TextProgressBar::TextProgressBar(QWidget* parent) : QProgressBar(parent) {
    setRange(0, 100);
    setValue(0);
    setAlignment(Qt::AlignCenter);
    setTextVisible(true);
    connect(this, &QProgressBar::valueChanged, this, &TextProgressBar::positionChanged);
}

void TextProgressBar::startTiming(std::function<std::int64_t()> elapsedMs) {
    elapsedSource_ = std::move(elapsedMs);
    clock_.start();
    timing_ = true;
    phaseStartMs_ = this->elapsedMs();
    lastPosition_ = value();
    update();
}

void TextProgressBar::stopTiming() {
    timing_ = false;
    update();
}

std::int64_t TextProgressBar::elapsedMs() const {
    if (elapsedSource_) return elapsedSource_();
    return clock_.isValid() ? clock_.elapsed() : 0;
}

void TextProgressBar::positionChanged(int position) {
    if (timing_ && position < lastPosition_) phaseStartMs_ = elapsedMs();
    lastPosition_ = position;
}

void TextProgressBar::setShowPercent(bool show) {
    showPercent_ = show;
    update();
}

void TextProgressBar::setCaption(const QString& caption) {
    caption_ = caption;
    update();
}

void TextProgressBar::setWindowText(const QString& text) {
    windowText_ = text;
    update();
}

void TextProgressBar::setBarColor(QColor colour) {
    bar_ = colour;
    update();
}
void TextProgressBar::setBgColor(QColor colour) {
    background_ = colour;
    update();
}
void TextProgressBar::setTextColor(QColor colour) {
    text_ = colour;
    update();
}
void TextProgressBar::setTextOnBarColor(QColor colour) {
    textOnBar_ = colour;
    update();
}

QString TextProgressBar::text() const {
    if (!showPercent_) return windowText_;
    const int percent = ProgressPercent(minimum(), maximum(), value());
    QString shown = caption_ + QString::asprintf("%d%%", percent);
    if (timing_)
        if (const auto left = SecondsLeft(percent, elapsedMs() - phaseStartMs_))
            shown += QStringLiteral(" - ") + QString::fromStdString(TimeLeftText(*left));
    return shown;
}

QColor TextProgressBar::colourOr(const std::optional<QColor>& chosen,
                                 QPalette::ColorRole role) const {
    return chosen ? *chosen : palette().color(role);
}

void TextProgressBar::paintEvent(QPaintEvent*) {
    QPainter window(this);
    OffscreenCanvas memory(window, rect(), devicePixelRatioF());
    QPainter& p = memory.painter();

    const QRect whole = rect();
    const bool vertical = orientation() == Qt::Vertical;
    const int length = vertical ? whole.height() : whole.width();
    int filledLength = 0;
    if (maximum() > minimum()) {
        const std::int64_t span = std::int64_t{maximum()} - minimum();
        const std::int64_t done =
            std::clamp<std::int64_t>(std::int64_t{value()} - minimum(), 0, span);
        filledLength = static_cast<int>(done * length / span);
    }
    QRect filled = whole;
    QRect empty = whole;
    if (vertical) {
        filled.setTop(whole.bottom() + 1 - filledLength);
        empty.setBottom(filled.top() - 1);
    } else {
        filled.setRight(whole.left() + filledLength - 1);
        empty.setLeft(filled.right() + 1);
    }
    p.fillRect(empty, colourOr(background_, QPalette::Button));
    if (filledLength > 0) p.fillRect(filled, colourOr(bar_, QPalette::Highlight));

    if (isTextVisible()) {
        const QString shown = text();
        QRect textArea = whole;
        int flags = Qt::AlignVCenter | Qt::TextSingleLine;
        if (alignment() & Qt::AlignLeft) {
            textArea.setLeft(whole.left() + 2);
            flags |= Qt::AlignLeft;
        } else if (alignment() & Qt::AlignRight) {
            textArea.setRight(whole.right() - 3);
            flags |= Qt::AlignRight;
        } else {
            flags |= Qt::AlignHCenter;
        }
        p.setFont(font());
        p.save();
        p.setClipRect(filled);
        p.setPen(colourOr(textOnBar_, QPalette::HighlightedText));
        if (filledLength > 0) p.drawText(textArea, flags, shown);
        p.restore();
        p.save();
        p.setClipRect(empty);
        p.setPen(colourOr(text_, QPalette::WindowText));
        p.drawText(textArea, flags, shown);
        p.restore();
    }
    // A thin frame so the empty part reads as a bar on any background.
    p.setPen(colourOr(bar_, QPalette::Highlight).darker(130));
    p.setBrush(Qt::NoBrush);
    p.drawRect(whole.adjusted(0, 0, -1, -1));
}

}  // namespace datrevo::ui
