#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <vector>

// A small but complete server root: show files (one of several chunks), a credential with
// score key and IV, a plain change log 1.0 and an enciphered 2.0.
class ServerRootFixture {
public:
    static constexpr const char* kAuth = "0f1e2d3c4b5a69788796a5b4c3d2e1f0";
    static constexpr const char* kAccount = "account-7";
    static constexpr qint64 kAudioBytes = 3 * 1024 * 1024 + 123;

    ServerRootFixture();

    bool IsValid() const { return dir_.isValid(); }
    QString Root() const { return dir_.path(); }
    QString FileBase() const; // file:// address of the root
    QString ShowFile(const QString& relative) const;
    QString LogFolder() const;

    const std::vector<uint8_t>& LogKey() const { return logKey_; }
    const std::vector<uint8_t>& ScoreIv() const { return scoreIv_; }
    QByteArray PlainLog(int major, int minor) const;

    static QByteArray Pattern(qint64 size, int seed);
    static void WriteFile(const QString& path, const QByteArray& bytes);

private:
    QTemporaryDir dir_;
    std::vector<uint8_t> logKey_;
    std::vector<uint8_t> scoreIv_;
};
