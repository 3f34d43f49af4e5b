#include "ui/controls/color_text.h"

namespace datrevo::ui {
namespace {

void SetRole(QWidget& widget, QPalette::ColorRole role, QColor colour) {
    QPalette colours = widget.palette();
    colours.setColor(role, colour);
    widget.setPalette(colours);
    widget.update();
}

}  // namespace

ColoredLabel::ColoredLabel(QWidget* parent) : QLabel(parent) {
    setAutoFillBackground(true);
    SetRole(*this, QPalette::Window, palette().color(QPalette::Button));
    SetRole(*this, QPalette::WindowText, Qt::black);
}

ColoredLabel::ColoredLabel(const QString& text, QWidget* parent) : ColoredLabel(parent) {
    setText(text);
}

void ColoredLabel::setTextColor(QColor colour) { SetRole(*this, QPalette::WindowText, colour); }
void ColoredLabel::setBkColor(QColor colour) { SetRole(*this, QPalette::Window, colour); }

ColoredEdit::ColoredEdit(QWidget* parent) : QLineEdit(parent) {
    SetRole(*this, QPalette::Base, palette().color(QPalette::Button));
    SetRole(*this, QPalette::Text, Qt::black);
}

void ColoredEdit::setTextColor(QColor colour) { SetRole(*this, QPalette::Text, colour); }
void ColoredEdit::setBkColor(QColor colour) { SetRole(*this, QPalette::Base, colour); }

}  // namespace datrevo::ui
