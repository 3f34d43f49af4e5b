// TextProgressBar: a progress bar that paints itself, with its text drawn
// in one colour over the filled part and another over the empty part. The
// text is the percentage ("%d%%", prefixed by a caption such as
// "Completed ") while show-percentage is on (the default), else the window
// text. Range 0 to 100 at first, text centred.
#pragma once

#include <QColor>
#include <QElapsedTimer>
#include <QProgressBar>
#include <cstdint>
#include <functional>
#include <optional>

namespace datrevo::ui {

// The percentage of `position` in minimum..maximum, rounded half up and kept
// within 0..100; 0 for an empty range.
int ProgressPercent(int minimum, int maximum, int position);

class TextProgressBar : public QProgressBar {
    Q_OBJECT
public:
    explicit TextProgressBar(QWidget* parent = nullptr);

    void setShowPercent(bool show);
    bool showPercent() const { return showPercent_; }
    // Put before the percentage, e.g. "Completed ".
    void setCaption(const QString& caption);
    const QString& caption() const { return caption_; }
    // Shown while show-percentage is off.
    void setWindowText(const QString& text);
    const QString& windowText() const { return windowText_; }

    // While timed, the percentage is followed by the time still to go, from
    // the rate so far ("Completed 40% - about 2 minutes left"), once enough
    // is done to tell. A position lower than the last one is a new phase
    // and starts the clock again. `elapsedMs` replaces the clock (tests).
    void startTiming(std::function<std::int64_t()> elapsedMs = {});
    void stopTiming();
    bool timing() const { return timing_; }

    // Colours; each follows the palette until it is set.
    void setBarColor(QColor colour);        // the filled part
    void setBgColor(QColor colour);         // the empty part
    void setTextColor(QColor colour);       // text over the empty part
    void setTextOnBarColor(QColor colour);  // text over the filled part

    // Alignment: Qt::AlignLeft (2 pixels in), Qt::AlignRight (3 pixels from
    // the end) or centred; set with QProgressBar::setAlignment.
    QString text() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor colourOr(const std::optional<QColor>& chosen, QPalette::ColorRole role) const;

    void positionChanged(int position);
    std::int64_t elapsedMs() const;

    bool showPercent_ = true;
    bool timing_ = false;
    QElapsedTimer clock_;
    std::function<std::int64_t()> elapsedSource_;
    std::int64_t phaseStartMs_ = 0;
    int lastPosition_ = 0;
    QString caption_;
    QString windowText_;
    std::optional<QColor> bar_;
    std::optional<QColor> background_;
    std::optional<QColor> text_;
    std::optional<QColor> textOnBar_;
};

}  // namespace datrevo::ui
