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

CColorStatic::CColorStatic(QWidget* parent) : QLabel(parent) {
    setAutoFillBackground(true);
    SetRole(*this, QPalette::Window, palette().color(QPalette::Button));
    SetRole(*this, QPalette::WindowText, Qt::black);
}

CColorStatic::CColorStatic(const QString& text, QWidget* parent) : CColorStatic(parent) {
    setText(text);
}

void CColorStatic::setTextColor(QColor colour) { SetRole(*this, QPalette::WindowText, colour); }
void CColorStatic::setBkColor(QColor colour) { SetRole(*this, QPalette::Window, colour); }

CColorEdit::CColorEdit(QWidget* parent) : QLineEdit(parent) {
    SetRole(*this, QPalette::Base, palette().color(QPalette::Button));
    SetRole(*this, QPalette::Text, Qt::black);
}

void CColorEdit::setTextColor(QColor colour) { SetRole(*this, QPalette::Text, colour); }
void CColorEdit::setBkColor(QColor colour) { SetRole(*this, QPalette::Base, colour); }

}  // namespace datrevo::ui
