#pragma once

#include "AudioDevice.h"
#include "OutputPathMetaTypes.h"
#include "OutputPathsModel.h"
#include "QmlController.h"
#include "zarn_core/OutputPath.h"

#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <string>
#include <vector>

class QQmlEngine;

namespace zarn::qt {

// The back end of the output paths window (OutputPathsWindow.qml): the show's output paths,
// each bound to one of this machine's output devices, kept in the show folder's device file
// ("outputpathdevices.json": {"outputpaths":[{"id","hwid"}]}, ids sorted, written compactly).
// The engine reads the same file when a show loads (OutputPathDevices in zarn_corvane).
//
// Made hidden at every show load from the engine's paths; the main window shows it. Creating
// and changing a path write the device file; deleting does not. Every addition, change and
// removal is re-emitted from the model, for the engine's owner. The devices are this machine's
// as listed when the manager was made.
//
// GUI thread only. No slot lets an exception out: a failure reaches `error` titled kErrorTitle.
class OutputPathsManagerController : public QmlController
{
    Q_OBJECT

public:
    static constexpr const char* kDeviceFileName = "outputpathdevices.json";
    static constexpr const char* kErrorTitle = "Output Paths Error";

    // `paths` are the engine's, by id; only read here. The saved devices of the show folder's
    // device file replace the engine's; a file that is missing or cannot be read is ignored.
    OutputPathsManagerController(const std::map<std::string, CL::OutputPath>& paths, QQmlEngine* qmlEngine,
                                 QObject* parent);
    ~OutputPathsManagerController() override;

    OutputPathsModel* GetModel() const { return model_.get(); }
    const std::vector<zarn::audio::AudioDevice>& GetDevices() const { return devices_; }

    // Path id to a path holding only its device id. Throws std::runtime_error naming what is
    // wrong: a missing file, a JSON error, or a document of another shape. A later entry for an
    // id replaces an earlier one.
    static std::map<std::string, CL::OutputPath> ReadDeviceFile(const std::string& path);
    // Replaces the file atomically (a failed write leaves the old one whole and throws).
    static bool WriteDeviceFile(const std::string& path, std::map<std::string, CL::OutputPath> paths);
    // The bytes WriteDeviceFile writes.
    static std::string DeviceFileText(const std::map<std::string, CL::OutputPath>& paths);
    // The model's rows to the show folder's device file.
    void SaveDeviceFile();
    static std::string DeviceFilePath();

    // The name a new path gets: `name` itself while no path has it; else `name`, a blank and
    // one more than the highest number in use, where `name` alone counts as 1 and a row counts
    // only when it is `name`, one white-space character and decimal digits (up to 2^31 - 1).
    std::string MakeUniqueName(std::string name) const;
    // First device whose id (name) equals the text, byte for byte; empty when none does.
    std::string DeviceNameFromId(const std::string& id) const;
    std::string DeviceIdFromName(const std::string& name) const;

signals:
    void AddOutputPathSignal(const CL::OutputPath& path);
    void RemoveOutputPathSignal(const CL::OutputPath& path);

public slots:
    void onPathCreationRequest(QString pathName, QString pathDevice);
    void onPathChangeRequest(QString pathName, QString pathDeviceName);
    void onDeleteOutputPath();
    void onCloseWindow();

private:
    // The device id of the window's chosen entry when its text is `deviceText`, else the first
    // device of that name. Empty (nothing chosen) when the window has no entry chosen.
    struct Choice
    {
        bool chosen = true;
        std::string deviceId;
    };
    Choice ChosenDevice(const QString& deviceText) const;
    void ApplySavedDevices(const std::map<std::string, CL::OutputPath>& paths);
    template <class Work>
    void Reporting(Work&& work);

    std::shared_ptr<OutputPathsModel> model_;
    std::vector<zarn::audio::AudioDevice> devices_;
    QStringList choices_;
};

} // namespace zarn::qt
