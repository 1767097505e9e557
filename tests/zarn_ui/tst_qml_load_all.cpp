#include "IsolatedDataHome.h"
#include "QmlModuleLoader.h"

#include <QDirIterator>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

const QString kModulesRoot = QStringLiteral(":/qt/qml/com/lanternhillstudios/");

// Documents that cannot stand alone get what their holders give them, by path under
// kModulesRoot. Everything else is created bare.
const QHash<QString, QVariantMap>& initialProperties()
{
    static const QHash<QString, QVariantMap> table = {
    };
    return table;
}

// Warnings that come from the offscreen platform rather than from a document.
const QRegularExpression kAnyWarningButPlatformNoise(
    QStringLiteral("^(?!This plugin does not support).*"), QRegularExpression::DotMatchesEverythingOption);

// Records critical messages for the life of the object, passing every message on. A QML module
// that refuses to work (Qt.labs.platform's menus without a QApplication) says so as critical,
// which QTest::failOnWarning does not see.
class CriticalMessages
{
public:
    CriticalMessages() { previous_ = qInstallMessageHandler(&CriticalMessages::Handle); }
    ~CriticalMessages()
    {
        qInstallMessageHandler(previous_);
        recorded_.clear();
    }
    const QStringList& Recorded() const { return recorded_; }

private:
    static void Handle(QtMsgType type, const QMessageLogContext& context, const QString& message)
    {
        if (type == QtCriticalMsg)
            recorded_ << message;
        if (previous_)
            previous_(type, context, message);
    }

    static inline QtMessageHandler previous_ = nullptr;
    static inline QStringList recorded_;
};

} // namespace

// Creates every QML document of the three modules, found in the resources so that new
// documents are covered without a change here, with QML warnings turned into failures.
class TestQmlLoadAll : public QObject
{
    Q_OBJECT

private slots:
    // Documents that persist their fields (the packager window) need the application's names,
    // and write into a temporary settings store, never the user's.
    void initTestCase()
    {
        QVERIFY(settingsHome_.isValid());
        QCoreApplication::setOrganizationName(QStringLiteral("Corvane Tests"));
        QCoreApplication::setApplicationName(QStringLiteral("tst_qml_load_all"));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsHome_.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsHome_.path());
    }

    void createsEveryDocument_data()
    {
        QTest::addColumn<QString>("path");
        QStringList paths;
        QDirIterator it(kModulesRoot, { QStringLiteral("*.qml") }, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            paths << it.next();
        paths.sort();
        for (const QString& path : std::as_const(paths))
            QTest::newRow(qPrintable(path.mid(kModulesRoot.size()))) << path;
    }

    void createsEveryDocument()
    {
        QFETCH(QString, path);
        QTest::failOnWarning(kAnyWarningButPlatformNoise);
        const CriticalMessages criticals;
        IsolatedDataHome dataHome;

        QQmlEngine engine;
        zarn::qt::QmlModuleLoader::PrepareEngine(engine);
        QList<QQmlError> engineWarnings;
        connect(&engine, &QQmlEngine::warnings, this,
                [&engineWarnings](const QList<QQmlError>& warnings) { engineWarnings += warnings; });

        // Screens declare a theme with the id `theme`; some library parts read it from there.
        QQmlComponent themeComponent(&engine);
        themeComponent.setData("import com.lanternhillstudios.zarn_ui\nZarnTheme {}\n", QUrl());
        std::unique_ptr<QObject> theme(themeComponent.create());
        QVERIFY2(theme, qPrintable(themeComponent.errorString()));
        QQmlContext context(engine.rootContext());
        context.setContextProperty(QStringLiteral("theme"), theme.get());

        QQmlComponent component(&engine, QUrl(QStringLiteral("qrc") + path));
        QVERIFY2(component.isReady(), qPrintable(component.errorString()));

        const QString relative = path.mid(kModulesRoot.size());
        std::unique_ptr<QObject> object(
            component.createWithInitialProperties(initialProperties().value(relative), &context));
        QVERIFY2(object, qPrintable(component.errorString()));

        // Items go into a shown window, so layout, polish and first rendering run too.
        QQuickWindow window;
        window.resize(800, 600);
        if (auto* item = qobject_cast<QQuickItem*>(object.get())) {
            item->setParentItem(window.contentItem());
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
        }
        QTest::qWait(50);

        object.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        QStringList messages;
        for (const QQmlError& warning : std::as_const(engineWarnings))
            messages << warning.toString();
        QVERIFY2(engineWarnings.isEmpty(), qPrintable(messages.join(QLatin1Char('\n'))));
        QVERIFY2(criticals.Recorded().isEmpty(), qPrintable(criticals.Recorded().join(QLatin1Char('\n'))));
    }

    void findsTheDocumentsOfAllThreeModules()
    {
        QStringList modules;
        QDirIterator it(kModulesRoot, { QStringLiteral("*.qml") }, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString module = it.next().mid(kModulesRoot.size()).section(QLatin1Char('/'), 0, 0);
            if (!modules.contains(module))
                modules << module;
        }
        QVERIFY2(modules.contains(QStringLiteral("zarn_ui")), qPrintable(modules.join(QLatin1Char(' '))));
    }

private:
    QTemporaryDir settingsHome_;
};

QTEST_MAIN(TestQmlLoadAll)
#include "tst_qml_load_all.moc"
