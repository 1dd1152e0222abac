// Dialogs for tests: every answer is queued beforehand, every dialog asked
// for is recorded.  A dialog asked for without a queued answer is recorded
// as unanswered and cancelled (no file, no folder, No).
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include <QString>

#include "dialogs.h"

namespace tessaron {

class ScriptedDialogs : public Dialogs {
public:
    enum class Kind { OpenFile, SelectFolder, Ask, Message };

    struct Asked {
        Kind kind;
        QString text;                 // folder start, question or message
        OpenFileRequest openRequest;  // for OpenFile
        MessageKind messageKind = MessageKind::Information;  // for Message
        bool answered = true;         // false: nothing was queued
    };

    void QueueOpenFile(std::optional<QString> path) { openAnswers_.push_back(std::move(path)); }
    void QueueFolder(std::optional<QString> folder) { folderAnswers_.push_back(std::move(folder)); }
    void QueueAnswer(bool yes) { questionAnswers_.push_back(yes); }

    // Runs while a dialog is "on screen", before it returns: lets a test look
    // at the program from inside a modal dialog.
    std::function<void(const Asked&)> OnAsk;

    const std::vector<Asked>& AskedFor() const { return asked_; }
    std::vector<Asked> AskedFor(Kind kind) const;
    std::vector<QString> Messages() const;  // texts of the message boxes shown
    int Unanswered() const;
    bool AllAnswersUsed() const;
    void Clear();

    std::optional<QString> OpenFile(QWidget* parent, const OpenFileRequest& request) override;
    std::optional<QString> SelectFolder(QWidget* parent, const QString& directory) override;
    bool Ask(QWidget* parent, const QString& question) override;
    void ShowMessage(QWidget* parent, MessageKind kind, const QString& text) override;

private:
    void Record(Asked asked);

    std::deque<std::optional<QString>> openAnswers_;
    std::deque<std::optional<QString>> folderAnswers_;
    std::deque<bool> questionAnswers_;
    std::vector<Asked> asked_;
};

}  // namespace tessaron
