// The real folder selection dialog.  A plain placeholder until the export
// folder's own dialog (typed names, asking to create a missing folder)
// takes its place.
#include "dialogs.h"

#include <QDir>
#include <QFileDialog>

namespace tessaron {

std::optional<QString> QtDialogs::SelectFolder(QWidget* parent, const QString& directory) {
    const QString start = !directory.isEmpty() && QDir(directory).exists() ? directory
                                                                            : QDir::currentPath();
    const QString chosen = QFileDialog::getExistingDirectory(parent, QString(), start);
    if (chosen.isEmpty()) return std::nullopt;
    return chosen;
}

}  // namespace tessaron
