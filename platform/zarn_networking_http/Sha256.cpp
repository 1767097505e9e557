#include "Sha256.h"

#include <QFile>

#include <nettle/sha2.h>

namespace zarn::networking {

struct Sha256::Context {
    sha256_ctx ctx;
};

Sha256::Sha256()
    : context_(std::make_unique<Context>())
{
    sha256_init(&context_->ctx);
}

Sha256::~Sha256() = default;

void Sha256::Add(const char* data, qint64 size)
{
    if (size > 0) {
        sha256_update(&context_->ctx, static_cast<size_t>(size), reinterpret_cast<const uint8_t*>(data));
    }
}

QByteArray Sha256::HexDigest()
{
    QByteArray digest(SHA256_DIGEST_SIZE, '\0');
    sha256_digest(&context_->ctx, SHA256_DIGEST_SIZE, reinterpret_cast<uint8_t*>(digest.data()));
    return digest.toHex();
}

QByteArray Sha256::OfBytes(const QByteArray& bytes)
{
    Sha256 hash;
    hash.Add(bytes.constData(), bytes.size());
    return hash.HexDigest();
}

QByteArray Sha256::OfFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    Sha256 hash;
    QByteArray chunk(1 << 20, Qt::Uninitialized);
    for (;;) {
        const qint64 got = file.read(chunk.data(), chunk.size());
        if (got < 0) {
            return {};
        }
        if (got == 0) {
            break;
        }
        hash.Add(chunk.constData(), got);
    }
    return hash.HexDigest();
}

} // namespace zarn::networking
