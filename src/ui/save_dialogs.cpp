#include "ui/save_dialogs.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <memory>

#include "base/time_left.h"

namespace datrevo::ui {
namespace {

QString ToQt(const std::string& text) { return QString::fromStdString(text); }

template <typename Widget>
Widget* Named(Widget* widget, int id) {
    widget->setObjectName(QStringLiteral("id%1").arg(id));
    return widget;
}

QPushButton* Button(const QString& text, int id, QWidget* parent) {
    return Named(new QPushButton(text, parent), id);
}

QLabel* Label(const QString& text, int id, QWidget* parent) {
    return Named(new QLabel(text, parent), id);
}

// "1.5 MB" and the like for the progress line.
QString SizeText(std::uint64_t bytes) {
    constexpr const char* kUnits[] = {"bytes", "KB", "MB", "GB", "TB"};
    double value = static_cast<double>(bytes);
    int unit = 0;
    while (value >= 1024.0 && unit < 4) {
        value /= 1024.0;
        ++unit;
    }
    return unit == 0 ? QStringLiteral("%1 bytes").arg(bytes)
                     : QStringLiteral("%1 %2").arg(value, 0, 'f', 1).arg(kUnits[unit]);
}

// The dialog's id, caption and the program's background colour.
void Caption(QDialog* dialog, int id, const char* caption) {
    dialog->setObjectName(QStringLiteral("id%1").arg(id));
    dialog->setWindowTitle(QString::fromUtf8(caption));
    QPalette palette = dialog->palette();
    palette.setColor(QPalette::Window, QColor(244, 251, 254));
    dialog->setPalette(palette);
    dialog->setAutoFillBackground(true);
}

}  // namespace

// --- the dialogs the window shows ---

std::optional<std::string> QtSaveDialogs::chooseDestination(QWidget* parent,
                                                            const std::string& proposed,
                                                            const DestinationCheck& check) {
    DestinationDialog dialog(parent, ToQt(proposed), check);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    streams_ = dialog.streams();
    return dialog.folder().toStdString();
}

ReplaceAnswer QtSaveDialogs::askReplace(QWidget* parent, const std::string& existingName,
                                        const std::string& proposedName) {
    ReplaceDialog dialog(parent, ToQt(existingName), ToQt(proposedName));
    dialog.exec();
    return dialog.answer();
}

WriteErrorAction QtSaveDialogs::askWriteError(QWidget* parent, const std::string& path,
                                              const std::string& reason) {
    WriteErrorDialog dialog(parent, ToQt(path), ToQt(reason));
    dialog.exec();
    return dialog.answer();
}

// --- "Save As" ---

DestinationDialog::DestinationDialog(QWidget* parent, const QString& proposed,
                                     DestinationCheck check)
    : QDialog(parent), check_(std::move(check)) {
    Caption(this, 129, "Save As");
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(this);
    auto* groupLayout = new QHBoxLayout(group);
    auto* picture = Named(new QLabel(group), 304);
    picture->setPixmap(style()->standardIcon(QStyle::SP_DriveHDIcon).pixmap(64, 64));
    picture->setScaledContents(true);
    picture->setFixedSize(50, 50);
    groupLayout->addWidget(picture, 0, Qt::AlignTop);
    message_ = Label(QString::fromUtf8(kDestinationMessage), 1003, group);
    message_->setWordWrap(true);
    groupLayout->addWidget(message_, 1);
    layout->addWidget(group);

    auto* row = new QHBoxLayout;
    folder_ = Named(new QLineEdit(proposed, this), 1000);
    auto* browse = Button("Browse", 1001, this);
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString chosen =
            QFileDialog::getExistingDirectory(this, windowTitle(), folder_->text());
        if (!chosen.isEmpty()) folder_->setText(chosen);
    });
    row->addWidget(folder_, 1);
    row->addWidget(browse);
    layout->addLayout(row);
    streams_ = Named(
        new QCheckBox(
            "Save alternate data streams too (NTFS: name:stream files beside their files)", this),
        1002);
    layout->addWidget(streams_);

    auto* buttons = new QHBoxLayout;
    auto* ok = Button("OK", 1, this);
    auto* cancel = Button("Cancel", 2, this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    resize(520, 200);
}

QString DestinationDialog::folder() const { return folder_->text().trimmed(); }

bool DestinationDialog::streams() const { return streams_->isChecked(); }

void DestinationDialog::accept() {
    const QString chosen = folder();
    const std::string refusal =
        chosen.isEmpty() ? std::string(kNoDestinationMessage) : check_(chosen.toStdString());
    if (!refusal.empty()) {
        // The reason takes the message's place; the user picks another folder.
        message_->setText(ToQt(refusal));
        message_->setStyleSheet("color: rgb(192, 0, 0);");
        folder_->setFocus();
        folder_->selectAll();
        return;
    }
    QDialog::accept();
}

// --- counting ---

CountingDialog::CountingDialog(QWidget* parent) : QDialog(parent) {
    Caption(this, 134, "Calculating Number of Files...");
    setWindowFlags((windowFlags() | Qt::CustomizeWindowHint | Qt::WindowTitleHint) &
                   ~Qt::WindowCloseButtonHint);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QString::fromUtf8(kCountingText), this));
    auto* totals = new QHBoxLayout;
    auto* totalLabel = Label("Total Files :", 1130, this);
    auto* count = Label("", 1048, this);
    totalLabel->hide();
    count->hide();
    totals->addWidget(totalLabel);
    totals->addWidget(count);
    totals->addStretch();
    layout->addLayout(totals);
    auto* buttons = new QHBoxLayout;
    stop_ = Button("Stop ", 1, this);
    stop_->setDefault(true);
    connect(stop_, &QPushButton::clicked, this, &CountingDialog::reject);
    buttons->addStretch();
    buttons->addWidget(stop_);
    buttons->addStretch();
    layout->addLayout(buttons);
    resize(380, 110);
}

void CountingDialog::reject() {
    stop_->setEnabled(false);
    if (onStop) onStop();
}

// --- "Saving..." ---

SaveProgressDialog::SaveProgressDialog(QWidget* parent) : QDialog(parent) {
    Caption(this, 130, "Saving...");
    auto* layout = new QGridLayout(this);
    layout->setColumnStretch(1, 1);
    layout->addWidget(new QLabel("File Name :", this), 0, 0);
    fileName_ = Label("", 1012, this);
    layout->addWidget(fileName_, 0, 1, 1, 4);
    layout->addWidget(new QLabel("File Path :", this), 1, 0, Qt::AlignTop);
    filePath_ = Label("", 1014, this);
    filePath_->setWordWrap(true);
    filePath_->setMinimumHeight(2 * filePath_->fontMetrics().lineSpacing());
    filePath_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(filePath_, 1, 1, 1, 4);

    const auto bar = [this](int id) {
        auto* progress = Named(new QProgressBar(this), id);
        progress->setRange(0, 100);
        progress->setValue(0);
        progress->setTextVisible(false);
        progress->setMinimumWidth(220);
        return progress;
    };
    fileBar_ = bar(1176);
    totalBar_ = bar(1009);
    layout->addWidget(fileBar_, 2, 0, 1, 2);
    layout->addWidget(new QLabel(" Recovered Current File ", this), 2, 2);
    layout->addWidget(new QLabel(" :", this), 2, 3);
    fileFigure_ = Label("0%", 1020, this);
    layout->addWidget(fileFigure_, 2, 4);
    layout->addWidget(totalBar_, 3, 0, 1, 2);
    layout->addWidget(new QLabel("Total Files Recovered ", this), 3, 2);
    layout->addWidget(new QLabel(" :", this), 3, 3);
    totalFigure_ = Label("0", 1016, this);
    layout->addWidget(totalFigure_, 3, 4);
    for (QLabel* figure : {fileFigure_, totalFigure_}) figure->setMinimumWidth(60);
    line_ = Label("", 1021, this);
    layout->addWidget(line_, 4, 0, 1, 5);

    auto* buttons = new QHBoxLayout;
    auto* stop = Button("Stop", 1, this);
    auto* skip = Button("Skip", 1008, this);
    connect(stop, &QPushButton::clicked, this, &SaveProgressDialog::reject);
    connect(skip, &QPushButton::clicked, this, [this] {
        if (onSkip) onSkip();
    });
    buttons->addStretch();
    buttons->addWidget(stop);
    buttons->addWidget(skip);
    layout->addLayout(buttons, 5, 0, 1, 5);
    resize(600, 240);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    elapsedMs_ = [clock] { return static_cast<std::int64_t>(clock->elapsed()); };
}

void SaveProgressDialog::showProgress(const SaveProgressInfo& info) {
    fileName_->setText(ToQt(info.fileName));
    filePath_->setText(ToQt(info.filePath));
    fileBar_->setValue(std::clamp(info.filePercent, 0, 100));
    fileFigure_->setText(QStringLiteral("%1%").arg(std::clamp(info.filePercent, 0, 100)));
    const int totalPercent =
        info.fileTotal == 0
            ? 100
            : static_cast<int>(std::min<std::size_t>(100, info.filesDone * 100 / info.fileTotal));
    totalBar_->setValue(totalPercent);
    totalFigure_->setText(QStringLiteral("%1 / %2").arg(info.filesDone).arg(info.fileTotal));
    QString line = QStringLiteral("Data written: %1 of %2")
                       .arg(SizeText(info.bytesWritten), SizeText(info.byteTotal));
    const int bytePercent = info.byteTotal == 0
                                ? 0
                                : static_cast<int>(std::min<double>(
                                      100.0, 100.0 * static_cast<double>(info.bytesWritten) /
                                                 static_cast<double>(info.byteTotal)));
    if (const auto left = SecondsLeft(bytePercent, elapsedMs_()))
        line += QStringLiteral(" - ") + QString::fromStdString(TimeLeftText(*left));
    line_->setText(line);
}

void SaveProgressDialog::reject() {
    if (onStop) onStop();
}

// --- "Replace File Confirmation" ---

ReplaceDialog::ReplaceDialog(QWidget* parent, const QString& existingName,
                             const QString& proposedName)
    : QDialog(parent) {
    Caption(this, 132, "Replace File Confirmation");
    auto* layout = new QGridLayout(this);
    layout->setColumnStretch(1, 1);
    layout->addWidget(Label("File Name            :", 1012, this), 0, 0);
    auto* existing = Named(new QLineEdit(existingName, this), 1024);
    existing->setReadOnly(true);
    layout->addWidget(existing, 0, 1);
    layout->addWidget(Label("New File Name    :", 1023, this), 1, 0);
    newName_ = Named(new QLineEdit(proposedName, this), 1025);
    layout->addWidget(newName_, 1, 1);
    auto* forAllRow = new QHBoxLayout;
    forAll_ = Named(new QCheckBox(this), 1026);
    auto* forAllLabel = Label("Apply the answer to all the files", 1142, this);
    forAllLabel->setBuddy(forAll_);
    forAllRow->addStretch();
    forAllRow->addWidget(forAll_);
    forAllRow->addWidget(forAllLabel);
    layout->addLayout(forAllRow, 2, 0, 1, 2);

    auto* buttons = new QHBoxLayout;
    const auto answer = [&](const char* text, int id, ReplaceAction action) {
        auto* button = Button(text, id, this);
        connect(button, &QPushButton::clicked, this, [this, action] { finish(action); });
        buttons->addWidget(button);
        return button;
    };
    // Return keeps the file there: Skip is the default, and no other answer
    // takes Return by having the focus.
    answer("Overwrite", 1, ReplaceAction::Overwrite)->setAutoDefault(false);
    answer("Rename", 1027, ReplaceAction::Rename)->setAutoDefault(false);
    answer("Skip", 2, ReplaceAction::Skip)->setDefault(true);
    answer("Cancel", 1029, ReplaceAction::Cancel)->setAutoDefault(false);
    // Kept for the ids; the check box gives the answer for all files.
    Button("Yes to &All", 1030, this)->hide();
    Button("No &to All", 1050, this)->hide();
    layout->addLayout(buttons, 3, 0, 1, 2);
    resize(520, 160);
}

void ReplaceDialog::finish(ReplaceAction action) {
    action_ = action;
    QDialog::accept();
}

void ReplaceDialog::reject() {
    action_ = ReplaceAction::Skip;
    QDialog::reject();
}

ReplaceAnswer ReplaceDialog::answer() const {
    return {action_, newName_->text().toStdString(), forAll_->isChecked()};
}

// --- "Error Writing Destination" ---

WriteErrorDialog::WriteErrorDialog(QWidget* parent, const QString& path, const QString& reason)
    : QDialog(parent) {
    Caption(this, 137, "Error Writing Destination");
    auto* layout = new QVBoxLayout(this);
    auto* message = new QHBoxLayout;
    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
    message->addWidget(icon, 0, Qt::AlignTop);
    auto* text = new QLabel(
        QStringLiteral("The file could not be written:\n%1\n\n%2").arg(path, reason), this);
    text->setWordWrap(true);
    message->addWidget(text, 1);
    layout->addLayout(message);
    auto* buttons = new QHBoxLayout;
    const auto answer = [&](const char* label, int id, WriteErrorAction action) {
        auto* button = Button(label, id, this);
        connect(button, &QPushButton::clicked, this, [this, action] {
            action_ = action;
            QDialog::accept();
        });
        buttons->addWidget(button);
        return button;
    };
    answer("&Abort", 1, WriteErrorAction::Abort)->setDefault(true);
    answer("&Skip", 2, WriteErrorAction::Skip);
    answer("Skip All", 1043, WriteErrorAction::SkipAll);
    layout->addLayout(buttons);
    resize(480, 170);
}

void WriteErrorDialog::reject() {
    action_ = WriteErrorAction::Skip;
    QDialog::reject();
}

}  // namespace datrevo::ui
