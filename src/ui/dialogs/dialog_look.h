// The look the program's dialogs share: the light background, bold Arial
// headlines 16 pixels high, black texts and blue links.
#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QString>

#include "ui/controls/link_label.h"

class QDialog;
class QPushButton;

namespace datrevo::ui {

inline const QColor kDialogBackground(244, 251, 254);

// Window background, title "Vantorrel Datrevo".
void ApplyDialogLook(QDialog& dialog);
QFont HeadlineFont();

// Labels with an object name "id<number>" when `id` is nonzero.
QLabel* Headline(const QString& text, int id, QWidget* parent);
QLabel* TextLine(const QString& text, int id, QWidget* parent, bool wrap = false);
LinkLabel* Link(const QString& text, int id, QWidget* parent);
QLabel* Picture(const QString& resource, QWidget* parent);
QPushButton* DialogButton(const QString& text, int id, QWidget* parent);
QString IdName(int id);

}  // namespace datrevo::ui
