#pragma once

#include "ServerMessages.h"

#include <QHash>
#include <QString>

#include <optional>

namespace zarn::networking {

// The show server's protocol over a server root folder:
//   server.json   {"authHash": "...", "record": {"id", "showName", "customerName"},
//                  "logKey": "<64 hex>" (optional), "accountData": "..." (optional)}
//   show/         the show's files, served as they are
//   changelogs/   shared change logs "<stem>-<M>.<m>.logdata"; a log stored enciphered
//                 (TwoFishCipher.h's authenticated layout under logKey and the show's
//                 credential IV) ends in ".logdata.enc"
//
// Routes (every one needs "Authorization: Bearer <authHash>" and "X-Zarn-Product: <n>",
// except a change log's file, which also accepts the token of its link):
//   GET  /show/files                the file list, with the newest plain change log as "LOG"
//   GET  /files/<path>              a show file's bytes
//   GET  /changelogs                {"logs": [{"major", "minor", "date"}]}, ascending
//   GET  /changelogs/latest         the newest entry
//   GET  /changelogs/<M>.<m>/link   {"major","minor","date","link","key","extra","fileName"}
//   GET  /changelogs/<M>.<m>/file   the stored bytes
//   POST /changelogs/<M>.<m>        a new version; headers X-Zarn-File-Name, X-Zarn-Account
// Errors answer {"error": "<display message>"} with a 4xx or 5xx status.
class ServerRequestHandler {
public:
    // authOverride replaces server.json's credential when given (the server's --auth).
    explicit ServerRequestHandler(QString rootFolder, std::optional<QByteArray> authOverride = {});

    ServerResponse Handle(const ServerRequest& request);

    // Hashes every show file now, so the first file list is answered as fast as the rest.
    void Warm();

    const QString& RootFolder() const { return root_; }

    static constexpr qint64 kMaxUploadBytes = 32 * 1024 * 1024;

private:
    struct CachedHash {
        qint64 size = 0;
        qint64 modifiedMs = 0;
        QByteArray sha256;
    };

    QByteArray HashOf(const QString& absolutePath, const QString& key);

    QString root_;
    std::optional<QByteArray> authOverride_;
    QHash<QString, CachedHash> hashes_;
};

} // namespace zarn::networking
