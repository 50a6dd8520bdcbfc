#include "host/shellware/dialogs.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    // No test ever waits for a click: every dialog must have been answered in advance.
    Dialogs::setScripted(true, [](const QString &what) { ADD_FAILURE() << what.toStdString(); });
    return RUN_ALL_TESTS();
}
