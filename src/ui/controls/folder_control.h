// FolderField: a folder field with a "&Browse" button right of it (one
// pixel apart, as high as the field, field height * 8 / 10 + 25 pixels
// wide, or wider when its caption needs it). The button asks for a folder starting at the field's
// text; a chosen folder replaces the text and is announced by `folderChosen`.
#pragma once

#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

namespace datrevo::ui {

// Asks the user for a folder: nullopt when none was chosen.
using FolderPicker = std::function<std::optional<QString>(QWidget* owner, const QString& initial,
                                                          const QString& title)>;

// The desktop's folder dialog, limited to folders.
std::optional<QString> ChooseFolder(QWidget* owner, const QString& initial, const QString& title);

class FolderField : public QWidget {
    Q_OBJECT
public:
    explicit FolderField(QWidget* parent = nullptr);

    QLineEdit* edit() const { return edit_; }
    QPushButton* browseButton() const { return browse_; }
    QString text() const { return edit_->text(); }
    void setText(const QString& text) { edit_->setText(text); }
    // The title of the folder dialog.
    void setDialogTitle(const QString& title) { title_ = title; }
    // Tests put a scripted picker in place of the dialog.
    void setFolderPicker(FolderPicker picker) { picker_ = std::move(picker); }

    // Width of the browse button for a field `editHeight` pixels high.
    static int BrowseWidth(int editHeight) { return editHeight * 8 / 10 + 25; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void folderChosen(const QString& folder);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void browse();
    int buttonWidth(int fieldHeight) const;

    QLineEdit* edit_;
    QPushButton* browse_;
    QString title_ = QStringLiteral("Select a folder");
    FolderPicker picker_ = ChooseFolder;
};

}  // namespace datrevo::ui
