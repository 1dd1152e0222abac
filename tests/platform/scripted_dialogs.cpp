#include "scripted_dialogs.h"

namespace tessaron {

namespace {

// Takes the next queued answer into `answer`; false when none was queued.
template <class T>
bool TakeFront(std::deque<T>& queue, T& answer) {
    if (queue.empty()) return false;
    answer = queue.front();
    queue.pop_front();
    return true;
}

}  // namespace

void ScriptedDialogs::Record(Asked asked) {
    asked_.push_back(asked);
    if (OnAsk) OnAsk(asked);
}

std::vector<ScriptedDialogs::Asked> ScriptedDialogs::AskedFor(Kind kind) const {
    std::vector<Asked> result;
    for (const Asked& a : asked_)
        if (a.kind == kind) result.push_back(a);
    return result;
}

std::vector<QString> ScriptedDialogs::Messages() const {
    std::vector<QString> texts;
    for (const Asked& a : AskedFor(Kind::Message)) texts.push_back(a.text);
    return texts;
}

int ScriptedDialogs::Unanswered() const {
    int n = 0;
    for (const Asked& a : asked_) n += a.answered ? 0 : 1;
    return n;
}

bool ScriptedDialogs::AllAnswersUsed() const {
    return openAnswers_.empty() && folderAnswers_.empty() && questionAnswers_.empty();
}

void ScriptedDialogs::Clear() {
    openAnswers_.clear();
    folderAnswers_.clear();
    questionAnswers_.clear();
    asked_.clear();
}

std::optional<QString> ScriptedDialogs::OpenFile(QWidget*, const OpenFileRequest& request) {
    std::optional<QString> answer;
    const bool answered = TakeFront(openAnswers_, answer);
    Record({Kind::OpenFile, QString(), request, MessageKind::Information, answered});
    return answer;
}

std::optional<QString> ScriptedDialogs::SelectFolder(QWidget*, const QString& directory) {
    std::optional<QString> answer;
    const bool answered = TakeFront(folderAnswers_, answer);
    Record({Kind::SelectFolder, directory, {}, MessageKind::Information, answered});
    return answer;
}

bool ScriptedDialogs::Ask(QWidget*, const QString& question) {
    bool yes = false;
    const bool answered = TakeFront(questionAnswers_, yes);
    Record({Kind::Ask, question, {}, MessageKind::Information, answered});
    return yes;
}

void ScriptedDialogs::ShowMessage(QWidget*, MessageKind kind, const QString& text) {
    Record({Kind::Message, text, {}, kind, true});
}

}  // namespace tessaron
