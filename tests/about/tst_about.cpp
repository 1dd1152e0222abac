// The About window: layout, texts, colours, tab order, the figure with its
// transparent colour, and its modal showing.
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "about.h"
#include "gui_test_main.h"

using namespace tessaron;

class AboutTest : public QObject {
    Q_OBJECT

private slots:
    void window() {
        auto about = CreateForm<TForm3>();
        QCOMPARE(about->windowTitle(), QString("About Tessaron Explorer"));
        QCOMPARE(about->size(), QSize(450, 300));
        QVERIFY(about->isModal());
        QVERIFY(!about->isVisible());
        const Qt::WindowFlags flags = about->windowFlags();
        QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    }

    void staticTexts_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("bounds");
        QTest::addColumn<QString>("text");  // empty: ours to choose, only checked non-empty
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<int>("pixels");
        const QColor windowText = QPalette().color(QPalette::WindowText);
        QTest::newRow("1") << "StaticText1" << QRect(127, 9, 197, 28) << "Tessaron Explorer v1.1" << QColor(Qt::red) << 19;
        QTest::newRow("2") << "StaticText2" << QRect(193, 32, 64, 17) << "Special build" << QColor(0, 0, 128) << 11;
        QTest::newRow("3") << "StaticText3" << QRect(85, 64, 281, 20) << "" << QColor(Qt::black) << 13;
        QTest::newRow("4") << "StaticText4" << QRect(66, 104, 320, 17) << "" << windowText << 11;
        QTest::newRow("5") << "StaticText5" << QRect(78, 120, 295, 17) << "" << windowText << 11;
        QTest::newRow("6") << "StaticText6" << QRect(11, 152, 429, 17) << "" << windowText << 11;
        QTest::newRow("7") << "StaticText7" << QRect(178, 171, 94, 17) << "" << windowText << 11;
        QTest::newRow("8") << "StaticText8" << QRect(187, 191, 76, 17) << "" << windowText << 11;
        QTest::newRow("11") << "StaticText11" << QRect(153, 214, 144, 17) << "" << windowText << 11;
        QTest::newRow("10") << "StaticText10" << QRect(108, 240, 234, 17) << "" << windowText << 11;
    }
    void staticTexts() {
        QFETCH(QString, name);
        QFETCH(QRect, bounds);
        QFETCH(QString, text);
        QFETCH(QColor, colour);
        QFETCH(int, pixels);
        auto about = CreateForm<TForm3>();
        auto* label = about->findChild<QLabel*>(name);
        QVERIFY(label);
        // The designed box, or wider about the same centre when the font
        // needs it for the whole text.
        const QRect got = label->geometry();
        QCOMPARE(got.top(), bounds.top());
        QCOMPARE(got.height(), bounds.height());
        QVERIFY(got.width() >= bounds.width());
        QVERIFY(qAbs(got.center().x() - bounds.center().x()) <= 1);
        if (text.isEmpty()) QVERIFY(!label->text().isEmpty());
        else QCOMPARE(label->text(), text);
        QCOMPARE(label->palette().color(QPalette::WindowText), colour);
        QCOMPARE(label->font().pixelSize(), pixels);
        QVERIFY(!label->font().italic());
        QVERIFY(!label->font().bold());
        QVERIFY(label->alignment() & Qt::AlignHCenter);
        // The whole text fits its box.
        QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= got.width() - 2 * label->frameWidth(),
                 qPrintable(label->text()));
        QCOMPARE(label->frameShadow() == QFrame::Sunken, name == "StaticText10");
    }

    void ourOwnCredits() {
        auto about = CreateForm<TForm3>();
        QVERIFY(about->StaticText3->text().contains("Tessaron Explorer authors"));
    }

    void enjoyButtonIsTheDefaultAndFirst() {
        auto about = CreateForm<TForm3>();
        QCOMPARE(about->Button1->text(), QString("Enjoy!"));
        QCOMPARE(about->Button1->geometry(), QRect(188, 266, 75, 25));
        QVERIFY(about->Button1->isDefault());
        QCOMPARE(about->Button1->palette().color(QPalette::ButtonText), QColor(Qt::red));
        QCOMPARE(about->Button1->font().pixelSize(), 11);

        QList<QWidget*> chain;
        QWidget* w = about->Button1;
        for (int i = 0; i < 11; ++i, w = w->nextInFocusChain()) chain << w;
        const QList<QWidget*> expected{about->Button1,     about->StaticText1, about->StaticText2, about->StaticText3,
                                       about->StaticText4, about->StaticText5, about->StaticText6, about->StaticText7,
                                       about->StaticText8, about->StaticText10, about->StaticText11};
        QCOMPARE(chain, expected);
    }

    void modalResults() {
        auto about = CreateForm<TForm3>();
        QTimer::singleShot(0, about.get(), [&] {
            QCOMPARE(about->focusWidget(), static_cast<QWidget*>(about->Button1));
            QTest::keyClick(about.get(), Qt::Key_Return);
        });
        QCOMPARE(about->exec(), 1);
        QTimer::singleShot(0, about.get(), [&] { about->close(); });
        about->exec();
        QVERIFY(!about->isVisible());
        QTimer::singleShot(0, about.get(), [&] { about->Button1->click(); });
        QCOMPARE(about->exec(), 1);
    }

    void figureIsDrawnWithItsBottomLeftColourLeftOut() {
        const QImage figure = AboutFigure();
        QCOMPARE(figure.size(), QSize(35, 80));
        QCOMPARE(qAlpha(figure.pixel(0, 79)), 0);
        int opaque = 0;
        for (int y = 0; y < 80; ++y)
            for (int x = 0; x < 35; ++x) opaque += qAlpha(figure.pixel(x, y)) == 255;
        QVERIFY(opaque > 200);

        auto about = CreateForm<TForm3>();
        about->show();
        QVERIFY(QTest::qWaitForWindowExposed(about.get()));
        QCOMPARE(about->Image1->geometry(), QRect(16, 16, 35, 80));
        const QImage shown = about->grab().toImage();
        QCOMPARE(shown.pixelColor(16, 16 + 79), about->palette().color(QPalette::Window));
    }
};

TESSARON_GUI_TEST_MAIN(AboutTest)
#include "tst_about.moc"
