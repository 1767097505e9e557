#include "AudioManagerController.h"

#include "Interface.h"

#include <QQmlProperty>
#include <QUrl>
#include <QVariant>

#include <cmath>
#include <stdexcept>
#include <utility>

namespace zarn::qt {

namespace {

const QUrl kWindowUrl(QStringLiteral("qrc:/qt/qml/com/lanternhillstudios/musical_ui/qml/AudioManager.qml"));

// About -94 dB: anything quieter is silence.
constexpr double kSilentGain = 0.00002;

} // namespace

double AudioManagerController::SliderFromGain(double gain)
{
    // No gain at all (or a nonsense one) puts the slider at its bottom, where it stops.
    if (!(gain > 0.0))
        return 0.0;
    return std::exp(std::log10(gain) * 20.0 / 25.0);
}

double AudioManagerController::GainFromSlider(double slider)
{
    return std::pow(10.0, 25.0 * std::log(slider) / 20.0);
}

AudioManagerController::AudioManagerController(QQmlEngine* qmlEngine, std::shared_ptr<Interface> engine,
                                               QObject* parent)
    : QmlController(qmlEngine, kWindowUrl, parent, true, {}), engine_(std::move(engine))
{
    QObject* window = qmlObject_;
    if (!window)
        throw std::runtime_error("The Audio Manager window could not be loaded from "
                                 + kWindowUrl.toString().toStdString() + ".");
    if (!engine_)
        throw std::runtime_error("No show is loaded.");

    const std::string engineUid = engine_->GetOutputDeviceUid();
    devices_ = FetchOutputDeviceList();
    const int displayIndex = devices_.DisplayIndexOf(engineUid);

    window->setProperty("outputDeviceModel", devices_.displayNames);
    window->setProperty("outputVolume", SliderFromGain(engine_->GetVolume()));
    window->setProperty("outputDeviceIndex", displayIndex);
    RefreshSoundProblem();

    connect(window, SIGNAL(okay()), this, SLOT(onOkayClicked_()));

    problemTimer_.setInterval(kProblemRefreshMs);
    connect(&problemTimer_, &QTimer::timeout, this, [this] {
        if (qmlObject_ && qmlObject_->property("visible").toBool())
            RefreshSoundProblem();
    });
    problemTimer_.start();
}

AudioManagerController::~AudioManagerController()
{
    problemTimer_.stop();
}

void AudioManagerController::RefreshSoundProblem()
{
    if (!qmlObject_ || !engine_)
        return;
    QString problem;
    try {
        problem = QString::fromStdString(engine_->GetSoundProblem());
    } catch (const std::exception& e) {
        problem = QString::fromStdString(e.what());
    }
    if (qmlObject_->property("soundProblem").toString() != problem)
        qmlObject_->setProperty("soundProblem", problem);
}

void AudioManagerController::onOkayClicked_()
{
    try {
        SetVisible(false);
        const double linear = QQmlProperty::read(qmlObject_, QStringLiteral("outputVolumeLinear")).toDouble();
        outputVolume_ = linear < kSilentGain ? 0.0 : linear;
        const int displayIndex = QQmlProperty::read(qmlObject_, QStringLiteral("outputDeviceIndex")).toInt();
        outputDeviceUid_ = QString::fromStdString(devices_.UidAt(displayIndex));
        emit audioSettingsUpdated();
    } catch (const std::exception& e) {
        emit error(e.what(), kErrorTitle);
    }
}

} // namespace zarn::qt
