// The OSC settings window's controller on its real window, hung off a plain window as the main
// window would hold it, over a fake engine: what the window shows on opening, the listening
// port OK accepts, the destinations it hands back, what Cancel and closing drop, the export's
// failures, and a window that cannot be loaded.
#include "OscFakeEngine.h"
#include "CapturedStream.h"
#include "OscManagerController.h"
#include "QmlModuleLoader.h"

#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QtTest>

#include <iostream>
#include <memory>
#include <sstream>

using zarn::NetworkListModel;
using zarn::osc::OscSettings;
using zarn::qt::OscManagerController;

namespace {

// The fake engine with a destination list; UpdateNetworks is counted, so a test sees that the
// window never changes the engine's list itself.
class NetworksEngine : public OscFakeEngine
{
public:
    const std::vector<CL::NetworkPath>& GetNetworks() override { return networkList; }
    void UpdateNetworks(const std::vector<CL::NetworkPath>&) override { ++updates; }

    CL::NetworkPathVectorT networkList;
    int updates = 0;
};

CL::NetworkPathVectorT TwoNetworks()
{
    return {CL::NetworkPath("NETWORK0", "Lighting desk", "10.0.0.5", 53000, 0),
            CL::NetworkPath("NETWORK1", "Sound desk", "192.168.1.20", 9000, 1)};
}

// What one oscSettingsUpdated carried.
struct Update
{
    OscSettings settings;
    CL::NetworkPathVectorT networks;
};

} // namespace

class TestOscManager : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void opensWithTheSettingsAndTheEnginesList_data();
    void opensWithTheSettingsAndTheEnginesList();
    void okTakesOnlyAPortTheServerCanBind_data();
    void okTakesOnlyAPortTheServerCanBind();
    void aRefusedPortCanBeMended();
    void okHandsBackTheRowsUnchanged();
    void deletingEveryRowSendsAnEmptyList();
    void aNewRowTakesTheNextFreeIdAndGoesLast();
    void editChangesTheSelectedRowAndKeepsItsMode();
    void closingDropsTheEdits_data();
    void closingDropsTheEdits();
    void editAndDeleteNeedASelection();
    void anEditIndexThatNamesNoRowChangesNothing_data();
    void anEditIndexThatNamesNoRowChangesNothing();
    void exportHandsOnTheFolderAndReportsFailures();
    void aWindowThatCannotLoadThrows();

private:
    std::unique_ptr<OscManagerController> Open(OscSettings settings = OscSettings(true, 55037));
    QQuickWindow* Window(const OscManagerController& manager) const;
    QQuickWindow* EditWindow(const OscManagerController& manager) const;
    QQuickItem* Part(const OscManagerController& manager, const char* name) const;
    void Click(QQuickItem* item) const;
    void Select(const OscManagerController& manager, int row) const;
    void Record(OscManagerController& manager);

    std::unique_ptr<QQmlEngine> qml_;
    std::unique_ptr<QQuickWindow> mainWindow_;
    std::shared_ptr<NetworksEngine> engine_;
    std::vector<Update> updates_;
};

void TestOscManager::init()
{
    // A wrong signature string must fail, not only warn.
    QTest::failOnWarning(QRegularExpression(QStringLiteral("QObject::connect")));
    qml_ = std::make_unique<QQmlEngine>();
    zarn::qt::QmlModuleLoader::PrepareEngine(*qml_);
    // Shown: a window shows only while the window it is transient for does.
    mainWindow_ = std::make_unique<QQuickWindow>();
    mainWindow_->resize(600, 400);
    mainWindow_->show();
    engine_ = std::make_shared<NetworksEngine>();
    engine_->networkList = TwoNetworks();
    updates_.clear();
}

void TestOscManager::cleanup()
{
    mainWindow_.reset();
    qml_.reset();
    engine_.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

std::unique_ptr<OscManagerController> TestOscManager::Open(OscSettings settings)
{
    auto manager = std::make_unique<OscManagerController>(qml_.get(), settings, engine_, mainWindow_.get());
    Record(*manager);
    manager->SetVisible(true);
    QQuickWindow* window = Window(*manager);
    if (!QTest::qWaitForWindowExposed(window))
        qWarning("The OSC Manager window was not shown");
    return manager;
}

void TestOscManager::Record(OscManagerController& manager)
{
    connect(&manager, &OscManagerController::oscSettingsUpdated, this,
            [this](OscSettings settings, CL::NetworkPathVectorT& networks) {
                updates_.push_back({settings, networks});
            },
            Qt::DirectConnection);
}

QQuickWindow* TestOscManager::Window(const OscManagerController& manager) const
{
    return qobject_cast<QQuickWindow*>(manager.GetQmlObject());
}

QQuickWindow* TestOscManager::EditWindow(const OscManagerController& manager) const
{
    return Window(manager)->property("networkEditWindow").value<QQuickWindow*>();
}

QQuickItem* TestOscManager::Part(const OscManagerController& manager, const char* name) const
{
    return Window(manager)->findChild<QQuickItem*>(QLatin1String(name));
}

void TestOscManager::Click(QQuickItem* item) const
{
    QVERIFY(item);
    QVERIFY(item->isEnabled());
    const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
    QTest::mouseClick(item->window(), Qt::LeftButton, {}, centre.toPoint());
}

void TestOscManager::Select(const OscManagerController& manager, int row) const
{
    Part(manager, "networkList")->setProperty("currentIndex", row);
}

void TestOscManager::opensWithTheSettingsAndTheEnginesList_data()
{
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("port");
    QTest::newRow("enabled, default port") << true << 55037;
    QTest::newRow("disabled") << false << 9000;
}

void TestOscManager::opensWithTheSettingsAndTheEnginesList()
{
    QFETCH(bool, enabled);
    QFETCH(int, port);
    auto manager = std::make_unique<OscManagerController>(qml_.get(), OscSettings(enabled, port), engine_,
                                                          mainWindow_.get());
    QQuickWindow* window = Window(*manager);
    QVERIFY(window);
    QVERIFY2(!window->isVisible(), "the opener shows it");
    QCOMPARE(window->transientParent(), static_cast<QWindow*>(mainWindow_.get()));
    QCOMPARE(window->title(), QStringLiteral("OSC Manager"));
    QCOMPARE(window->property("oscEnabled").toBool(), enabled);
    QCOMPARE(Part(*manager, "enabledBox")->property("checked").toBool(), enabled);
    QCOMPARE(window->property("oscListenPortString").toString(), QString::number(port));
    QCOMPARE(window->property("portErrorText").toString(), QString());

    NetworkListModel* model = manager->GetNetworkModel();
    QCOMPARE(model->rowCount(), 2);
    QCOMPARE(model->data(model->index(1), DualRoledListModel::SecondRole).toString(),
             QStringLiteral("192.168.1.20:9000, TCP"));
    QCOMPARE(Part(*manager, "networkList")->property("count").toInt(), 2);
    QCOMPARE(Part(*manager, "networkList")->property("currentIndex").toInt(), -1);
}

void TestOscManager::okTakesOnlyAPortTheServerCanBind_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("port"); // 0: refused
    QTest::newRow("letters") << QStringLiteral("abc") << 0;
    QTest::newRow("empty") << QString() << 0;
    QTest::newRow("zero") << QStringLiteral("0") << 0;
    QTest::newRow("above 65535") << QStringLiteral("70000") << 0;
    QTest::newRow("65536") << QStringLiteral("65536") << 0;
    QTest::newRow("negative") << QStringLiteral("-1") << 0;
    QTest::newRow("a fraction") << QStringLiteral("56000.5") << 0;
    QTest::newRow("digits then letters") << QStringLiteral("56000x") << 0;
    QTest::newRow("blanks around") << QStringLiteral(" 56000 ") << 56000;
    QTest::newRow("lowest") << QStringLiteral("1") << 1;
    QTest::newRow("highest") << QStringLiteral("65535") << 65535;
}

void TestOscManager::okTakesOnlyAPortTheServerCanBind()
{
    QFETCH(QString, text);
    QFETCH(int, port);
    auto manager = Open();
    QQuickWindow* window = Window(*manager);
    window->setProperty("oscListenPortString", text);
    Click(Part(*manager, "managerOkButton"));

    if (port == 0) {
        QVERIFY(updates_.empty());
        QVERIFY2(window->isVisible(), "the window stays open");
        QCOMPARE(window->property("portErrorText").toString(),
                 QStringLiteral("Port must be a whole number from 1 to 65535."));
        QVERIFY(Part(*manager, "listenPortNote")->isVisible());
        QTRY_VERIFY(Part(*manager, "listenPortField")->property("field").value<QQuickItem*>()->hasActiveFocus());
        QCOMPARE(engine_->updates, 0);
        return;
    }
    QCOMPARE(updates_.size(), std::size_t(1));
    QCOMPARE(updates_[0].settings, OscSettings(true, port));
    QVERIFY(!window->isVisible());
}

void TestOscManager::aRefusedPortCanBeMended()
{
    auto manager = Open();
    QQuickWindow* window = Window(*manager);
    window->setProperty("oscListenPortString", QStringLiteral("70000"));
    QMetaObject::invokeMethod(window, "okay");
    QVERIFY(updates_.empty());
    window->setProperty("oscListenPortString", QStringLiteral("56000"));
    // Return in the window's column is OK, as the button is.
    QTest::keyClick(window, Qt::Key_Return);
    QCOMPARE(updates_.size(), std::size_t(1));
    QCOMPARE(updates_[0].settings.oscListenPort, 56000);
    QCOMPARE(window->property("portErrorText").toString(), QString());
}

void TestOscManager::okHandsBackTheRowsUnchanged()
{
    // Rows from the change log are kept as they are, however odd.
    engine_->networkList.push_back(CL::NetworkPath("NETWORK0", "", "host.example", 70000, 0));
    auto manager = Open(OscSettings(true, 55037));
    Click(Part(*manager, "enabledBox"));
    Click(Part(*manager, "managerOkButton"));
    QCOMPARE(updates_.size(), std::size_t(1));
    QCOMPARE(updates_[0].settings, OscSettings(false, 55037));
    QVERIFY(updates_[0].networks == engine_->networkList);
    QCOMPARE(engine_->updates, 0);
}

void TestOscManager::deletingEveryRowSendsAnEmptyList()
{
    auto manager = Open();
    QQuickItem* list = Part(*manager, "networkList");
    for (int left = 2; left > 0; --left) {
        Select(*manager, left - 1);
        Click(Part(*manager, "deleteButton"));
        QCOMPARE(manager->GetNetworkModel()->rowCount(), left - 1);
    }
    QCOMPARE(list->property("count").toInt(), 0);
    QVERIFY(!Part(*manager, "deleteButton")->isEnabled());
    // Delete with nothing selected is refused by the window, not handed to the model.
    QMetaObject::invokeMethod(Window(*manager), "deleteButton");
    Click(Part(*manager, "managerOkButton"));
    QCOMPARE(updates_.size(), std::size_t(1));
    QVERIFY(updates_[0].networks.empty());
}

void TestOscManager::aNewRowTakesTheNextFreeIdAndGoesLast()
{
    auto manager = Open();
    Click(Part(*manager, "newNetworkButton"));
    QQuickWindow* edit = EditWindow(*manager);
    QTRY_VERIFY(edit->isVisible());
    QVERIFY(!edit->property("isEdit").toBool());
    QCOMPARE(edit->property("networkName").toString(), QStringLiteral("New Network Destination"));
    QCOMPARE(edit->property("ipAddress").toString(), QStringLiteral("127.0.0.1"));
    QCOMPARE(edit->property("port").toInt(), 8000);
    QCOMPARE(edit->property("mode").toString(), QStringLiteral("udp"));
    QTest::keyClick(edit, Qt::Key_Return);
    QTRY_VERIFY(!edit->isVisible());

    NetworkListModel* model = manager->GetNetworkModel();
    QCOMPARE(model->rowCount(), 3);
    const QModelIndex last = model->index(2);
    QCOMPARE(model->data(last, NetworkListModel::NetworkIdRole).toString(), QStringLiteral("NETWORK2"));
    QCOMPARE(model->data(last, DualRoledListModel::FirstRole).toString(), QStringLiteral("New Network Destination"));
    QCOMPARE(model->data(last, DualRoledListModel::SecondRole).toString(), QStringLiteral("127.0.0.1:8000, UDP"));

    Click(Part(*manager, "managerOkButton"));
    QCOMPARE(updates_.size(), std::size_t(1));
    QCOMPARE(updates_[0].networks.size(), std::size_t(3));
    QVERIFY(updates_[0].networks.back()
            == CL::NetworkPath("NETWORK2", "New Network Destination", "127.0.0.1", 8000, 0));
}

void TestOscManager::editChangesTheSelectedRowAndKeepsItsMode()
{
    auto manager = Open();
    Select(*manager, 1);
    Click(Part(*manager, "editButton"));
    QQuickWindow* edit = EditWindow(*manager);
    QTRY_VERIFY(edit->isVisible());
    QVERIFY(edit->property("isEdit").toBool());
    QCOMPARE(edit->property("networkName").toString(), QStringLiteral("Sound desk"));
    QCOMPARE(edit->property("ipAddress").toString(), QStringLiteral("192.168.1.20"));
    QCOMPARE(edit->property("port").toInt(), 9000);
    QCOMPARE(edit->property("mode").toString(), QStringLiteral("tcp"));
    QCOMPARE(edit->property("networkId").toString(), QStringLiteral("NETWORK1"));

    edit->setProperty("networkName", QStringLiteral("Monitor desk"));
    edit->setProperty("ipAddress", QStringLiteral("::1"));
    QTest::keyClick(edit, Qt::Key_Return);
    QTRY_VERIFY(!edit->isVisible());

    Click(Part(*manager, "managerOkButton"));
    QCOMPARE(updates_.size(), std::size_t(1));
    CL::NetworkPathVectorT expected = TwoNetworks();
    expected[1] = CL::NetworkPath("NETWORK1", "Monitor desk", "::1", 9000, 1);
    QVERIFY(updates_[0].networks == expected);
}

void TestOscManager::closingDropsTheEdits_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Cancel") << QStringLiteral("cancel");
    QTest::newRow("Escape") << QStringLiteral("escape");
    QTest::newRow("title-bar close") << QStringLiteral("close");
}

void TestOscManager::closingDropsTheEdits()
{
    QFETCH(QString, how);
    auto manager = Open();
    QQuickWindow* window = Window(*manager);
    QMetaObject::invokeMethod(window, "createNetwork", Q_ARG(QString, QStringLiteral("10.0.0.9")), Q_ARG(int, 7000),
                              Q_ARG(QString, QStringLiteral("udp")), Q_ARG(QString, QStringLiteral("Extra")));
    window->setProperty("oscListenPortString", QStringLiteral("56000"));
    QCOMPARE(manager->GetNetworkModel()->rowCount(), 3);

    if (how == QLatin1String("cancel"))
        Click(Part(*manager, "managerCancelButton"));
    else if (how == QLatin1String("escape"))
        QTest::keyClick(window, Qt::Key_Escape);
    else
        window->close();
    QTRY_VERIFY(!window->isVisible());
    QVERIFY(updates_.empty());
    QCOMPARE(engine_->updates, 0);

    // The next opening shows the engine's list and the settings it is given.
    manager.reset();
    auto next = Open(OscSettings(true, 55037));
    QCOMPARE(next->GetNetworkModel()->rowCount(), 2);
    QCOMPARE(Window(*next)->property("oscListenPortString").toString(), QStringLiteral("55037"));
    Click(Part(*next, "managerOkButton"));
    QCOMPARE(updates_.size(), std::size_t(1));
    QVERIFY(updates_[0].networks == TwoNetworks());
}

void TestOscManager::editAndDeleteNeedASelection()
{
    auto manager = Open();
    QQuickItem* editButton = Part(*manager, "editButton");
    QQuickItem* deleteButton = Part(*manager, "deleteButton");
    QVERIFY(Part(*manager, "newNetworkButton")->isEnabled());
    QVERIFY(!editButton->isEnabled());
    QVERIFY(!deleteButton->isEnabled());

    // A click on a row selects it.
    QQuickItem* list = Part(*manager, "networkList");
    const QPointF firstRow = list->mapToScene(QPointF(list->width() / 2, 15));
    QTest::mouseClick(Window(*manager), Qt::LeftButton, {}, firstRow.toPoint());
    QTRY_COMPARE(list->property("currentIndex").toInt(), 0);
    QVERIFY(editButton->isEnabled());
    QVERIFY(deleteButton->isEnabled());

    Select(*manager, -1);
    QVERIFY(!editButton->isEnabled());
    QVERIFY(!deleteButton->isEnabled());
    // Without a selection Edit opens nothing even when asked directly.
    QMetaObject::invokeMethod(Window(*manager), "openEditNetwork");
    QVERIFY(!EditWindow(*manager)->isVisible());
}

void TestOscManager::anEditIndexThatNamesNoRowChangesNothing_data()
{
    QTest::addColumn<int>("index");
    QTest::newRow("-1") << -1;
    QTest::newRow("the row count") << 2;
    QTest::newRow("far beyond") << 1000;
}

void TestOscManager::anEditIndexThatNamesNoRowChangesNothing()
{
    QFETCH(int, index);
    auto manager = Open();
    QSignalSpy changed(manager->GetNetworkModel(), &QAbstractItemModel::dataChanged);
    QSignalSpy errors(manager.get(), &zarn::qt::QmlController::error);
    QMetaObject::invokeMethod(Window(*manager), "editNetwork", Q_ARG(int, index), Q_ARG(QString, "1.2.3.4"),
                              Q_ARG(int, 1), Q_ARG(QString, "udp"), Q_ARG(QString, "x"), Q_ARG(QString, "X"));
    QCOMPARE(changed.count(), 0);
    QCOMPARE(errors.count(), 0);
    QVERIFY(manager->GetNetworkModel()->ToNetworkPaths() == TwoNetworks());
}

void TestOscManager::exportHandsOnTheFolderAndReportsFailures()
{
    auto manager = Open();
    QQuickWindow* window = Window(*manager);
    QSignalSpy errors(manager.get(), &zarn::qt::QmlController::error);

    std::vector<QString> folders;
    std::vector<Interface*> engines;
    manager->SetQLabExport([&](const std::shared_ptr<Interface>& engine, const QString& folder) {
        engines.push_back(engine.get());
        folders.push_back(folder);
    });
    const QString chosen = QStringLiteral("file:///tmp/Show%20Files/Q%23");
    QMetaObject::invokeMethod(window, "exportQLab", Q_ARG(QString, chosen));
    QCOMPARE(folders, std::vector<QString>{chosen});
    QCOMPARE(engines, std::vector<Interface*>{engine_.get()});
    QCOMPARE(errors.count(), 0);

    manager->SetQLabExport([](const std::shared_ptr<Interface>&, const QString&) {
        throw std::runtime_error("the folder does not exist");
    });
    CapturedStderr stderrText;
    QMetaObject::invokeMethod(window, "exportQLab", Q_ARG(QString, QStringLiteral("/no/such/folder")));
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.at(0).at(0).value<std::string>(), std::string("the folder does not exist"));
    QCOMPARE(errors.at(0).at(1).value<std::string>(), std::string("QLab Export Failed"));
    QVERIFY(stderrText.Text().find("Error exporting qlab: the folder does not exist\n") != std::string::npos);
    QVERIFY2(window->isVisible(), "the window stays open for another try");
    QVERIFY(updates_.empty());
}

void TestOscManager::aWindowThatCannotLoadThrows()
{
    // Without the module paths the window's imports do not resolve.
    QQmlEngine bare;
    try {
        OscManagerController manager(&bare, OscSettings(), engine_, mainWindow_.get());
        QFAIL("a controller without a window was made");
    } catch (const std::runtime_error& e) {
        QVERIFY(std::string(e.what()).find("qrc:/qt/qml/com/lanternhillstudios/musical_ui/qml/OscManager.qml")
                != std::string::npos);
    }
    // An engine-less controller (no show) opens on an empty list.
    OscManagerController manager(qml_.get(), OscSettings(), nullptr, nullptr);
    QCOMPARE(manager.GetNetworkModel()->rowCount(), 0);
}

QTEST_MAIN(TestOscManager)
#include "tst_osc_manager.moc"
