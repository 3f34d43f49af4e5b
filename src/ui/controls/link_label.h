// LinkLabel: a label used as a link. Blue text, a hand cursor while the
// pointer is over it, and `clicked` on a left click (or Space/Enter when it
// has the keyboard focus).
#pragma once

#include <QLabel>

namespace datrevo::ui {

inline const QColor kLinkColour(0, 0, 255);

class LinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit LinkLabel(QWidget* parent = nullptr);
    explicit LinkLabel(const QString& text, QWidget* parent = nullptr);

Q_SIGNALS:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace datrevo::ui
