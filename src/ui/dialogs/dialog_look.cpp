#include "ui/dialogs/dialog_look.h"

#include <QDialog>
#include <QPixmap>
#include <QPushButton>

#include "ui/dialogs/contact.h"
#include "ui/images.h"

namespace datrevo::ui {

QString IdName(int id) { return QStringLiteral("id%1").arg(id); }

void ApplyDialogLook(QDialog& dialog) {
    QPalette colours = dialog.palette();
    colours.setColor(QPalette::Window, kDialogBackground);
    colours.setColor(QPalette::WindowText, Qt::black);
    dialog.setPalette(colours);
    dialog.setAutoFillBackground(true);
    dialog.setWindowTitle(QString::fromLatin1(kProductName));
    dialog.setWindowIcon(WindowIcon());
}

QFont HeadlineFont() {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(16);
    font.setWeight(QFont::Bold);
    return font;
}

QLabel* Headline(const QString& text, int id, QWidget* parent) {
    auto* label = TextLine(text, id, parent, true);
    label->setFont(HeadlineFont());
    return label;
}

QLabel* TextLine(const QString& text, int id, QWidget* parent, bool wrap) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(wrap);
    if (id != 0) label->setObjectName(IdName(id));
    return label;
}

LinkLabel* Link(const QString& text, int id, QWidget* parent) {
    auto* link = new LinkLabel(text, parent);
    if (id != 0) link->setObjectName(IdName(id));
    link->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    return link;
}

QLabel* Picture(const QString& resource, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setPixmap(QPixmap(resource));
    label->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    return label;
}

QPushButton* DialogButton(const QString& text, int id, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    if (id != 0) button->setObjectName(IdName(id));
    button->setMinimumWidth(90);
    return button;
}

}  // namespace datrevo::ui
