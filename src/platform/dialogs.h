// The one seam through which every blocking dialog of the program goes:
// the open-file dialog, the folder selection dialog, a Yes/No question and
// a message box.  The windows receive a Dialogs& when they are made (the
// application object owns the real one), so tests can put scripted answers
// in place of a user (see tests/platform/scripted_dialogs.h).
#pragma once

#include <optional>

#include <QString>
#include <QStringList>

class QWidget;

namespace tessaron {

// What the open-file dialog offers.
struct OpenFileRequest {
    // Name filters in Qt's form, e.g. "FLX Files (*.flx)".  Patterns match
    // regardless of letter case, so SHAPES.FLX matches "*.flx".
    QStringList NameFilters;
    int SelectedFilter = 0;  // index into NameFilters, preselected
    QString Directory;       // where the dialog opens; empty: the platform's choice
};

enum class MessageKind { Information, Warning, Error };

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Lets the user choose one existing file.  The full path of the chosen
    // file, or nothing when the user cancelled.
    virtual std::optional<QString> OpenFile(QWidget* parent, const OpenFileRequest& request) = 0;

    // Lets the user choose a folder, opening at `directory` (or at the
    // current folder when that is empty or names no folder that exists).
    // The folder name can be typed, also of a folder that does not exist yet.
    // The accepted folder text exactly as the dialog holds it, or nothing
    // when the user cancelled.  Whatever the dialog asks on the way (e.g.
    // whether to create a missing folder) goes through Ask below.
    virtual std::optional<QString> SelectFolder(QWidget* parent, const QString& directory) = 0;

    // A question with the buttons Yes and No; true for Yes.  Closing the box
    // counts as No.
    virtual bool Ask(QWidget* parent, const QString& question) = 0;

    // A message with an OK button; returns when the user has closed it.
    virtual void ShowMessage(QWidget* parent, MessageKind kind, const QString& text) = 0;
};

// The real dialogs, built on Qt's.
class QtDialogs : public Dialogs {
public:
    std::optional<QString> OpenFile(QWidget* parent, const OpenFileRequest& request) override;
    // Defined in qt_folder_dialog.cpp.
    std::optional<QString> SelectFolder(QWidget* parent, const QString& directory) override;
    bool Ask(QWidget* parent, const QString& question) override;
    void ShowMessage(QWidget* parent, MessageKind kind, const QString& text) override;
};

}  // namespace tessaron
