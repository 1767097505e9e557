#include "OscManagerController.h"

#include "Interface.h"
#include "QLabFileWriter.h"

#include <QMetaObject>
#include <QUrl>
#include <QVariant>

#include <iostream>
#include <stdexcept>
#include <utility>

namespace zarn::qt {

namespace {

const QUrl kWindowUrl(QStringLiteral("qrc:/qt/qml/com/lanternhillstudios/musical_ui/qml/OscManager.qml"));

const char* const kManagerErrorTitle = "OSC Manager Error";

} // namespace

OscManagerController::OscManagerController(QQmlEngine* qmlEngine, zarn::osc::OscSettings settings,
                                           std::shared_ptr<Interface> engine, QObject* parentWindow)
    : QmlController(qmlEngine, kWindowUrl, parentWindow, true, {}), engine_(std::move(engine))
{
    QObject* window = qmlObject_;
    if (!window)
        throw std::runtime_error("The OSC Manager window could not be loaded from " + kWindowUrl.toString().toStdString()
                                 + ".");

    window->setProperty("oscListenPortString", QString::number(settings.oscListenPort));
    window->setProperty("oscEnabled", settings.oscEnabled);

    networkModel_ = std::make_unique<zarn::NetworkListModel>(engine_ ? engine_->GetNetworks()
                                                                     : CL::NetworkPathVectorT());
    window->setProperty("networkModel", QVariant::fromValue<DualRoledListModel*>(networkModel_.get()));

    connect(window, SIGNAL(okay()), this, SLOT(onOkayClicked_()));
    connect(window, SIGNAL(exportQLab(QString)), this, SLOT(exportQLab_(QString)));
    connect(window, SIGNAL(createNetwork(QString, int, QString, QString)), this,
            SLOT(onCreateNetwork_(QString, int, QString, QString)));
    connect(window, SIGNAL(editNetwork(int, QString, int, QString, QString, QString)), this,
            SLOT(onEditNetwork_(int, QString, int, QString, QString, QString)));

    qlabExport_ = [](const std::shared_ptr<Interface>& engine, const QString& folder) {
        const QLabFileWriter::ExportResult result = QLabFileWriter(engine).ExportToFolder(folder);
        if (!result.ok)
            throw ExportReported(result.reason.toStdString());
    };
}

OscManagerController::~OscManagerController()
{
    // The window goes later (deleteLater): its list must not read a model that is gone.
    if (qmlObject_)
        qmlObject_->setProperty("networkModel", QVariant());
    networkModel_.reset();
    engine_.reset();
}

template <class Work>
void OscManagerController::Reporting(Work&& work)
{
    try {
        std::forward<Work>(work)();
    } catch (const std::exception& e) {
        emit error(e.what(), kManagerErrorTitle);
    } catch (...) {
        emit error("An unknown error occurred.", kManagerErrorTitle);
    }
}

int OscManagerController::ParseListenPort(const QString& text)
{
    bool isNumber = false;
    const long port = text.trimmed().toLong(&isNumber, 10);
    if (!isNumber || port < 1 || port > 65535)
        return 0;
    return static_cast<int>(port);
}

void OscManagerController::onOkayClicked_()
{
    Reporting([&] {
        QObject* window = qmlObject_;
        if (!window)
            return;
        // A port the server could never bind is not saved: the window stays open on the field.
        const int port = ParseListenPort(window->property("oscListenPortString").toString());
        if (port == 0) {
            window->setProperty("portErrorText", QString::fromUtf8(kPortNote));
            QMetaObject::invokeMethod(window, "focusPort");
            return;
        }
        window->setProperty("portErrorText", QString());
        const zarn::osc::OscSettings settings(window->property("oscEnabled").toBool(), port);
        CL::NetworkPathVectorT paths = networkModel_->ToNetworkPaths();
        emit oscSettingsUpdated(settings, paths);
        if (qmlObject_)
            qmlObject_->setProperty("visible", false);
    });
}

void OscManagerController::exportQLab_(QString folder)
{
    ExportQLab(folder);
}

void OscManagerController::ExportQLab(const QString& folder)
{
    std::string reason;
    bool reported = false;
    try {
        qlabExport_(engine_, folder);
        return;
    } catch (const ExportReported& e) {
        reason = e.what();
        reported = true;
    } catch (const std::exception& e) {
        reason = e.what();
    } catch (...) {
        reason = "unknown error";
    }
    if (!reported)
        std::cerr << "Error exporting qlab: " << reason << std::endl;
    emit error(reason, kExportFailedTitle);
}

void OscManagerController::onCreateNetwork_(QString ip, int port, QString mode, QString name)
{
    Reporting([&] {
        auto item = std::make_shared<zarn::NetworkItem>();
        item->ipAddress = ip;
        item->port = port;
        item->mode = mode;
        item->name = name;
        item->networkId = networkModel_->nextFreeNetworkId();
        networkModel_->append(std::move(item));
    });
}

void OscManagerController::onEditNetwork_(int index, QString ip, int port, QString mode, QString name,
                                          QString networkId)
{
    Reporting([&] {
        zarn::NetworkListModel& model = *networkModel_;
        if (index < 0 || index >= model.rowCount())
            return;
        const QModelIndex row = model.index(index);
        model.setData(row, ip, zarn::NetworkListModel::IpAddressRole);
        model.setData(row, port, zarn::NetworkListModel::PortRole);
        model.setData(row, mode, zarn::NetworkListModel::ModeRole);
        model.setData(row, name, zarn::NetworkListModel::NameRole);
        model.setData(row, networkId, zarn::NetworkListModel::NetworkIdRole);
        model.rowChanged(index);
    });
}

} // namespace zarn::qt
