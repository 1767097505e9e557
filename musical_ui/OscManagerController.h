#pragma once

#include "NetworkListModel.h"
#include "NetworkPathMetaType.h"
#include "OscSettings.h"
#include "QmlController.h"
#include "zarn_core/NetworkPath.h"

#include <QString>

#include <functional>
#include <memory>

class Interface;
class QQmlEngine;

namespace zarn::qt {

// The "OSC Manager" window (OscManager.qml): incoming OSC on or off, the listening port, the
// change log's OSC destinations and the QLab patch export. The window edits a copy: nothing
// reaches the settings or the log before OK, which hands both on in one signal and hides the
// window. The opener makes a new controller for every opening; Cancel and the window's close
// button only hide it.
//
// GUI thread only. No slot lets an exception out: a failure is reported through `error`.
class OscManagerController : public QmlController
{
    Q_OBJECT

public:
    // Writes the QLab patch into the folder the operator picked (a file URL, as the folder
    // dialog gives it, or a plain path); throws std::exception with the reason on failure,
    // `ExportReported` when the reason is already on standard error.
    using QLabExport = std::function<void(const std::shared_ptr<Interface>& engine, const QString& folder)>;
    struct ExportReported : std::runtime_error
    {
        using std::runtime_error::runtime_error;
    };

    static constexpr const char* kPortNote = "Port must be a whole number from 1 to 65535.";
    static constexpr const char* kExportFailedTitle = "QLab Export Failed";

    // Builds the window hidden, with `parentWindow` as its Qt and transient parent; the opener
    // shows it. Throws std::runtime_error naming the URL when the window cannot be loaded.
    OscManagerController(QQmlEngine* qmlEngine, zarn::osc::OscSettings settings, std::shared_ptr<Interface> engine,
                         QObject* parentWindow);
    ~OscManagerController() override;

    zarn::NetworkListModel* GetNetworkModel() const { return networkModel_.get(); }
    // The patch writer by default; tests put their own in.
    void SetQLabExport(QLabExport exportPatch) { qlabExport_ = std::move(exportPatch); }

    // A listening port as the operator typed it: surrounding blanks ignored, then a base-10
    // whole number from 1 to 65535; anything else is no port (0).
    static int ParseListenPort(const QString& text);

signals:
    // Direct connections only: the networks go by reference, and the receiver saves and
    // applies them before the emission returns.
    void oscSettingsUpdated(zarn::osc::OscSettings settings, CL::NetworkPathVectorT& newNetworks);

public slots:
    void onOkayClicked_();
    void exportQLab_(QString folder);
    void onCreateNetwork_(QString ip, int port, QString mode, QString name);
    // An index that names no row changes nothing.
    void onEditNetwork_(int index, QString ip, int port, QString mode, QString name, QString networkId);

private:
    // Runs a slot's work; what it throws goes to the operator, never to the event loop.
    template <class Work>
    void Reporting(Work&& work);
    void ExportQLab(const QString& folder);

    std::shared_ptr<Interface> engine_;
    std::unique_ptr<zarn::NetworkListModel> networkModel_;
    QLabExport qlabExport_;
};

} // namespace zarn::qt
