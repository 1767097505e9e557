#include "OutputPathsManagerController.h"

#include "OutputDeviceList.h"
#include "zarn_core/AtomicFile.h"
#include "zarn_core/Directories.h"

#include <QQmlEngine>
#include <QUuid>
#include <QWindow>

#include <rapidjson/document.h>
#include <rapidjson/error/en.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>

namespace zarn::qt {

namespace {

const QUrl kWindowUrl(QStringLiteral("qrc:/qt/qml/com/lanternhillstudios/musical_ui/qml/OutputPathsWindow.qml"));

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The number of a row named `name`, a blank and digits; 0 when the row is not such a name or
// its number does not fit in 32 bits.
std::int64_t NumberAfter(const std::string& row, const std::string& name)
{
    if (row.size() < name.size() + 2 || row.compare(0, name.size(), name) != 0 || !IsBlank(row[name.size()]))
        return 0;
    std::int64_t number = 0;
    for (std::size_t i = name.size() + 1; i < row.size(); ++i) {
        const char c = row[i];
        if (c < '0' || c > '9')
            return 0;
        number = number * 10 + (c - '0');
        if (number > INT32_MAX)
            return 0;
    }
    return number;
}

} // namespace

OutputPathsManagerController::OutputPathsManagerController(const std::map<std::string, CL::OutputPath>& paths,
                                                           QQmlEngine* qmlEngine, QObject* parent)
    : QmlController(qmlEngine, kWindowUrl, parent, true, {})
    , model_(std::make_shared<OutputPathsModel>())
{
    QObject* window = GetQmlObject();
    if (!window)
        throw std::runtime_error("The output paths window could not be loaded from " + kWindowUrl.toString().toStdString() + ".");
    window->setProperty("model", QVariant::fromValue(model_.get()));
    connect(window, SIGNAL(createPathRequest(QString,QString)), this, SLOT(onPathCreationRequest(QString,QString)));
    connect(window, SIGNAL(changePathRequest(QString,QString)), this, SLOT(onPathChangeRequest(QString,QString)));
    connect(window, SIGNAL(deleteOutputPath()), this, SLOT(onDeleteOutputPath()));
    connect(window, SIGNAL(closeWindow()), this, SLOT(onCloseWindow()));
    connect(model_.get(), SIGNAL(AddOutputPathSignal(const CL::OutputPath&)), this,
            SIGNAL(AddOutputPathSignal(const CL::OutputPath&)));
    connect(model_.get(), SIGNAL(RemoveOutputPathSignal(const CL::OutputPath&)), this,
            SIGNAL(RemoveOutputPathSignal(const CL::OutputPath&)));

    for (const auto& [id, path] : paths)
        model_->AddOutputPath(path);

    OutputDeviceList list = FetchOutputDeviceList();
    devices_ = std::move(list.devices);
    choices_ = std::move(list.displayNames);
    QStringList ids{QString()};
    for (const auto& device : devices_)
        ids.append(QString::fromStdString(device.uid));
    window->setProperty("deviceList", choices_);
    window->setProperty("deviceIds", ids);

    ApplySavedDevices(paths);

    if (model_->rowCount() > 0)
        window->setProperty("currentIndex", 0);
}

OutputPathsManagerController::~OutputPathsManagerController()
{
    if (auto* window = qobject_cast<QWindow*>(GetQmlObject()))
        window->close();
}

void OutputPathsManagerController::ApplySavedDevices(const std::map<std::string, CL::OutputPath>& paths)
{
    std::map<std::string, CL::OutputPath> saved;
    bool fromFile = true;
    try {
        saved = ReadDeviceFile(DeviceFilePath());
    } catch (const std::exception&) {
        // No file yet, or one this window cannot read: the paths keep the engine's devices,
        // which may still bind some of them (the engine's reader takes a file's good entries),
        // so they are named like the file's; an unnamed device would read as the default one.
        fromFile = false;
    }
    int row = 0;
    for (const auto& [id, path] : paths) {
        std::string deviceId = path.GetDeviceId();
        if (fromFile) {
            const auto entry = saved.find(id);
            deviceId = entry == saved.end() ? std::string() : entry->second.GetDeviceId();
        }
        std::string deviceName = DeviceNameFromId(deviceId);
        if (deviceName.empty() && !fromFile)
            deviceName = path.GetDeviceName(); // a device this machine no longer lists
        const CL::OutputPath bound(path.GetId(), path.GetName(), deviceId, deviceName);
        const QModelIndex index = model_->index(row);
        model_->setData(index, QVariant::fromValue(bound), Qt::EditRole);
        // setData announces nothing to views: without this the list shows the engine's names.
        emit model_->dataChanged(index, index, {});
        ++row;
    }
}

std::string OutputPathsManagerController::DeviceFilePath()
{
    return directories.GetShowDirectory() + "/" + kDeviceFileName;
}

std::map<std::string, CL::OutputPath> OutputPathsManagerController::ReadDeviceFile(const std::string& path)
{
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        throw std::runtime_error("The Output path config file " + path + " does not exist.");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("The Output path config file " + path + " cannot be opened.");
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};

    rapidjson::Document doc;
    doc.Parse(text.c_str(), text.size());
    if (doc.HasParseError())
        throw std::runtime_error("The output path config file has a parse error: "
                                 + std::to_string(static_cast<int>(doc.GetParseError())) + " "
                                 + rapidjson::GetParseError_En(doc.GetParseError()));
    if (!doc.IsObject())
        throw std::runtime_error("The output path config file does not hold a JSON object and cannot be read.");
    if (!doc.HasMember("outputpaths"))
        throw std::runtime_error(
            "The output path config file does not contain a field called \"outputpaths\" and cannot be read.");
    const rapidjson::Value& list = doc["outputpaths"];
    if (!list.IsArray())
        throw std::runtime_error("The field \"outputpaths\" of the output path config file is not a list.");

    std::map<std::string, CL::OutputPath> result;
    std::string previousId;
    for (const rapidjson::Value& element : list.GetArray()) {
        const std::string after = previousId.empty() ? std::string("The first outputpath found ")
                                                     : "The outputpath after the outputpath with id " + previousId + " ";
        if (!element.IsObject())
            throw std::runtime_error(after + " is not an object. Failing.");
        if (!element.HasMember("id"))
            throw std::runtime_error(after + " does not have an id. Failing.");
        if (!element["id"].IsString())
            throw std::runtime_error(after + " has an id that is not a text. Failing.");
        const std::string id(element["id"].GetString(), element["id"].GetStringLength());
        previousId = id;
        const std::string self = id.empty() ? std::string("The first outputpath found ")
                                            : "The outputpath with id " + id + " ";
        if (!element.HasMember("hwid"))
            throw std::runtime_error(self + " does not have a hwid. Failing.");
        if (!element["hwid"].IsString())
            throw std::runtime_error(self + " has a hwid that is not a text. Failing.");
        result[id] = CL::OutputPath(id, std::string(),
                                    std::string(element["hwid"].GetString(), element["hwid"].GetStringLength()));
    }
    return result;
}

std::string OutputPathsManagerController::DeviceFileText(const std::map<std::string, CL::OutputPath>& paths)
{
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    writer.StartObject();
    writer.Key("outputpaths");
    writer.StartArray();
    for (const auto& [id, path] : paths) {
        writer.StartObject();
        writer.Key("id");
        writer.String(id.data(), static_cast<rapidjson::SizeType>(id.size()));
        writer.Key("hwid");
        const std::string& device = path.GetDeviceId();
        writer.String(device.data(), static_cast<rapidjson::SizeType>(device.size()));
        writer.EndObject();
    }
    writer.EndArray();
    writer.EndObject();
    return std::string(buffer.GetString(), buffer.GetSize());
}

bool OutputPathsManagerController::WriteDeviceFile(const std::string& path, std::map<std::string, CL::OutputPath> paths)
{
    zarn::AtomicFile::Write(path, DeviceFileText(paths));
    return true;
}

void OutputPathsManagerController::SaveDeviceFile()
{
    std::map<std::string, CL::OutputPath> paths;
    for (int row = 0; row < model_->rowCount(); ++row) {
        CL::OutputPath path = model_->GetOutputPath(row);
        paths[path.GetId()] = std::move(path);
    }
    WriteDeviceFile(DeviceFilePath(), paths);
}

std::string OutputPathsManagerController::MakeUniqueName(std::string name) const
{
    std::int64_t highest = 0;
    for (int row = 0; row < model_->rowCount(); ++row) {
        const std::string& rowName = model_->GetOutputPath(row).GetName();
        if (rowName == name)
            highest = std::max<std::int64_t>(highest, 1);
        else
            highest = std::max(highest, NumberAfter(rowName, name));
    }
    if (highest == 0)
        return name;
    return name + " " + std::to_string(highest + 1);
}

std::string OutputPathsManagerController::DeviceNameFromId(const std::string& id) const
{
    for (const auto& device : devices_) {
        if (device.uid == id)
            return device.name;
    }
    return {};
}

std::string OutputPathsManagerController::DeviceIdFromName(const std::string& name) const
{
    for (const auto& device : devices_) {
        if (device.name == name)
            return device.uid;
    }
    return {};
}

OutputPathsManagerController::Choice OutputPathsManagerController::ChosenDevice(const QString& deviceText) const
{
    bool ok = false;
    const int chosen = GetQmlObject() ? GetQmlObject()->property("chosenDeviceIndex").toInt(&ok) : 0;
    if (ok && chosen < 0)
        return {false, {}};
    // By position: two devices may share a name, and only the position tells them apart.
    if (ok && chosen < choices_.size() && choices_[chosen] == deviceText)
        return {true, chosen == 0 ? std::string() : devices_[static_cast<std::size_t>(chosen - 1)].uid};
    return {true, DeviceIdFromName(deviceText.toStdString())};
}

template <class Work>
void OutputPathsManagerController::Reporting(Work&& work)
{
    try {
        work();
    } catch (const std::exception& e) {
        emit error(e.what(), kErrorTitle);
    } catch (...) {
        emit error("The output paths could not be changed.", kErrorTitle);
    }
}

void OutputPathsManagerController::onPathCreationRequest(QString pathName, QString pathDevice)
{
    Reporting([&] {
        const Choice device = ChosenDevice(pathDevice);
        const std::string id = QUuid::createUuid().toString(QUuid::WithoutBraces).toLower().toStdString();
        const std::string name = MakeUniqueName(pathName.toStdString());
        model_->AddOutputPath(CL::OutputPath(id, name, device.deviceId, device.chosen ? pathDevice.toStdString() : std::string()));
        SaveDeviceFile();
    });
}

void OutputPathsManagerController::onPathChangeRequest(QString pathName, QString pathDeviceName)
{
    Reporting([&] {
        const int row = ReadCurrentIndex();
        if (row < 0 || row >= model_->rowCount())
            return;
        const CL::OutputPath current = model_->GetOutputPath(row);
        const Choice device = ChosenDevice(pathDeviceName);
        // A device this machine does not list selects no entry: the path keeps it.
        const CL::OutputPath changed = device.chosen
                                           ? CL::OutputPath(current.GetId(), pathName.toStdString(), device.deviceId,
                                                            pathDeviceName.toStdString())
                                           : CL::OutputPath(current.GetId(), pathName.toStdString(),
                                                            current.GetDeviceId(), current.GetDeviceName());
        const QModelIndex index = model_->index(row);
        model_->setData(index, QVariant::fromValue(changed), Qt::EditRole);
        emit model_->dataChanged(index, index, {});
        SaveDeviceFile();
    });
}

void OutputPathsManagerController::onDeleteOutputPath()
{
    Reporting([&] {
        const int row = ReadCurrentIndex();
        if (row < 0 || row >= model_->rowCount())
            return;
        model_->RemoveOutputPath(row);
    });
}

void OutputPathsManagerController::onCloseWindow()
{
    std::cout << "CloseWindow_" << std::endl;
    if (auto* window = qobject_cast<QWindow*>(GetQmlObject()))
        window->close();
}

} // namespace zarn::qt
