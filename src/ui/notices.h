#pragma once

#include <QString>
#include <deque>
#include <mutex>
#include <vector>

// User notices: task-modal message boxes without an owner window. Everything the program
// tells or asks the user goes through this interface, so tests can record it instead.
namespace arlo::ui {

// Captions end in a full-width colon.
inline const QString kCaptionNotice = QStringLiteral("提示：");
inline const QString kCaptionFriendly = QStringLiteral("温馨提示：");
inline const QString kCaptionUpdate = QStringLiteral("更新提示：");
inline const QString kCaptionError = QStringLiteral("错误：");

class Notices {
public:
    enum class Question { OkCancel, YesNo };

    Notices() = default;
    virtual ~Notices() = default;
    Notices(const Notices&) = delete;
    Notices& operator=(const Notices&) = delete;

    // OK button, information icon.
    virtual void inform(const QString& caption, const QString& text) = 0;
    // OK button, exclamation icon.
    virtual void warn(const QString& caption, const QString& text) = 0;
    // True when the user answers OK or Yes. OK/Cancel carries the information icon, Yes/No
    // the question icon.
    virtual bool ask(const QString& caption, const QString& text, Question buttons) = 0;
};

// The real message boxes. May be called from any thread: a worker waits while the
// user-interface thread shows the box.
class MessageBoxNotices final : public Notices {
public:
    void inform(const QString& caption, const QString& text) override;
    void warn(const QString& caption, const QString& text) override;
    bool ask(const QString& caption, const QString& text, Question buttons) override;
};

// Records every notice instead of showing it; questions take the queued answers, then
// `defaultAnswer`. Safe to call from any thread.
class RecordingNotices final : public Notices {
public:
    enum class Kind { Inform, Warn, Ask };
    struct Entry {
        Kind kind;
        QString caption;
        QString text;
        Question buttons = Question::OkCancel;
    };

    void inform(const QString& caption, const QString& text) override;
    void warn(const QString& caption, const QString& text) override;
    bool ask(const QString& caption, const QString& text, Question buttons) override;

    void queueAnswer(bool answer);
    void setDefaultAnswer(bool answer);
    std::vector<Entry> entries() const;
    void clear();

private:
    mutable std::mutex mutex_;
    std::vector<Entry> entries_;
    std::deque<bool> answers_;
    bool defaultAnswer_ = true;
};

}  // namespace arlo::ui
