#include "QmlModuleLoader.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QtTest>

class TestQmlModuleLoader : public QObject
{
    Q_OBJECT

private slots:
    void modulesLiveAtTheirResourceRoots_data()
    {
        QTest::addColumn<QString>("module");
        QTest::newRow("corvane2_ui") << QStringLiteral("corvane2_ui");
        QTest::newRow("musical_ui") << QStringLiteral("musical_ui");
        QTest::newRow("zarn_ui") << QStringLiteral("zarn_ui");
    }
    void modulesLiveAtTheirResourceRoots()
    {
        QFETCH(QString, module);
        const QString root = QStringLiteral(":/qt/qml/com/lanternhillstudios/%1/").arg(module);
        QFile qmldir(root + QStringLiteral("qmldir"));
        QVERIFY2(qmldir.open(QIODevice::ReadOnly), qPrintable(qmldir.fileName()));
        const QString text = QString::fromUtf8(qmldir.readAll());
        QVERIFY(text.startsWith(QStringLiteral("module com.lanternhillstudios.%1\n").arg(module)));
        QVERIFY(text.contains(QStringLiteral("\nprefer %1\n").arg(root)));
    }

    void importPathIsAddedOnce()
    {
        QQmlEngine engine;
        zarn::qt::QmlModuleLoader::PrepareEngine(engine);
        zarn::qt::QmlModuleLoader::PrepareEngine(engine);
        QCOMPARE(engine.importPathList().count(QStringLiteral("qrc:/qt/qml")), 1);
    }

    void loadsATypeByModuleAndName()
    {
        QQmlEngine engine;
        zarn::qt::QmlModuleLoader::PrepareEngine(engine);
        QQmlComponent component(&engine);
        zarn::qt::QmlModuleLoader::LoadFromModule(component, QStringLiteral("QtQuick"), QStringLiteral("Rectangle"));
        QVERIFY2(component.isReady(), qPrintable(component.errorString()));
        std::unique_ptr<QObject> object(component.create());
        QVERIFY(object);
        QCOMPARE(QString::fromLatin1(object->metaObject()->className()), QStringLiteral("QQuickRectangle"));
    }

    void unknownTypeIsAnError()
    {
        QQmlEngine engine;
        zarn::qt::QmlModuleLoader::PrepareEngine(engine);
        QQmlComponent component(&engine);
        zarn::qt::QmlModuleLoader::LoadFromModule(component, zarn::qt::QmlModuleLoader::kZarnUiModule,
                                                  QStringLiteral("NoSuchWindow"));
        QVERIFY(component.isError());
        QVERIFY2(component.errorString().contains(QStringLiteral("NoSuchWindow")), qPrintable(component.errorString()));
    }
};

QTEST_MAIN(TestQmlModuleLoader)
#include "tst_qml_module_loader.moc"
