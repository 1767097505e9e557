#include "ZARNDownloader.h"

#include "ApiTransport.h"
#include "Sha256.h"

#include "HexText.h"
#include "TwoFishCipher.h"
#include "zarn_core/ShowCredential.h"

#include "zarn_core/AtomicFile.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <limits>
#include <optional>
#include <stdexcept>
#include <string_view>

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

    // A plain file goes to disk as it arrives; an enciphered one is deciphered as a whole.
    // Either way it replaces the destination only once it is complete and checked.
    const bool enciphered = !key.empty();
    const auto cannotWrite = [&](const std::string& reason) {
        return fail("cannot write " + destinationPath + ": " + reason);
    };
    std::optional<zarn::AtomicFile> file;
    QByteArray bytes;
    Sha256 hash;
    qint64 received = 0;
    bool tooLarge = false;
    std::string writeError;
    const ApiResponse response = transport->Stream(target, {}, [&](const char* data, qint64 size) {
        if (received + size > kMaxBytes) {
            tooLarge = true;
            return false;
        }
        received += size;
        hash.Add(data, size);
        if (enciphered) {
            bytes.append(data, size);
            return true;
        }
        try {
            if (!file) {
                file.emplace(destinationPath);
            }
            file->Append(data, static_cast<std::size_t>(size));
        } catch (const zarn::AtomicFileError& error) {
            writeError = error.Reason();
            return false;
        }
        return true;
    }, [] { return false; });
    if (tooLarge) {
        throw fail("the file is larger than " + std::to_string(kMaxBytes / (1024 * 1024)) + " MB");
    }
    if (!writeError.empty()) {
        throw cannotWrite(writeError);
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
        && hash.HexDigest() != QByteArray::fromStdString(extra).toLower()) {
        throw fail("the file is damaged (its SHA-256 does not match)");
    }
    try {
        if (enciphered) {
            std::vector<uint8_t> plain;
            try {
                plain = zarn_sec::Decipher(key, iv, std::vector<uint8_t>(bytes.begin(), bytes.end()));
            } catch (const std::exception& error) {
                throw fail(error.what());
            }
            zarn::AtomicFile::Write(destinationPath,
                                    std::string_view(reinterpret_cast<const char*>(plain.data()), plain.size()));
        } else {
            if (!file) {
                file.emplace(destinationPath); // an empty file sends no chunk
            }
            file->Commit();
        }
    } catch (const zarn::AtomicFileError& error) {
        throw cannotWrite(error.Reason());
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
