// One QApplication for a test program, on the offscreen platform so no window appears.
#pragma once

#include <QApplication>
#include <QtGlobal>

namespace testing_support {

inline QApplication& TestApp() {
    static int argc = 1;
    static char name[] = "vantrel-controls-test";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    return app;
}

}  // namespace testing_support
