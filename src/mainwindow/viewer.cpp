#include "viewer.h"

#include <cstdio>
#include <exception>

#include "app_icon.h"

namespace tessaron {

TViewerWindows CreateViewerWindows(Dialogs& dialogs) {
    TViewerWindows windows;
    windows.Form1 = CreateForm<TForm1>(dialogs);
    windows.Form3 = CreateForm<TForm3>();
    windows.Form1->Form3 = windows.Form3.get();
    return windows;
}

int RunViewer(int& argc, char** argv) {
    QtDialogs dialogs;
    TApplication app(argc, argv, dialogs);
    try {
        QApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));
        QApplication::setWindowIcon(AppIcon());
        TViewerWindows windows = CreateViewerWindows(dialogs);
        windows.Form1->show();
        QApplication::exec();
    } catch (const std::exception& error) {
        // What escapes the entry itself is shown once; the program then ends.
        app.ShowException(QString::fromLocal8Bit(error.what()));
    }
    return 0;
}

}  // namespace tessaron
