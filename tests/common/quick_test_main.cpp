#include "QmlModuleLoader.h"

#include <QQmlEngine>
#include <QtQuickTest/quicktest.h>

// Qt Quick Tests load the real modules from the resources, as the program does.
class QuickTestSetup : public QObject
{
    Q_OBJECT

public slots:
    void qmlEngineAvailable(QQmlEngine* engine)
    {
        zarn::qt::QmlModuleLoader::PrepareEngine(*engine);
    }
};

#define CORVANE_STRINGIFY2(x) #x
#define CORVANE_STRINGIFY(x) CORVANE_STRINGIFY2(x)
QUICK_TEST_MAIN_WITH_SETUP(CORVANE_QUICK_TEST_NAME, QuickTestSetup)

#include "quick_test_main.moc"
