#include "NetworkApiInterface.h"

#include "ApiTransport.h"
#include "SafePath.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QUrl>

#include <cmath>
#include <limits>
#include <map>
#include <mutex>

namespace zarn::networking {
namespace {

std::mutex registryMutex;
std::map<std::string, std::string>& CredentialRegistry()
{
    static std::map<std::string, std::string> registry;
    return registry;
}

struct Malformed {
    std::string what;
};

QJsonObject ParseObject(const QByteArray& body)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        throw Malformed{"not a JSON object"};
    }
    return document.object();
}

std::string TextMember(const QJsonObject& object, const char* name, bool required = true)
{
    const QJsonValue value = object.value(QLatin1String(name));
    if (value.isUndefined() && !required) {
        return {};
    }
    if (!value.isString()) {
        throw Malformed{std::string("\"") + name + "\" is not a text"};
    }
    return value.toString().toStdString();
}

int64_t IntegerMember(const QJsonObject& object, const char* name, int64_t low, int64_t high)
{
    const QJsonValue value = object.value(QLatin1String(name));
    const double number = value.toDouble(std::nan(""));
    if (!value.isDouble() || std::floor(number) != number || number < static_cast<double>(low)
        || number > static_cast<double>(high)) {
        throw Malformed{std::string("\"") + name + "\" is not a whole number in range"};
    }
    return static_cast<int64_t>(number);
}

ChangelogInfo ParseLogEntry(const QJsonObject& object)
{
    ChangelogInfo info;
    info.major = static_cast<uint8_t>(IntegerMember(object, "major", 0, 255));
    info.minor = static_cast<uint8_t>(IntegerMember(object, "minor", 0, 255));
    info.date = static_cast<int32_t>(IntegerMember(object, "date", std::numeric_limits<int32_t>::min(),
                                                   std::numeric_limits<int32_t>::max()));
    return info;
}

// Maps a transport answer to a result status and message; true when the body can be used.
template <typename T>
bool Classify(const ApiResponse& response, NetworkApiInterface::RequestResult<T>& result)
{
    using Api = NetworkApiInterface;
    if (response.httpStatus == 0) {
        result.status = response.timedOut ? Api::API_TIMEOUT : Api::API_NETWORK_ERROR;
        result.message = response.transportError.toStdString();
        return false;
    }
    if (response.httpStatus == 200) {
        result.status = Api::API_SUCCESS;
        return true;
    }
    switch (response.httpStatus) {
    case 400: result.status = Api::API_BAD_REQUEST; break;
    case 401:
    case 403: result.status = Api::API_UNAUTHORIZED; break;
    case 404: result.status = Api::API_NOT_FOUND; break;
    default: result.status = Api::API_SERVER_ERROR; break;
    }
    QString message;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(response.body, &error);
    if (error.error == QJsonParseError::NoError && document.isObject()) {
        message = document.object().value(QStringLiteral("error")).toString();
    }
    const QString code = QStringLiteral("HTTP %1").arg(response.httpStatus);
    result.message = (message.isEmpty() ? code : message + QStringLiteral(" (") + code + QStringLiteral(")"))
                         .toStdString();
    return false;
}

} // namespace

NetworkApiInterface::NetworkApiInterface(std::string apiBaseUrl)
    : baseUrl_(std::move(apiBaseUrl))
    , transport_(std::make_unique<ApiTransport>(QString::fromStdString(baseUrl_)))
{
}

NetworkApiInterface::~NetworkApiInterface() = default;

void NetworkApiInterface::SetCredential(const std::string& authHash, int productNumber)
{
    authHash_ = authHash;
    productNumber_ = productNumber;
    hasCredential_ = true;
    std::lock_guard lock(registryMutex);
    CredentialRegistry()[authHash] = baseUrl_;
}

void NetworkApiInterface::SetTimeout(std::chrono::milliseconds timeout)
{
    transport_->SetTimeoutMs(static_cast<int>(std::min<int64_t>(timeout.count(), std::numeric_limits<int>::max())));
}

std::optional<std::string> NetworkApiInterface::BaseUrlForCredential(const std::string& authHash)
{
    std::lock_guard lock(registryMutex);
    const auto found = CredentialRegistry().find(authHash);
    if (found == CredentialRegistry().end()) {
        return std::nullopt;
    }
    return found->second;
}

std::string NetworkApiInterface::StatusName(int status)
{
    switch (status) {
    case API_SUCCESS: return "API_SUCCESS";
    case API_BAD_REQUEST: return "API_BAD_REQUEST";
    case API_UNAUTHORIZED: return "API_UNAUTHORIZED";
    case API_NOT_FOUND: return "API_NOT_FOUND";
    case API_SERVER_ERROR: return "API_SERVER_ERROR";
    case API_NETWORK_ERROR: return "API_NETWORK_ERROR";
    case API_TIMEOUT: return "API_TIMEOUT";
    case API_MALFORMED_RESPONSE: return "API_MALFORMED_RESPONSE";
    case API_NO_CREDENTIAL: return "API_NO_CREDENTIAL";
    default: return "API_STATUS_" + std::to_string(status);
    }
}

namespace {

template <typename T, typename Parse>
NetworkApiInterface::RequestResult<T> Request(ApiTransport& transport, bool hasCredential, const std::string& authHash,
                                              int product, const QString& target, Parse parse)
{
    NetworkApiInterface::RequestResult<T> result;
    if (!hasCredential) {
        result.status = NetworkApiInterface::API_NO_CREDENTIAL;
        result.message = "No credential was set for the server request";
        return result;
    }
    const HeaderList headers{{"Authorization", "Bearer " + QByteArray::fromStdString(authHash)},
                             {"X-Zarn-Product", QByteArray::number(product)}};
    const ApiResponse response = transport.Send("GET", target, headers);
    if (!Classify(response, result)) {
        return result;
    }
    try {
        result.data = parse(ParseObject(response.body));
        result.message = "OK";
    } catch (const Malformed& malformed) {
        result.status = NetworkApiInterface::API_MALFORMED_RESPONSE;
        result.data.reset();
        result.message = "Malformed answer from the server: " + malformed.what;
    }
    return result;
}

} // namespace

NetworkApiInterface::RequestResult<ShowFileList> NetworkApiInterface::GetAllShowFiles()
{
    const std::string base = transport_->PublicBase().toStdString();
    return Request<ShowFileList>(*transport_, hasCredential_, authHash_, productNumber_, QStringLiteral("/show/files"),
                                 [&](const QJsonObject& object) {
        static const QRegularExpression sha(QStringLiteral("^[0-9a-f]{64}$"));
        ShowFileList list;
        list.baseUrl = base;
        const QJsonObject record = object.value(QStringLiteral("record")).toObject();
        list.record.id = TextMember(record, "id", false);
        list.record.showName = TextMember(record, "showName", false);
        list.record.customerName = TextMember(record, "customerName", false);
        list.record.authHash = authHash_;
        list.record.apiBaseUrl = baseUrl_;
        if (!object.value(QStringLiteral("files")).isArray()) {
            throw Malformed{"\"files\" is not a list"};
        }
        for (const QJsonValue& value : object.value(QStringLiteral("files")).toArray()) {
            const QJsonObject file = value.toObject();
            ShowFileEntry entry;
            entry.kind = TextMember(file, "kind");
            entry.path = TextMember(file, "path");
            if (!IsSafeRelativePath(entry.path)) {
                throw Malformed{"refused file name \"" + entry.path + "\" (it would leave the show folder)"};
            }
            if (entry.kind == "LOG" && !IsSafeFileName(entry.path)) {
                throw Malformed{"refused change-log name \"" + entry.path + "\""};
            }
            entry.size = static_cast<uint64_t>(IntegerMember(file, "size", 0, int64_t(1) << 53));
            entry.sha256 = TextMember(file, "sha256");
            if (!sha.match(QString::fromStdString(entry.sha256)).hasMatch()) {
                throw Malformed{"\"sha256\" of \"" + entry.path + "\" is not a SHA-256"};
            }
            if (entry.kind == "LOG") {
                entry.major = static_cast<int>(IntegerMember(file, "major", 0, 255));
                entry.minor = static_cast<int>(IntegerMember(file, "minor", 0, 255));
            }
            entry.source = TextMember(file, "source", false);
            if (entry.source.empty()) {
                entry.source = "/files/" + QUrl::toPercentEncoding(QString::fromStdString(entry.path), "/").toStdString();
            }
            if (entry.source.front() != '/' || entry.source.find("//") != std::string::npos) {
                throw Malformed{"\"source\" of \"" + entry.path + "\" is not a path on this server"};
            }
            list.files.push_back(std::move(entry));
        }
        return list;
    });
}

NetworkApiInterface::RequestResult<ChangelogInfoList> NetworkApiInterface::GetAvailableLogs()
{
    return Request<ChangelogInfoList>(*transport_, hasCredential_, authHash_, productNumber_,
                                      QStringLiteral("/changelogs"), [](const QJsonObject& object) {
        if (!object.value(QStringLiteral("logs")).isArray()) {
            throw Malformed{"\"logs\" is not a list"};
        }
        ChangelogInfoList logs;
        for (const QJsonValue& value : object.value(QStringLiteral("logs")).toArray()) {
            logs.push_back(ParseLogEntry(value.toObject()));
        }
        return logs;
    });
}

NetworkApiInterface::RequestResult<ChangelogInfo> NetworkApiInterface::GetLatestLog()
{
    return Request<ChangelogInfo>(*transport_, hasCredential_, authHash_, productNumber_,
                                  QStringLiteral("/changelogs/latest"), ParseLogEntry);
}

NetworkApiInterface::RequestResult<ChangelogFullInfo>
NetworkApiInterface::GetChangelogLinkByVersion(uint8_t major, uint8_t minor)
{
    return Request<ChangelogFullInfo>(*transport_, hasCredential_, authHash_, productNumber_,
                                      QStringLiteral("/changelogs/%1.%2/link").arg(major).arg(minor),
                                      [&](const QJsonObject& object) {
        ChangelogFullInfo info;
        const ChangelogInfo entry = ParseLogEntry(object);
        info.major = entry.major;
        info.minor = entry.minor;
        info.date = entry.date;
        if (info.major != major || info.minor != minor) {
            throw Malformed{"the link is for another version"};
        }
        info.link = TextMember(object, "link");
        info.keyHex = TextMember(object, "key", false);
        info.extra = TextMember(object, "extra", false);
        info.fileName = TextMember(object, "fileName");
        if (!IsSafeFileName(info.fileName)) {
            throw Malformed{"refused change-log file name \"" + info.fileName + "\" (it would leave the show folder)"};
        }
        return info;
    });
}

} // namespace zarn::networking
