// Helpers for the export tests: a main window whose passes over the event
// loop the test can watch, archives written to scratch folders, the
// command-line tool's output for comparison, and clicks posted so that the
// run's own message processing delivers them.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

#include "archive_builder.h"
#include "export_run.h"
#include "fixtures.h"
#include "form.h"
#include "frame_encoder.h"
#include "gui_test_main.h"
#include "mainwindow.h"

namespace tessaron::testing {

// A main window that calls `BeforeMessages` each time a command lets the
// event loop run, just before the queued events are handled.
class ObservedForm1 : public TForm1 {
public:
    using TForm1::TForm1;
    std::function<void()> BeforeMessages;
    int Passes = 0;

    void ProcessPendingMessages() override {
        ++Passes;
        if (BeforeMessages) BeforeMessages();
        TForm1::ProcessPendingMessages();
    }
};

// A frame record of a solid picture.
inline std::vector<uint8_t> SolidFrame(uint32_t width, uint32_t height, uint8_t index,
                                       writer::Coding coding = writer::Coding::Plain) {
    return writer::EncodeFrame(writer::Picture(width, height, index), coding);
}

// A frame whose record is `size` bytes long (at least a 1 x 1 frame):
// tiny while `size` is 51 or less.
inline std::vector<uint8_t> FrameOfSize(uint32_t size, uint8_t index = 0x10) {
    std::vector<uint8_t> record = SolidFrame(1, 1, index);
    if (record.size() < size) record.resize(size, 0);
    return record;
}

struct ExportViewer {
    FormPtr<ObservedForm1> owner = CreateForm<ObservedForm1>(TestDialogs());
    ObservedForm1& form = *owner;

    ExportViewer() {
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
    }

    void Open(const std::string& path) {
        TestDialogs().QueueOpenFile(QString::fromStdString(path));
        form.mmFileOpenClick();
        QVERIFY(form.FArchive.FLoaded);
        form.Passes = 0;  // indexing lets the loop run too; count the exports' passes only
    }
    QTreeWidgetItem* Root() const { return form.TreeView1->topLevelItem(0); }
    void SelectBlock(int block) { form.TreeView1->setCurrentItem(Root()->child(block)); }
    void SelectRoot() { form.TreeView1->setCurrentItem(Root()); }
    void SelectRow(int row) { form.ListView1->selectRow(row); }
    void SetShowTiny(bool on) {
        if (form.FShowTiny != on) form.mmOptionsShowTSClick();
    }
    // Presses a key in the main window: the command then runs under the
    // application object, which reports whatever error escapes it.
    void Press(Qt::Key key) {
        // Keys reach the menu shortcuts of the active window only.
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QTest::keyClick(&form, key);
    }
};

// A mouse click on `button`, queued: it happens when the event loop next
// runs, i.e. inside the export run's own message processing.
inline void PostClick(QWidget* button) {
    const QPointF at = QRectF(button->rect()).center();
    const QPointF global = button->mapToGlobal(at);
    QCoreApplication::postEvent(button, new QMouseEvent(QEvent::MouseButtonPress, at, global, Qt::LeftButton,
                                                        Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(button, new QMouseEvent(QEvent::MouseButtonRelease, at, global, Qt::LeftButton,
                                                        Qt::NoButton, Qt::NoModifier));
}

// Closing `window` with its close box, queued the same way.
inline void PostClose(QWidget* window) {
    QMetaObject::invokeMethod(window, [window] { window->close(); }, Qt::QueuedConnection);
}

class SilentReporter : public cli::Reporter {
public:
    void Progress(size_t, size_t) override {}
    void Problem(const std::string&) override {}
};

// What the command-line tool writes for the archive at `path` into `folder`
// (ending in '/'): every visible frame, or those of the block at entry
// `entry`.
inline cli::ExportSummary CliExport(const std::string& path, const std::string& folder, bool showTiny,
                                    bool raw, std::optional<uint32_t> entry = std::nullopt) {
    TArchive archive;
    if (!cli::OpenForExport(path, archive).empty()) return {};
    std::optional<uint32_t> block;
    if (entry) block = cli::FindBlockByEntry(archive, *entry);
    SilentReporter reporter;
    return cli::ExportFrames(archive, cli::PlanFrames(archive, showTiny, block), folder, raw, reporter);
}

// Every file of `a` and `b`: same names, same bytes.
inline bool SameFiles(const TempDir& a, const TempDir& b) {
    const auto names = ListFiles(a.Path());
    if (names != ListFiles(b.Path())) return false;
    for (const std::string& name : names)
        if (ReadFileBytes(a.File(name)) != ReadFileBytes(b.File(name))) return false;
    return true;
}

}  // namespace tessaron::testing
