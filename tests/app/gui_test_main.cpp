// SPDX-License-Identifier: GPL-3.0-or-later
// The GUI tests' entry: one QApplication for the whole run, on the offscreen
// platform unless the caller chose another.
#include <QApplication>
#include <gtest/gtest.h>

namespace {
QtMessageHandler previous_handler = nullptr;

// The offscreen platform warns about window-manager hints it cannot pass on.
void QuietMessages(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.contains(QStringLiteral("propagateSizeHints"))) return;
    if (previous_handler) previous_handler(type, context, text);
}
}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    previous_handler = qInstallMessageHandler(QuietMessages);
    QApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("CalibrationTool"));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
