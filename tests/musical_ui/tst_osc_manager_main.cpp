// The OSC settings window as the operator reaches it: from the main menu's "OSC Manager..." on
// the real main window, its OK saving the settings, restarting the server on the new port and
// handing the destinations to the change log.
#include "Interface.h"
#include "CapturedStream.h"
#include "MainWindowFixture.h"
#include "OscManagerController.h"
#include "OscServer.h"
#include "OscSettings.h"
#include "OscUdpClient.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>
#include <QUdpSocket>

#include <iostream>
#include <sstream>

using zarn::qt::OscManagerController;

namespace {

bool PortIsHeld(int port)
{
    QUdpSocket probe;
    return !probe.bind(QHostAddress::Any, static_cast<quint16>(port), QAbstractSocket::DontShareAddress);
}

QQuickItem* Part(QObject* window, const char* name)
{
    return window->findChild<QQuickItem*>(QLatin1String(name));
}

void Click(QQuickItem* item)
{
    QVERIFY(item);
    const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
    QTest::mouseClick(item->window(), Qt::LeftButton, {}, centre.toPoint());
}

} // namespace

class TestOscManagerMain : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral("QObject::connect")));
        f = std::make_unique<MainWindowFixture>();
    }
    void cleanup() { f.reset(); }

    void theMenuOpensTheWindowAndOkRestartsTheServer();
    void aNewDestinationReachesTheChangeLog();
    void everyOpeningAndShowLoadReplacesTheWindow();

private:
    QObject* OpenFromMenu()
    {
        QObject* menu = f->Window()->property("menu").value<QObject*>();
        QObject* action = menu ? menu->findChild<QObject*>(QStringLiteral("oscManagerAction")) : nullptr;
        if (!action || !QMetaObject::invokeMethod(action, "trigger"))
            return nullptr;
        OscManagerController* manager = f->controller->GetOscManager();
        return manager ? manager->GetQmlObject() : nullptr;
    }

    // New Network, then OK in the destination window.
    void AddDestination(QObject* window)
    {
        Click(Part(window, "newNetworkButton"));
        auto* edit = window->property("networkEditWindow").value<QQuickWindow*>();
        QTRY_VERIFY(edit->isVisible());
        QTest::keyClick(edit, Qt::Key_Return);
        QTRY_VERIFY(!edit->isVisible());
    }

    std::unique_ptr<MainWindowFixture> f;
};

void TestOscManagerMain::theMenuOpensTheWindowAndOkRestartsTheServer()
{
    const int newPort = 56000;
    if (PortIsHeld(newPort))
        QSKIP("UDP port 56000 is in use on this machine");
    f->UseFakeEngine();
    f->Create();
    QVERIFY(!f->controller->GetOscManager());

    QObject* window = OpenFromMenu();
    QVERIFY(window);
    QVERIFY(QTest::qWaitForWindowExposed(qobject_cast<QWindow*>(window)));
    QCOMPARE(window->property("oscEnabled").toBool(), true);
    QCOMPARE(window->property("oscListenPortString").toString(), QString::number(f->oscPort));

    window->setProperty("oscListenPortString", QString::number(newPort));
    f->log->Clear();
    {
        CapturedStdout out;
        Click(Part(window, "managerOkButton"));
        QTRY_VERIFY(!qobject_cast<QWindow*>(window)->isVisible());
        const std::string text = out.Text();
        const auto closing = text.find("****Closing port " + std::to_string(f->oscPort) + "\n");
        const auto opening = text.find("****Opening port " + std::to_string(newPort) + "\n");
        QVERIFY2(closing != std::string::npos && opening != std::string::npos && closing < opening, text.c_str());
    }

    zarn::osc::OscSettings stored(false, 1);
    zarn::osc::ReadOscSettings(stored, f->controller->GetOscSettingsPath().toStdString());
    QCOMPARE(stored, zarn::osc::OscSettings(true, newPort));
    QVERIFY(f->controller->GetOscServer());
    QCOMPARE(MainWindowFixture::VisibleDialogs().size(), 0);

    zarn::osc::OscUdpClient client;
    QVERIFY(client.send(QStringLiteral("/zarn/stop"), QHostAddress::LocalHost, newPort));
    QTRY_VERIFY(f->log->Count("Stop") > 0);
}

void TestOscManagerMain::aNewDestinationReachesTheChangeLog()
{
    f->Create(); // the real engine on the demo show
    const std::vector<CL::NetworkPath> before = f->controller->GetEngine()->GetNetworks();
    QVERIFY(!f->controller->HasUnsavedChanges());

    QObject* window = OpenFromMenu();
    QVERIFY(window);
    AddDestination(window);
    auto* list = Part(window, "networkList");
    QTRY_COMPARE(list->property("count").toInt(), static_cast<int>(before.size()) + 1);
    Click(Part(window, "managerOkButton"));
    QTRY_VERIFY(!qobject_cast<QWindow*>(window)->isVisible());

    const std::vector<CL::NetworkPath> after = f->controller->GetEngine()->GetNetworks();
    QCOMPARE(after.size(), before.size() + 1);
    const CL::NetworkPath& added = after.back();
    QCOMPARE(added.Name(), std::string("New Network Destination"));
    QCOMPARE(added.IpAddress(), std::string("127.0.0.1"));
    QCOMPARE(added.port, 8000);
    QCOMPARE(added.tcp, 0);
    // Save lights up: the change log has an edit to save and share.
    QVERIFY(f->controller->HasUnsavedChanges());
    QCOMPARE(MainWindowFixture::VisibleDialogs().size(), 0);

    // And the saved log holds it.
    f->controller->onSaveButton();
    QFile saved(QDir(f->showFolder).filePath(QStringLiteral("lanterns-1.1.logdata")));
    QVERIFY2(saved.open(QIODevice::ReadOnly), qPrintable(saved.fileName()));
    const QJsonArray networks = QJsonDocument::fromJson(saved.readAll()).object().value("networks").toArray();
    QCOMPARE(networks.size(), static_cast<qsizetype>(after.size()));
    const QJsonObject last = networks.last().toObject();
    QCOMPARE(last.value("name").toString(), QStringLiteral("New Network Destination"));
    QCOMPARE(last.value("ip").toString(), QStringLiteral("127.0.0.1"));
    QCOMPARE(last.value("port").toInt(), 8000);
}

void TestOscManagerMain::everyOpeningAndShowLoadReplacesTheWindow()
{
    f->Create();
    QPointer<QObject> first = OpenFromMenu();
    QVERIFY(first);
    QPointer<QObject> second = OpenFromMenu();
    QVERIFY(second && second != first);
    MainWindowFixture::FlushDeletes();
    QVERIFY2(!first, "the window before goes with its controller");
    QVERIFY(qobject_cast<QWindow*>(second.data())->isVisible());

    f->controller->LoadShow_();
    QVERIFY(!f->controller->GetOscManager());
    MainWindowFixture::FlushDeletes();
    QVERIFY(!second);
}

QTEST_MAIN(TestOscManagerMain)
#include "tst_osc_manager_main.moc"
