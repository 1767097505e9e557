#pragma once

#include "OutputDeviceList.h"
#include "QmlController.h"

#include <QString>
#include <QTimer>

#include <memory>

class Interface;
class QQmlEngine;

namespace zarn::qt {

// The "Audio Manager" window (AudioManager.qml): the engine's output device, chosen from the
// machine's devices. It never changes the engine itself: OK hides the window, records the
// chosen device id and volume and emits audioSettingsUpdated(); the main window applies them
// and stores them. Cancel and the close button only hide it. The device list, the selection
// and the volume are taken when the controller is made; the opener makes a new one each time.
//
// While the window is shown it also shows the engine's sound problem (a lost device, say) as
// one line, read again every half second, so a loss during the show is seen without a dialog.
//
// GUI thread only.
class AudioManagerController : public QmlController
{
    Q_OBJECT

public:
    static constexpr const char* kErrorTitle = "Error Configuring Audio";
    static constexpr int kProblemRefreshMs = 500;

    // Builds the window hidden. Throws what the engine or the device listing throws, and
    // std::runtime_error when the window cannot be loaded or there is no engine.
    AudioManagerController(QQmlEngine* qmlEngine, std::shared_ptr<Interface> engine, QObject* parent);
    ~AudioManagerController() override;

    // The chosen linear gain; 0.0 until OK.
    double GetOutputVolume() const { return outputVolume_; }
    // The chosen device id, empty for the default device (also until OK).
    QString GetOutputDeviceUid() const { return outputDeviceUid_; }
    const OutputDeviceList& GetDeviceList() const { return devices_; }

    // Slider position for a linear gain and back: the slider's level in decibels is 25 ln s.
    static double SliderFromGain(double gain);
    static double GainFromSlider(double slider);

signals:
    void audioSettingsUpdated();

public slots:
    void onOkayClicked_();

private:
    void RefreshSoundProblem();

    std::shared_ptr<Interface> engine_;
    OutputDeviceList devices_;
    double outputVolume_ = 0.0;
    QString outputDeviceUid_;
    QTimer problemTimer_;
};

} // namespace zarn::qt
