#include "ui/controls/folder_control.h"

#include <algorithm>

#include <QDir>
#include <QFileDialog>

namespace datrevo::ui {

std::optional<QString> ChooseFolder(QWidget* owner, const QString& initial, const QString& title) {
    const QString folder = QFileDialog::getExistingDirectory(
        owner, title, initial, QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    if (folder.isEmpty()) return std::nullopt;
    return QDir::toNativeSeparators(folder);
}

FolderField::FolderField(QWidget* parent)
    : QWidget(parent),
      edit_(new QLineEdit(this)),
      browse_(new QPushButton(QStringLiteral("&Browse"), this)) {
    browse_->setToolTip(QStringLiteral("Choose the folder"));
    browse_->setObjectName(QStringLiteral("browse"));
    setFocusProxy(edit_);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);  // one line high, in any layout
    connect(browse_, &QPushButton::clicked, this, &FolderField::browse);
}

// The width the field's height gives, widened when the caption needs more
// in the font used here: the caption is never clipped.
int FolderField::buttonWidth(int fieldHeight) const {
    return std::max(BrowseWidth(fieldHeight), browse_->sizeHint().width());
}

QSize FolderField::sizeHint() const {
    const QSize field = edit_->sizeHint();
    return QSize(field.width() + 1 + buttonWidth(field.height()), field.height());
}

QSize FolderField::minimumSizeHint() const {
    const QSize field = edit_->minimumSizeHint();
    return QSize(field.width() + 1 + buttonWidth(field.height()), field.height());
}

void FolderField::resizeEvent(QResizeEvent*) {
    const int fieldHeight = height();
    const int buttonWidth = this->buttonWidth(fieldHeight);
    const int fieldWidth = std::max(0, width() - 1 - buttonWidth);
    edit_->setGeometry(0, 0, fieldWidth, fieldHeight);
    browse_->setGeometry(fieldWidth + 1, 0, buttonWidth, fieldHeight);
}

void FolderField::browse() {
    const std::optional<QString> folder = picker_(window(), edit_->text(), title_);
    if (!folder) return;
    edit_->setText(*folder);
    Q_EMIT folderChosen(*folder);
}

}  // namespace datrevo::ui
