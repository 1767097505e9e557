#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

#include <functional>
#include <thread>

namespace zarn::tools {

// The back end of the show packager window. The window binds its fields to the properties and
// calls package() or packageSfx(); the work runs on a worker thread, so the window stays live,
// and its outcome comes back as `messageBody`, set before `message` turns true.
//
// package() packs the show folder (`sourceDirectory`), the score pages (`imageDirectory`) and
// the sound effects (`soundEffectsDirectory`) into the server root
// `destinationDirectory`/<show id>, the show id being the show name in small letters with every
// run of other characters turned into "-". The credential is the show folder's credential.json
// when it has one, else a new random one; with `advancedFeatures` every change log is stored
// enciphered on the server. An existing root is never replaced: its shared change logs may live
// only there.
//
// packageSfx() copies the .wav and .ogg files of `sfxSourceDirectory` into
// `sfxDestinationDirectory` and writes the manifest sfx.json there (sfxid = the file's stem,
// displayname, file, size, sha256), all or nothing, and never over an existing file.
//
// Messages: success is one "Packed ..." line, followed by "Warning: " lines for what the
// package lacks; a failure is one "Error: " line with the reason, and nothing was written.
class PackagerController : public QObject
{
    Q_OBJECT
    QML_ELEMENT

    Q_PROPERTY(QString name READ name WRITE setName NOTIFY nameChanged)
    Q_PROPERTY(QString sourceDirectory READ sourceDirectory WRITE setSourceDirectory NOTIFY sourceDirectoryChanged)
    Q_PROPERTY(QString destinationDirectory READ destinationDirectory WRITE setDestinationDirectory NOTIFY
                   destinationDirectoryChanged)
    Q_PROPERTY(QString imageDirectory READ imageDirectory WRITE setImageDirectory NOTIFY imageDirectoryChanged)
    Q_PROPERTY(QString soundEffectsDirectory READ soundEffectsDirectory WRITE setSoundEffectsDirectory NOTIFY
                   soundEffectsDirectoryChanged)
    Q_PROPERTY(bool advancedFeatures READ advancedFeatures WRITE setAdvancedFeatures NOTIFY advancedFeaturesChanged)
    Q_PROPERTY(QString sfxSourceDirectory READ sfxSourceDirectory WRITE setSfxSourceDirectory NOTIFY
                   sfxSourceDirectoryChanged)
    Q_PROPERTY(QString sfxDestinationDirectory READ sfxDestinationDirectory WRITE setSfxDestinationDirectory NOTIFY
                   sfxDestinationDirectoryChanged)
    Q_PROPERTY(QStringList files READ files NOTIFY filesChanged)
    Q_PROPERTY(bool message READ message WRITE setMessage NOTIFY messageChanged)
    Q_PROPERTY(QString messageBody READ messageBody WRITE setMessageBody NOTIFY messageBodyChanged)
    Q_PROPERTY(bool busy READ busy NOTIFY busyChanged)

public:
    explicit PackagerController(QObject* parent = nullptr);
    // Waits for a running job: a half-made root is cleaned up by the job itself.
    ~PackagerController() override;

    QString name() const { return name_; }
    void setName(const QString& value);
    QString sourceDirectory() const { return sourceDirectory_; }
    void setSourceDirectory(const QString& value);
    QString destinationDirectory() const { return destinationDirectory_; }
    void setDestinationDirectory(const QString& value);
    QString imageDirectory() const { return imageDirectory_; }
    void setImageDirectory(const QString& value);
    QString soundEffectsDirectory() const { return soundEffectsDirectory_; }
    void setSoundEffectsDirectory(const QString& value);
    bool advancedFeatures() const { return advancedFeatures_; }
    void setAdvancedFeatures(bool value);
    QString sfxSourceDirectory() const { return sfxSourceDirectory_; }
    void setSfxSourceDirectory(const QString& value);
    QString sfxDestinationDirectory() const { return sfxDestinationDirectory_; }
    void setSfxDestinationDirectory(const QString& value);
    QStringList files() const { return files_; }
    bool message() const { return message_; }
    void setMessage(bool value);
    QString messageBody() const { return messageBody_; }
    void setMessageBody(const QString& value);
    bool busy() const { return busy_; }

    Q_INVOKABLE QString versionString() const;
    Q_INVOKABLE void package();
    Q_INVOKABLE void packageSfx();

    // The show id made from a show name: a-z, 0-9 and single dashes; empty when the name has
    // none of those letters or digits, even after taking accents off.
    static QString ShowIdOf(const QString& showName);

signals:
    void nameChanged();
    void sourceDirectoryChanged();
    void destinationDirectoryChanged();
    void imageDirectoryChanged();
    void soundEffectsDirectoryChanged();
    void advancedFeaturesChanged();
    void sfxSourceDirectoryChanged();
    void sfxDestinationDirectoryChanged();
    void filesChanged();
    void messageChanged();
    void messageBodyChanged();
    void busyChanged();

private:
    void RefreshFiles();
    // Runs the job on the worker thread; its text becomes the message.
    void Start(std::function<QString()> job);
    void Finish(const QString& body);

    QString name_;
    QString sourceDirectory_;
    QString destinationDirectory_;
    QString imageDirectory_;
    QString soundEffectsDirectory_;
    bool advancedFeatures_ = false;
    QString sfxSourceDirectory_;
    QString sfxDestinationDirectory_;
    QStringList files_;
    bool message_ = false;
    QString messageBody_;
    bool busy_ = false;
    QFileSystemWatcher watcher_;
    std::thread worker_;
};

// The two jobs, callable without a controller (tests and benchmarks).
struct ShowPackageRequest {
    QString name;
    QString sourceDirectory;
    QString destinationDirectory;
    QString imageDirectory;
    QString soundEffectsDirectory;
    bool advancedFeatures = false;
};
QString PackShow(const ShowPackageRequest& request);
QString PackSoundEffects(const QString& sourceDirectory, const QString& destinationDirectory);

} // namespace zarn::tools
