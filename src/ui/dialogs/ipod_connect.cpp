#include "ui/dialogs/ipod_connect.h"

#include <QLabel>

#include "ui/dialogs/dialog_look.h"
#include "ui/images.h"

namespace datrevo::ui {
namespace {

constexpr int kWidth = 523;  // the picture's size
constexpr int kHeight = 478;
constexpr int kMargin = 12;

QLabel* Instruction(const QString& text, int id, int top, QWidget* parent) {
    auto* label = TextLine(text, id, parent, true);
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, Qt::black);
    colours.setColor(QPalette::Window, Qt::white);
    label->setPalette(colours);
    label->setAutoFillBackground(true);
    label->setGeometry(kMargin, top, kWidth - 2 * kMargin, 48);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

}  // namespace

IpodHelpDialog::IpodHelpDialog(QWidget* parent) : QDialog(parent) {
    ApplyDialogLook(*this);
    setFixedSize(kWidth, kHeight);
    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("picture"));
    picture->setPixmap(LoadPixmap(image::kIpodHelp));
    picture->setGeometry(0, 0, kWidth, kHeight);
    Instruction(QStringLiteral("1. Temporarily Uninstall the iTunes software from your computer so "
                               "that it may not block data recovery software to access your iPod "
                               "storage to perform search on it."),
                1142, 10, this);
    Instruction(
        QStringLiteral("2. OR you can also turn on 'Enable Disk Use' option of your iPod from "
                       "iTunes by selecting iPod Device as displayed in Selection Box (A) and "
                       "(B) in following screen:"),
        1143, 62, this);
}

}  // namespace datrevo::ui
