#include "ui/controls/folder_control.h"

#include <QDir>
#include <QFileDialog>

namespace datrevo::ui {

std::optional<QString> ChooseFolder(QWidget* owner, const QString& initial, const QString& title) {
    const QString folder = QFileDialog::getExistingDirectory(
        owner, title, initial, QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    if (folder.isEmpty()) return std::nullopt;
    return QDir::toNativeSeparators(folder);
}

CGetFolderControl::CGetFolderControl(QWidget* parent)
    : QWidget(parent), edit_(new QLineEdit(this)), browse_(new QPushButton(QStringLiteral("&Browse"), this)) {
    browse_->setToolTip(QStringLiteral("Choose the folder"));
    browse_->setObjectName(QStringLiteral("browse"));
    setFocusProxy(edit_);
    connect(browse_, &QPushButton::clicked, this, &CGetFolderControl::browse);
}

QSize CGetFolderControl::sizeHint() const {
    const QSize field = edit_->sizeHint();
    return QSize(field.width() + 1 + BrowseWidth(field.height()), field.height());
}

QSize CGetFolderControl::minimumSizeHint() const {
    const QSize field = edit_->minimumSizeHint();
    return QSize(field.width() + 1 + BrowseWidth(field.height()), field.height());
}

void CGetFolderControl::resizeEvent(QResizeEvent*) {
    const int fieldHeight = height();
    const int buttonWidth = BrowseWidth(fieldHeight);
    const int fieldWidth = std::max(0, width() - 1 - buttonWidth);
    edit_->setGeometry(0, 0, fieldWidth, fieldHeight);
    browse_->setGeometry(fieldWidth + 1, 0, buttonWidth, fieldHeight);
}

void CGetFolderControl::browse() {
    const std::optional<QString> folder = picker_(window(), edit_->text(), title_);
    if (!folder) return;
    edit_->setText(*folder);
    Q_EMIT folderChosen(*folder);
}

}  // namespace datrevo::ui
