// TExportDlg2: its layout, Pause and Cancel, and how it disables and
// enables the main window.
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "expdlg2.h"
#include "gui_test_main.h"

using namespace tessaron;

class ExportDlg2Test : public QObject {
    Q_OBJECT

    QWidget mainWindow_;

private slots:
    void initTestCase() {
        mainWindow_.setGeometry(40, 30, 550, 375);
        mainWindow_.show();
        QVERIFY(QTest::qWaitForWindowExposed(&mainWindow_));
    }

    void layout_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QRect>("bounds");
        QTest::addColumn<QString>("caption");
        QTest::newRow("GroupBox1") << "GroupBox1" << "ExportDlg2" << QRect(10, 8, 220, 40) << "Sprites 9999/9999";
        QTest::newRow("PBarSpr") << "PBarSpr" << "GroupBox1" << QRect(10, 13, 200, 20) << "";
        QTest::newRow("StaticText1") << "StaticText1" << "ExportDlg2" << QRect(136, 52, 99, 17) << "Total Sprites: 99999";
        QTest::newRow("GroupBox2") << "GroupBox2" << "ExportDlg2" << QRect(10, 64, 220, 40) << "Sprite Blocks 9999/9999";
        QTest::newRow("PBarSB") << "PBarSB" << "GroupBox2" << QRect(10, 13, 200, 20) << "";
        QTest::newRow("Pause") << "Pause" << "ExportDlg2" << QRect(45, 112, 75, 25) << "&Pause";
        QTest::newRow("Cancel") << "Cancel" << "ExportDlg2" << QRect(120, 112, 75, 25) << "&Cancel";
    }
    void layout() {
        QFETCH(QString, name);
        QFETCH(QString, parent);
        QFETCH(QRect, bounds);
        QFETCH(QString, caption);
        auto dlg = CreateForm<TExportDlg2>(mainWindow_);
        QCOMPARE(dlg->windowTitle(), QString("Exporting..."));
        QCOMPARE(dlg->size(), QSize(240, 140));
        auto* widget = dlg->findChild<QWidget*>(name);
        QVERIFY(widget);
        QCOMPARE(widget->parentWidget()->objectName(), parent);
        if (name == "StaticText1") {
            // Wider than designed only when the font needs it, and then to
            // the left: the right edge stays.
            QCOMPARE(widget->geometry().right(), bounds.right());
            QCOMPARE(widget->y(), bounds.y());
            QCOMPARE(widget->height(), bounds.height());
            QVERIFY(widget->width() >= bounds.width());
            QVERIFY(widget->width() >= widget->sizeHint().width());
        } else {
            QCOMPARE(widget->geometry(), bounds);
        }
        QString text;
        if (auto* box = qobject_cast<QGroupBox*>(widget)) text = box->title();
        if (auto* label = qobject_cast<QLabel*>(widget)) text = label->text();
        if (auto* button = qobject_cast<QPushButton*>(widget)) text = button->text();
        QCOMPARE(text, caption);
        if (auto* bar = qobject_cast<QProgressBar*>(widget)) {
            QCOMPARE(bar->minimum(), 0);
            QCOMPARE(bar->maximum(), 100);
            QCOMPARE(bar->value(), 0);
        }
    }

    void totalsOfAnyLengthAreShownWhole() {
        auto dlg = CreateForm<TExportDlg2>(mainWindow_);
        const int right = dlg->StaticText1->geometry().right();
        dlg->SetTotalCaption("Total Sprites: 1234567890");
        QCOMPARE(dlg->StaticText1->text(), QString("Total Sprites: 1234567890"));
        QVERIFY(dlg->StaticText1->width() >= dlg->StaticText1->sizeHint().width());
        QCOMPARE(dlg->StaticText1->geometry().right(), right);
        QVERIFY(dlg->StaticText1->x() >= 10);
        dlg->SetTotalCaption("Total Sprites: 1");  // back to the designed width, if that is enough
        QCOMPARE(dlg->StaticText1->width(), std::max(99, dlg->StaticText1->sizeHint().width()));
        QCOMPARE(dlg->StaticText1->geometry().right(), right);
    }

    void usesTheMainWindowsFont() {
        QFont small = mainWindow_.font();
        small.setPointSize(8);
        mainWindow_.setFont(small);
        auto dlg = CreateForm<TExportDlg2>(mainWindow_);
        QCOMPARE(dlg->font(), small);
    }

    void startsNeitherCancelledNorPaused() {
        auto dlg = CreateForm<TExportDlg2>(mainWindow_);
        QVERIFY(!dlg->FCancel);
        QVERIFY(!dlg->FPaused);
        QVERIFY(dlg->Cancel->isDefault());
    }

    void pauseTogglesAndShowsItInTheCaption() {
        auto dlg = CreateForm<TExportDlg2>(mainWindow_);
        dlg->show();
        QTest::mouseClick(dlg->Pause, Qt::LeftButton);
        QVERIFY(dlg->FPaused);
        QCOMPARE(dlg->windowTitle(), QString("Exporting... (Paused)"));
        QCOMPARE(dlg->Pause->text(), QString("&Pause"));
        QTest::mouseClick(dlg->Pause, Qt::LeftButton);
        QVERIFY(!dlg->FPaused);
        QCOMPARE(dlg->windowTitle(), QString("Exporting..."));
        QVERIFY(!dlg->FCancel);
    }

    void cancelOnlyAsksToStop() {
        auto dlg = CreateForm<TExportDlg2>(mainWindow_);
        dlg->show();
        QTest::mouseClick(dlg->Cancel, Qt::LeftButton);
        QVERIFY(dlg->FCancel);
        QVERIFY(dlg->isVisible());
        QVERIFY(!mainWindow_.isEnabled());  // until the run destroys the dialog
    }

    void keysReachTheButtons() {
        auto dlg = CreateForm<TExportDlg2>(mainWindow_);
        dlg->show();
        dlg->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dlg.get()));
        QCOMPARE(dlg->focusWidget(), dlg->Cancel);  // first in the tab order
        QTest::keyClick(dlg.get(), Qt::Key_Tab);
        QCOMPARE(dlg->focusWidget(), dlg->Pause);
        QTest::keyClick(dlg->Pause, Qt::Key_Return);  // the focused button
        QVERIFY(dlg->FPaused);
        QVERIFY(!dlg->FCancel);
        dlg->Pause->clearFocus();
        QTest::keyClick(dlg.get(), Qt::Key_Return);  // then the default one
        QVERIFY(dlg->FCancel);
    }

    void lifetimeDisablesAndEnablesTheMainWindow() {
        {
            auto dlg = CreateForm<TExportDlg2>(mainWindow_);
            QCOMPARE(ExportDlg2, dlg.get());
            QVERIFY(!mainWindow_.isEnabled());
            dlg->show();
            QVERIFY(dlg->close());
            QVERIFY(dlg->FCancel);
            QVERIFY(!dlg->isVisible());
            QVERIFY(mainWindow_.isEnabled());
            mainWindow_.setEnabled(false);  // the run carries on; destruction enables again
        }
        QVERIFY(mainWindow_.isEnabled());
        QCOMPARE(ExportDlg2, nullptr);
    }

    void centredOnTheMainWindow() {
        auto dlg = CreateForm<TExportDlg2>(mainWindow_);
        const QRect m = mainWindow_.frameGeometry();
        const QRect d = dlg->frameGeometry();
        QCOMPARE(d.top(), m.top() + m.height() / 2 - d.height() / 2);
        QCOMPARE(d.left(), m.left() + m.width() / 2 - d.width() / 2);
    }
};

TESSARON_GUI_TEST_MAIN(ExportDlg2Test)
#include "tst_expdlg2.moc"
