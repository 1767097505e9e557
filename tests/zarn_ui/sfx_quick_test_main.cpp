#include "QmlModuleLoader.h"

#include <QCoreApplication>
#include <QQmlEngine>
#include <QSettings>
#include <QTemporaryDir>
#include <QtQuickTest/quicktest.h>

// The sound-effect and packager windows under Qt Quick Test. The packager window keeps its
// fields in the application's settings store: the test names the application and points the
// store at a temporary folder, never at the user's.
class SfxQuickTestSetup : public QObject
{
    Q_OBJECT

public slots:
    void applicationAvailable()
    {
        QCoreApplication::setOrganizationName(QStringLiteral("Corvane Tests"));
        QCoreApplication::setApplicationName(QStringLiteral("tst_zarn_ui_sfx_windows"));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsHome_.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsHome_.path());
    }

    void qmlEngineAvailable(QQmlEngine* engine)
    {
        zarn::qt::QmlModuleLoader::PrepareEngine(*engine);
    }

private:
    QTemporaryDir settingsHome_;
};

QUICK_TEST_MAIN_WITH_SETUP(tst_zarn_ui_sfx_windows, SfxQuickTestSetup)

#include "sfx_quick_test_main.moc"
