#include "ZARNDownloader.h"

#include "ApiTransport.h"
#include "Sha256.h"

#include "HexText.h"
#include "TwoFishCipher.h"
#include "zarn_core/ShowCredential.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSaveFile>

#include <limits>
#include <stdexcept>

namespace zarn::networking {

ZARNDownloader::ZARNDownloader() = default;

void ZARNDownloader::SetTimeout(std::chrono::milliseconds timeout)
{
    timeoutMs_ = static_cast<int>(std::min<int64_t>(timeout.count(), std::numeric_limits<int>::max()));
}

void ZARNDownloader::Download(const std::string& link, const std::string& destinationPath, const std::string& extra,
                              const std::vector<uint8_t>& key, const std::vector<uint8_t>& iv)
{
    const auto fail = [&](const std::string& reason) {
        return std::runtime_error("Download of " + link.substr(0, link.find('?')) + " failed: " + reason);
    };
    if (destinationPath.empty() || std::filesystem::path(destinationPath).filename().empty()) {
        throw fail("no destination file name");
    }
    auto [transport, target] = ApiTransport::ForLink(QString::fromStdString(link));
    if (!transport) {
        throw fail("not a download address");
    }
    transport->SetTimeoutMs(timeoutMs_);

    QByteArray bytes;
    bool tooLarge = false;
    const ApiResponse response = transport->Stream(target, {}, [&](const char* data, qint64 size) {
        if (bytes.size() + size > kMaxBytes) {
            tooLarge = true;
            return false;
        }
        bytes.append(data, size);
        return true;
    }, [] { return false; });
    if (tooLarge) {
        throw fail("the file is larger than " + std::to_string(kMaxBytes / (1024 * 1024)) + " MB");
    }
    if (response.httpStatus == 0) {
        throw fail(response.transportError.isEmpty() ? std::string("no answer from the server")
                                                     : response.transportError.toStdString());
    }
    if (response.httpStatus != 200) {
        const QString error = QJsonDocument::fromJson(response.body).object().value(QStringLiteral("error")).toString();
        throw fail((error.isEmpty() ? QString() : error + QStringLiteral(" ")).toStdString() + "(HTTP "
                   + std::to_string(response.httpStatus) + ")");
    }
    static const QRegularExpression sha(QStringLiteral("^[0-9a-fA-F]{64}$"));
    if (sha.match(QString::fromStdString(extra)).hasMatch()
        && Sha256::OfBytes(bytes) != QByteArray::fromStdString(extra).toLower()) {
        throw fail("the file is damaged (its SHA-256 does not match)");
    }
    if (!key.empty()) {
        try {
            const auto plain = zarn_sec::Decipher(key, iv, std::vector<uint8_t>(bytes.begin(), bytes.end()));
            bytes = QByteArray(reinterpret_cast<const char*>(plain.data()), static_cast<qsizetype>(plain.size()));
        } catch (const std::exception& error) {
            throw fail(error.what());
        }
    }
    QSaveFile file(QString::fromStdString(destinationPath));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        throw fail("cannot write " + destinationPath + ": " + file.errorString().toStdString());
    }
}

void ZARNDownloader::DownloadForShow(const std::string& link, const std::string& destinationPath,
                                     const std::string& extra, const std::string& keyHex,
                                     const std::filesystem::path& showFolder)
{
    std::vector<uint8_t> key;
    std::vector<uint8_t> iv;
    if (!keyHex.empty()) {
        try {
            key = zarn_sec::FromHex(keyHex);
        } catch (const std::exception&) {
            throw std::runtime_error("The server sent a change-log key that is not hexadecimal");
        }
        iv = cmn::ShowCredential::ReadFromFolder(showFolder).scoreIv;
    }
    Download(link, destinationPath, extra, key, iv);
}

} // namespace zarn::networking
