#include "ui/notices.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QThread>

namespace arlo::ui {

namespace {

QMessageBox::StandardButton showBox(QMessageBox::Icon icon, const QString& caption,
                                    const QString& text, QMessageBox::StandardButtons buttons) {
    auto show = [&] {
        QMessageBox box(icon, caption, text, buttons);
        box.setTextFormat(Qt::PlainText);  // a notice's text is shown as it is, never as markup
        box.setWindowModality(Qt::ApplicationModal);
        return static_cast<QMessageBox::StandardButton>(box.exec());
    };
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || QThread::currentThread() == app->thread()) {
        return show();
    }
    QMessageBox::StandardButton answer = QMessageBox::NoButton;
    QMetaObject::invokeMethod(
        app, [&] { answer = show(); }, Qt::BlockingQueuedConnection);
    return answer;
}

}  // namespace

void MessageBoxNotices::inform(const QString& caption, const QString& text) {
    showBox(QMessageBox::Information, caption, text, QMessageBox::Ok);
}

void MessageBoxNotices::warn(const QString& caption, const QString& text) {
    showBox(QMessageBox::Warning, caption, text, QMessageBox::Ok);
}

bool MessageBoxNotices::ask(const QString& caption, const QString& text, Question buttons) {
    if (buttons == Question::YesNo) {
        return showBox(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No) ==
               QMessageBox::Yes;
    }
    return showBox(QMessageBox::Information, caption, text,
                   QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

void RecordingNotices::inform(const QString& caption, const QString& text) {
    const std::lock_guard lock(mutex_);
    entries_.push_back({Kind::Inform, caption, text});
}

void RecordingNotices::warn(const QString& caption, const QString& text) {
    const std::lock_guard lock(mutex_);
    entries_.push_back({Kind::Warn, caption, text});
}

bool RecordingNotices::ask(const QString& caption, const QString& text, Question buttons) {
    const std::lock_guard lock(mutex_);
    entries_.push_back({Kind::Ask, caption, text, buttons});
    if (answers_.empty()) {
        return defaultAnswer_;
    }
    const bool answer = answers_.front();
    answers_.pop_front();
    return answer;
}

void RecordingNotices::queueAnswer(bool answer) {
    const std::lock_guard lock(mutex_);
    answers_.push_back(answer);
}

void RecordingNotices::setDefaultAnswer(bool answer) {
    const std::lock_guard lock(mutex_);
    defaultAnswer_ = answer;
}

std::vector<RecordingNotices::Entry> RecordingNotices::entries() const {
    const std::lock_guard lock(mutex_);
    return entries_;
}

void RecordingNotices::clear() {
    const std::lock_guard lock(mutex_);
    entries_.clear();
    answers_.clear();
}

}  // namespace arlo::ui
