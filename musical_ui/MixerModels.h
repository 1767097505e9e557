#pragma once

#include <QAbstractListModel>
#include <QHash>
#include <QObject>
#include <QString>
#include <QVariant>

#include <memory>
#include <vector>

class StringValueListModel;

namespace zarn::qt {

class MixerTracksModel;

// The mixer's sections and tracks, as the mixer screens (MixerView.qml) show them. The screens
// change the mixer only by writing roles: every accepted write of a role with a request signal
// stores the value and raises the signal for the host, which applies it to its engine. Nothing
// is compared, clamped or passed on between sections and tracks: that is the host's business.
//
// The host fills the models (AppendSection, AppendTrack, Clear) and follows its engine with
// UpdateShown, which stores a shown value and announces it without a request. GUI thread only.

// One section: its title, tool tip, mute and solo, and its tracks (the host's).
class MixerSectionItem : public QObject
{
    Q_OBJECT

public:
    explicit MixerSectionItem(QString name = {}, QString tooltip = {}, MixerTracksModel* tracksModel = nullptr,
                              QObject* parent = nullptr);

    const QString& name() const { return name_; }
    void setName(QString name) { name_ = std::move(name); }
    const QString& tooltip() const { return tooltip_; }
    bool isMuted() const { return isMuted_; }
    void setIsMuted(bool muted) { isMuted_ = muted; }
    bool isSolo() const { return isSolo_; }
    void setIsSolo(bool solo) { isSolo_ = solo; }
    MixerTracksModel* tracksModel() const { return tracksModel_; }

private:
    QString name_;
    QString tooltip_;
    bool isMuted_ = false;
    bool isSolo_ = false;
    MixerTracksModel* tracksModel_ = nullptr;
};

// One track. Its volume is a slider position v (level in dB = 25 ln v, 1.0 is 0 dB); its pan
// runs from -1 (left) to +1 (right); its instrument is the value of an entry of its list.
class MixerTrackItem : public QObject
{
    Q_OBJECT

public:
    explicit MixerTrackItem(QString name = {}, int trackId = 0, QObject* parent = nullptr);

    QString name;
    int trackId = 0;
    bool isMuted = false;
    bool isSolo = false;
    float volumeScaledDb = 1.0f;
    float pan = 0.0f;
    bool enableMute = true;
    bool enableSolo = true;
    int instrument = 0;
    // The host's; the track does not own it.
    StringValueListModel* instrumentModel = nullptr;
};

// One row per section. It does not own its sections: they, their tracks models and those
// models' tracks belong to the host.
class MixerModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Roles {
        NameRole = Qt::UserRole + 1,
        IsMutedRole,
        IsSoloRole,
        TracksModelRole,
        TooltipRole,
    };

    explicit MixerModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QHash<int, QByteArray> roleNames() const override;

    // The host's side.
    void AppendSection(MixerSectionItem* section);
    void Clear();
    // Stores a value the host's engine already has and announces it; no request. False for a
    // row or role the screens could not write either.
    bool UpdateShown(int row, int role, const QVariant& value);
    MixerSectionItem* Section(int row) const;

signals:
    void muteSectionRequested(int index, bool value);
    void soloSectionRequested(int index, bool value);

private:
    bool Store(int row, int role, const QVariant& value);
    bool HasRow(const QModelIndex& index) const;

    std::vector<MixerSectionItem*> sections_;
};

// One row per track of a section; it owns its tracks.
class MixerTracksModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Roles {
        IsMutedRole = Qt::UserRole + 1,
        IsSoloRole,
        VolumeScaledDbRole,
        PanRole,
        EnableMuteRole,
        EnableSoloRole,
        InstrumentRole,
        NameRole,
        InstrumentModelRole,
    };

    explicit MixerTracksModel(QObject* parent = nullptr);
    ~MixerTracksModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QHash<int, QByteArray> roleNames() const override;

    // The host's side. The model takes the track.
    void AppendTrack(std::unique_ptr<MixerTrackItem> track);
    void Clear();
    bool UpdateShown(int row, int role, const QVariant& value);
    // Several roles of one track in one notice, as a host following its engine sends them: a
    // view updates once per track rather than once per role. False, with nothing stored, when
    // the row or any role could not be written.
    bool UpdateShown(int row, const QList<QPair<int, QVariant>>& values);
    MixerTrackItem* Track(int row) const;
    // -1 when no track has the id.
    int RowOfTrack(int trackId) const;

    // The linear gain of a volume slider position: 10^(25 ln v / 20), the logarithm taken in
    // single precision as the position is stored.
    static double LinearGain(float volumeScaledDb);

signals:
    void instrumentTrackRequested(int trackId, int instrumentValue);
    void muteTrackRequested(int trackId, bool value);
    void panTrackRequested(int trackId, double value);
    void soloTrackRequested(int trackId, bool value);
    void volumeTrackRequested(int trackId, double linearValue);

private:
    bool Store(int row, int role, const QVariant& value);
    bool HasRow(const QModelIndex& index) const;

    std::vector<std::unique_ptr<MixerTrackItem>> tracks_;
};

} // namespace zarn::qt
