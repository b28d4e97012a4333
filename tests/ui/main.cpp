#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

int main(int argc, char** argv) {
    // Window tests run without a display unless one is asked for.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // A settings folder of this run's own: never the user's stored port.
    QTemporaryDir config;
    if (qEnvironmentVariableIsEmpty("KELVARN_CONFIG_DIR"))
        qputenv("KELVARN_CONFIG_DIR", config.path().toLocal8Bit());
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
