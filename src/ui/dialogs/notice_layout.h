// Layout pieces the notice dialogs share.
#pragma once

#include <QHBoxLayout>
#include <QString>

#include "ui/controls/link_label.h"

class QBoxLayout;
class QDialog;
class QLabel;
class QPushButton;

namespace datrevo::ui {

// A text followed by a link on one line; returns the link.
LinkLabel* TextWithLink(QBoxLayout& column, const QString& text, const QString& linkText,
                        int linkId, QWidget* parent);
// The notice picture on the left, `column` on the right; returns the
// column's layout.
QVBoxLayout* PictureAndColumn(QDialog& dialog, const char* picture);
// A row with `button` at the right.
void ButtonRow(QBoxLayout& column, QPushButton* button, QPushButton* second = nullptr);

}  // namespace datrevo::ui
