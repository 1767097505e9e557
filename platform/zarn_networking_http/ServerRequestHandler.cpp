#include "ServerRequestHandler.h"

#include "SafePath.h"
#include "Sha256.h"

#include "HexText.h"
#include "TwoFishCipher.h"
#include "zarn_core/ChangeLogName.h"
#include "zarn_core/ShowCredential.h"

#include "zarn_core/AtomicFile.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageAuthenticationCode>
#include <QUrl>
#include <QUrlQuery>

#include <limits>
#include <map>
#include <string_view>
#include <vector>

namespace zarn::networking {
namespace {

struct ServerConfig {
    QByteArray authHash;
    QJsonObject record;
    std::vector<uint8_t> logKey;
    std::optional<QByteArray> accountData;
};

struct StoredLog {
    int major = 0;
    int minor = 0;
    QString storedName;  // as in changelogs/
    QString publicName;  // the name a client stores it under
    bool enciphered = false;
    qint32 date = 0;
};

using LogMap = std::map<std::pair<int, int>, StoredLog>;

ServerResponse JsonAnswer(const QJsonObject& object, int status = 200)
{
    ServerResponse response;
    response.status = status;
    response.body = QJsonDocument(object).toJson(QJsonDocument::Compact);
    return response;
}

ServerResponse ErrorAnswer(int status, const QString& message)
{
    return JsonAnswer(QJsonObject{{QStringLiteral("error"), message}}, status);
}

bool SameBytes(const QByteArray& a, const QByteArray& b)
{
    // Constant time for equal lengths, so a wrong credential teaches nothing by timing.
    if (a.size() != b.size()) {
        return false;
    }
    unsigned char difference = 0;
    for (qsizetype i = 0; i < a.size(); ++i) {
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    }
    return difference == 0;
}

std::optional<ServerConfig> ReadConfig(const QString& root, const std::optional<QByteArray>& authOverride,
                                       QString* problem)
{
    QFile file(QDir(root).filePath(QStringLiteral("server.json")));
    if (!file.open(QIODevice::ReadOnly)) {
        *problem = QStringLiteral("Server root is not set up: server.json cannot be read");
        return std::nullopt;
    }
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        *problem = QStringLiteral("Server root is not set up: server.json is not a JSON object");
        return std::nullopt;
    }
    const QJsonObject object = document.object();
    ServerConfig config;
    config.authHash = authOverride ? *authOverride : object.value(QStringLiteral("authHash")).toString().toUtf8();
    if (config.authHash.isEmpty()) {
        *problem = QStringLiteral("Server root is not set up: no credential in server.json");
        return std::nullopt;
    }
    config.record = object.value(QStringLiteral("record")).toObject();
    const QString logKey = object.value(QStringLiteral("logKey")).toString();
    if (!logKey.isEmpty()) {
        try {
            config.logKey = zarn_sec::FromHex(logKey.toStdString());
        } catch (const std::exception&) {
            *problem = QStringLiteral("Server root is not set up: logKey is not hexadecimal");
            return std::nullopt;
        }
    }
    if (object.contains(QStringLiteral("accountData"))) {
        config.accountData = object.value(QStringLiteral("accountData")).toString().toUtf8();
    }
    return config;
}

QString KindOf(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("score")) return QStringLiteral("SCORE");
    if (suffix == QLatin1String("wav") || suffix == QLatin1String("mp3") || suffix == QLatin1String("flac")
        || suffix == QLatin1String("ogg") || suffix == QLatin1String("aif") || suffix == QLatin1String("aiff")
        || suffix == QLatin1String("m4a")) {
        return QStringLiteral("AUDIO");
    }
    if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg") || suffix == QLatin1String("png")) {
        return QStringLiteral("ART");
    }
    return QStringLiteral("SHOW");
}

qint32 ClampToInt32(qint64 value)
{
    if (value < std::numeric_limits<qint32>::min()) return std::numeric_limits<qint32>::min();
    if (value > std::numeric_limits<qint32>::max()) return std::numeric_limits<qint32>::max();
    return static_cast<qint32>(value);
}

// A change log's date is its own "modified" member (seconds, or an ISO date text); a log
// that lacks one dates from its file.
qint32 LogDate(const QByteArray& content, const QFileInfo& info)
{
    const QJsonDocument document = QJsonDocument::fromJson(content);
    const QJsonValue modified = document.object().value(QStringLiteral("modified"));
    if (modified.isDouble()) {
        return ClampToInt32(static_cast<qint64>(modified.toDouble()));
    }
    if (modified.isString()) {
        const QDateTime time = QDateTime::fromString(modified.toString(), Qt::ISODate);
        if (time.isValid()) {
            return ClampToInt32(time.toSecsSinceEpoch());
        }
    }
    return ClampToInt32(info.lastModified().toSecsSinceEpoch());
}

std::vector<uint8_t> CredentialIv(const QString& root)
{
    try {
        const auto credential = cmn::ShowCredential::TryReadFromFolder(
            QDir(root).filePath(QStringLiteral("show")).toStdString());
        if (credential) {
            return credential->scoreIv;
        }
    } catch (const std::exception&) {
    }
    return {};
}

QByteArray PlainLogContent(const QString& path, bool enciphered, const ServerConfig& config, const QString& root)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray stored = file.readAll();
    if (!enciphered) {
        return stored;
    }
    try {
        const std::vector<uint8_t> cipher(stored.begin(), stored.end());
        const auto plain = zarn_sec::Decipher(config.logKey, CredentialIv(root), cipher);
        return QByteArray(reinterpret_cast<const char*>(plain.data()), static_cast<qsizetype>(plain.size()));
    } catch (const std::exception&) {
        return {};
    }
}

LogMap ScanLogs(const QString& root, const ServerConfig& config)
{
    LogMap logs;
    const QDir folder(QDir(root).filePath(QStringLiteral("changelogs")));
    const auto entries = folder.entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& info : entries) {
        QString name = info.fileName();
        const bool enciphered = name.endsWith(QLatin1String(".logdata.enc"));
        if (enciphered) {
            name.chop(4);
        }
        const auto version = CL::ChangeLogName::VersionOf(name.toStdString());
        if (!version || !IsSafeFileName(name.toStdString())) {
            continue;
        }
        const auto key = std::make_pair(int(version->major), int(version->minor));
        const auto existing = logs.find(key);
        if (existing != logs.end() && !existing->second.enciphered) {
            continue; // a plain copy of a version wins over an enciphered one
        }
        StoredLog log;
        log.major = version->major;
        log.minor = version->minor;
        log.storedName = info.fileName();
        log.publicName = name;
        log.enciphered = enciphered;
        log.date = LogDate(PlainLogContent(info.filePath(), enciphered, config, root), info);
        logs[key] = log;
    }
    return logs;
}

QJsonObject LogEntry(const StoredLog& log)
{
    return QJsonObject{{QStringLiteral("major"), log.major},
                       {QStringLiteral("minor"), log.minor},
                       {QStringLiteral("date"), log.date}};
}

QByteArray LinkToken(const QByteArray& authHash, int major, int minor)
{
    return QMessageAuthenticationCode::hash(QByteArray::number(major) + '.' + QByteArray::number(minor),
                                            authHash, QCryptographicHash::Sha256)
        .toHex();
}

std::optional<std::pair<int, int>> ParseVersion(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 2) {
        return std::nullopt;
    }
    bool majorOk = false;
    bool minorOk = false;
    const int major = parts[0].toInt(&majorOk);
    const int minor = parts[1].toInt(&minorOk);
    if (!majorOk || !minorOk || major < 0 || major > 255 || minor < 0 || minor > 255) {
        return std::nullopt;
    }
    return std::make_pair(major, minor);
}

ServerResponse FileAnswer(const QString& path, const QByteArray& contentType = "application/octet-stream")
{
    ServerResponse response;
    response.contentType = contentType;
    response.filePath = path;
    response.fileSize = QFileInfo(path).size();
    return response;
}

} // namespace

ServerRequestHandler::ServerRequestHandler(QString rootFolder, std::optional<QByteArray> authOverride)
    : root_(QDir(rootFolder).absolutePath())
    , authOverride_(std::move(authOverride))
{
}

QByteArray ServerRequestHandler::HashOf(const QString& absolutePath, const QString& key)
{
    const QFileInfo info(absolutePath);
    const qint64 modified = info.lastModified().toMSecsSinceEpoch();
    const auto cached = hashes_.constFind(key);
    if (cached != hashes_.constEnd() && cached->size == info.size() && cached->modifiedMs == modified) {
        return cached->sha256;
    }
    const QByteArray sha = Sha256::OfFile(absolutePath);
    if (!sha.isEmpty()) {
        hashes_.insert(key, CachedHash{info.size(), modified, sha});
    }
    return sha;
}

void ServerRequestHandler::Warm()
{
    const QString showFolder = QDir(root_).filePath(QStringLiteral("show"));
    QDirIterator it(showFolder, QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        HashOf(path, QDir(showFolder).relativeFilePath(path));
    }
}

ServerResponse ServerRequestHandler::Handle(const ServerRequest& request)
{
    QString problem;
    const auto config = ReadConfig(root_, authOverride_, &problem);
    if (!config) {
        return ErrorAnswer(500, problem);
    }

    const qsizetype queryAt = request.target.indexOf('?');
    const QByteArray rawPath = queryAt < 0 ? request.target : request.target.left(queryAt);
    const QUrlQuery query(queryAt < 0 ? QString() : QString::fromUtf8(request.target.mid(queryAt + 1)));
    const QString path = QUrl::fromPercentEncoding(rawPath);
    const QStringList segments = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);

    // A change log's file may be fetched with the token of its link instead of the credential,
    // so a link works on its own, like any download address.
    const bool isLogFile = request.method == "GET" && segments.size() == 3
        && segments[0] == QLatin1String("changelogs") && segments[2] == QLatin1String("file");
    bool tokenAccepted = false;
    if (isLogFile && query.hasQueryItem(QStringLiteral("token"))) {
        const auto version = ParseVersion(segments[1]);
        tokenAccepted = version
            && SameBytes(query.queryItemValue(QStringLiteral("token")).toLatin1(),
                         LinkToken(config->authHash, version->first, version->second));
        if (!tokenAccepted) {
            return ErrorAnswer(401, QStringLiteral("Download link refused"));
        }
    }
    if (!tokenAccepted) {
        const QByteArray authorization = request.headers.value("authorization");
        if (!authorization.startsWith("Bearer ") || authorization.size() <= 7) {
            return ErrorAnswer(401, QStringLiteral("Missing credential"));
        }
        if (!SameBytes(authorization.mid(7).trimmed(), config->authHash)) {
            return ErrorAnswer(401, QStringLiteral("Credential refused"));
        }
        bool productOk = false;
        const int product = request.headers.value("x-zarn-product").trimmed().toInt(&productOk);
        if (!productOk || product < 0) {
            return ErrorAnswer(400, QStringLiteral("Missing or invalid product number"));
        }
    }

    const QString showFolder = QDir(root_).filePath(QStringLiteral("show"));
    const QString logFolder = QDir(root_).filePath(QStringLiteral("changelogs"));

    if (segments.size() == 2 && segments[0] == QLatin1String("show") && segments[1] == QLatin1String("files")) {
        if (request.method != "GET") {
            return ErrorAnswer(405, QStringLiteral("Method not allowed"));
        }
        QJsonArray files;
        QStringList paths;
        QDirIterator it(showFolder, QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            paths << QDir(showFolder).relativeFilePath(it.next());
        }
        paths.sort();
        for (const QString& relative : paths) {
            if (relative.endsWith(QLatin1String(".logdata")) || !IsSafeRelativePath(relative.toStdString())) {
                continue;
            }
            const QString absolute = QDir(showFolder).filePath(relative);
            const QByteArray sha = HashOf(absolute, relative);
            if (sha.isEmpty()) {
                continue;
            }
            files.append(QJsonObject{{QStringLiteral("kind"), KindOf(relative)},
                                     {QStringLiteral("path"), relative},
                                     {QStringLiteral("size"), QFileInfo(absolute).size()},
                                     {QStringLiteral("sha256"), QString::fromLatin1(sha)},
                                     {QStringLiteral("source"),
                                      QStringLiteral("/files/") + QString::fromLatin1(QUrl::toPercentEncoding(relative, "/"))}});
        }
        const LogMap logs = ScanLogs(root_, *config);
        for (auto it = logs.rbegin(); it != logs.rend(); ++it) {
            const StoredLog& log = it->second;
            if (log.enciphered) {
                continue;
            }
            const QString absolute = QDir(logFolder).filePath(log.storedName);
            files.append(QJsonObject{{QStringLiteral("kind"), QStringLiteral("LOG")},
                                     {QStringLiteral("path"), log.publicName},
                                     {QStringLiteral("size"), QFileInfo(absolute).size()},
                                     {QStringLiteral("sha256"), QString::fromLatin1(Sha256::OfFile(absolute))},
                                     {QStringLiteral("major"), log.major},
                                     {QStringLiteral("minor"), log.minor},
                                     {QStringLiteral("source"),
                                      QStringLiteral("/changelogs/%1.%2/file").arg(log.major).arg(log.minor)}});
            break;
        }
        return JsonAnswer(QJsonObject{{QStringLiteral("record"), config->record}, {QStringLiteral("files"), files}});
    }

    if (segments.size() >= 2 && segments[0] == QLatin1String("files")) {
        if (request.method != "GET") {
            return ErrorAnswer(405, QStringLiteral("Method not allowed"));
        }
        const QString relative = path.mid(path.indexOf(QLatin1String("files/")) + 6);
        if (!IsSafeRelativePath(relative.toStdString())) {
            return ErrorAnswer(400, QStringLiteral("Refused file name: %1").arg(relative));
        }
        const QFileInfo info(QDir(showFolder).filePath(relative));
        const QString canonicalShow = QFileInfo(showFolder).canonicalFilePath();
        if (!info.isFile() || canonicalShow.isEmpty()
            || !info.canonicalFilePath().startsWith(canonicalShow + QLatin1Char('/'))) {
            return ErrorAnswer(404, QStringLiteral("No such show file: %1").arg(relative));
        }
        return FileAnswer(info.absoluteFilePath());
    }

    if (segments.isEmpty() || segments[0] != QLatin1String("changelogs")) {
        return ErrorAnswer(404, QStringLiteral("No such resource: %1").arg(path));
    }

    const LogMap logs = ScanLogs(root_, *config);
    if (segments.size() == 1) {
        if (request.method != "GET") {
            return ErrorAnswer(405, QStringLiteral("Method not allowed"));
        }
        QJsonArray list;
        for (const auto& [version, log] : logs) {
            list.append(LogEntry(log));
        }
        return JsonAnswer(QJsonObject{{QStringLiteral("logs"), list}});
    }
    if (segments.size() == 2 && segments[1] == QLatin1String("latest")) {
        if (request.method != "GET") {
            return ErrorAnswer(405, QStringLiteral("Method not allowed"));
        }
        if (logs.empty()) {
            return ErrorAnswer(404, QStringLiteral("No change log has been shared yet"));
        }
        return JsonAnswer(LogEntry(logs.rbegin()->second));
    }

    const auto version = ParseVersion(segments[1]);
    if (!version) {
        return ErrorAnswer(400, QStringLiteral("Invalid change-log version: %1").arg(segments[1]));
    }
    const QString versionText = QStringLiteral("%1.%2").arg(version->first).arg(version->second);

    if (segments.size() == 2) {
        if (request.method != "POST") {
            return ErrorAnswer(405, QStringLiteral("Method not allowed"));
        }
        const QString fileName = QString::fromUtf8(request.headers.value("x-zarn-file-name")).trimmed();
        const auto nameVersion = CL::ChangeLogName::VersionOf(fileName.toStdString());
        if (!IsSafeFileName(fileName.toStdString()) || !nameVersion || nameVersion->major != version->first
            || nameVersion->minor != version->second) {
            return ErrorAnswer(400, QStringLiteral("Refused change-log file name \"%1\" for version %2")
                                        .arg(fileName, versionText));
        }
        if (request.body.size() > kMaxUploadBytes) {
            return ErrorAnswer(413, QStringLiteral("Change log too large"));
        }
        QJsonParseError parseError{};
        const QJsonDocument document = QJsonDocument::fromJson(request.body, &parseError);
        if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
            return ErrorAnswer(400, QStringLiteral("The uploaded change log is not a JSON object"));
        }
        const QByteArray account = QByteArray::fromBase64(request.headers.value("x-zarn-account"),
                                                          QByteArray::AbortOnBase64DecodingErrors);
        if (!request.headers.contains("x-zarn-account")) {
            return ErrorAnswer(400, QStringLiteral("Missing account data"));
        }
        if (config->accountData && !SameBytes(account, *config->accountData)) {
            return ErrorAnswer(403, QStringLiteral("Account data refused"));
        }
        if (logs.count(*version) != 0) {
            return ErrorAnswer(409, QStringLiteral("Version %1 already exists on the server").arg(versionText));
        }
        if (!QDir().mkpath(logFolder)) {
            return ErrorAnswer(500, QStringLiteral("Cannot create the change-log folder"));
        }
        const QString target = QDir(logFolder).filePath(fileName);
        if (QFileInfo::exists(target) || QFileInfo::exists(target + QStringLiteral(".enc"))) {
            return ErrorAnswer(409, QStringLiteral("A change log named %1 already exists").arg(fileName));
        }
        try {
            zarn::AtomicFile::Write(target.toStdString(), std::string_view(request.body.constData(),
                                                                           static_cast<std::size_t>(request.body.size())));
        } catch (const zarn::AtomicFileError& error) {
            return ErrorAnswer(500, QStringLiteral("Cannot store the change log: %1")
                                        .arg(QString::fromStdString(error.Reason())));
        }
        return JsonAnswer(LogEntry(StoredLog{version->first, version->second, fileName, fileName, false,
                                             LogDate(request.body, QFileInfo(target))}));
    }

    const auto found = logs.find(*version);
    if (segments.size() == 3 && request.method != "GET") {
        return ErrorAnswer(405, QStringLiteral("Method not allowed"));
    }
    if (segments.size() == 3 && segments[2] == QLatin1String("link")) {
        if (found == logs.end()) {
            return ErrorAnswer(404, QStringLiteral("No change log %1 on the server").arg(versionText));
        }
        const StoredLog& log = found->second;
        const QString stored = QDir(logFolder).filePath(log.storedName);
        const QString link = request.publicBase + QStringLiteral("/changelogs/%1/file?token=").arg(versionText)
            + QString::fromLatin1(LinkToken(config->authHash, log.major, log.minor));
        return JsonAnswer(QJsonObject{
            {QStringLiteral("major"), log.major},
            {QStringLiteral("minor"), log.minor},
            {QStringLiteral("date"), log.date},
            {QStringLiteral("link"), link},
            {QStringLiteral("key"), log.enciphered ? QString::fromStdString(zarn_sec::ToHex(config->logKey)) : QString()},
            {QStringLiteral("extra"), QString::fromLatin1(Sha256::OfFile(stored))},
            {QStringLiteral("fileName"), log.publicName}});
    }
    if (segments.size() == 3 && segments[2] == QLatin1String("file")) {
        if (found == logs.end()) {
            return ErrorAnswer(404, QStringLiteral("No change log %1 on the server").arg(versionText));
        }
        return FileAnswer(QDir(logFolder).filePath(found->second.storedName));
    }
    return ErrorAnswer(404, QStringLiteral("No such resource: %1").arg(path));
}

} // namespace zarn::networking
