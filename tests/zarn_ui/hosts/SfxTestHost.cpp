#include "SfxTestHost.h"

#include "WavFile.h"

#include <QAudioOutput>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMediaPlayer>
#include <QMetaObject>
#include <QUrl>
#include <QtMath>

#include <algorithm>

namespace zarn::testing {
namespace {

QString Sha256Of(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return QString::fromLatin1(hash.result().toHex());
}

// A manifest's file name must name a file of the folder itself.
bool IsPlainName(const QString& name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'))
        && name != QLatin1String(".") && name != QLatin1String("..");
}

} // namespace

// --- sources -------------------------------------------------------------------------------

int SfxSourceModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(sources_.size());
}

QVariant SfxSourceModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= sources_.size())
        return {};
    const Source& source = sources_[index.row()];
    switch (role) {
    case SfxIdRole:
        return source.sfxId;
    case DisplayNameRole:
    case Qt::DisplayRole:
        return source.displayName;
    default:
        return {};
    }
}

QHash<int, QByteArray> SfxSourceModel::roleNames() const
{
    return {{SfxIdRole, "sfxid"}, {DisplayNameRole, "displayname"}};
}

void SfxSourceModel::Reset(QVector<Source> sources)
{
    beginResetModel();
    sources_ = std::move(sources);
    endResetModel();
}

// --- instances -----------------------------------------------------------------------------

SfxInstanceModel::SfxInstanceModel(SfxTestHost* host)
    : host_(host)
{
}

int SfxInstanceModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(host_->instances_.size());
}

QVariant SfxInstanceModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= host_->instances_.size())
        return {};
    const auto& instance = host_->instances_[index.row()];
    switch (role) {
    case EventIdRole:
        return instance.eventId;
    case SummaryRole:
        return host_->SummaryOf(instance);
    case IsReadyRole:
        return host_->IsReady(instance);
    default:
        return {};
    }
}

QHash<int, QByteArray> SfxInstanceModel::roleNames() const
{
    return {{EventIdRole, "eventId"}, {SummaryRole, "summary"}, {IsReadyRole, "isReady"}};
}

// --- active audio --------------------------------------------------------------------------

ActiveAudioModel::ActiveAudioModel(SfxTestHost* host)
    : host_(host)
{
}

int ActiveAudioModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(host_->instances_.size());
}

QVariant ActiveAudioModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= host_->instances_.size())
        return {};
    const auto& instance = host_->instances_[index.row()];
    switch (role) {
    case IdRole:
        return instance.id;
    case NameRole:
        return instance.name;
    case IsPlayingRole:
        return host_->IsPlaying(instance.eventId);
    case IsPinnedRole:
        return instance.pinned;
    case ProgressRole:
        return instance.progress;
    case DurationRole:
        return instance.durationSeconds;
    default:
        return {};
    }
}

bool ActiveAudioModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.row() < 0 || index.row() >= host_->instances_.size())
        return false;
    auto& instance = host_->instances_[index.row()];
    if (role == IsPinnedRole) {
        instance.pinned = value.toBool();
    } else if (role == ProgressRole) {
        instance.progress = std::clamp(value.toDouble(), 0.0, 1.0);
    } else {
        return false;
    }
    emit dataChanged(index, index, {role});
    return true;
}

Qt::ItemFlags ActiveAudioModel::flags(const QModelIndex& index) const
{
    return QAbstractListModel::flags(index) | Qt::ItemIsEditable;
}

QHash<int, QByteArray> ActiveAudioModel::roleNames() const
{
    return {{IdRole, "id"},           {NameRole, "name"},         {IsPlayingRole, "isPlaying"},
            {IsPinnedRole, "isPinned"}, {ProgressRole, "progress"}, {DurationRole, "duration"}};
}

void ActiveAudioModel::playTrack(int playerId)
{
    const int row = host_->RowOfId(playerId);
    if (row >= 0)
        host_->playSfx(host_->instances_[row].eventId);
}

void ActiveAudioModel::stopTrack(int playerId, bool isUrgent)
{
    Q_UNUSED(isUrgent); // the test host has no fade to skip: every stop is immediate
    const int row = host_->RowOfId(playerId);
    if (row >= 0)
        host_->stopSfx(host_->instances_[row].eventId);
}

// --- host ----------------------------------------------------------------------------------

SfxTestHost::SfxTestHost(QObject* parent)
    : QObject(parent)
    , instanceModel_(std::make_unique<SfxInstanceModel>(this))
    , activeModel_(std::make_unique<ActiveAudioModel>(this))
{
    progressTimer_.setInterval(50);
    connect(&progressTimer_, &QTimer::timeout, this, &SfxTestHost::PollProgress);
}

SfxTestHost::~SfxTestHost()
{
    for (auto& instance : instances_) {
        if (instance.player) {
            instance.player->disconnect(this);
            instance.player->stop();
        }
    }
}

bool SfxTestHost::LoadFolder(const QString& folder)
{
    const QDir dir(folder);
    if (!dir.exists()) {
        qWarning("SfxTestHost: no sound-effect folder %s", qPrintable(folder));
        return false;
    }
    QVector<SfxSourceModel::Source> sources;
    const QString manifestPath = dir.filePath(QStringLiteral("sfx.json"));
    if (QFileInfo::exists(manifestPath)) {
        QFile manifest(manifestPath);
        if (!manifest.open(QIODevice::ReadOnly)) {
            qWarning("SfxTestHost: cannot read %s", qPrintable(manifestPath));
            return false;
        }
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(manifest.readAll(), &error);
        if (error.error != QJsonParseError::NoError || !document.isObject()) {
            qWarning("SfxTestHost: %s is not a manifest: %s", qPrintable(manifestPath), qPrintable(error.errorString()));
            return false;
        }
        for (const QJsonValue& value : document.object().value(QStringLiteral("effects")).toArray()) {
            const QJsonObject entry = value.toObject();
            const QString file = entry.value(QStringLiteral("file")).toString();
            const QString sfxId = entry.value(QStringLiteral("sfxid")).toString();
            if (!IsPlainName(file) || sfxId.isEmpty()) {
                qWarning("SfxTestHost: manifest entry without a usable id or file left out");
                continue;
            }
            const QString path = dir.filePath(file);
            if (!QFileInfo(path).isFile()) {
                qWarning("SfxTestHost: %s is missing; %s left out", qPrintable(path), qPrintable(sfxId));
                continue;
            }
            if (Sha256Of(path) != entry.value(QStringLiteral("sha256")).toString().toLower()) {
                qWarning("SfxTestHost: %s differs from its manifest; %s left out", qPrintable(path), qPrintable(sfxId));
                continue;
            }
            sources.push_back({sfxId, entry.value(QStringLiteral("displayname")).toString(sfxId), path});
        }
    } else {
        for (const QFileInfo& info : dir.entryInfoList(QDir::Files, QDir::Name)) {
            if (info.suffix().compare(QLatin1String("wav"), Qt::CaseInsensitive) != 0)
                continue;
            sources.push_back({info.completeBaseName(), info.completeBaseName(), info.absoluteFilePath()});
        }
    }
    sources_.Reset(std::move(sources));
    return true;
}

void SfxTestHost::AttachManager(QObject* managerWindow)
{
    manager_ = managerWindow;
    managerWindow->setProperty("availableSoundEffectsModel", QVariant::fromValue<QObject*>(&sources_));
    managerWindow->setProperty("soundEffectInstancesModel", QVariant::fromValue<QObject*>(instanceModel_.get()));
    connect(managerWindow, SIGNAL(playSfx(QString)), this, SLOT(playSfx(QString)));
    connect(managerWindow, SIGNAL(stopSfx(QString)), this, SLOT(stopSfx(QString)));
    connect(managerWindow, SIGNAL(deleteSoundEffectInstanceClicked(QString)), this, SLOT(deleteInstance(QString)));
    connect(managerWindow, SIGNAL(addSoundEffectInstanceClicked(QString)), this, SLOT(openInstanceTool(QString)));
}

void SfxTestHost::openInstanceTool(const QString& sfxId)
{
    if (!instanceTool_)
        return;
    int row = -1;
    for (int i = 0; i < sources_.Sources().size(); ++i) {
        if (sources_.Sources()[i].sfxId == sfxId)
            row = i;
    }
    if (row < 0)
        return; // the window checks no ids; an empty or unknown one opens nothing
    instanceTool_->setProperty("isEdit", false);
    instanceTool_->setProperty("eventId", QString());
    instanceTool_->setProperty("effectIdIndex", row);
    instanceTool_->setProperty("visible", true);
}

void SfxTestHost::AttachInstanceTool(QObject* instanceTool)
{
    instanceTool_ = instanceTool;
    instanceTool->setProperty("effectModel", QVariant::fromValue<QObject*>(&sources_));
    connect(instanceTool, SIGNAL(createRequest(QString, QString, int, QString, int, double, double, int, int, int, int)),
            this, SLOT(onCreateRequest(QString, QString, int, QString, int, double, double, int, int, int, int)));
}

void SfxTestHost::AttachActiveAudioList(QObject* activeAudioList)
{
    activeAudioList->setProperty("model", QVariant::fromValue<QObject*>(activeModel_.get()));
    connect(activeAudioList, SIGNAL(setPosition(int, double)), this, SLOT(seek(int, double)));
}

void SfxTestHost::onCreateRequest(const QString& name, const QString& outputPath, int outputPathIndex,
                                  const QString& effectId, int effectIdIndex, double volume, double pan, int reverb,
                                  int fadeIn, int fadeOut, int repeats)
{
    Q_UNUSED(outputPath);
    Q_UNUSED(outputPathIndex);
    Q_UNUSED(effectIdIndex);
    Q_UNUSED(pan);
    Q_UNUSED(reverb);
    Q_UNUSED(fadeIn);
    Q_UNUSED(fadeOut);
    AddInstance(name, effectId, volume, repeats);
}

QString SfxTestHost::AddInstance(const QString& name, const QString& sfxId, double gain, int repeats)
{
    Instance instance;
    instance.id = nextId_++;
    instance.eventId = QStringLiteral("Q%1").arg(instance.id);
    instance.name = name;
    instance.sfxId = sfxId;
    instance.gain = gain;
    instance.repeats = repeats;
    for (const auto& source : sources_.Sources()) {
        if (source.sfxId == sfxId)
            instance.file = source.file;
    }
    const int row = int(instances_.size());
    instanceModel_->beginInsertRows({}, row, row);
    activeModel_->beginInsertRows({}, row, row);
    if (!instance.file.isEmpty() && QFileInfo(instance.file).isFile()) {
        try {
            instance.durationSeconds = zarn::audio::WavFile::Load(instance.file.toStdString()).Seconds();
        } catch (const std::exception& error) {
            qWarning("SfxTestHost: %s", error.what());
        }
    }
    instances_.push_back(instance);
    activeModel_->endInsertRows();
    instanceModel_->endInsertRows();
    return instance.eventId;
}

void SfxTestHost::MakePlayer(Instance& instance)
{
    if (instance.file.isEmpty() || !QFileInfo(instance.file).isFile())
        return;
    instance.output = new QAudioOutput(this);
    instance.output->setVolume(float(instance.gain));
    instance.player = new QMediaPlayer(this);
    instance.player->setAudioOutput(instance.output);
    instance.player->setLoops(instance.repeats == -1 ? QMediaPlayer::Infinite : QMediaPlayer::Once);
    instance.player->setSource(QUrl::fromLocalFile(instance.file));
    const QString eventId = instance.eventId;
    QMediaPlayer* player = instance.player;
    connect(player, &QMediaPlayer::durationChanged, this, [this, eventId](qint64 ms) {
        const int row = RowOf(eventId);
        if (row < 0 || ms <= 0)
            return;
        instances_[row].durationSeconds = double(ms) / 1000.0;
        RowChanged(row, {}, {ActiveAudioModel::DurationRole});
    });
    // A file that cannot be decoded ends its audition as the end of its sound would: the
    // player may stay in its playing state after the error, and the manager would wait for an
    // end that never comes.
    connect(player, &QMediaPlayer::errorOccurred, this, [this, eventId, player](QMediaPlayer::Error error) {
        if (error == QMediaPlayer::NoError)
            return;
        if (player->playbackState() != QMediaPlayer::StoppedState) {
            player->stop();
            return;
        }
        emit sfxFinished(eventId);
        if (manager_)
            QMetaObject::invokeMethod(manager_, "sfxFinished", Q_ARG(QString, eventId));
    });
    connect(player, &QMediaPlayer::playbackStateChanged, this, [this, eventId](QMediaPlayer::PlaybackState state) {
        const int row = RowOf(eventId);
        if (row < 0)
            return;
        if (state == QMediaPlayer::PlayingState) {
            progressTimer_.start();
            emit instanceStarted(eventId);
        }
        RowChanged(row, {}, {ActiveAudioModel::IsPlayingRole});
        if (state == QMediaPlayer::StoppedState) {
            PollProgress();
            // A player holds an audio stream on the server from the moment it has loaded its
            // file until it is gone: each audition has a player of its own, let go when it stops.
            QMetaObject::invokeMethod(this, [this, eventId]() {
                const int at = RowOf(eventId);
                if (at < 0 || !instances_[at].player
                    || instances_[at].player->playbackState() != QMediaPlayer::StoppedState)
                    return;
                Instance& stopped = instances_[at];
                stopped.player->disconnect(this);
                stopped.player->deleteLater();
                stopped.output->deleteLater();
                stopped.player = nullptr;
                stopped.output = nullptr;
            }, Qt::QueuedConnection);
            emit sfxFinished(eventId);
            if (manager_)
                QMetaObject::invokeMethod(manager_, "sfxFinished", Q_ARG(QString, eventId));
        }
    });
}

bool SfxTestHost::IsReady(const Instance& instance) const
{
    return !instance.file.isEmpty() && QFileInfo(instance.file).isFile();
}

QString SfxTestHost::SummaryOf(const Instance& instance) const
{
    QString source = instance.sfxId;
    for (const auto& candidate : sources_.Sources()) {
        if (candidate.sfxId == instance.sfxId)
            source = candidate.displayName;
    }
    const double decibels = instance.gain > 0 ? 20.0 * std::log10(instance.gain) : -80.0;
    QString summary = QStringLiteral("%1 (%2, %3 dB)").arg(instance.name, source, QString::number(decibels, 'f', 1));
    if (instance.repeats == -1)
        summary += QStringLiteral(", loop");
    if (!IsReady(instance))
        summary += QStringLiteral(", file missing");
    return summary;
}

int SfxTestHost::RowOf(const QString& eventId) const
{
    for (int i = 0; i < instances_.size(); ++i) {
        if (instances_[i].eventId == eventId)
            return i;
    }
    return -1;
}

int SfxTestHost::RowOfId(int playerId) const
{
    for (int i = 0; i < instances_.size(); ++i) {
        if (instances_[i].id == playerId)
            return i;
    }
    return -1;
}

bool SfxTestHost::IsPlaying(const QString& eventId) const
{
    const int row = RowOf(eventId);
    return row >= 0 && instances_[row].player
        && instances_[row].player->playbackState() == QMediaPlayer::PlayingState;
}

void SfxTestHost::playSfx(const QString& eventId)
{
    const int row = RowOf(eventId);
    if (row < 0)
        return;
    Instance& instance = instances_[row];
    if (!IsReady(instance)) {
        // Never played: the window hears at once that nothing plays.
        qWarning("SfxTestHost: %s has no file to play", qPrintable(eventId));
        QMetaObject::invokeMethod(this, [this, eventId]() {
            emit sfxFinished(eventId);
            if (manager_)
                QMetaObject::invokeMethod(manager_, "sfxFinished", Q_ARG(QString, eventId));
        }, Qt::QueuedConnection);
        return;
    }
    if (!instance.player)
        MakePlayer(instance);
    // A seek made while it was stopped starts it there.
    if (instance.progress > 0 && instance.progress < 1 && instance.durationSeconds > 0)
        instance.player->setPosition(qint64(instance.progress * instance.durationSeconds * 1000.0));
    instance.player->play();
}

void SfxTestHost::stopSfx(const QString& eventId)
{
    const int row = RowOf(eventId);
    if (row < 0 || !instances_[row].player)
        return;
    instances_[row].player->stop();
}

void SfxTestHost::deleteInstance(const QString& eventId)
{
    const int row = RowOf(eventId);
    if (row < 0)
        return;
    Instance instance = instances_[row];
    if (instance.player) {
        instance.player->disconnect(this);
        instance.player->stop();
        instance.player->deleteLater();
        instance.output->deleteLater();
    }
    instanceModel_->beginRemoveRows({}, row, row);
    activeModel_->beginRemoveRows({}, row, row);
    instances_.removeAt(row);
    activeModel_->endRemoveRows();
    instanceModel_->endRemoveRows();
    // The window may still hold the id as playing.
    if (manager_)
        QMetaObject::invokeMethod(manager_, "sfxFinished", Q_ARG(QString, eventId));
}

void SfxTestHost::seek(int playerId, double position)
{
    const int row = RowOfId(playerId);
    if (row < 0)
        return;
    Instance& instance = instances_[row];
    instance.progress = std::clamp(position, 0.0, 1.0);
    if (instance.player)
        instance.player->setPosition(qint64(instance.progress * instance.durationSeconds * 1000.0));
}

void SfxTestHost::PollProgress()
{
    bool anyPlaying = false;
    for (int row = 0; row < instances_.size(); ++row) {
        Instance& instance = instances_[row];
        if (!instance.player)
            continue;
        const bool playing = instance.player->playbackState() == QMediaPlayer::PlayingState;
        anyPlaying = anyPlaying || playing;
        const qint64 duration = instance.player->duration();
        if (!playing || duration <= 0)
            continue;
        const double progress = std::clamp(double(instance.player->position()) / double(duration), 0.0, 1.0);
        if (progress != instance.progress) {
            instance.progress = progress;
            RowChanged(row, {}, {ActiveAudioModel::ProgressRole});
        }
    }
    if (!anyPlaying)
        progressTimer_.stop();
}

void SfxTestHost::RowChanged(int row, const QList<int>& instanceRoles, const QList<int>& activeRoles)
{
    if (!instanceRoles.isEmpty())
        emit instanceModel_->dataChanged(instanceModel_->index(row), instanceModel_->index(row), instanceRoles);
    if (!activeRoles.isEmpty())
        emit activeModel_->dataChanged(activeModel_->index(row), activeModel_->index(row), activeRoles);
}

} // namespace zarn::testing
