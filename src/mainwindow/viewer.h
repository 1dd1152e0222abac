// The application entry's windows: the main window first (so it becomes the
// application's main window), then the hidden About window.
#pragma once

#include "about.h"
#include "form.h"
#include "mainwindow.h"

namespace tessaron {

inline constexpr const char* kApplicationTitle = "Tessaron Explorer v1.1";

struct TViewerWindows {
    // Destroyed in reverse: the About window, then the main window.
    FormPtr<TForm1> Form1;
    FormPtr<TForm3> Form3;
};

TViewerWindows CreateViewerWindows(Dialogs& dialogs);

// Steps 1 to 7 of the entry: the application object, its title, the two
// windows and the message loop.  Returns the exit code.
int RunViewer(int& argc, char** argv);

}  // namespace tessaron
