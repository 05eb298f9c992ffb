#include "app/QuiravelApplication.h"

#include <QStandardPaths>

#include <gtest/gtest.h>

// Window tests run on the offscreen platform inside the program's own application object.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    TQuiravelApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
