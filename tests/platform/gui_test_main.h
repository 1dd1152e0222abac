// main() for a QTest binary of the viewer: our application object with
// scripted dialogs on the offscreen platform, then the test object.
#pragma once

#include <QTest>

#include "application.h"
#include "scripted_dialogs.h"

namespace tessaron {

// The scripted dialogs of the running test binary.
inline ScriptedDialogs& TestDialogs() {
    return static_cast<ScriptedDialogs&>(TApplication::Instance()->dialogs());
}

}  // namespace tessaron

#define TESSARON_GUI_TEST_MAIN(TestObject)                                   \
    int main(int argc, char** argv) {                                      \
        qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty()    \
                                       ? QByteArray("offscreen")           \
                                       : qgetenv("QT_QPA_PLATFORM"));      \
        tessaron::ScriptedDialogs dialogs;                                 \
        tessaron::TApplication app(argc, argv, dialogs);                   \
        app.setAttribute(Qt::AA_Use96Dpi, true);                           \
        TestObject test;                                                   \
        QTEST_SET_MAIN_SOURCE_PATH                                         \
        return QTest::qExec(&test, argc, argv);                            \
    }
