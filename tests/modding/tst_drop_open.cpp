// Dropping an archive file onto the main window opens it the way File >
// Open does once its dialog has given a file: loading window, indexing,
// tree, status bar and archive commands.  Drops that carry no single local
// file are refused and change nothing.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include "loading.h"
#include "viewer_fixture.h"

using namespace tessaron;
using namespace tessaron::testing;

namespace {

TForm2* LoadingWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* loading = dynamic_cast<TForm2*>(w)) return loading;
    return nullptr;
}

std::unique_ptr<QMimeData> UrlData(const QList<QUrl>& urls) {
    auto data = std::make_unique<QMimeData>();
    data->setUrls(urls);
    return data;
}

QList<QUrl> FileUrls(std::initializer_list<std::string> paths) {
    QList<QUrl> urls;
    for (const std::string& path : paths) urls << QUrl::fromLocalFile(QString::fromStdString(path));
    return urls;
}

// Drags `data` into the window's middle; true when the window takes it.
bool DragEnter(QWidget& window, const QMimeData& data) {
    QDragEnterEvent enter(window.rect().center(), Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, &data,
                          Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    return enter.isAccepted();
}

// Drops `data` onto the window's middle; true when the window takes it.
bool Drop(QWidget& window, const QMimeData& data) {
    QDropEvent drop(QPointF(window.rect().center()), Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, &data,
                    Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
    return drop.isAccepted();
}

writer::ArchiveBuilder ThreeBlocks() {
    writer::ArchiveBuilder builder;
    builder.AddEmpty().AddBlock({SolidFrame(4, 3, 0x20)});
    builder.AddEmpty(24).AddBlock({SolidFrame(2, 2, 0x21)}).AddBlock({});
    return builder;
}

}  // namespace

class DropOpenTest : public QObject {
    Q_OBJECT

private slots:
    void init() { TestDialogs().Clear(); }
    void cleanup() { QVERIFY(!LoadingWindow()); }

    void droppedArchiveOpensAsOpenDoes() {
        Viewer v;
        TempDir dir;
        const std::string first = WriteArchive(dir, writer::ArchiveBuilder().AddBlock({SolidFrame(1, 1, 1)}), "a.flx");
        v.Open(first);
        QCOMPARE(v.Status(0), QString("1 object(s)"));
        TestDialogs().Clear();

        const std::string path = WriteArchive(dir, ThreeBlocks(), "b.flx");
        const auto data = UrlData(FileUrls({path}));
        QVERIFY(v.form.acceptDrops());  // else the platform never offers the window a drop
        QVERIFY(DragEnter(v.form, *data));

        // The loading window is up, and the main window disabled, while the
        // archive is indexed.
        bool loadingSeen = false, mainEnabled = true;
        QTimer watch;
        watch.setInterval(0);
        connect(&watch, &QTimer::timeout, this, [&] {
            if (TForm2* loading = LoadingWindow(); loading && loading->isVisible()) {
                loadingSeen = true;
                mainEnabled = v.form.isEnabled();
            }
        });
        watch.start();
        QVERIFY(Drop(v.form, *data));
        QTRY_VERIFY(v.form.FArchive.FLoaded && v.Status(0) == QString("3 object(s)"));
        QTRY_VERIFY(!LoadingWindow());
        watch.stop();
        QVERIFY(loadingSeen);
        QVERIFY(!mainEnabled);
        QVERIFY(v.form.isEnabled());

        QCOMPARE(v.TreeTexts(), (QStringList{QString::fromStdString(path), "1", "1A", "1B"}));
        QCOMPARE(v.Status(1), QString());
        QCOMPARE(v.form.FFileName, path);
        QCOMPARE(v.ArchiveCommandsEnabled(), kAllEnabled);
        QVERIFY(TestDialogs().AskedFor().empty());  // no dialog on the way

        // The archive can be browsed as after Open.
        v.SelectBlock(1);
        QCOMPARE(v.Names(), QStringList{"01A-000"});
    }

    void droppedFileThatIsNoArchiveFailsAsOpenDoes() {
        Viewer v;
        TempDir dir;
        v.Open(WriteArchive(dir, ThreeBlocks()));
        const std::string text = WriteFile(dir, "notes.txt", std::vector<uint8_t>(300, 'a'));
        const auto data = UrlData(FileUrls({text}));
        QVERIFY(DragEnter(v.form, *data));
        QVERIFY(Drop(v.form, *data));
        QTRY_COMPARE(v.form.FFileName, text);
        QTRY_VERIFY(!LoadingWindow());
        QVERIFY(!v.form.FArchive.FLoaded);
        QCOMPARE(v.TreeTexts(), QStringList());
        QCOMPARE(v.Status(0), QString());
        QCOMPARE(v.ArchiveCommandsEnabled(), kAllDisabled);
    }

    void dropsWithoutOneLocalFileAreRefused_data() {
        QTest::addColumn<int>("kind");
        QTest::newRow("a folder") << 0;
        QTest::newRow("two files") << 1;
        QTest::newRow("a web address") << 2;
        QTest::newRow("a missing file") << 3;
        QTest::newRow("text, no address") << 4;
    }

    void dropsWithoutOneLocalFileAreRefused() {
        QFETCH(int, kind);
        Viewer v;
        TempDir dir;
        const std::string path = WriteArchive(dir, ThreeBlocks());
        v.Open(path);
        const QStringList tree = v.TreeTexts();

        std::unique_ptr<QMimeData> data;
        switch (kind) {
        case 0: data = UrlData(FileUrls({dir.Path().string()})); break;
        case 1: data = UrlData(FileUrls({path, WriteArchive(dir, ThreeBlocks(), "c.flx")})); break;
        case 2: data = UrlData({QUrl("https://example.org/shapes.flx")}); break;
        case 3: data = UrlData(FileUrls({dir.File("gone.flx")})); break;
        default:
            data = std::make_unique<QMimeData>();
            data->setText(QString::fromStdString(path));
        }
        QVERIFY(!DragEnter(v.form, *data));
        QVERIFY(!Drop(v.form, *data));
        QTest::qWait(20);
        QCOMPARE(v.TreeTexts(), tree);
        QCOMPARE(v.form.FFileName, path);
        QVERIFY(v.form.FArchive.FLoaded);
    }
};

TESSARON_GUI_TEST_MAIN(DropOpenTest)
#include "tst_drop_open.moc"
