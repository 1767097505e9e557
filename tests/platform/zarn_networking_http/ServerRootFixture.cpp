#include "ServerRootFixture.h"

#include "HexText.h"
#include "TwoFishCipher.h"
#include "zarn_core/ShowCredential.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

ServerRootFixture::ServerRootFixture()
{
    if (!dir_.isValid()) {
        return;
    }
    QDir root(dir_.path());
    root.mkpath(QStringLiteral("show/audio"));
    root.mkpath(QStringLiteral("changelogs"));

    const cmn::ShowCredential credential{.showId = "demo",
                                         .authHash = kAuth,
                                         .scoreKey = zarn_sec::RandomBytes(32),
                                         .scoreIv = zarn_sec::RandomBytes(zarn_sec::kTwoFishBlockSize),
                                         .accountData = kAccount};
    credential.WriteToFolder(root.filePath(QStringLiteral("show")).toStdString());
    scoreIv_ = credential.scoreIv;
    logKey_ = zarn_sec::RandomBytes(32);

    WriteFile(root.filePath(QStringLiteral("server.json")),
              QJsonDocument(QJsonObject{
                                {QStringLiteral("authHash"), QString::fromLatin1(kAuth)},
                                {QStringLiteral("record"), QJsonObject{{QStringLiteral("id"), QStringLiteral("demo")},
                                                                       {QStringLiteral("showName"), QStringLiteral("Lanterns")},
                                                                       {QStringLiteral("customerName"), QStringLiteral("Hall Theatre")}}},
                                {QStringLiteral("accountData"), QString::fromLatin1(kAccount)},
                                {QStringLiteral("logKey"), QString::fromStdString(zarn_sec::ToHex(logKey_))}})
                  .toJson());
    WriteFile(ShowFile(QStringLiteral("show.json")), R"({"songs": [{"number": "1", "title": "Overture"}]})");
    WriteFile(ShowFile(QStringLiteral("AlbumArtwork.jpg")), Pattern(5000, 3));
    WriteFile(ShowFile(QStringLiteral("audio/song 1.wav")), Pattern(kAudioBytes, 1));

    WriteFile(QDir(LogFolder()).filePath(QStringLiteral("demo-1.0.logdata")), PlainLog(1, 0));
    const QByteArray second = PlainLog(2, 0);
    zarn_sec::EncipherToFile(QDir(LogFolder()).filePath(QStringLiteral("demo-2.0.logdata.enc")).toStdString(),
                             logKey_, scoreIv_, std::vector<uint8_t>(second.begin(), second.end()));
}

QString ServerRootFixture::FileBase() const
{
    return QUrl::fromLocalFile(dir_.path()).toString();
}

QString ServerRootFixture::ShowFile(const QString& relative) const
{
    return QDir(dir_.path()).filePath(QStringLiteral("show/") + relative);
}

QString ServerRootFixture::LogFolder() const
{
    return QDir(dir_.path()).filePath(QStringLiteral("changelogs"));
}

QByteArray ServerRootFixture::PlainLog(int major, int minor) const
{
    return QJsonDocument(QJsonObject{{QStringLiteral("format"), QStringLiteral("1.0")},
                                     {QStringLiteral("version"),
                                      QJsonObject{{QStringLiteral("major"), major}, {QStringLiteral("minor"), minor}}},
                                     {QStringLiteral("modified"), 1666893600 + major * 1000 + minor},
                                     {QStringLiteral("songs"), QJsonObject{}}})
        .toJson();
}

QByteArray ServerRootFixture::Pattern(qint64 size, int seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    uint32_t state = 2166136261u ^ static_cast<uint32_t>(seed);
    for (qint64 i = 0; i < size; ++i) {
        state = state * 1664525u + 1013904223u;
        bytes[i] = static_cast<char>(state >> 24);
    }
    return bytes;
}

void ServerRootFixture::WriteFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(bytes);
    }
}
