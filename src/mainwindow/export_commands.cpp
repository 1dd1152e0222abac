// The export commands and the export folder.
#include "mainwindow.h"

namespace tessaron {

void TForm1::mmFileExportClick() {}

void TForm1::mmFileExportRawClick() {}

void TForm1::mmFileExportBlockClick() {}

void TForm1::mmFileExportAllClick() {}

void TForm1::ExportPath1Click() {}

bool TForm1::SelectExportPath(const std::string& Directory) {
    (void)Directory;
    return false;
}

bool TForm1::PrepareExportPath(std::string& folder) {
    (void)folder;
    return false;
}

}  // namespace tessaron
