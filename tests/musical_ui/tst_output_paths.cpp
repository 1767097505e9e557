// The output paths window and its controller, over a plain window as the main window would hold
// them and a show folder of the test's own: the device file's reader and writer, the model, the
// controller's construction, naming, changes and deletions, and the window and its form driven
// as the operator drives them. The devices are the test's (DeviceControlWin32's testing list).
#include "DeviceControlWin32.h"
#include "CapturedStream.h"
#include "OutputPathsManagerController.h"
#include "OutputPathsModel.h"
#include "QmlModuleLoader.h"
#include "zarn_core/Directories.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <filesystem>
#include <iostream>
#include <memory>
#include <sstream>

using zarn::audio::AudioDevice;
using zarn::audio::DeviceControlWin32;
using zarn::qt::OutputPathsManagerController;
using zarn::qt::OutputPathsModel;
using PathMap = std::map<std::string, CL::OutputPath>;

Q_DECLARE_METATYPE(PathMap)

namespace {

const std::vector<AudioDevice> kDevices = {
    {"Built-in Output", "sink-builtin"},
    {"USB Interface", "sink-usb"},
};

PathMap TwoPaths()
{
    return {{"p", CL::OutputPath("p", "Main", "")}, {"q", CL::OutputPath("q", "Stage Left", "sink-usb")}};
}

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

} // namespace

class TestOutputPaths : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void readerMessages_data();
    void readerMessages();
    void readerTakesTheLaterOfTwoEntriesAndIgnoresUnknownMembers();
    void writerBytes_data();
    void writerBytes();
    void aFailedWriteIsReportedOnceAndChangesNothing();

    void modelKeepsTheListModelContract();
    void addReplacesByIdOrAppends();
    void removeSignalsWhileTheRowStillExists();
    void setDataRefusesRowsOutsideTheList();

    void constructionWithoutADeviceFile();
    void constructionAppliesTheSavedDevices();
    void constructionIgnoresAFileItCannotRead();
    void anEmptyShowSetsNoCurrentRow();
    void creatingMainTwice();
    void numbering_data();
    void numbering();
    void aRenameToAnExistingNameIsAccepted();
    void deleteNeedsACurrentRowAndLeavesTheFile();
    void closePrintsItsLineAndHides();

    void editAndDeleteFollowTheCurrentRow();
    void newPathAfterEdit();
    void cancelAndTitleBarCloseSendNothing();
    void editOfADefaultDevicePathSelectsDefault();
    void editOfAVanishedDeviceKeepsItsIdAndName();
    void twoDevicesOfOneNameStayApart();

private:
    std::unique_ptr<OutputPathsManagerController> Make(const PathMap& paths);
    QString DeviceFile() const { return showDir_->filePath(QStringLiteral("outputpathdevices.json")); }
    QQuickWindow* Window(const OutputPathsManagerController& manager) const
    {
        return qobject_cast<QQuickWindow*>(manager.GetQmlObject());
    }
    QQuickWindow* Tool(const OutputPathsManagerController& manager) const
    {
        return Window(manager)->property("pathTool").value<QQuickWindow*>();
    }
    QQuickItem* Part(QQuickWindow* window, const char* name) const
    {
        return window->findChild<QQuickItem*>(QLatin1String(name));
    }
    void Click(QQuickItem* item) const;
    void Show(const OutputPathsManagerController& manager) const;

    std::unique_ptr<QTemporaryDir> showDir_;
    std::unique_ptr<QQmlEngine> qml_;
    std::unique_ptr<QQuickWindow> mainWindow_;
};

void TestOutputPaths::init()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral("QObject::connect|QML|qml")));
    showDir_ = std::make_unique<QTemporaryDir>();
    directories.SetShowDirectory(showDir_->path().toStdString());
    DeviceControlWin32::SetDevicesForTesting(kDevices);
    qml_ = std::make_unique<QQmlEngine>();
    zarn::qt::QmlModuleLoader::PrepareEngine(*qml_);
    mainWindow_ = std::make_unique<QQuickWindow>();
    mainWindow_->resize(700, 500);
    mainWindow_->show();
}

void TestOutputPaths::cleanup()
{
    mainWindow_.reset();
    qml_.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    DeviceControlWin32::SetDevicesForTesting(std::nullopt);
    directories.SetShowDirectory("");
    showDir_.reset();
}

std::unique_ptr<OutputPathsManagerController> TestOutputPaths::Make(const PathMap& paths)
{
    auto manager = std::make_unique<OutputPathsManagerController>(paths, qml_.get(), mainWindow_.get());
    manager->SetVisible(false);
    return manager;
}

void TestOutputPaths::Show(const OutputPathsManagerController& manager) const
{
    const_cast<OutputPathsManagerController&>(manager).SetVisible(true);
    QVERIFY(QTest::qWaitForWindowExposed(Window(manager)));
}

void TestOutputPaths::Click(QQuickItem* item) const
{
    QVERIFY(item);
    QVERIFY(item->isEnabled());
    QVERIFY(item->isVisible());
    const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
    QTest::mouseClick(item->window(), Qt::LeftButton, {}, centre.toPoint());
}

// --- the device file ---

void TestOutputPaths::readerMessages_data()
{
    QTest::addColumn<QByteArray>("content"); // "<missing>": no file at all
    QTest::addColumn<QString>("message");    // empty: read without error
    QTest::addColumn<int>("entries");
    QTest::newRow("no file") << QByteArray("<missing>") << QStringLiteral("The Output path config file %1 does not exist.") << 0;
    QTest::newRow("empty file") << QByteArray()
                                << QStringLiteral("The output path config file has a parse error: 1 The document is empty.") << 0;
    QTest::newRow("not JSON") << QByteArray("{\"outputpaths\": [")
                              << QStringLiteral("The output path config file has a parse error: ") << 0;
    QTest::newRow("other members only")
        << QByteArray(R"({"paths":[]})")
        << QStringLiteral("The output path config file does not contain a field called \"outputpaths\" and cannot be read.")
        << 0;
    QTest::newRow("empty list") << QByteArray(R"({"outputpaths":[]})") << QString() << 0;
    QTest::newRow("first without id") << QByteArray(R"({"outputpaths":[{"hwid":"x"}]})")
                                      << QStringLiteral("The first outputpath found  does not have an id. Failing.") << 0;
    QTest::newRow("second without id")
        << QByteArray(R"({"outputpaths":[{"id":"A","hwid":""},{"hwid":"x"}]})")
        << QStringLiteral("The outputpath after the outputpath with id A  does not have an id. Failing.") << 0;
    QTest::newRow("without hwid") << QByteArray(R"({"outputpaths":[{"id":"A"}]})")
                                  << QStringLiteral("The outputpath with id A  does not have a hwid. Failing.") << 0;
    // Shapes nothing above looks at: each named, none reaching RapidJSON's assertions.
    QTest::newRow("top level a list") << QByteArray(R"([{"outputpaths":[]}])")
                                      << QStringLiteral("The output path config file does not hold a JSON object and cannot be read.") << 0;
    QTest::newRow("top level a text") << QByteArray(R"("outputpaths")")
                                      << QStringLiteral("The output path config file does not hold a JSON object and cannot be read.") << 0;
    QTest::newRow("outputpaths an object") << QByteArray(R"({"outputpaths":{"id":"A","hwid":""}})")
                                           << QStringLiteral("The field \"outputpaths\" of the output path config file is not a list.") << 0;
    QTest::newRow("element a text") << QByteArray(R"({"outputpaths":["A"]})")
                                    << QStringLiteral("The first outputpath found  is not an object. Failing.") << 0;
    QTest::newRow("id a number") << QByteArray(R"({"outputpaths":[{"id":7,"hwid":""}]})")
                                 << QStringLiteral("The first outputpath found  has an id that is not a text. Failing.") << 0;
    QTest::newRow("hwid null") << QByteArray(R"({"outputpaths":[{"id":"A","hwid":null}]})")
                               << QStringLiteral("The outputpath with id A  has a hwid that is not a text. Failing.") << 0;
    QTest::newRow("two entries") << QByteArray(R"({"outputpaths":[{"id":"A","hwid":"x"},{"id":"B","hwid":""}]})")
                                 << QString() << 2;
}

void TestOutputPaths::readerMessages()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    QFETCH(int, entries);
    if (content != "<missing>")
        WriteBytes(DeviceFile(), content);
    const std::string path = DeviceFile().toStdString();
    try {
        const PathMap read = OutputPathsManagerController::ReadDeviceFile(path);
        QVERIFY2(message.isEmpty(), "no error was raised");
        QCOMPARE(read.size(), std::size_t(entries));
    } catch (const std::runtime_error& e) {
        QVERIFY2(!message.isEmpty(), e.what());
        const QString expected = message.contains(QLatin1String("%1")) ? message.arg(DeviceFile()) : message;
        QVERIFY2(QString::fromStdString(e.what()).startsWith(expected), e.what());
    }
}

void TestOutputPaths::readerTakesTheLaterOfTwoEntriesAndIgnoresUnknownMembers()
{
    WriteBytes(DeviceFile(), R"({"version":2,"outputpaths":[{"id":"A","hwid":"first","name":"x"},{"id":"A","hwid":"second"}]})");
    const PathMap read = OutputPathsManagerController::ReadDeviceFile(DeviceFile().toStdString());
    QCOMPARE(read.size(), std::size_t(1));
    QCOMPARE(read.at("A").GetDeviceId(), std::string("second"));
    QCOMPARE(read.at("A").GetName(), std::string());
}

void TestOutputPaths::writerBytes_data()
{
    QTest::addColumn<PathMap>("paths");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("sorted by id") << PathMap{{"b", CL::OutputPath("b", "B", "hw-b")},
                                             {"a", CL::OutputPath("a", "A", "")},
                                             {"c", CL::OutputPath("c", "C", "hw-c", "Name")}}
                                  << QByteArray(R"({"outputpaths":[{"id":"a","hwid":""},{"id":"b","hwid":"hw-b"},{"id":"c","hwid":"hw-c"}]})");
    QTest::newRow("no rows") << PathMap{} << QByteArray(R"({"outputpaths":[]})");
    QTest::newRow("escaped") << PathMap{{"q\"\\", CL::OutputPath("q\"\\", "", "tab\there\n")}}
                             << QByteArray(R"({"outputpaths":[{"id":"q\"\\","hwid":"tab\there\n"}]})");
}

void TestOutputPaths::writerBytes()
{
    QFETCH(PathMap, paths);
    QFETCH(QByteArray, bytes);
    QVERIFY(OutputPathsManagerController::WriteDeviceFile(DeviceFile().toStdString(), paths));
    QCOMPARE(FileBytes(DeviceFile()), bytes);
    // What the writer writes, the reader reads back.
    QCOMPARE(OutputPathsManagerController::ReadDeviceFile(DeviceFile().toStdString()).size(), paths.size());
}

void TestOutputPaths::aFailedWriteIsReportedOnceAndChangesNothing()
{
    QVERIFY(QDir(showDir_->path()).mkdir(QStringLiteral("outputpathdevices.json")));
    auto manager = Make(TwoPaths());
    QSignalSpy errors(manager.get(), &zarn::qt::QmlController::error);
    QSignalSpy added(manager.get(), &OutputPathsManagerController::AddOutputPathSignal);
    manager->onPathCreationRequest(QStringLiteral("Side"), QStringLiteral("(default)"));
    QCOMPARE(errors.size(), 1);
    QCOMPARE(errors[0][1].value<std::string>(), std::string("Output Paths Error"));
    QVERIFY(QFileInfo(DeviceFile()).isDir());
    QVERIFY(QDir(DeviceFile()).isEmpty());
    // The path itself was made: it is the file that could not be written.
    QCOMPARE(added.size(), 1);
    QCOMPARE(manager->GetModel()->rowCount(), 3);
}

// --- the model ---

void TestOutputPaths::modelKeepsTheListModelContract()
{
    OutputPathsModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.AddOutputPath(CL::OutputPath("a", "Main", "hw", "Speaker"));
    model.AddOutputPath(CL::OutputPath("b", "Side", ""));
    model.AddOutputPath(CL::OutputPath("a", "Main 2", "hw", "Speaker"));
    model.RemoveOutputPath(0);
    QCOMPARE(model.rowCount(model.index(0)), 0);
    QVERIFY(!model.index(1).isValid());
    const QModelIndex row = model.index(0);
    QCOMPARE(model.data(row, OutputPathsModel::PathNameRole).toString(), QStringLiteral("Side"));
    QVERIFY(!model.data(row, Qt::UserRole).isValid());     // 256
    QVERIFY(!model.data(row, Qt::UserRole + 5).isValid()); // 261
    QCOMPARE(model.roleNames().value(OutputPathsModel::PathDeviceIdRole), QByteArray("path_device_id"));
    QCOMPARE(model.PathName(5), QString());
}

void TestOutputPaths::addReplacesByIdOrAppends()
{
    OutputPathsModel model;
    model.AddOutputPath(CL::OutputPath("a", "Main", ""));
    QSignalSpy added(&model, &OutputPathsModel::AddOutputPathSignal);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);

    model.AddOutputPath(CL::OutputPath("a", "Front", "hw", "Speaker"));
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(added.size(), 0);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed[0][0].toModelIndex().row(), 0);
    QVERIFY(changed[0][2].value<QList<int>>().isEmpty());
    QCOMPARE(model.PathName(0), QStringLiteral("Front"));

    model.AddOutputPath(CL::OutputPath("b", "Side", ""));
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(inserted.size(), 1);
    QCOMPARE(added.size(), 1);
    QCOMPARE(added[0][0].value<CL::OutputPath>().GetId(), std::string("b"));
}

void TestOutputPaths::removeSignalsWhileTheRowStillExists()
{
    OutputPathsModel model;
    model.AddOutputPath(CL::OutputPath("a", "Main", ""));
    model.AddOutputPath(CL::OutputPath("b", "Side", "hw"));
    int rowsWhenSignalled = -1;
    std::string removedId;
    connect(&model, &OutputPathsModel::RemoveOutputPathSignal, this, [&](const CL::OutputPath& path) {
        rowsWhenSignalled = model.rowCount();
        removedId = path.GetId();
    });
    model.RemoveOutputPath(0);
    QCOMPARE(rowsWhenSignalled, 2);
    QCOMPARE(removedId, std::string("a"));
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.PathId(0), QStringLiteral("b"));
    model.RemoveOutputPath(1); // outside: nothing
    QCOMPARE(model.rowCount(), 1);
}

void TestOutputPaths::setDataRefusesRowsOutsideTheList()
{
    OutputPathsModel model;
    model.AddOutputPath(CL::OutputPath("a", "Main", ""));
    QSignalSpy added(&model, &OutputPathsModel::AddOutputPathSignal);
    const QVariant path = QVariant::fromValue(CL::OutputPath("a", "Front", "hw", "Speaker"));
    // Rows -1 and rowCount: an index made by hand, as a caller might.
    QVERIFY(!model.setData(model.index(-1), path, Qt::EditRole));
    QVERIFY(!model.setData(model.index(1), path, Qt::EditRole));
    QVERIFY(!model.setData(model.index(0), QStringLiteral("not a path"), Qt::EditRole));
    QCOMPARE(added.size(), 0);
    QVERIFY(model.setData(model.index(0), path, Qt::EditRole));
    QCOMPARE(added.size(), 1);
    QCOMPARE(model.GetOutputPath(0), CL::OutputPath("a", "Front", "hw", "Speaker"));
    QCOMPARE(model.GetOutputPath(3), CL::OutputPath());
}

// --- the controller ---

void TestOutputPaths::constructionWithoutADeviceFile()
{
    PathMap paths = TwoPaths();
    paths["q"] = CL::OutputPath("q", "Stage Left", "sink-usb", "USB Interface");
    auto manager = Make(paths);
    OutputPathsModel* model = manager->GetModel();
    QCOMPARE(model->rowCount(), 2);
    QCOMPARE(model->PathName(0), QStringLiteral("Main"));
    QCOMPARE(model->PathDeviceName(1), QStringLiteral("USB Interface"));
    QCOMPARE(Window(*manager)->property("currentIndex").toInt(), 0);
    QCOMPARE(Window(*manager)->property("deviceList").toStringList(),
             (QStringList{"(default)", "Built-in Output", "USB Interface"}));
    QVERIFY(!Window(*manager)->isVisible());
    QVERIFY(!QFileInfo::exists(DeviceFile()));
}

void TestOutputPaths::constructionAppliesTheSavedDevices()
{
    // X for P; nothing for Q, which the engine had on the USB interface.
    WriteBytes(DeviceFile(), R"({"outputpaths":[{"id":"p","hwid":"sink-builtin"},{"id":"gone","hwid":"x"}]})");
    auto manager = Make(TwoPaths());
    OutputPathsModel* model = manager->GetModel();
    QCOMPARE(model->GetOutputPath(0), CL::OutputPath("p", "Main", "sink-builtin", "Built-in Output"));
    QCOMPARE(model->GetOutputPath(1), CL::OutputPath("q", "Stage Left", "", ""));
}

void TestOutputPaths::constructionIgnoresAFileItCannotRead()
{
    WriteBytes(DeviceFile(), R"({"outputpaths":[{"id":"p","hwid":"sink-builtin"},{"id":"q"}]})");
    auto manager = Make(TwoPaths());
    // All or nothing: the first entry was good, yet the engine's devices stand for both,
    // named from this machine's devices as a readable file's are.
    QCOMPARE(manager->GetModel()->PathDeviceId(0), QString());
    QCOMPARE(manager->GetModel()->PathDeviceId(1), QStringLiteral("sink-usb"));
    QCOMPARE(manager->GetModel()->PathDeviceName(1), QStringLiteral("USB Interface"));
}

void TestOutputPaths::anEmptyShowSetsNoCurrentRow()
{
    auto manager = Make({});
    QCOMPARE(manager->GetModel()->rowCount(), 0);
    QCOMPARE(Window(*manager)->property("currentIndex").toInt(), -1);
    QCOMPARE(manager->ReadCurrentIndex(), -1);
}

void TestOutputPaths::creatingMainTwice()
{
    auto manager = Make({});
    QSignalSpy added(manager.get(), &OutputPathsManagerController::AddOutputPathSignal);
    manager->onPathCreationRequest(QStringLiteral("Main"), QStringLiteral("(default)"));
    QCOMPARE(added.size(), 1);
    const CL::OutputPath first = added[0][0].value<CL::OutputPath>();
    QCOMPARE(first.GetName(), std::string("Main"));
    QCOMPARE(first.GetDeviceId(), std::string());
    QCOMPARE(first.GetDeviceName(), std::string("(default)"));
    QVERIFY2(QRegularExpression(QStringLiteral("^[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}$"))
                 .match(QString::fromStdString(first.GetId()))
                 .hasMatch(),
             first.GetId().c_str());
    QCOMPARE(FileBytes(DeviceFile()), QByteArray("{\"outputpaths\":[{\"id\":\"" + QByteArray::fromStdString(first.GetId())
                                                 + "\",\"hwid\":\"\"}]}"));

    Window(*manager)->setProperty("chosenDeviceIndex", 2);
    manager->onPathCreationRequest(QStringLiteral("Main"), QStringLiteral("USB Interface"));
    QCOMPARE(added.size(), 2);
    const CL::OutputPath second = added[1][0].value<CL::OutputPath>();
    QCOMPARE(second.GetName(), std::string("Main 2"));
    QCOMPARE(second.GetDeviceId(), std::string("sink-usb"));
    QVERIFY(second.GetId() != first.GetId());
    QVERIFY(FileBytes(DeviceFile()).contains("\"hwid\":\"sink-usb\""));
}

void TestOutputPaths::numbering_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("result");
    QTest::newRow("none") << QStringList{} << "Main" << "Main";
    QTest::newRow("Main") << QStringList{"Main"} << "Main" << "Main 2";
    QTest::newRow("Main and Main 3") << QStringList{"Main", "Main 3"} << "Main" << "Main 4";
    QTest::newRow("Main 3 alone") << QStringList{"Main 3"} << "Main" << "Main 4";
    QTest::newRow("Main 2 before Main") << QStringList{"Main 2", "Main"} << "Main" << "Main 3";
    QTest::newRow("Main L, Side Main") << QStringList{"Main L", "Side Main"} << "Main" << "Main";
    QTest::newRow("leading zero, tab") << QStringList{"Main\t07"} << "Main" << "Main 8";
    QTest::newRow("beyond 32 bits") << QStringList{"Main 99999999999"} << "Main" << "Main";
    QTest::newRow("highest 32-bit") << QStringList{"Main 2147483647"} << "Main" << "Main 2147483648";
    QTest::newRow("Out (L twice") << QStringList{"Out (L"} << "Out (L" << "Out (L 2";
    QTest::newRow("Out (L) twice") << QStringList{"Out (L)", "Out (L) 4"} << "Out (L)" << "Out (L) 5";
    QTest::newRow("pattern characters") << QStringList{"M.in", "Main 9"} << "M.in" << "M.in 2";
    QTest::newRow("empty name") << QStringList{"", " 3"} << "" << " 4";
    QTest::newRow("blanks around") << QStringList{" Main "} << " Main " << " Main  2";
}

void TestOutputPaths::numbering()
{
    QFETCH(QStringList, rows);
    QFETCH(QString, name);
    QFETCH(QString, result);
    auto manager = Make({});
    int id = 0;
    for (const QString& row : rows)
        manager->GetModel()->AddOutputPath(CL::OutputPath(std::to_string(++id), row.toStdString(), ""));
    QCOMPARE(QString::fromStdString(manager->MakeUniqueName(name.toStdString())), result);
}

void TestOutputPaths::aRenameToAnExistingNameIsAccepted()
{
    auto manager = Make(TwoPaths());
    QSignalSpy added(manager.get(), &OutputPathsManagerController::AddOutputPathSignal);
    Window(*manager)->setProperty("currentIndex", 1);
    Window(*manager)->setProperty("chosenDeviceIndex", 0);
    manager->onPathChangeRequest(QStringLiteral("Main"), QStringLiteral("(default)"));
    QCOMPARE(added.size(), 1);
    QCOMPARE(manager->GetModel()->GetOutputPath(1), CL::OutputPath("q", "Main", "", "(default)"));
    QCOMPARE(manager->GetModel()->PathName(0), QStringLiteral("Main"));
    QCOMPARE(FileBytes(DeviceFile()), QByteArray(R"({"outputpaths":[{"id":"p","hwid":""},{"id":"q","hwid":""}]})"));
}

void TestOutputPaths::deleteNeedsACurrentRowAndLeavesTheFile()
{
    WriteBytes(DeviceFile(), R"({"outputpaths":[{"id":"p","hwid":"sink-builtin"}]})");
    auto manager = Make(TwoPaths());
    QSignalSpy removed(manager.get(), &OutputPathsManagerController::RemoveOutputPathSignal);
    Window(*manager)->setProperty("currentIndex", -1);
    manager->onDeleteOutputPath();
    QCOMPARE(removed.size(), 0);
    QCOMPARE(manager->GetModel()->rowCount(), 2);

    Window(*manager)->setProperty("currentIndex", 0);
    manager->onDeleteOutputPath();
    QCOMPARE(removed.size(), 1);
    QCOMPARE(removed[0][0].value<CL::OutputPath>().GetId(), std::string("p"));
    QCOMPARE(manager->GetModel()->rowCount(), 1);
    QCOMPARE(FileBytes(DeviceFile()), QByteArray(R"({"outputpaths":[{"id":"p","hwid":"sink-builtin"}]})"));
}

void TestOutputPaths::closePrintsItsLineAndHides()
{
    auto manager = Make(TwoPaths());
    Show(*manager);
    CapturedStdout out;
    QMetaObject::invokeMethod(Window(*manager), "closeWindow");
    QCOMPARE(out.Text(), std::string("CloseWindow_\n"));
    QVERIFY(!Window(*manager)->isVisible());
    // Shown again: the same rows and selection.
    Show(*manager);
    QCOMPARE(Window(*manager)->property("currentIndex").toInt(), 0);
}

// --- the window and its form ---

void TestOutputPaths::editAndDeleteFollowTheCurrentRow()
{
    auto manager = Make(TwoPaths());
    Show(*manager);
    QQuickWindow* window = Window(*manager);
    QVERIFY(Part(window, "editPathButton")->isEnabled());
    QVERIFY(Part(window, "deletePathButton")->isEnabled());
    Click(Part(window, "deletePathButton"));
    Click(Part(window, "deletePathButton"));
    QCOMPARE(manager->GetModel()->rowCount(), 0);
    QTRY_COMPARE(window->property("currentIndex").toInt(), -1);
    QVERIFY(!Part(window, "editPathButton")->isEnabled());
    QVERIFY(!Part(window, "deletePathButton")->isEnabled());
    QVERIFY(Part(window, "newPathButton")->isEnabled());
    QVERIFY(Part(window, "closePathsButton")->isEnabled());
}

void TestOutputPaths::newPathAfterEdit()
{
    auto manager = Make(TwoPaths());
    Show(*manager);
    QQuickWindow* window = Window(*manager);
    QQuickWindow* tool = Tool(*manager);
    window->setProperty("currentIndex", 1);
    Click(Part(window, "editPathButton"));
    QTRY_VERIFY(tool->isVisible());
    QCOMPARE(tool->property("pathName").toString(), QStringLiteral("Stage Left"));
    QCOMPARE(tool->property("pathDeviceIndex").toInt(), 2);
    QCOMPARE(tool->title(), QStringLiteral("Edit Output Path"));
    tool->close();

    QSignalSpy added(manager.get(), &OutputPathsManagerController::AddOutputPathSignal);
    Click(Part(window, "newPathButton"));
    QTRY_VERIFY(QTest::qWaitForWindowExposed(tool));
    QCOMPARE(tool->title(), QStringLiteral("Create Output Path"));
    QCOMPARE(tool->property("pathName").toString(), QString());
    QCOMPARE(tool->property("pathDevice").toString(), QStringLiteral("(default)"));
    tool->setProperty("pathName", QStringLiteral("Booth"));
    Click(Part(tool, "okButton"));
    QTRY_VERIFY(!tool->isVisible());
    QCOMPARE(added.size(), 1);
    QCOMPARE(manager->GetModel()->rowCount(), 3);
    QCOMPARE(manager->GetModel()->PathName(2), QStringLiteral("Booth"));
    QCOMPARE(manager->GetModel()->PathDeviceName(2), QStringLiteral("(default)"));
}

void TestOutputPaths::cancelAndTitleBarCloseSendNothing()
{
    auto manager = Make(TwoPaths());
    Show(*manager);
    QQuickWindow* window = Window(*manager);
    QQuickWindow* tool = Tool(*manager);
    QSignalSpy added(manager.get(), &OutputPathsManagerController::AddOutputPathSignal);
    Click(Part(window, "editPathButton"));
    QTRY_VERIFY(QTest::qWaitForWindowExposed(tool));
    tool->setProperty("pathName", QStringLiteral("Renamed"));
    Click(Part(tool, "cancelButton"));
    QTRY_VERIFY(!tool->isVisible());
    Click(Part(window, "newPathButton"));
    QTRY_VERIFY(QTest::qWaitForWindowExposed(tool));
    tool->close();
    QVERIFY(!tool->isVisible());
    QCOMPARE(added.size(), 0);
    QCOMPARE(manager->GetModel()->PathName(0), QStringLiteral("Main"));
    QVERIFY(!QFileInfo::exists(DeviceFile()));
}

void TestOutputPaths::editOfADefaultDevicePathSelectsDefault()
{
    auto manager = Make(TwoPaths());
    Show(*manager);
    QQuickWindow* window = Window(*manager);
    QQuickWindow* tool = Tool(*manager);
    // The box showed another entry last.
    window->setProperty("currentIndex", 1);
    QMetaObject::invokeMethod(window, "openEditPath");
    QCOMPARE(tool->property("pathDeviceIndex").toInt(), 2);
    tool->close();
    window->setProperty("currentIndex", 0);
    QMetaObject::invokeMethod(window, "openEditPath");
    QCOMPARE(tool->property("pathDeviceIndex").toInt(), 0);
    QCOMPARE(tool->property("pathDevice").toString(), QStringLiteral("(default)"));
    QMetaObject::invokeMethod(tool, "accept");
    QCOMPARE(manager->GetModel()->GetOutputPath(0), CL::OutputPath("p", "Main", "", "(default)"));
}

void TestOutputPaths::editOfAVanishedDeviceKeepsItsIdAndName()
{
    WriteBytes(DeviceFile(), R"({"outputpaths":[{"id":"p","hwid":"sink-gone"},{"id":"q","hwid":"sink-usb"}]})");
    auto manager = Make(TwoPaths());
    QCOMPARE(manager->GetModel()->GetOutputPath(0), CL::OutputPath("p", "Main", "sink-gone", ""));
    Show(*manager);
    QQuickWindow* window = Window(*manager);
    QQuickWindow* tool = Tool(*manager);
    window->setProperty("currentIndex", 1);
    QMetaObject::invokeMethod(window, "openEditPath");
    tool->close();
    window->setProperty("currentIndex", 0);
    QMetaObject::invokeMethod(window, "openEditPath");
    QCOMPARE(tool->property("pathDeviceIndex").toInt(), -1);
    tool->setProperty("pathName", QStringLiteral("Front"));
    QMetaObject::invokeMethod(tool, "accept");
    QCOMPARE(manager->GetModel()->GetOutputPath(0), CL::OutputPath("p", "Front", "sink-gone", ""));
    QCOMPARE(FileBytes(DeviceFile()),
             QByteArray(R"({"outputpaths":[{"id":"p","hwid":"sink-gone"},{"id":"q","hwid":"sink-usb"}]})"));
}

void TestOutputPaths::twoDevicesOfOneNameStayApart()
{
    DeviceControlWin32::SetDevicesForTesting(
        std::vector<AudioDevice>{{"Null Output", "null-a"}, {"Null Output", "null-b"}});
    auto manager = Make(TwoPaths());
    Show(*manager);
    QQuickWindow* window = Window(*manager);
    QQuickWindow* tool = Tool(*manager);
    QMetaObject::invokeMethod(window, "openNewPath");
    tool->setProperty("pathDeviceIndex", 2);
    tool->setProperty("pathName", QStringLiteral("Second"));
    QMetaObject::invokeMethod(tool, "accept");
    QCOMPARE(manager->GetModel()->GetOutputPath(2).GetDeviceId(), std::string("null-b"));

    // Edit finds the second again by its id, not by its name.
    window->setProperty("currentIndex", 2);
    QMetaObject::invokeMethod(window, "openEditPath");
    QCOMPARE(tool->property("pathDeviceIndex").toInt(), 2);
    QMetaObject::invokeMethod(tool, "accept");
    QCOMPARE(manager->GetModel()->GetOutputPath(2).GetDeviceId(), std::string("null-b"));
}

QTEST_MAIN(TestOutputPaths)
#include "tst_output_paths.moc"
