#include "host/shellware/dialogs.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    // Every dialog a test meets must have been answered in advance.
    Dialogs::setScripted(true, [](const QString &what) { ADD_FAILURE() << "unexpected dialog: " << what.toStdString(); });
    return RUN_ALL_TESTS();
}
