#include "AppSettings.h"

#include <QStringList>
#include <QVariant>

namespace zarn {

namespace {
const QString kDialogsGroup = QStringLiteral("Dialogs");
}

AppSettings::AppSettings(std::unique_ptr<QSettings> settings)
    : QObject(nullptr), settings_(std::move(settings))
{
}

bool AppSettings::Load()
{
    // From the file as it is now: QSettings would otherwise answer from what it read before,
    // and a change another run made since would be missed.
    settings_->sync();
    defaultVolume_ = settings_->value(QStringLiteral("defaultVolume"), defaultVolumeDefault_).toDouble();
    clickVolumeLinear = settings_->value(QStringLiteral("clickVolumeLinear"), clickVolumeLinearDefault_).toDouble();
    defaultOutputDeviceString_ =
        settings_->value(QStringLiteral("defaultOutputDeviceString"), defaultOutputDeviceStringDefault_).toString();
    currentMidiSourceName = settings_->value(QStringLiteral("currentMidiSourceName"), QString()).toString();
    return true;
}

bool AppSettings::Save()
{
    settings_->setValue(QStringLiteral("defaultVolume"), defaultVolume_);
    settings_->setValue(QStringLiteral("defaultOutputDeviceString"), defaultOutputDeviceString_);
    settings_->setValue(QStringLiteral("clickVolumeLinear"), clickVolumeLinear);
    settings_->setValue(QStringLiteral("currentMidiSourceName"), currentMidiSourceName);
    // Written now rather than at some later sync, so a full disk is reported to the caller.
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

double AppSettings::GetDefaultVolume() const
{
    return defaultVolume_;
}

void AppSettings::SetDefaultVolume(double volume)
{
    defaultVolume_ = volume;
}

const QString& AppSettings::GetDefaultOutputDeviceString() const
{
    return defaultOutputDeviceString_;
}

void AppSettings::SetDefaultOutputDeviceString(const QString& device)
{
    defaultOutputDeviceString_ = device;
}

void AppSettings::SetShowDialog(const QString& name, bool show)
{
    settings_->beginGroup(kDialogsGroup);
    settings_->setValue(name, QStringList{show ? QStringLiteral("true") : QStringLiteral("false")});
    settings_->endGroup();
}

bool AppSettings::GetShowDialog(const QString& name)
{
    settings_->beginGroup(kDialogsGroup);
    const QStringList values = settings_->value(name).toStringList();
    settings_->endGroup();
    if (values.isEmpty())
        return true;
    return QVariant(values.first()).toBool();
}

} // namespace zarn
