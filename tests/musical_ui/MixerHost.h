#pragma once

#include "MixerModels.h"
#include "StringValueListModel.h"

#include <QObject>

#include <map>
#include <memory>
#include <vector>

class QQmlEngine;
class QQuickItem;
class QQuickWindow;

// A mixer host of the tests' own, as a mixer controller would be one: it owns sections of
// tracks with an instrument list each, hands them to a MixerView and follows a pretend engine
// with quiet updates. Track ids are 100 * section + track; the instruments' values are
// InstrumentValue(0..3); track 0 of section 1 holds the value 99, which its list lacks.
class MixerHost : public QObject
{
    Q_OBJECT

public:
    MixerHost(int sections, int tracksPerSection);
    ~MixerHost() override;

    static int TrackId(int section, int track) { return 100 * section + track; }
    static int InstrumentValue(int entry) { return 10 + entry; }

    // A MixerView filling the window's content; null (and a warning) when it cannot load.
    static QQuickItem* LoadView(QQmlEngine& engine, QQuickWindow& window);
    void Attach(QQuickItem* view);

    zarn::qt::MixerModel* Sections() const { return sections_.get(); }
    zarn::qt::MixerTracksModel* Tracks(int section) const { return tracks_[static_cast<std::size_t>(section)].get(); }
    int InstrumentRequestsFor(int trackId) const;

    // The engine moved on: every track's volume and pan from the phase, shown without a request.
    void Step(double phase);

private:
    std::unique_ptr<StringValueListModel> instruments_;
    std::vector<std::unique_ptr<zarn::qt::MixerTracksModel>> tracks_;
    std::vector<std::unique_ptr<zarn::qt::MixerSectionItem>> sectionItems_;
    std::unique_ptr<zarn::qt::MixerModel> sections_;
    std::map<int, int> instrumentRequests_;
};
