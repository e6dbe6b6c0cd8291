// SPDX-License-Identifier: GPL-3.0-or-later
// The fault tests' entry: one QApplication (offscreen) for the start-up runs
// made in this process; the tools under test get an X server of their own.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("CalibrationTool"));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
