// The windows of a save: the destination ("Save As"), the counting window,
// the progress window and the two questions (a file in the way, a failed
// write). Controls carry their dialog ids in their object names ("id1000").
//
// `SaveDialogs` is what the save flow asks the user through; the window
// uses `QtSaveDialogs`, tests put scripted answers in its place.
#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "save/save_questions.h"
#include "save/save_task.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace datrevo::ui {

// Why a folder may not be the destination; empty when it may.
using DestinationCheck = std::function<std::string(const std::string& folder)>;

// Every call runs on the window's thread.
class SaveDialogs {
public:
    virtual ~SaveDialogs() = default;
    // The destination folder, or nothing when the user cancels. A folder
    // that `check` refuses is not returned: the user is told why and may
    // choose another.
    virtual std::optional<std::string> chooseDestination(QWidget* parent,
                                                         const std::string& proposed,
                                                         const DestinationCheck& check) = 0;
    virtual ReplaceAnswer askReplace(QWidget* parent, const std::string& existingName,
                                     const std::string& proposedName) = 0;
    virtual WriteErrorAction askWriteError(QWidget* parent, const std::string& path,
                                           const std::string& reason) = 0;
    // Whether the last destination chosen came with "save alternate data
    // streams" ticked.
    virtual bool streamsChosen() const { return false; }
};

// The modal dialogs below.
class QtSaveDialogs : public SaveDialogs {
public:
    std::optional<std::string> chooseDestination(QWidget* parent, const std::string& proposed,
                                                 const DestinationCheck& check) override;
    ReplaceAnswer askReplace(QWidget* parent, const std::string& existingName,
                             const std::string& proposedName) override;
    WriteErrorAction askWriteError(QWidget* parent, const std::string& path,
                                   const std::string& reason) override;
    bool streamsChosen() const override { return streams_; }

private:
    bool streams_ = false;
};

inline constexpr const char* kDestinationMessage =
    "Select the folder in which the recovered Files and Folders will be saved. Choose a folder "
    "on another disk than the one being recovered, so that nothing on it is overwritten.";
inline constexpr const char* kNoDestinationMessage = "Enter the folder in which to save.";
inline constexpr const char* kCountingText = "Calculating Total Number of Files, Please Wait ...";

// Dialog 129, "Save As".
class DestinationDialog : public QDialog {
    Q_OBJECT
public:
    DestinationDialog(QWidget* parent, const QString& proposed, DestinationCheck check);
    QString folder() const;
    // The check box "Save alternate data streams too": NTFS streams as
    // name:stream files beside their files.
    bool streams() const;
    // OK: a refused folder keeps the dialog open with the reason shown.
    void accept() override;

private:
    DestinationCheck check_;
    QCheckBox* streams_ = nullptr;
    QLabel* message_ = nullptr;
    QLineEdit* folder_ = nullptr;
};

// Dialog 134: shown while the plan is made; "Stop " ends the counting.
class CountingDialog : public QDialog {
    Q_OBJECT
public:
    explicit CountingDialog(QWidget* parent);
    std::function<void()> onStop;
    void reject() override;  // Esc: as "Stop "

private:
    QPushButton* stop_ = nullptr;
};

// Dialog 130, "Saving...": the current file and the totals.
class SaveProgressDialog : public QDialog {
    Q_OBJECT
public:
    explicit SaveProgressDialog(QWidget* parent);
    // The data line ends with the time still to go, from the rate so far.
    void showProgress(const SaveProgressInfo& info);
    // Milliseconds since the save began (a clock started with the dialog
    // unless set; tests set it).
    void setClock(std::function<std::int64_t()> elapsedMs) { elapsedMs_ = std::move(elapsedMs); }
    std::function<void()> onStop;
    std::function<void()> onSkip;
    void reject() override;  // Esc and the close box: as "Stop"

private:
    QLabel* fileName_ = nullptr;
    QLabel* filePath_ = nullptr;
    QProgressBar* fileBar_ = nullptr;
    QLabel* fileFigure_ = nullptr;
    QProgressBar* totalBar_ = nullptr;
    QLabel* totalFigure_ = nullptr;
    QLabel* line_ = nullptr;
    std::function<std::int64_t()> elapsedMs_;
};

// Dialog 132, "Replace File Confirmation".
class ReplaceDialog : public QDialog {
    Q_OBJECT
public:
    ReplaceDialog(QWidget* parent, const QString& existingName, const QString& proposedName);
    ReplaceAnswer answer() const;
    void reject() override;  // Esc and the close box: "Skip"

private:
    void finish(ReplaceAction action);
    ReplaceAction action_ = ReplaceAction::Skip;
    QLineEdit* newName_ = nullptr;
    QCheckBox* forAll_ = nullptr;
};

// Dialog 137, "Error Writing Destination".
class WriteErrorDialog : public QDialog {
    Q_OBJECT
public:
    WriteErrorDialog(QWidget* parent, const QString& path, const QString& reason);
    WriteErrorAction answer() const { return action_; }
    void reject() override;  // Esc and the close box: "&Skip"

private:
    WriteErrorAction action_ = WriteErrorAction::Skip;
};

}  // namespace datrevo::ui
