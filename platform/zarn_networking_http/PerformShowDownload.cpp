#include "PerformShowDownload.h"

#include "ApiTransport.h"
#include "SafePath.h"
#include "Sha256.h"

#include "zarn_core/AtomicFile.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <optional>

namespace zarn_download {

using namespace zarn::networking;

namespace {

constexpr uint64_t kInt32Max = static_cast<uint64_t>(std::numeric_limits<int32_t>::max());

uint64_t Capped(uint64_t value)
{
    return std::min(value, kInt32Max);
}

std::string AnswerMessage(const ApiResponse& response)
{
    if (response.httpStatus == 0) {
        return response.transportError.isEmpty() ? std::string("no answer from the server")
                                                 : response.transportError.toStdString();
    }
    const QString error = QJsonDocument::fromJson(response.body).object().value(QStringLiteral("error")).toString();
    const QString code = QStringLiteral("HTTP %1").arg(response.httpStatus);
    return (error.isEmpty() ? code : error + QStringLiteral(" (") + code + QStringLiteral(")")).toStdString();
}

} // namespace

ShowRecord PerformShowDownload(const std::string& authHash, std::shared_ptr<DownloadCallbacks> callbacks,
                               std::atomic<bool>* cancel, std::string /*unused*/, int productNumber,
                               DownloadPlan* plan)
{
    if (!plan) {
        throw DownloadException("Download failed: there is no download plan");
    }
    const auto cancelled = [cancel] { return cancel && cancel->load(); };
    const auto status = [&](const std::string& text) {
        if (callbacks && callbacks->status) callbacks->status(text);
    };

    // Refuse the whole plan before writing anything when one entry would land outside.
    if (!plan->entries.empty() && plan->showFolder.empty()) {
        throw DownloadException("Download failed: the plan has no show folder (it was not validated)");
    }
    const std::filesystem::path folder = std::filesystem::path(plan->showFolder).lexically_normal();
    uint64_t expected = 0;
    for (const DownloadPlanEntry& entry : plan->entries) {
        if (!IsSafeRelativePath(entry.path) || entry.destination.empty()
            || !IsInsideFolder(folder, entry.destination)) {
            throw DownloadException("Download of " + entry.path + " failed: refused, the name would leave the show folder");
        }
        expected += entry.size;
    }
    if (callbacks && callbacks->expectedTotal) {
        callbacks->expectedTotal(static_cast<int32_t>(Capped(expected)));
    }

    ShowRecord record = plan->record;
    record.authHash = authHash;
    record.folder = std::filesystem::path(plan->showFolder).filename().string();
    if (record.apiBaseUrl.empty()) {
        record.apiBaseUrl = plan->baseUrl;
    }
    if (plan->entries.empty()) {
        return record;
    }

    ApiTransport transport(QString::fromStdString(plan->baseUrl));
    const HeaderList headers{{"Authorization", "Bearer " + QByteArray::fromStdString(authHash)},
                             {"X-Zarn-Product", QByteArray::number(productNumber)}};

    const std::size_t count = plan->entries.size();
    for (std::size_t index = 0; index < count; ++index) {
        if (cancelled()) {
            status("Download cancelled");
            return record;
        }
        const DownloadPlanEntry& entry = plan->entries[index];
        const auto fail = [&](const std::string& reason) -> DownloadException {
            return DownloadException("Download of " + entry.path + " failed: " + reason);
        };
        status("Downloading " + entry.path + " (" + std::to_string(index + 1) + " of " + std::to_string(count) + ")");

        const QString destination = QString::fromStdString(entry.destination);
        if (!QDir().mkpath(QFileInfo(destination).absolutePath())) {
            throw fail("cannot create the folder " + QFileInfo(destination).absolutePath().toStdString());
        }
        const auto cannotWrite = [&](const zarn::AtomicFileError& error) {
            return fail("cannot write " + entry.destination + ": " + error.Reason());
        };
        // Every way out of this iteration but the commit below (a failure, a cancel, a
        // callback that throws) drops the temporary file with it.
        std::optional<zarn::AtomicFile> part;
        try {
            part.emplace(entry.destination);
        } catch (const zarn::AtomicFileError& error) {
            throw cannotWrite(error);
        }

        Sha256 hash;
        uint64_t received = 0;
        bool tooLong = false;
        std::optional<zarn::AtomicFileError> writeError;
        const auto sink = [&](const char* data, qint64 size) {
            if (received + static_cast<uint64_t>(size) > entry.size) {
                tooLong = true;
                return false;
            }
            try {
                part->Append(data, static_cast<std::size_t>(size));
            } catch (const zarn::AtomicFileError& error) {
                writeError = error;
                return false;
            }
            hash.Add(data, size);
            received += static_cast<uint64_t>(size);
            if (callbacks && callbacks->progress) {
                callbacks->progress(entry.path, Capped(received), Capped(entry.size));
            }
            return true;
        };
        const std::string source = entry.source.empty()
            ? "/files/" + QUrl::toPercentEncoding(QString::fromStdString(entry.path), "/").toStdString()
            : entry.source;
        const ApiResponse response = transport.Stream(QString::fromStdString(source), headers, sink, cancelled);

        if (cancelled()) {
            status("Download cancelled");
            return record;
        }
        if (tooLong) {
            throw fail("the server sent more than the " + std::to_string(entry.size) + " bytes it announced");
        }
        if (writeError) {
            throw cannotWrite(*writeError);
        }
        if (response.httpStatus != 200) {
            throw fail(AnswerMessage(response));
        }
        if (received != entry.size) {
            throw fail("received " + std::to_string(received) + " of " + std::to_string(entry.size) + " bytes");
        }
        const std::string digest = hash.HexDigest().toStdString();
        if (digest != entry.sha256) {
            throw fail("the file is damaged (SHA-256 " + digest + " instead of " + entry.sha256 + ")");
        }
        try {
            part->Commit();
        } catch (const zarn::AtomicFileError& error) {
            throw cannotWrite(error);
        }
    }
    if (callbacks && callbacks->statusReport) {
        callbacks->statusReport("Downloaded " + std::to_string(count) + (count == 1 ? " file" : " files"));
    }
    return record;
}

} // namespace zarn_download
