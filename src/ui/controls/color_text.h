// ColoredLabel and ColoredEdit: a label and a one-line edit with their own
// text and background colours (black on the button face at first).
#pragma once

#include <QColor>
#include <QLabel>
#include <QLineEdit>

namespace datrevo::ui {

class ColoredLabel : public QLabel {
    Q_OBJECT
public:
    explicit ColoredLabel(QWidget* parent = nullptr);
    explicit ColoredLabel(const QString& text, QWidget* parent = nullptr);

    void setTextColor(QColor colour);
    void setBkColor(QColor colour);
    QColor textColor() const { return palette().color(QPalette::WindowText); }
    QColor bkColor() const { return palette().color(QPalette::Window); }
};

class ColoredEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit ColoredEdit(QWidget* parent = nullptr);

    void setTextColor(QColor colour);
    void setBkColor(QColor colour);
    QColor textColor() const { return palette().color(QPalette::Text); }
    QColor bkColor() const { return palette().color(QPalette::Base); }
};

}  // namespace datrevo::ui
