// TExportDlg: its layout, how it disables and enables the main window, and
// the bar and caption helpers both progress dialogs use.
#include <QGroupBox>
#include <QProgressBar>

#include "expdlg.h"
#include "gui_test_main.h"
#include "progress_window.h"

using namespace tessaron;

class ExportDlgTest : public QObject {
    Q_OBJECT

    QWidget mainWindow_;

private slots:
    void initTestCase() {
        mainWindow_.setGeometry(31, 17, 551, 375);
        mainWindow_.show();
        QVERIFY(QTest::qWaitForWindowExposed(&mainWindow_));
    }

    void layout() {
        auto dlg = CreateForm<TExportDlg>(mainWindow_);
        QCOMPARE(dlg->windowTitle(), QString("Exporting..."));
        QCOMPARE(dlg->size(), QSize(240, 60));
        QCOMPARE(dlg->minimumSize(), dlg->maximumSize());  // fixed border
        QVERIFY(!(dlg->windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(dlg->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(dlg->windowFlags() & Qt::WindowCloseButtonHint);
        QCOMPARE(dlg->GroupBox1->title(), QString("Sprites 9999/9999"));
        QCOMPARE(dlg->GroupBox1->geometry(), QRect(10, 10, 220, 40));
        QCOMPARE(dlg->PBarSpr->parentWidget(), dlg->GroupBox1);
        QCOMPARE(dlg->PBarSpr->geometry(), QRect(10, 13, 200, 20));
        QCOMPARE(dlg->PBarSpr->minimum(), 0);
        QCOMPARE(dlg->PBarSpr->maximum(), 100);
        QCOMPARE(dlg->PBarSpr->value(), 0);
        QVERIFY(!dlg->PBarSpr->isTextVisible());
        QVERIFY(!dlg->FCancel);
    }

    void centredOnTheMainWindow() {
        auto dlg = CreateForm<TExportDlg>(mainWindow_);
        const QRect m = mainWindow_.frameGeometry();
        const QRect d = dlg->frameGeometry();
        QCOMPARE(d.top(), m.top() + m.height() / 2 - d.height() / 2);
        QCOMPARE(d.left(), m.left() + m.width() / 2 - d.width() / 2);
    }

    void mainWindowDisabledWhileTheDialogExists() {
        {
            auto dlg = CreateForm<TExportDlg>(mainWindow_);
            QCOMPARE(ExportDlg, dlg.get());
            QVERIFY(!mainWindow_.isEnabled());
            dlg->show();
            QVERIFY(dlg->isEnabled());  // not a child of the disabled window
        }
        QVERIFY(mainWindow_.isEnabled());
        QCOMPARE(ExportDlg, nullptr);
    }

    void closingAsksToStopAndEnablesTheMainWindow() {
        auto dlg = CreateForm<TExportDlg>(mainWindow_);
        dlg->show();
        QVERIFY(dlg->close());
        QVERIFY(dlg->FCancel);
        QVERIFY(!dlg->isVisible());
        QVERIFY(mainWindow_.isEnabled());
        QCOMPARE(ExportDlg, dlg.get());  // hidden, not destroyed
    }

    void barRangeStepAndColour() {
        QProgressBar bar;
        SetBarRange(bar, 3);
        QCOMPARE(bar.maximum(), 3);
        QCOMPARE(bar.value(), 0);
        for (int i = 0; i < 5; ++i) StepBy(bar, 1);
        QCOMPARE(bar.value(), 3);  // stops at the end
        SetBarRange(bar, 2);
        QCOMPARE(bar.value(), 0);  // starts empty again
        // An empty range stays a bar (Qt would show 0..0 as a busy indicator).
        SetBarRange(bar, 0);
        QVERIFY(bar.maximum() > bar.minimum());
        QCOMPARE(bar.value(), 0);
        SetBarRange(bar, int64_t(1) << 40);
        QCOMPARE(bar.maximum(), std::numeric_limits<int>::max());
        SetBarColour(bar, kFrameBarColour);
        QCOMPARE(BarColour(bar), QColor(128, 0, 0));
        QCOMPARE(bar.palette().color(QPalette::Inactive, QPalette::Highlight), QColor(128, 0, 0));
    }

    void captionsShowCountsInFull_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("expected");
        QTest::newRow("sprites") << SpritesCaption(1, 2) << "Sprites 1/2";
        QTest::newRow("sprites wide") << SpritesCaption(65535, 65535) << "Sprites 65535/65535";
        QTest::newRow("blocks") << SpriteBlocksCaption(3, 3) << "Sprite Blocks 3/3";
        QTest::newRow("blocks wide") << SpriteBlocksCaption(123456, 4000000000) << "Sprite Blocks 123456/4000000000";
        QTest::newRow("total") << TotalSpritesCaption(5) << "Total Sprites: 5";
        QTest::newRow("total wide") << TotalSpritesCaption(1234567) << "Total Sprites: 1234567";
    }
    void captionsShowCountsInFull() {
        QFETCH(QString, caption);
        QFETCH(QString, expected);
        QCOMPARE(caption, expected);
    }
};

TESSARON_GUI_TEST_MAIN(ExportDlgTest)
#include "tst_expdlg.moc"
