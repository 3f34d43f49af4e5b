#include "ui/populate_window.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace datrevo::ui {

PopulateWindow::PopulateWindow(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::FramelessWindowHint) {
    setObjectName("id311");
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(244, 251, 254));
    setPalette(palette);
    setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(QString::fromUtf8(kPopulatingText), this);
    text->setObjectName("id1142");
    text->setAlignment(Qt::AlignCenter);
    layout->addWidget(text);
    auto* busy = new QProgressBar(this);
    busy->setRange(0, 0);  // no known end: a moving bar
    busy->setTextVisible(false);
    busy->setMaximumHeight(12);
    layout->addWidget(busy);
    setFixedSize(300, 80);
}

void PopulateWindow::showOverParent() {
    if (parentWidget() != nullptr) {
        const QRect area = parentWidget()->geometry();
        move(area.center() - rect().center());
    }
    show();
    raise();
}

}  // namespace datrevo::ui
