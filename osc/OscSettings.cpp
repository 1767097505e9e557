#include "OscSettings.h"

#include "zarn_core/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtDebug>

#include <iostream>
#include <string_view>

namespace zarn::osc {

namespace {

const char* const kVersion = "1.0";

} // namespace

void ReadOscSettings(OscSettings& settings, const std::string& path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning("Failed to open osc settings file.");
        return;
    }
    const QByteArray bytes = file.readAll();
    file.close();

    const QJsonDocument document = QJsonDocument::fromJson(bytes);
    const QJsonObject object = document.isObject() ? document.object() : QJsonObject();
    if (object.value(QStringLiteral("version")).toString() != QLatin1String(kVersion)
        || !object.value(QStringLiteral("version")).isString())
        return;
    settings.oscEnabled = object.value(QStringLiteral("oscEnabled")).toBool(false);
    settings.oscListenPort = object.value(QStringLiteral("oscListenPort")).toInt(0);
}

bool WriteOscSettings(const OscSettings& settings, const std::string& path, std::string* errorMessage)
{
    auto fail = [errorMessage](const QString& text) {
        if (errorMessage)
            *errorMessage = text.toStdString();
        return false;
    };
    try {
        QJsonObject object;
        object.insert(QStringLiteral("version"), QLatin1String(kVersion));
        object.insert(QStringLiteral("oscEnabled"), settings.oscEnabled);
        object.insert(QStringLiteral("oscListenPort"), settings.oscListenPort);
        const QByteArray bytes = QJsonDocument(object).toJson(QJsonDocument::Indented);

        const QString filePath = QString::fromStdString(path);
        const QFileInfo info(filePath);
        if (!QDir().mkpath(info.absolutePath()))
            std::cerr << "Failed to create path for saving osc settings." << std::endl;

        zarn::AtomicFile::Write(path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        return true;
    } catch (const zarn::AtomicFileError& e) {
        return fail(QStringLiteral("Cannot write the OSC settings file %1: %2")
                        .arg(QString::fromStdString(path), QString::fromStdString(e.Reason())));
    } catch (const std::exception& e) {
        return fail(QString::fromUtf8(e.what()));
    }
}

} // namespace zarn::osc
