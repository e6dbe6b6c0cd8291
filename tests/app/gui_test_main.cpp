// The GUI tests' entry: one QApplication for the whole run, on the offscreen
// platform unless the caller chose another.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("CalibrationTool"));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
