// Helpers for driving the viewer in tests: the entry's windows, archives
// written to a scratch folder, opening through the scripted open dialog,
// choosing tree nodes and list rows.
#pragma once

#include <string>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QItemSelectionModel>
#include <QLabel>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

#include "archive_builder.h"
#include "fixtures.h"
#include "frame_encoder.h"
#include "frame_view.h"
#include "gui_test_main.h"
#include "mainwindow.h"
#include "naming.h"
#include "viewer.h"

namespace tessaron::testing {

// A frame record of `width` x `height` pixels, every pixel `index`, padded
// so that it is never a tiny sprite.
inline std::vector<uint8_t> SolidFrame(uint32_t width, uint32_t height, uint8_t index) {
    std::vector<uint8_t> record = writer::EncodeFrame(writer::Picture(width, height, index), writer::Coding::Plain);
    if (record.size() <= TinySpriteMaxSize) record.resize(TinySpriteMaxSize + 1, 0);
    return record;
}

// A record whose frame table claims `storedSize` bytes; the bytes behind it
// are a real 1 x 1 frame followed by padding, so reading it never runs past
// the end of the archive.
inline writer::FrameRecord FrameOfStoredSize(uint32_t storedSize) {
    writer::FrameRecord record(SolidFrame(1, 1, 0x10));
    if (record.Bytes.size() < storedSize) record.Bytes.resize(storedSize, 0);
    record.StoredSize = storedSize;
    return record;
}

// The main window and the About window, made as the entry makes them, with
// the main window shown.
struct Viewer {
    TViewerWindows windows = CreateViewerWindows(TestDialogs());
    TForm1& form = *windows.Form1;

    Viewer() {
        form.show();
        if (!QTest::qWaitForWindowExposed(&form)) qWarning("main window not exposed");
    }

    // Runs the Open command on `path` through the scripted open dialog.
    void Open(const std::string& path) {
        TestDialogs().QueueOpenFile(QString::fromStdString(path));
        form.mmFileOpenClick();
    }

    // A key pressed in the main window once it is the active window again
    // (a window manager gives it back after a secondary window; offscreen,
    // the events that do so must run first).
    void Key(Qt::Key key) {
        Activate();
        QTest::keyClick(&form, key);
    }
    void Activate() {
        form.activateWindow();
        if (!QTest::qWaitForWindowActive(&form)) qWarning("main window not active");
    }

    QTreeWidgetItem* Root() const { return form.TreeView1->topLevelItem(0); }
    QStringList TreeTexts() const {
        QStringList texts;
        if (QTreeWidgetItem* root = Root()) {
            texts << root->text(0);
            for (int i = 0; i < root->childCount(); ++i) texts << root->child(i)->text(0);
        }
        return texts;
    }
    void SelectBlock(int block) { form.TreeView1->setCurrentItem(Root()->child(block)); }
    void SelectRoot() { form.TreeView1->setCurrentItem(Root()); }
    void SelectRow(int row) { form.ListView1->selectRow(row); }

    int Rows() const { return form.ListView1->model()->rowCount(); }
    QString Cell(int row, int column) const {
        return form.ListView1->model()->index(row, column).data().toString();
    }
    QStringList Names() const {
        QStringList names;
        for (int r = 0; r < Rows(); ++r) names << Cell(r, 0);
        return names;
    }
    QString Status(int panel) const { return form.StatusText(panel); }
    bool Pictured() const { return form.Image1->HasPicture(); }

    // The enabled state of the five archive commands.
    std::vector<bool> ArchiveCommandsEnabled() const {
        return {form.mmFileExport->isEnabled(), form.mmFileExportBlock->isEnabled(),
                form.mmFileExportAll->isEnabled(), form.mmFileExportRaw->isEnabled(),
                form.mmFileClose->isEnabled()};
    }
};

inline const std::vector<bool> kAllEnabled(5, true);
inline const std::vector<bool> kAllDisabled(5, false);

}  // namespace tessaron::testing
