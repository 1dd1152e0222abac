// The platform layer: exception reports from the event loop, form hooks,
// centring, processing pending messages once.
#include <stdexcept>

#include <QAction>
#include <QTimer>
#include <QWidget>

#include "form.h"
#include "gui_test_main.h"

using namespace tessaron;

namespace {

// An object whose event handler fails the way a command can.
class ThrowingObject : public QObject {
public:
    static constexpr QEvent::Type kFail = QEvent::User;
    static constexpr QEvent::Type kFailOddly = QEvent::Type(QEvent::User + 1);
    static constexpr QEvent::Type kWork = QEvent::Type(QEvent::User + 2);
    int handled = 0;

    void Send(QEvent::Type type) {
        QEvent event(type);
        QCoreApplication::sendEvent(this, &event);
    }

protected:
    bool event(QEvent* event) override {
        if (event->type() == kFail) throw std::runtime_error("Cannot create file out/000_000.bmp");
        if (event->type() == kFailOddly) throw 42;
        if (event->type() == kWork) ++handled;
        return QObject::event(event);
    }
};

struct HookLog {
    QStringList calls;
};

class ProbeForm : public TFormOf<QWidget> {
public:
    explicit ProbeForm(HookLog& log, bool refuseClose = false, bool failCreate = false)
        : log_(log), refuseClose_(refuseClose), failCreate_(failCreate) {
        log_.calls << "constructor";
    }

protected:
    void FormCreate() override {
        log_.calls << QStringLiteral("FormCreate visible=%1").arg(isVisible());
        if (failCreate_) throw std::runtime_error("create failed");
    }
    void FormClose(TCloseAction& action) override {
        log_.calls << "FormClose";
        if (refuseClose_) action = TCloseAction::caNone;
    }
    void FormDestroy() override { log_.calls << "FormDestroy"; }

private:
    HookLog& log_;
    bool refuseClose_;
    bool failCreate_;
};

}  // namespace

class PlatformTest : public QObject {
    Q_OBJECT

private slots:
    void init() { TestDialogs().Clear(); }

    void exceptionFromHandlerIsReportedAndLoopCarriesOn() {
        ThrowingObject object;
        object.Send(ThrowingObject::kFail);
        object.Send(ThrowingObject::kFailOddly);
        object.Send(ThrowingObject::kWork);
        const auto messages = TestDialogs().AskedFor(ScriptedDialogs::Kind::Message);
        QCOMPARE(messages.size(), size_t(2));
        QCOMPARE(messages[0].text, QString("Cannot create file out/000_000.bmp"));
        QCOMPARE(messages[0].messageKind, MessageKind::Error);
        QCOMPARE(messages[1].text, QString("Unknown exception"));
        QCOMPARE(object.handled, 1);
    }

    void guardedHandlersReportWithoutUnwindingThroughQt() {
        QAction command(nullptr);
        int after = 0;
        QObject::connect(&command, &QAction::triggered, &command,
                         Guarded([] { throw std::runtime_error("Stream write error"); }));
        QObject::connect(&command, &QAction::triggered, &command, [&] { ++after; });
        command.trigger();
        QCOMPARE(TestDialogs().Messages(), std::vector<QString>{"Stream write error"});
        QCOMPARE(after, 1);  // the signal went on to its other slots
        RunHandler([] { throw 7; });
        QCOMPARE(TestDialogs().Messages().back(), QString("Unknown exception"));
    }

    void reportRaisedWhileAnotherIsShownWaitsForIt() {
        ThrowingObject object;
        bool nested = false;
        TestDialogs().OnAsk = [&](const ScriptedDialogs::Asked& asked) {
            if (!nested && asked.kind == ScriptedDialogs::Kind::Message) {
                nested = true;
                object.Send(ThrowingObject::kFailOddly);  // fails while the first box is up
                QCOMPARE(TestDialogs().Messages().size(), size_t(1));
            }
        };
        object.Send(ThrowingObject::kFail);
        TestDialogs().OnAsk = nullptr;
        QCOMPARE(TestDialogs().Messages(),
                 (std::vector<QString>{"Cannot create file out/000_000.bmp", "Unknown exception"}));
    }

    void formHooksRunInOrder() {
        HookLog log;
        {
            auto form = CreateForm<ProbeForm>(log);
            form->show();
            QVERIFY(form->close());
            QVERIFY(!form->isVisible());
        }
        QCOMPARE(log.calls, (QStringList{"constructor", "FormCreate visible=0", "FormClose", "FormDestroy"}));
    }

    void closeActionNoneRefusesTheRequest() {
        HookLog log;
        auto form = CreateForm<ProbeForm>(log, /*refuseClose=*/true);
        form->show();
        QVERIFY(!form->close());
        QVERIFY(form->isVisible());
    }

    void failingFormCreateStillDestroysTheForm() {
        HookLog log;
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, CreateForm<ProbeForm>(log, false, true));
        QCOMPARE(log.calls, (QStringList{"constructor", "FormCreate visible=0", "FormDestroy"}));
    }

    void centredPosition_data() {
        QTest::addColumn<QRect>("main");
        QTest::addColumn<QSize>("own");
        QTest::addColumn<QPoint>("expected");
        // The odd-size example: 10 + 551/2 - 40/2 = 10 + 275 - 20.
        QTest::newRow("odd height") << QRect(0, 10, 550, 551) << QSize(100, 40) << QPoint(225, 265);
        QTest::newRow("odd both") << QRect(3, 5, 551, 375) << QSize(151, 41) << QPoint(3 + 275 - 75, 5 + 187 - 20);
        // Not kept on the screen: a main window partly off the left and top.
        QTest::newRow("off screen") << QRect(-400, -300, 550, 375) << QSize(450, 300) << QPoint(-400 + 275 - 225, -300 + 187 - 150);
        QTest::newRow("larger than main") << QRect(100, 100, 150, 101) << QSize(451, 301) << QPoint(100 + 75 - 225, 100 + 50 - 150);
    }
    void centredPosition() {
        QFETCH(QRect, main);
        QFETCH(QSize, own);
        QFETCH(QPoint, expected);
        QCOMPARE(CentredPosition(main, own), expected);
    }

    void centreOnUsesOuterBounds() {
        QWidget mainWindow;
        mainWindow.setGeometry(37, 21, 551, 375);
        mainWindow.show();
        QWidget child;
        child.resize(143, 41);
        child.show();
        CentreOn(child, mainWindow);
        const QRect m = mainWindow.frameGeometry();
        const QRect c = child.frameGeometry();
        QCOMPARE(c.top(), m.top() + m.height() / 2 - c.height() / 2);
        QCOMPARE(c.left(), m.left() + m.width() / 2 - c.width() / 2);
    }

    void processPendingMessagesRunsWhatIsQueued() {
        int ran = 0;
        QTimer::singleShot(0, [&] { ++ran; });
        QMetaObject::invokeMethod(qApp, [&] { ++ran; }, Qt::QueuedConnection);
        ProcessPendingMessages();
        QCOMPARE(ran, 2);
    }

    void firstFormIsTheMainForm() {
        HookLog log;
        auto first = CreateForm<ProbeForm>(log);
        auto second = CreateForm<ProbeForm>(log);
        QCOMPARE(TApplication::Instance()->MainForm(), static_cast<QWidget*>(first.get()));
    }
};

TESSARON_GUI_TEST_MAIN(PlatformTest)
#include "tst_platform.moc"
