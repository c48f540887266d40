// The QApplication of a widget test program, made by qt_test_main.cpp before any test runs.
#pragma once

#include <QApplication>

namespace testing_support {

inline QApplication& TestApp() {
    return *static_cast<QApplication*>(QCoreApplication::instance());
}

}  // namespace testing_support
