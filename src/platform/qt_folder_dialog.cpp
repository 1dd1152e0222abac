// The real folder selection dialog: a tree of folders and an editable folder
// name, so that a folder that does not exist yet can be typed.  OK on such a
// folder asks whether to create it; No keeps the dialog open.  Creating the
// folder is left to the caller.
#include "dialogs.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace tessaron {

namespace {

class FolderDialog : public QDialog {
public:
    FolderDialog(QWidget* parent, Dialogs& dialogs, const QString& start)
        : QDialog(parent), dialogs_(dialogs), base_(start) {
        setObjectName(QStringLiteral("FolderDialog"));
        setWindowTitle(QStringLiteral("Select Directory"));
        setWindowFlag(Qt::WindowContextHelpButtonHint, false);  // no help button
        setSizeGripEnabled(true);
        resize(360, 420);

        model_ = new QFileSystemModel(this);
        model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
        model_->setReadOnly(true);
        model_->setRootPath(QDir::rootPath());

        tree_ = new QTreeView;
        tree_->setObjectName(QStringLiteral("FolderTree"));
        tree_->setModel(model_);
        tree_->setHeaderHidden(true);
        for (int column = 1; column < model_->columnCount(); ++column) tree_->hideColumn(column);

        edit_ = new QLineEdit(start);
        edit_->setObjectName(QStringLiteral("FolderName"));
        auto* label = new QLabel(QStringLiteral("&Directory name:"));
        label->setBuddy(edit_);

        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        buttons->setObjectName(QStringLiteral("Buttons"));

        auto* layout = new QVBoxLayout(this);
        layout->addWidget(label);
        layout->addWidget(edit_);
        layout->addWidget(tree_, 1);
        layout->addWidget(buttons);

        const QModelIndex at = model_->index(start);
        tree_->setCurrentIndex(at);
        tree_->scrollTo(at);

        connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
                [this](const QModelIndex& current) {
                    if (!current.isValid()) return;
                    base_ = model_->filePath(current);
                    edit_->setText(QDir::toNativeSeparators(base_));
                });
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        edit_->setFocus();
    }

    // The accepted folder: the typed text, a relative name taken from the
    // folder last chosen in the tree.
    QString Folder() const { return folder_; }

    void accept() override {
        const QString text = QDir::fromNativeSeparators(edit_->text());
        folder_ = text.isEmpty() || QDir::isAbsolutePath(text) ? text : QDir(base_).filePath(text);
        if (folder_.isEmpty() || !QFileInfo(folder_).isDir()) {
            if (!dialogs_.Ask(this, QStringLiteral("The specified directory does not exist. Create it?")))
                return;  // No: the dialog stays open
        }
        QDialog::accept();
    }

private:
    Dialogs& dialogs_;
    QString base_;
    QString folder_;
    QFileSystemModel* model_;
    QTreeView* tree_;
    QLineEdit* edit_;
};

}  // namespace

std::optional<QString> QtDialogs::SelectFolder(QWidget* parent, const QString& directory) {
    const QString start = !directory.isEmpty() && QFileInfo(directory).isDir()
                              ? QDir::cleanPath(QFileInfo(directory).absoluteFilePath())
                              : QDir::currentPath();
    FolderDialog dialog(parent, *this, start);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Folder();
}

}  // namespace tessaron
