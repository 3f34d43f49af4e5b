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
    QMetaObject::invokeMethod(
        owner_, [this] { readFailure_(); }, Qt::QueuedConnection);
}

SearchDisplay GuiObserver::display() const {
    std::lock_guard lock(mutex_);
    return display_;
}

void GuiObserver::reset() {
    std::lock_guard lock(mutex_);
    display_ = SearchDisplay{};
}

void GuiPrompter::close() {
    std::vector<std::shared_ptr<Call>> waiting;
    {
        std::lock_guard lock(callsMutex_);
        closing_ = true;
        for (const std::weak_ptr<Call>& weak : calls_)
            if (std::shared_ptr<Call> call = weak.lock()) waiting.push_back(std::move(call));
        calls_.clear();
    }
    for (const std::shared_ptr<Call>& call : waiting) {
        {
            std::lock_guard lock(call->mutex);
            call->abandoned = true;
        }
        call->done.notify_all();
    }
}

void GuiPrompter::answer(const std::shared_ptr<Call>& call) {
    {
        std::lock_guard lock(call->mutex);
        if (call->abandoned) return;  // the worker went on with the default
    }
    const std::size_t answer = call->ask();
    {
        std::lock_guard lock(call->mutex);
        call->answer = answer;
        call->answered = true;
    }
    call->done.notify_all();
}

std::size_t GuiPrompter::onWindowThread(std::function<std::size_t()> ask, std::size_t fallback) {
    if (QThread::currentThread() == parent_->thread()) return closing_ ? fallback : ask();
    auto call = std::make_shared<Call>();
    call->ask = std::move(ask);
    {
        std::lock_guard lock(callsMutex_);
        if (closing_) return fallback;
        std::erase_if(calls_, [](const std::weak_ptr<Call>& weak) { return weak.expired(); });
        calls_.push_back(call);
    }
    // Queued, not blocking: the window's thread may be waiting for this very
    // worker, and close() must be able to release it.
    QMetaObject::invokeMethod(
        parent_, [this, call] { answer(call); }, Qt::QueuedConnection);
    std::unique_lock lock(call->mutex);
    call->done.wait(lock, [&] { return call->answered || call->abandoned; });
    return call->answered ? call->answer : fallback;
}

void GuiPrompter::showMessage(std::string_view text, MessageIcon icon, std::string_view caption) {
    if (closing_) return;
    const QString message = ToQt(text);
    const QString title = ToQt(caption);
    // The two "nothing found" notices have dialogs of their own that point
    // to the other search mode, to help and to support.
    const bool standardNothing = text == kStandardNothingFoundNotice;
    const bool advanceNothing = text == kAdvanceNothingFoundNotice;
    QWidget* parent = parent_;
    onWindowThread(
        [=]() -> std::size_t {
            if (standardNothing) {
                StandardNothingFoundNotice notice(parent);
                notice.exec();
                return 0;
            }
            if (advanceNothing) {
                AdvanceNothingFoundNotice notice(parent);
                notice.exec();
                return 0;
            }
            QMessageBox box(parent);
            box.setWindowTitle(title);
            box.setText(message);
            box.setIcon(icon == MessageIcon::Error      ? QMessageBox::Critical
                        : icon == MessageIcon::Warning  ? QMessageBox::Warning
                        : icon == MessageIcon::Question ? QMessageBox::Question
                                                        : QMessageBox::Information);
            box.exec();
            return 0;
        },
        0);
}

bool GuiPrompter::askYesNo(std::string_view text, std::string_view caption) {
    if (closing_) return false;
    const QString message = ToQt(text);
    const QString title = ToQt(caption);
    QWidget* parent = parent_;
    return onWindowThread(
               [=]() -> std::size_t {
                   return QMessageBox::question(parent, title, message,
                                                QMessageBox::Yes | QMessageBox::No,
                                                QMessageBox::No) == QMessageBox::Yes;
               },
               0) == 1;
}

std::size_t GuiPrompter::askChoice(std::string_view text, const std::vector<std::string>& answers,
                                   std::size_t defaultAnswer, std::string_view caption) {
    if (closing_) return defaultAnswer;
    const QString message = ToQt(text);
    const QString title = ToQt(caption);
    QWidget* parent = parent_;
    return onWindowThread(
        [=]() -> std::size_t {
            QMessageBox box(parent);
            box.setWindowTitle(title);
            box.setText(message);
            box.setIcon(QMessageBox::Question);
            std::vector<QPushButton*> buttons;
            for (const std::string& answer : answers)
                buttons.push_back(box.addButton(ToQt(answer), QMessageBox::AcceptRole));
            if (defaultAnswer < buttons.size()) box.setDefaultButton(buttons[defaultAnswer]);
            box.exec();
            for (std::size_t i = 0; i < buttons.size(); ++i)
                if (box.clickedButton() == buttons[i]) return i;
            return defaultAnswer;
        },
        defaultAnswer);
}

}  // namespace datrevo::ui
