#pragma once

#include <QAbstractListModel>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QVector>

#include <memory>

class QAudioOutput;
class QMediaPlayer;

namespace zarn::testing {

class SfxTestHost;

// The sources of one sound-effect folder: roles "sfxid" and "displayname".
class SfxSourceModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role { SfxIdRole = Qt::UserRole + 1, DisplayNameRole };
    struct Source {
        QString sfxId;
        QString displayName;
        QString file; // absolute path
    };

    using QAbstractListModel::QAbstractListModel;
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    void Reset(QVector<Source> sources);
    const QVector<Source>& Sources() const { return sources_; }

private:
    QVector<Source> sources_;
};

// Views over the host's instances: the manager's instance list ("eventId", "summary",
// "isReady") and the active-audio list ("id", "name", "isPlaying", "isPinned", "progress",
// "duration"; isPinned and progress writable; playTrack and stopTrack invokable).
class SfxInstanceModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role { EventIdRole = Qt::UserRole + 1, SummaryRole, IsReadyRole };
    explicit SfxInstanceModel(SfxTestHost* host);
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    friend class SfxTestHost;
    SfxTestHost* host_;
};

class ActiveAudioModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role { IdRole = Qt::UserRole + 1, NameRole, IsPlayingRole, IsPinnedRole, ProgressRole, DurationRole };
    explicit ActiveAudioModel(SfxTestHost* host);
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QHash<int, QByteArray> roleNames() const override;

    Q_INVOKABLE void playTrack(int playerId);
    Q_INVOKABLE void stopTrack(int playerId, bool isUrgent);

private:
    friend class SfxTestHost;
    SfxTestHost* host_;
};

// A host for the sound-effect windows, for tests and pictures: it reads a sound-effect folder
// (its sfx.json when present, else its .wav files), keeps the instances the instance tool
// creates, and auditions each with its own QMediaPlayer and QAudioOutput at the instance's
// gain, looping when its repeats are -1. Whenever a player stops it emits sfxFinished and
// hands it to the attached manager window, whatever stopped it, so the window's buttons come
// back after Edit, Delete or Space stopped an instance too.
class SfxTestHost : public QObject
{
    Q_OBJECT

public:
    struct Instance {
        int id = 0;
        QString eventId;
        QString name;
        QString sfxId;
        QString file;
        double gain = 1.0;
        int repeats = 0;
        bool pinned = false;
        double progress = 0.0;
        double durationSeconds = 0.0;
        QMediaPlayer* player = nullptr;
        QAudioOutput* output = nullptr;
    };

    explicit SfxTestHost(QObject* parent = nullptr);
    ~SfxTestHost() override;

    // Reads the folder; entries of sfx.json whose file is missing or differs from its SHA-256
    // are left out with a warning. False when the folder cannot be read.
    bool LoadFolder(const QString& folder);

    SfxSourceModel* SourceModel() { return &sources_; }
    SfxInstanceModel* InstanceModel() { return instanceModel_.get(); }
    ActiveAudioModel* ActiveModel() { return activeModel_.get(); }
    const QVector<Instance>& Instances() const { return instances_; }

    // Gives the window its models and connects the signals the host serves. With both
    // attached, the manager's create request opens the instance tool on the chosen source.
    void AttachManager(QObject* managerWindow);
    void AttachInstanceTool(QObject* instanceTool);
    void AttachActiveAudioList(QObject* activeAudioList);

    // Adds an instance as the instance tool's OK does; returns its event id.
    QString AddInstance(const QString& name, const QString& sfxId, double gain, int repeats);
    int RowOf(const QString& eventId) const;
    bool IsPlaying(const QString& eventId) const;

public slots:
    void playSfx(const QString& eventId);
    void stopSfx(const QString& eventId);
    void deleteInstance(const QString& eventId);
    void openInstanceTool(const QString& sfxId);
    void seek(int playerId, double position);
    void onCreateRequest(const QString& name, const QString& outputPath, int outputPathIndex, const QString& effectId,
                         int effectIdIndex, double volume, double pan, int reverb, int fadeIn, int fadeOut,
                         int repeats);

signals:
    void sfxFinished(const QString& eventId);
    void instanceStarted(const QString& eventId);

private:
    friend class SfxInstanceModel;
    friend class ActiveAudioModel;

    QString SummaryOf(const Instance& instance) const;
    bool IsReady(const Instance& instance) const;
    void MakePlayer(Instance& instance);
    void RowChanged(int row, const QList<int>& instanceRoles, const QList<int>& activeRoles);
    void PollProgress();
    int RowOfId(int playerId) const;

    SfxSourceModel sources_;
    std::unique_ptr<SfxInstanceModel> instanceModel_;
    std::unique_ptr<ActiveAudioModel> activeModel_;
    QVector<Instance> instances_;
    int nextId_ = 1;
    QPointer<QObject> manager_;
    QPointer<QObject> instanceTool_;
    QTimer progressTimer_;
};

} // namespace zarn::testing
