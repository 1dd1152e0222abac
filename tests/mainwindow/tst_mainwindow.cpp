// The main window: start-up state, menus and keys, Open, Close and Exit,
// the loading window during Open, the About command, the open dialog.
#include <QFileDialog>
#include <QListView>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QHeaderView>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>

#include "about.h"
#include "app_icon.h"
#include "loading.h"
#include "viewer_fixture.h"

using namespace tessaron;
using namespace tessaron::testing;

namespace {

// An archive of `blocks` blocks of two frames each.
writer::ArchiveBuilder BlocksArchive(int blocks) {
    writer::ArchiveBuilder builder;
    for (int b = 0; b < blocks; ++b) builder.AddBlock({SolidFrame(4, 3, 0x20), SolidFrame(2, 2, 0x21)});
    return builder;
}

TForm2* LoadingWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* loading = dynamic_cast<TForm2*>(w)) return loading;
    return nullptr;
}

// A main window whose indexing fails with an error instead of a result,
// the way running out of memory inside OpenArchive would.
class FailingIndexForm : public TForm1 {
public:
    using TForm1::TForm1;
    void ProcessPendingMessages() override { throw std::runtime_error("Out of memory while indexing"); }
};

QStringList Captions(const QMenu* menu) {
    QStringList captions;
    for (const QAction* a : menu->actions()) captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return captions;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

    // Every view as it is with no archive open.
    static void ExpectNoArchiveShown(Viewer& v) {
        QCOMPARE(v.form.TreeView1->topLevelItemCount(), 0);
        QCOMPARE(v.Rows(), 0);
        QVERIFY(!v.Pictured());
        QCOMPARE(v.Status(0), QString());
        QCOMPARE(v.Status(1), QString());
        QCOMPARE(v.ArchiveCommandsEnabled(), kAllDisabled);
    }

private slots:
    void init() { TestDialogs().Clear(); }
    void cleanup() { QVERIFY(!LoadingWindow()); }

    void startUpState() {
        Viewer v;
        QCOMPARE(v.form.windowTitle(), QString("Tessaron Explorer v1.1"));
        QCOMPARE(v.form.frameGeometry().size(), QSize(550, 375));
        const QRect screen = v.form.screen()->geometry();
        QCOMPARE(v.form.frameGeometry().center(), screen.center());
        QCOMPARE(v.ArchiveCommandsEnabled(), kAllDisabled);
        QVERIFY(!v.form.mmOptionsShowTS->isChecked());
        QCOMPARE(v.form.TreeView1->topLevelItemCount(), 0);
        QCOMPARE(v.Rows(), 0);
        QVERIFY(!v.Pictured());
        QCOMPARE(v.Status(0), QString());
        QCOMPARE(v.Status(1), QString());
        QVERIFY(!v.form.FArchive.FLoaded);
        QVERIFY(!v.form.FShowTiny);
        QVERIFY(v.form.FExportPath.empty());
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        QVERIFY(v.windows.Form3 && !v.windows.Form3->isVisible());
        QCOMPARE(TApplication::Instance()->MainForm(), static_cast<QWidget*>(&v.form));
        QCOMPARE(v.form.windowIcon().pixmap(32, 32).size(), QSize(32, 32));
        const QImage icon = AppIconImage();
        QCOMPARE(icon.size(), QSize(32, 32));
        QCOMPARE(icon.format(), QImage::Format_Indexed8);
        QCOMPARE(icon.colorCount(), 256);
    }

    void layoutSizes() {
        Viewer v;
        QCOMPARE(v.form.Panel1->width(), 210);
        QCOMPARE(v.form.Panel1->minimumWidth(), 100);
        QCOMPARE(v.form.TreeView1->height(), 165);
        QCOMPARE(v.form.TreeView1->minimumHeight(), 50);
        QCOMPARE(v.form.Splitter1->handleWidth(), 3);
        QCOMPARE(v.form.Splitter2->handleWidth(), 3);
        QCOMPARE(v.form.StatusBar->height(), 19);
        QCOMPARE(v.form.TreeView1->indentation(), 19);
        QVERIFY(v.form.StatusPanel0->width() >= 75);
        QVERIFY(v.form.StatusPanel1->width() >= 50);
        auto* model = v.form.ListView1->model();
        QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QString("Name"));
        QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QString("Raw size"));
        QCOMPARE(v.form.ListView1->columnWidth(0), 100);
        QCOMPARE(v.form.ListView1->columnWidth(1), 100);
        QVERIFY(v.form.ListView1->showGrid());
        QCOMPARE(v.form.ListView1->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(v.form.ListView1->selectionMode(), QAbstractItemView::SingleSelection);
        QCOMPARE(v.form.ListView1->editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(v.form.TreeView1->editTriggers(), QAbstractItemView::NoEditTriggers);
        QVERIFY(!v.form.ListView1->horizontalHeader()->sectionsClickable());

        // Growing the window widens the list, not the panel.
        v.form.resize(v.form.width() + 100, v.form.height() + 50);
        QTRY_COMPARE(v.form.Panel1->width(), 210);
        QCOMPARE(v.form.TreeView1->height(), 165);
    }

    void menuCaptionsKeysAndOrder() {
        Viewer v;
        QStringList top;
        for (const QAction* a : v.form.MainMenu->actions()) top << a->text();
        QCOMPARE(top, (QStringList{"&File", "&Options", "&Help"}));
        QCOMPARE(Captions(v.form.mmFile),
                 (QStringList{"&Open", "-", "&Export", "Export &Block", "Export &All", "-", "Export &Raw", "-",
                              "&Close", "-", "E&xit"}));
        QCOMPARE(Captions(v.form.mmOptions), (QStringList{"&Show Tiny Sprites", "-", "Export &Path..."}));
        QCOMPARE(Captions(v.form.mmHelp), (QStringList{"&About..."}));
        QCOMPARE(v.form.mmFileOpen->toolTip(), QString("Open File"));
        QVERIFY(v.form.mmOptionsShowTS->isCheckable());

        const std::pair<QAction*, QKeySequence> keys[] = {
            {v.form.mmFileOpen, Qt::Key_F3},        {v.form.mmFileExport, Qt::Key_F5},
            {v.form.mmFileExportBlock, Qt::Key_F6}, {v.form.mmFileExportAll, Qt::Key_F7},
            {v.form.mmFileExportRaw, Qt::Key_F8},   {v.form.mmHelpAbout, Qt::Key_F1},
            {v.form.mmFileClose, {}},               {v.form.mmFileExit, {}},
            {v.form.mmOptionsShowTS, {}},           {v.form.ExportPath1, {}},
        };
        for (const auto& [action, key] : keys) QCOMPARE(action->shortcut(), key);

        QCOMPARE(Captions(v.form.PopupMenu1),
                 (QStringList{"&Auto size", "x8 size", "x4 szie", "x2 size", "&Full size", "1/2 size"}));
        QVERIFY(v.form.Autosize->isChecked());
    }

    void fKeysRunTheirCommandsOnlyWhileEnabled() {
        Viewer v;
        TempDir dir;
        QAction* exportActions[] = {v.form.mmFileExport, v.form.mmFileExportBlock, v.form.mmFileExportAll,
                                    v.form.mmFileExportRaw};
        const Qt::Key exportKeys[] = {Qt::Key_F5, Qt::Key_F6, Qt::Key_F7, Qt::Key_F8};
        std::vector<std::unique_ptr<QSignalSpy>> spies;
        for (QAction* a : exportActions) spies.push_back(std::make_unique<QSignalSpy>(a, &QAction::triggered));

        for (Qt::Key key : exportKeys) v.Key(key);
        for (auto& spy : spies) QCOMPARE(spy->count(), 0);

        TestDialogs().QueueOpenFile(QString::fromStdString(WriteArchive(dir, BlocksArchive(1))));
        v.Key(Qt::Key_F3);
        QCOMPARE(TestDialogs().AskedFor(ScriptedDialogs::Kind::OpenFile).size(), size_t(1));
        QVERIFY(v.form.FArchive.FLoaded);
        for (Qt::Key key : exportKeys) v.Key(key);
        for (auto& spy : spies) QCOMPARE(spy->count(), 1);
    }

    void openDialogOffersTheThreeFilters() {
        Viewer v;
        v.form.mmFileOpen->trigger();  // nothing queued: cancelled
        const auto asked = TestDialogs().AskedFor(ScriptedDialogs::Kind::OpenFile);
        QCOMPARE(asked.size(), size_t(1));
        QCOMPARE(asked[0].openRequest.NameFilters,
                 (QStringList{"FLX Files (*.flx)", "Shapes Files (shapes.flx)", "All Files (*.*)"}));
        QCOMPARE(asked[0].openRequest.SelectedFilter, 0);
        QVERIFY(asked[0].openRequest.Directory.isEmpty());
        QVERIFY(!LoadingWindow());
        QCOMPARE(v.form.TreeView1->topLevelItemCount(), 0);
    }

    // Qt's real dialog, looked at while it is open: SHAPES.FLX in capitals
    // must be offered by the first two filters, a text file only by the third.
    void realOpenDialogMatchesUpperCaseNames() {
        TempDir dir;
        WriteArchive(dir, BlocksArchive(1), "SHAPES.FLX");
        const std::vector<uint8_t> text{'h', 'i'};
        WriteFile(dir, "notes.txt", text);
        OpenFileRequest request = TForm1::OpenDialogRequest();
        request.Directory = QString::fromStdString(dir.Path().string());

        QMap<int, QStringList> shown;
        QObject guard;
        QTimer::singleShot(0, &guard, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QCOMPARE(dialog->selectedNameFilter(), QString("FLX Files (*.flx)"));
            QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFile);
            auto* list = dialog->findChild<QListView*>("listView");
            for (int filter = 0; filter < 3; ++filter) {
                dialog->selectNameFilter(request.NameFilters[filter]);
                QMetaObject::invokeMethod(dialog, "_q_useNameFilter", Q_ARG(int, filter));
                QTest::qWait(50);
                QTRY_VERIFY(list->model()->rowCount(list->rootIndex()) > 0);
                QStringList names;
                for (int r = 0; r < list->model()->rowCount(list->rootIndex()); ++r)
                    names << list->model()->index(r, 0, list->rootIndex()).data().toString();
                names.sort();
                shown[filter] = names;
            }
            dialog->reject();
        });
        QtDialogs real;
        QCOMPARE(real.OpenFile(nullptr, request), std::nullopt);
        QCOMPARE(shown[0], QStringList{"SHAPES.FLX"});
        QCOMPARE(shown[1], QStringList{"SHAPES.FLX"});
        QCOMPARE(shown[2], (QStringList{"SHAPES.FLX", "notes.txt"}));
    }

    void openShowsTreeStatusAndEnablesCommands() {
        Viewer v;
        TempDir dir;
        writer::ArchiveBuilder builder;
        builder.AddEmpty(2).AddBlock({SolidFrame(3, 3, 1)}).AddEmpty(7).AddBlock({}).AddBlock({SolidFrame(1, 1, 2)});
        const std::string path = WriteArchive(dir, builder);
        v.Open(path);
        QVERIFY(v.form.FArchive.FLoaded);
        QCOMPARE(v.form.FFileName, path);
        QCOMPARE(v.TreeTexts(), (QStringList{QString::fromStdString(path), "2", "A", "B"}));
        QCOMPARE(v.Status(0), QString("3 object(s)"));
        QCOMPARE(v.Status(1), QString());
        QCOMPARE(v.ArchiveCommandsEnabled(), kAllEnabled);
        QVERIFY(v.form.isEnabled());
        QVERIFY(TestDialogs().Messages().empty());
    }

    void treeTextsAreUpperCaseHexWithoutLeadingZeros() {
        Viewer v;
        TempDir dir;
        writer::ArchiveBuilder builder;
        builder.AddBlock({}).AddEmpty(9).AddBlock({}).AddEmpty(244).AddBlock({}).AddEmpty(4096 - 256).AddBlock({});
        v.Open(WriteArchive(dir, builder));
        QCOMPARE(v.TreeTexts().mid(1), (QStringList{"0", "A", "FF", "1000"}));
        QCOMPARE(v.Status(0), QString("4 object(s)"));
    }

    void fiftySevenObjects() {
        Viewer v;
        TempDir dir;
        v.Open(WriteArchive(dir, BlocksArchive(57)));
        QCOMPARE(v.Status(0), QString("57 object(s)"));
        QCOMPARE(v.Root()->childCount(), 57);
    }

    void failedOpen_data() {
        QTest::addColumn<QByteArray>("bytes");  // empty: no file at all
        QTest::addColumn<int>("treeNodes");      // root and children left in the tree

        const std::vector<uint8_t> good = BlocksArchive(5).Bytes();
        auto bytes = [](const std::vector<uint8_t>& b) { return QByteArray(reinterpret_cast<const char*>(b.data()), qsizetype(b.size())); };
        QTest::newRow("missing file") << QByteArray() << 0;
        QTest::newRow("128 bytes") << bytes(good).left(128) << 0;
        QByteArray badSignature = bytes(good);
        badSignature[81] = 0x1B;
        QTest::newRow("signature byte 81") << badSignature << 0;
        // Entry table of 5 entries cut in the middle.
        QTest::newRow("entry table short") << bytes(good).left(128 + 8 * 5 - 3) << 1;
        // The fourth block's frame table cut short by the end of the file.
        const auto built = BlocksArchive(4).Build();
        QTest::newRow("fourth block's frame table short")
            << bytes(built.Bytes).left(built.Blocks[3].Offset + 6 + 8) << 4;
    }
    void failedOpen() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, treeNodes);
        Viewer v;
        TempDir dir;
        std::string path = dir.File("missing.flx");
        if (!bytes.isEmpty())
            path = WriteFile(dir, "bad.flx", std::span(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())));
        v.Open(path);
        QVERIFY(!v.form.FArchive.FLoaded);
        QCOMPARE(v.form.FFileName, path);
        QCOMPARE(v.TreeTexts().size(), treeNodes);
        if (treeNodes > 0) QCOMPARE(v.Root()->text(0), QString::fromStdString(path));
        QCOMPARE(v.ArchiveCommandsEnabled(), kAllDisabled);
        QCOMPARE(v.Status(0), QString());
        QCOMPARE(v.Status(1), QString());
        QVERIFY(TestDialogs().Messages().empty());
        QVERIFY(v.form.isEnabled());

        // Nothing left in the tree can be browsed.
        if (treeNodes > 1) {
            v.SelectBlock(0);
            QCOMPARE(v.Rows(), 0);
            QCOMPARE(v.Status(1), QString());
        }
    }

    void cancellingOpenKeepsTheOpenArchive() {
        Viewer v;
        TempDir dir;
        v.Open(WriteArchive(dir, BlocksArchive(2)));
        v.SelectBlock(1);
        v.SelectRow(0);
        TestDialogs().QueueOpenFile(std::nullopt);
        v.form.mmFileOpenClick();
        QVERIFY(v.form.FArchive.FLoaded);
        QCOMPARE(v.Root()->childCount(), 2);
        QCOMPARE(v.Rows(), 2);
        QVERIFY(v.Pictured());
        QCOMPARE(v.ArchiveCommandsEnabled(), kAllEnabled);
        v.SelectRow(1);
        QVERIFY(v.Pictured());
    }

    void secondOpenClearsEverythingAndFirstDoesNotComeBack() {
        Viewer v;
        TempDir dir;
        v.Open(WriteArchive(dir, BlocksArchive(3), "first.flx"));
        v.SelectBlock(2);
        v.SelectRow(1);
        QVERIFY(v.Pictured());
        QCOMPARE(v.Status(1), QString("2 sprite(s)"));

        // Seen from inside the second indexing, after its first block.
        QStringList seen;
        QTimer::singleShot(0, &v.form, [&] {
            seen = v.TreeTexts();
            seen << QString::number(v.Rows()) << QString::number(v.Pictured()) << v.Status(0) << v.Status(1);
        });
        std::vector<uint8_t> second = BlocksArchive(2).Bytes();
        second.resize(second.size() - 1);  // its last frame record runs short: still indexes
        v.Open(WriteFile(dir, "second.flx", second));
        QCOMPARE(seen.mid(1), (QStringList{"0", "0", "0", "", ""}));

        // A third that fails leaves nothing of the second.
        v.Open(WriteFile(dir, "third.flx", std::vector<uint8_t>(100, 0x1A)));
        ExpectNoArchiveShown(v);
    }

    void closeEmptiesEveryView() {
        Viewer v;
        TempDir dir;
        v.Open(WriteArchive(dir, BlocksArchive(2)));
        v.SelectBlock(0);
        v.SelectRow(0);
        v.form.mmFileClose->trigger();
        QVERIFY(!v.form.FArchive.FLoaded);
        ExpectNoArchiveShown(v);
    }

    void loadingWindowDuringOpen() {
        Viewer v;
        TempDir dir;
        const std::string path = WriteArchive(dir, BlocksArchive(3));
        QRect loadingBounds;
        bool seen = false, frameless = false, mainEnabled = true, closed = true, visible = false;
        QString text;
        QTimer::singleShot(0, &v.form, [&] {
            TForm2* loading = LoadingWindow();
            if (!loading) return;
            seen = true;
            visible = loading->isVisible();
            frameless = loading->windowFlags().testFlag(Qt::FramelessWindowHint);
            text = loading->Panel1->text();
            mainEnabled = v.form.isEnabled();
            loadingBounds = loading->frameGeometry();
            closed = loading->close();  // Alt+F4 and the like
            // The main window takes no keys: F1 would open About.
            QTest::keyClick(&v.form, Qt::Key_F1);
        });
        v.Open(path);
        QVERIFY(seen);
        QVERIFY(visible);
        QVERIFY(frameless);
        QCOMPARE(text, QString("Loading data..."));
        QVERIFY(!mainEnabled);
        QVERIFY(!closed);
        QVERIFY(!v.windows.Form3->isVisible());
        const QRect m = v.form.frameGeometry();
        QCOMPARE(loadingBounds.top(), m.top() + m.height() / 2 - loadingBounds.height() / 2);
        QCOMPARE(loadingBounds.left(), m.left() + m.width() / 2 - loadingBounds.width() / 2);
        QVERIFY(v.form.isEnabled());
        QVERIFY(!LoadingWindow());
        QVERIFY(v.form.FArchive.FLoaded);
    }

    void errorInsideIndexingStillRemovesTheLoadingWindow() {
        TempDir dir;
        const std::string path = WriteArchive(dir, BlocksArchive(2));
        FormPtr<FailingIndexForm> form = CreateForm<FailingIndexForm>(TestDialogs());
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        TestDialogs().QueueOpenFile(QString::fromStdString(path));
        QTest::keyClick(form.get(), Qt::Key_F3);  // the error goes to the event loop's report
        QCOMPARE(TestDialogs().Messages(), std::vector<QString>{"Out of memory while indexing"});
        QVERIFY(!LoadingWindow());
        QVERIFY(form->isEnabled());
        QVERIFY(!form->FArchive.FLoaded);
        QCOMPARE(form->mmFileClose->isEnabled(), false);
    }

    void optionsWorkWithoutArchiveAndSurviveCloseAndOpen() {
        Viewer v;
        TempDir dir;
        v.form.mmOptionsShowTS->trigger();
        QVERIFY(v.form.FShowTiny);
        QVERIFY(v.form.mmOptionsShowTS->isChecked());
        QVERIFY(v.form.ExportPath1->isEnabled());
        v.Open(WriteArchive(dir, BlocksArchive(1)));
        QVERIFY(v.form.mmOptionsShowTS->isChecked());
        v.form.mmFileClose->trigger();
        QVERIFY(v.form.FShowTiny);
        QVERIFY(v.form.mmOptionsShowTS->isChecked());
    }

    void aboutFromTheKeyboardIsModalAndCentred() {
        for (bool withArchive : {false, true}) {
            Viewer v;
            TempDir dir;
            if (withArchive) v.Open(WriteArchive(dir, BlocksArchive(1)));
            for (const QRect& bounds : {QRect(10, 10, 550, 551), QRect(-300, 700, 601, 375)}) {
                v.form.setGeometry(bounds);
                v.Activate();
                QRect aboutBounds;
                QWidget* focus = nullptr;
                QWidget* modal = nullptr;
                QObject guard;
                QTimer::singleShot(0, &guard, [&] {
                    modal = QApplication::activeModalWidget();
                    aboutBounds = v.windows.Form3->frameGeometry();
                    focus = v.windows.Form3->focusWidget();
                    QTest::keyClick(v.windows.Form3.get(), Qt::Key_Return);  // "Enjoy!" is the default
                });
                QTest::keyClick(&v.form, Qt::Key_F1);
                QCOMPARE(modal, static_cast<QWidget*>(v.windows.Form3.get()));
                QCOMPARE(focus, static_cast<QWidget*>(v.windows.Form3->Button1));
                const QRect m = v.form.frameGeometry();
                QCOMPARE(aboutBounds.top(), m.top() + m.height() / 2 - aboutBounds.height() / 2);
                QCOMPARE(aboutBounds.left(), m.left() + m.width() / 2 - aboutBounds.width() / 2);
                QVERIFY(!v.windows.Form3->isVisible());
            }
        }
    }

    void aboutClosedByItsCloseBox() {
        Viewer v;
        int result = -1;
        QTimer::singleShot(0, v.windows.Form3.get(), [&] { v.windows.Form3->close(); });
        v.form.mmHelpAbout->trigger();
        result = v.windows.Form3->result();
        QVERIFY(!v.windows.Form3->isVisible());
        QCOMPARE(result, int(QDialog::Rejected));  // unused by the command either way
        // And again: it can be shown as often as the user likes.
        QTimer::singleShot(0, v.windows.Form3.get(), [&] { v.windows.Form3->Button1->click(); });
        v.form.mmHelpAbout->trigger();
        QCOMPARE(v.windows.Form3->result(), int(QDialog::Accepted));
    }

    void closingTheWindowAsksNothing() {
        Viewer v;
        TempDir dir;
        v.Open(WriteArchive(dir, BlocksArchive(1)));
        TestDialogs().Clear();
        QVERIFY(v.form.close());
        QVERIFY(!v.form.isVisible());
        QVERIFY(TestDialogs().AskedFor().empty());
    }

    void exitClosesTheWindow() {
        Viewer v;
        v.form.mmFileExit->trigger();
        QVERIFY(!v.form.isVisible());
    }
};

TESSARON_GUI_TEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
