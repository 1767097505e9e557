#include "UploadChangelog.h"

#include "ApiTransport.h"
#include "NetworkApiInterface.h"
#include "ServerRequestHandler.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <filesystem>
#include <iostream>

namespace zarn::networking {

bool UploadChangelog(const std::string& accountData, const std::string& fileName, int major, int minor,
                     const std::string& credential, const std::string& showFolder, int productNumber)
{
    const auto base = NetworkApiInterface::BaseUrlForCredential(credential);
    std::string error;
    const bool stored = base && UploadChangelogTo(*base, accountData, fileName, major, minor, credential, showFolder,
                                                  productNumber, &error);
    if (!base) {
        error = "no server address is known for this show";
    }
    if (!stored) {
        std::cerr << "Upload of the change log failed: " << error << std::endl;
    }
    return stored;
}

bool UploadChangelogTo(const std::string& apiBaseUrl, const std::string& accountData, const std::string& fileName,
                       int major, int minor, const std::string& credential, const std::string& showFolder,
                       int productNumber, std::string* errorMessage, std::chrono::milliseconds timeout)
{
    const auto failed = [&](const std::string& reason) {
        if (errorMessage) *errorMessage = reason;
        return false;
    };
    if (major < 0 || major > 255 || minor < 0 || minor > 255) {
        return failed("version " + std::to_string(major) + "." + std::to_string(minor) + " is out of range");
    }
    std::filesystem::path path(fileName);
    if (path.is_relative()) {
        path = std::filesystem::path(showFolder) / path;
    }
    QFile file(QString::fromStdString(path.string()));
    if (!file.open(QIODevice::ReadOnly)) {
        return failed("cannot read " + path.string() + ": " + file.errorString().toStdString());
    }
    if (file.size() > ServerRequestHandler::kMaxUploadBytes) {
        return failed(path.string() + " is too large to share");
    }
    const QByteArray body = file.readAll();

    ApiTransport transport(QString::fromStdString(apiBaseUrl));
    transport.SetTimeoutMs(static_cast<int>(timeout.count()));
    const HeaderList headers{
        {"Authorization", "Bearer " + QByteArray::fromStdString(credential)},
        {"X-Zarn-Product", QByteArray::number(productNumber)},
        {"X-Zarn-File-Name", QFileInfo(file.fileName()).fileName().toUtf8()},
        {"X-Zarn-Account", QByteArray::fromStdString(accountData).toBase64()}};
    const ApiResponse response =
        transport.Send("POST", QStringLiteral("/changelogs/%1.%2").arg(major).arg(minor), headers, body);
    if (response.httpStatus == 200) {
        return true;
    }
    if (response.httpStatus == 0) {
        return failed(response.transportError.toStdString());
    }
    const QString error = QJsonDocument::fromJson(response.body).object().value(QStringLiteral("error")).toString();
    return failed((error.isEmpty() ? QStringLiteral("HTTP %1").arg(response.httpStatus)
                                   : error + QStringLiteral(" (HTTP %1)").arg(response.httpStatus))
                      .toStdString());
}

} // namespace zarn::networking
