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

// One level of indirection, so the test is named after the value of CORVANE_QUICK_TEST_NAME
// rather than the macro's own name.
#define CORVANE_QUICK_TEST_MAIN(name, setup) QUICK_TEST_MAIN_WITH_SETUP(name, setup)
CORVANE_QUICK_TEST_MAIN(CORVANE_QUICK_TEST_NAME, QuickTestSetup)

#include "quick_test_main.moc"
