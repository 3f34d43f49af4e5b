#include "ui/gui_reporting.h"

#include <QMessageBox>
#include <QMetaObject>
#include <QPushButton>
#include <QThread>

#include "search/notices.h"
#include "ui/dialogs/notice_dialogs.h"

namespace datrevo::ui {
namespace {

QString ToQt(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

void GuiObserver::requestRepaint() {
    if (repaintPending_.exchange(true)) return;  // one repaint waits already
    QMetaObject::invokeMethod(
        owner_,
        [this] {
            repaintPending_ = false;
            repaint_();
        },
        Qt::QueuedConnection);
}

void GuiObserver::statusText(std::string_view text) {
    {
        std::lock_guard lock(mutex_);
        display_.status = text;
    }
    requestRepaint();
}

void GuiObserver::guideText(std::string_view text) {
    QMetaObject::invokeMethod(
        owner_, [this, guide = std::string(text)] { guide_(guide); }, Qt::QueuedConnection);
}

void GuiObserver::counterLabel(Counter counter, std::string_view label) {
    {
        std::lock_guard lock(mutex_);
        (counter == Counter::Folders ? display_.folderLabel : display_.bootLabel) = label;
    }
    requestRepaint();
}

void GuiObserver::counterValue(Counter counter, std::uint64_t value) {
    {
        std::lock_guard lock(mutex_);
        (counter == Counter::Folders ? display_.folders : display_.bootSectors) = value;
    }
    requestRepaint();
}

void GuiObserver::progress(int percent, std::string_view caption) {
    {
        std::lock_guard lock(mutex_);
        display_.percent = percent;
        display_.caption = caption;
    }
    requestRepaint();
}

void GuiObserver::readFailureNotice(const ReadFailure&) {
    QMetaObject::invokeMethod(owner_, [this] { readFailure_(); }, Qt::QueuedConnection);
}

SearchDisplay GuiObserver::display() const {
    std::lock_guard lock(mutex_);
    return display_;
}

void GuiObserver::reset() {
    std::lock_guard lock(mutex_);
    display_ = SearchDisplay{};
}

void GuiPrompter::onWindowThread(const std::function<void()>& ask) {
    if (QThread::currentThread() == parent_->thread()) {
        ask();
        return;
    }
    QMetaObject::invokeMethod(parent_, ask, Qt::BlockingQueuedConnection);
}

void GuiPrompter::showMessage(std::string_view text, MessageIcon icon, std::string_view caption) {
    if (closing_) return;
    const QString message = ToQt(text);
    const QString title = ToQt(caption);
    // The two "nothing found" notices have dialogs of their own that point
    // to the other search mode, to help and to support.
    const bool standardNothing = text == kStandardNothingFoundNotice;
    const bool advanceNothing = text == kAdvanceNothingFoundNotice;
    onWindowThread([&] {
        if (standardNothing) {
            CMsgStand notice(parent_);
            notice.exec();
            return;
        }
        if (advanceNothing) {
            CAdvanceDlg notice(parent_);
            notice.exec();
            return;
        }
        QMessageBox box(parent_);
        box.setWindowTitle(title);
        box.setText(message);
        box.setIcon(icon == MessageIcon::Error         ? QMessageBox::Critical
                    : icon == MessageIcon::Warning     ? QMessageBox::Warning
                    : icon == MessageIcon::Question    ? QMessageBox::Question
                                                       : QMessageBox::Information);
        box.exec();
    });
}

bool GuiPrompter::askYesNo(std::string_view text, std::string_view caption) {
    if (closing_) return false;
    bool yes = false;
    const QString message = ToQt(text);
    const QString title = ToQt(caption);
    onWindowThread([&] {
        yes = QMessageBox::question(parent_, title, message, QMessageBox::Yes | QMessageBox::No,
                                    QMessageBox::No) == QMessageBox::Yes;
    });
    return yes;
}

std::size_t GuiPrompter::askChoice(std::string_view text, const std::vector<std::string>& answers,
                                   std::size_t defaultAnswer, std::string_view caption) {
    if (closing_) return defaultAnswer;
    std::size_t chosen = defaultAnswer;
    const QString message = ToQt(text);
    const QString title = ToQt(caption);
    onWindowThread([&] {
        QMessageBox box(parent_);
        box.setWindowTitle(title);
        box.setText(message);
        box.setIcon(QMessageBox::Question);
        std::vector<QPushButton*> buttons;
        for (const std::string& answer : answers)
            buttons.push_back(box.addButton(ToQt(answer), QMessageBox::AcceptRole));
        if (defaultAnswer < buttons.size()) box.setDefaultButton(buttons[defaultAnswer]);
        box.exec();
        for (std::size_t i = 0; i < buttons.size(); ++i)
            if (box.clickedButton() == buttons[i]) chosen = i;
    });
    return chosen;
}

}  // namespace datrevo::ui
