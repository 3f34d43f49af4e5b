#include "ui/dialogs/notice_layout.h"

#include <QDialog>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/dialogs/dialog_look.h"
#include "ui/images.h"

namespace datrevo::ui {

LinkLabel* TextWithLink(QBoxLayout& column, const QString& text, const QString& linkText,
                        int linkId, QWidget* parent) {
    auto* row = new QHBoxLayout;
    row->setSpacing(0);
    row->addWidget(TextLine(text, 0, parent));
    LinkLabel* link = Link(linkText, linkId, parent);
    row->addWidget(link);
    row->addStretch(1);
    column.addLayout(row);
    return link;
}

QVBoxLayout* PictureAndColumn(QDialog& dialog, const char* picture) {
    auto* outer = new QHBoxLayout(&dialog);
    outer->setContentsMargins(16, 16, 20, 14);
    outer->setSpacing(18);
    auto* image = new QLabel(&dialog);
    image->setObjectName(QStringLiteral("picture"));
    image->setPixmap(LoadPixmap(picture));
    image->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    outer->addWidget(image, 0, Qt::AlignTop);
    auto* column = new QVBoxLayout;
    column->setSpacing(6);
    outer->addLayout(column, 1);
    return column;
}

void ButtonRow(QBoxLayout& column, QPushButton* button, QPushButton* second) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(button);
    if (second != nullptr) row->addWidget(second);
    column.addSpacing(8);
    column.addLayout(row);
}

}  // namespace datrevo::ui
