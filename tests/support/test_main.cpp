// Test entry point: every test binary runs with a private home folder, so settings, the
// documents folder and caches never touch the user's own. Widget tests (QUIREL_GUI_TESTS) get
// a QApplication on the offscreen platform unless another platform is chosen.
#include <QTemporaryDir>
#include <cstdlib>
#include <gtest/gtest.h>

#ifdef QUIREL_GUI_TESTS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

#include "platform/settings.h"

int main(int argc, char** argv)
{
    QTemporaryDir home;
    if (!home.isValid())
        return 2;
    const QByteArray path = home.path().toUtf8();
    setenv("HOME", path.constData(), 1);
    for (const char* var : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_DOCUMENTS_DIR"})
        unsetenv(var);
    if (!getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);

    TestApplication app(argc, argv);
    InitSettingsIdentity();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
