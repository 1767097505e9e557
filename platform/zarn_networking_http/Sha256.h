#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

namespace zarn::networking {

// Incremental SHA-256, lower-case hex result. Wraps nettle, which uses the CPU's SHA
// instructions where present: the hash runs over every downloaded byte.
class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void Add(const char* data, qint64 size);
    QByteArray HexDigest();

    static QByteArray OfBytes(const QByteArray& bytes);
    // Empty when the file cannot be read.
    static QByteArray OfFile(const QString& path);

private:
    struct Context;
    std::unique_ptr<Context> context_;
};

} // namespace zarn::networking
