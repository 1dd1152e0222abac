// The loading window: placement over the main window, no title bar, the
// main window disabled while it exists, every close request refused.
#include <QLabel>

#include "form.h"
#include "gui_test_main.h"
#include "loading.h"

using namespace tessaron;

namespace {
class MainForm : public TFormOf<QWidget> {};
}  // namespace

class LoadingTest : public QObject {
    Q_OBJECT

private slots:
    void centredOnTheMainWindow_data() {
        QTest::addColumn<QRect>("mainBounds");
        QTest::newRow("odd height") << QRect(30, 10, 550, 551);
        QTest::newRow("odd width") << QRect(0, 0, 551, 375);
        QTest::newRow("partly off the screen") << QRect(-500, -200, 550, 375);
        QTest::newRow("on the bottom edge") << QRect(100, 700, 550, 375);
    }
    void centredOnTheMainWindow() {
        QFETCH(QRect, mainBounds);
        auto main = CreateForm<MainForm>();
        main->setGeometry(mainBounds);
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
        auto loading = CreateForm<TForm2>();
        const QRect m = main->frameGeometry();
        const QRect own = loading->frameGeometry();
        QCOMPARE(own.top(), m.top() + m.height() / 2 - own.height() / 2);
        QCOMPARE(own.left(), m.left() + m.width() / 2 - own.width() / 2);
        loading->show();
        QCOMPARE(loading->frameGeometry(), own);  // no frame appears on showing
    }

    void lifecycleDisablesAndEnablesTheMainWindow() {
        auto main = CreateForm<MainForm>();
        main->show();
        {
            auto loading = CreateForm<TForm2>();
            QCOMPARE(loading->MainWindow(), static_cast<QWidget*>(main.get()));
            QVERIFY(!main->isEnabled());
            QVERIFY(!loading->isVisible());  // created hidden
            QVERIFY(loading->windowFlags().testFlag(Qt::FramelessWindowHint));
            QCOMPARE(loading->windowTitle(), QString());
            QCOMPARE(loading->Panel1->text(), QString("Loading data..."));
            QVERIFY(loading->Panel1->font().bold());
            QCOMPARE(loading->Panel1->font().pixelSize(), 21);
            QCOMPARE(loading->Panel1->frameShadow(), QFrame::Sunken);
            QVERIFY(loading->width() >= 148);
            QVERIFY(loading->height() >= 48);

            loading->show();
            QVERIFY(QTest::qWaitForWindowExposed(loading.get()));
            for (int attempt = 0; attempt < 3; ++attempt) QVERIFY(!loading->close());
            QVERIFY(loading->isVisible());
            QVERIFY(!main->isEnabled());
            loading->hide();
            QVERIFY(!main->isEnabled());
        }
        QVERIFY(main->isEnabled());
    }

    void failingCreationStillEnablesTheMainWindow() {
        auto main = CreateForm<MainForm>();
        try {
            auto loading = CreateForm<TForm2>();
            throw std::runtime_error("indexing failed");
        } catch (const std::runtime_error&) {
        }
        QVERIFY(main->isEnabled());
    }
};

TESSARON_GUI_TEST_MAIN(LoadingTest)
#include "tst_loading.moc"
