// The real open-file dialog, question and message box.
#include "dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

namespace tessaron {

std::optional<QString> QtDialogs::OpenFile(QWidget* parent, const OpenFileRequest& request) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // Qt's own dialog, so that the name filters behave the same everywhere:
    // files copied from old discs are often upper case (SHAPES.FLX) and must
    // match the lower-case patterns.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    dialog.setNameFilters(request.NameFilters);
    if (request.SelectedFilter >= 0 && request.SelectedFilter < request.NameFilters.size())
        dialog.selectNameFilter(request.NameFilters[request.SelectedFilter]);
    if (!request.Directory.isEmpty()) dialog.setDirectory(request.Directory);
    dialog.setSizeGripEnabled(true);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) return std::nullopt;
    return files.first();
}

bool QtDialogs::Ask(QWidget* parent, const QString& question) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), question,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void QtDialogs::ShowMessage(QWidget* parent, MessageKind kind, const QString& text) {
    const QMessageBox::Icon icon = kind == MessageKind::Error     ? QMessageBox::Critical
                                   : kind == MessageKind::Warning ? QMessageBox::Warning
                                                                  : QMessageBox::Information;
    QMessageBox box(icon, QApplication::applicationDisplayName(), text, QMessageBox::Ok, parent);
    box.exec();
}

}  // namespace tessaron
