#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

namespace zarn::networking {

// A request as the handler sees it, whether it came over HTTP or from a file:// base.
struct ServerRequest {
    QByteArray method;                    // "GET", "POST"
    QByteArray target;                    // path and query, percent-encoded: "/files/a%20b.wav"
    QHash<QByteArray, QByteArray> headers; // names in lower case
    QByteArray body;
    QString publicBase;                   // how clients reach this root, for links we hand out
};

// The handler's answer. When filePath is set, the body is that file's content (filled in by
// whoever delivers the answer, in chunks), and fileSize its length.
struct ServerResponse {
    int status = 200;
    QByteArray contentType = "application/json";
    QByteArray body;
    QString filePath;
    qint64 fileSize = 0;
};

} // namespace zarn::networking
