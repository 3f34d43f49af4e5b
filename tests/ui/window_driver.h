// The real window on one test image, driven as a user would: its controls
// found by their ids, the questions and the save's dialogs answered by
// scripts instead of modal boxes.
#pragma once

#include <QApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTest>
#include <QTreeWidget>
#include <deque>
#include <functional>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "base/prompter.h"
#include "support/image_fixture.h"
#include "ui/main_window.h"
#include "ui/save_dialogs.h"
#include "ui/save_runner.h"

namespace datrevo::test {

// Yes/No answers taken in order (No once they run out); messages and
// questions recorded.
class AnswerPrompter : public Prompter {
public:
    void showMessage(std::string_view text, MessageIcon icon, std::string_view) override {
        messages.push_back({std::string(text), icon});
    }
    bool askYesNo(std::string_view text, std::string_view) override {
        questions.emplace_back(text);
        if (answers.empty()) return false;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::size_t askChoice(std::string_view text, const std::vector<std::string>&,
                          std::size_t defaultAnswer, std::string_view) override {
        questions.emplace_back(text);
        return defaultAnswer;
    }

    struct Message {
        std::string text;
        MessageIcon icon;
    };
    std::deque<bool> answers;
    std::vector<std::string> questions;
    std::vector<Message> messages;
};

// The save's dialogs with fixed answers; the destination passes the same
// check the real dialog applies.
class ScriptedSaveDialogs : public ui::SaveDialogs {
public:
    std::optional<std::string> chooseDestination(QWidget*, const std::string&,
                                                 const ui::DestinationCheck& check) override {
        ++destinationAsked;
        if (!destination) return std::nullopt;
        refusal = check(*destination);
        if (!refusal.empty()) return std::nullopt;  // the dialog would stay open; the user cancels
        return destination;
    }
    ReplaceAnswer askReplace(QWidget*, const std::string& existingName,
                             const std::string&) override {
        replaceAsked.push_back(existingName);
        if (duringReplace) duringReplace();
        return replaceAnswer;
    }
    WriteErrorAction askWriteError(QWidget*, const std::string& path, const std::string&) override {
        errorAsked.push_back(path);
        return WriteErrorAction::Skip;
    }

    std::optional<std::string> destination;
    std::string refusal;
    int destinationAsked = 0;
    ReplaceAnswer replaceAnswer{ReplaceAction::Skip, {}, false};
    std::vector<std::string> replaceAsked;
    std::function<void()> duringReplace;  // runs while the save's worker waits for the answer
    std::vector<std::string> errorAsked;
};

template <typename Widget>
Widget* Find(QWidget& window, const char* name) {
    auto* widget = window.findChild<Widget*>(name);
    if (widget == nullptr) qFatal("no control %s", name);
    return widget;
}

inline QTreeWidgetItem* ChildNamed(QTreeWidgetItem* parent, const QString& text) {
    for (int i = 0; i < parent->childCount(); ++i)
        if (parent->child(i)->text(0) == text) return parent->child(i);
    return nullptr;
}

inline QTreeWidgetItem* RowNamed(QTreeWidget* list, const QString& text) {
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (list->topLevelItem(i)->text(0) == text) return list->topLevelItem(i);
    return nullptr;
}

// md5 of every file below `folder`, by path relative to it ('/' separators).
inline std::map<std::string, std::string> Md5OfFiles(const std::filesystem::path& folder) {
    std::map<std::string, std::string> md5s;
    if (!std::filesystem::exists(folder)) return md5s;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        QFile file(QString::fromStdString(entry.path().string()));
        if (!file.open(QIODevice::ReadOnly)) continue;
        QCryptographicHash hash(QCryptographicHash::Md5);
        hash.addData(&file);
        md5s[std::filesystem::relative(entry.path(), folder).generic_string()] =
            hash.result().toHex().toStdString();
    }
    return md5s;
}

// The window listing only `image`, with scripted answers.
class WindowDriver {
public:
    explicit WindowDriver(const ImageCopy& image) : WindowDriver(image.path()) {}
    explicit WindowDriver(const std::string& imagePath)
        : sysRoot_((QStandardPaths::setTestModeEnabled(true), MakeTempDir("window-sys"))),
          window_({imagePath}) {
        window_.setPrompter(&prompter);
        window_.setSaveDialogs(&saveDialogs);
        window_.setLogPathProvider([this](bool saving, const QString&) {
            logPathsAsked.push_back(saving);
            return logPath;
        });
        window_.setWebPageOpener([this] { ++webPageOpened; });
        ui::LinkActions links;
        links.open = [this](const QUrl& url) {
            opened.push_back(url);
            return true;
        };
        links.showIpodHelp = [](QWidget*) {};
        window_.setLinkActions(links);
        window_.wizard().context().inventoryOptions.root = sysRoot_;
        window_.wizard().refreshList();  // only the image
        window_.show();
    }
    ~WindowDriver() { std::filesystem::remove_all(sysRoot_); }

    ui::MainWindow& window() { return window_; }
    template <typename Widget>
    Widget* find(const char* name) {
        return Find<Widget>(window_, name);
    }
    QTreeWidget* tree() { return find<QTreeWidget>("tree"); }
    QTreeWidget* fileList() { return find<QTreeWidget>("id1150"); }
    std::string guide() { return find<QLabel>("id1116")->text().toStdString(); }
    void click(const char* name) { QTest::mouseClick(find<QPushButton>(name), Qt::LeftButton); }
    void clickTreeItem(QTreeWidgetItem* item) {
        tree()->setCurrentItem(item);
        Q_EMIT tree()->itemClicked(item, 0);
    }

    // The disk, a search mode ("id1064" Standard, "id1108" Advance), then
    // "Next" to the partition page.
    void toPartitionPage(const char* modeRadio) {
        clickTreeItem(tree()->topLevelItem(0)->child(0));
        QTest::mouseClick(find<QRadioButton>(modeRadio), Qt::LeftButton);
        click("id1058");
    }
    // Waits until no search runs and the result is on the results page.
    bool waitForResult() {
        return QTest::qWaitFor([this] { return window_.wizard().resultReady(); }, 120000);
    }
    bool waitForSaveEnd() {
        return QTest::qWaitFor([this] { return !window_.saveRunner().running(); }, 120000);
    }

    AnswerPrompter prompter;
    ScriptedSaveDialogs saveDialogs;
    QString logPath;
    std::vector<bool> logPathsAsked;
    int webPageOpened = 0;
    std::vector<QUrl> opened;  // what links and Help opened

private:
    std::filesystem::path sysRoot_;
    ui::MainWindow window_;
};

}  // namespace datrevo::test
