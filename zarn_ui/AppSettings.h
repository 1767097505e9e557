#pragma once

#include <QObject>
#include <QSettings>
#include <QString>

#include <memory>

namespace zarn {

// The per-user general settings: default output device and volume, click volume, MIDI
// source and the never-show-again flags of the message dialogs. QSettings writes the
// INI file itself when it synchronises; nothing else writes it.
class AppSettings : public QObject
{
    Q_OBJECT

public:
    explicit AppSettings(std::unique_ptr<QSettings> settings);

    bool Load();
    // Writes the file; false when it could not be written (the old file then stays).
    bool Save();

    double GetDefaultVolume() const;
    void SetDefaultVolume(double volume);
    const QString& GetDefaultOutputDeviceString() const;
    void SetDefaultOutputDeviceString(const QString& device);

    void SetShowDialog(const QString& name, bool show);
    bool GetShowDialog(const QString& name);

    // Read and written directly by their users; nothing in this edition changes the click volume.
    double clickVolumeLinear = 1.0;
    QString currentMidiSourceName;

private:
    const double defaultVolumeDefault_ = 1.0;
    const double clickVolumeLinearDefault_ = 1.0;
    const QString defaultOutputDeviceStringDefault_;
    std::unique_ptr<QSettings> settings_;
    double defaultVolume_ = 1.0;
    QString defaultOutputDeviceString_;
};

} // namespace zarn
