// The one main of every test program: offscreen Qt, the settings store and HOME redirected into
// a temporary folder, so no test needs a display or touches the user's files.
#include <gtest/gtest.h>

#include "common/SkipLog.h"
#include "platform/ui/Application.h"

#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

int main(int argc, char **argv) {
    // Must be set before QApplication exists; the ctest environment alone would not reach the
    // test-listing run that gtest_discover_tests makes.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + "/.local/share").toUtf8());
    qputenv("XDG_RUNTIME_DIR", (home.path() + "/run").toUtf8());
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home.path() + "/settings");
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, home.path() + "/settings");

    platform::ui::Application app(argc, argv);
    QCoreApplication::setOrganizationName("Orvalis");
    QCoreApplication::setApplicationName("Orvalis");
    ::testing::InitGoogleTest(&argc, argv);
    testenv::SkipLog::installFromEnvironment();
    return RUN_ALL_TESTS();
}
