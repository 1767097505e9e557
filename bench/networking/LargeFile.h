#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <algorithm>
#include <cstdint>
#include <stdexcept>

// Pseudo-random content that does not compress (a download must move every byte), written in
// 8 MB pieces, for the download benchmarks' large shows.
inline void WriteLargeFile(const QString& path, qint64 size)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write " + path.toStdString());
    QByteArray chunk(8 << 20, Qt::Uninitialized);
    uint32_t seed = 12345;
    for (qint64 written = 0; written < size;) {
        for (auto& byte : chunk) {
            seed = seed * 1664525u + 1013904223u;
            byte = static_cast<char>(seed >> 24);
        }
        const qint64 piece = std::min<qint64>(chunk.size(), size - written);
        if (file.write(chunk.constData(), piece) != piece)
            throw std::runtime_error("cannot write " + path.toStdString());
        written += piece;
    }
}
