// Writes the README's screenshot: the viewer with an archive open, a block
// listed and a frame shown.  Run under a display (e.g. xvfb-run):
//   make_screenshot ARCHIVE BLOCK ROW OUT.png
#include <cstdio>
#include <cstdlib>

#include <QPixmap>
#include <QScreen>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

#include "application.h"
#include "scripted_dialogs.h"
#include "viewer.h"

using namespace tessaron;

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s ARCHIVE BLOCK ROW OUT.png\n", argv[0]);
        return 2;
    }
    ScriptedDialogs dialogs;
    TApplication app(argc, argv, dialogs);
    QApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));
    TViewerWindows windows = CreateViewerWindows(dialogs);
    TForm1& form = *windows.Form1;
    form.show();
    if (!QTest::qWaitForWindowExposed(&form)) return 1;

    dialogs.QueueOpenFile(QString::fromLocal8Bit(argv[1]));
    form.mmFileOpenClick();
    if (!form.FArchive.FLoaded) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    QTreeWidgetItem* root = form.TreeView1->topLevelItem(0);
    root->setExpanded(true);
    QTreeWidgetItem* block = root->child(std::atoi(argv[2]));
    form.TreeView1->setCurrentItem(block);
    form.TreeView1->scrollToItem(block);
    form.ListView1->selectRow(std::atoi(argv[3]));
    form.ListView1->setFocus();
    QTest::qWait(300);
    const QPixmap shot = form.screen()->grabWindow(form.winId());
    return shot.save(QString::fromLocal8Bit(argv[4])) ? 0 : 1;
}
