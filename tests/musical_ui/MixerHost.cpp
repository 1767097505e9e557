#include "MixerHost.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>

#include <cmath>

using zarn::qt::MixerModel;
using zarn::qt::MixerSectionItem;
using zarn::qt::MixerTrackItem;
using zarn::qt::MixerTracksModel;

MixerHost::MixerHost(int sections, int tracksPerSection)
    : instruments_(std::make_unique<StringValueListModel>()), sections_(std::make_unique<MixerModel>())
{
    const char* names[] = {"Piano", "Organ", "Strings", "Synth Pad"};
    for (int i = 0; i < 4; ++i)
        instruments_->append({QString::fromLatin1(names[i]), InstrumentValue(i)});
    const char* sectionNames[] = {"Instrumentals", "Vocals", "Effects", "Extras"};
    for (int s = 0; s < sections; ++s) {
        auto tracks = std::make_unique<MixerTracksModel>();
        connect(tracks.get(), &MixerTracksModel::instrumentTrackRequested, this,
                [this](int trackId, int) { ++instrumentRequests_[trackId]; });
        for (int t = 0; t < tracksPerSection; ++t) {
            auto track = std::make_unique<MixerTrackItem>(QStringLiteral("%1 %2").arg(QString::fromLatin1(sectionNames[s % 4])).arg(t + 1),
                                                          TrackId(s, t));
            track->instrumentModel = instruments_.get();
            track->instrument = s == 1 && t == 0 ? 99 : InstrumentValue(t % 4);
            track->volumeScaledDb = 0.7866278611f;
            track->pan = t % 2 == 0 ? -0.5f : 0.5f;
            tracks->AppendTrack(std::move(track));
        }
        sectionItems_.push_back(std::make_unique<MixerSectionItem>(QString::fromLatin1(sectionNames[s % 4]),
                                                                   QStringLiteral("Section %1").arg(s + 1), tracks.get()));
        sections_->AppendSection(sectionItems_.back().get());
        tracks_.push_back(std::move(tracks));
    }
}

MixerHost::~MixerHost()
{
    // The view lets go of the models first (the host's window goes before the host).
    sections_->Clear();
}

QQuickItem* MixerHost::LoadView(QQmlEngine& engine, QQuickWindow& window)
{
    QQmlComponent component(&engine, QUrl(QStringLiteral("qrc:/qt/qml/com/lanternhillstudios/musical_ui/qml/MixerView.qml")));
    QObject* object = component.create();
    auto* view = qobject_cast<QQuickItem*>(object);
    if (!view) {
        qWarning("MixerView did not load: %s", qPrintable(component.errorString()));
        delete object;
        return nullptr;
    }
    view->setParent(window.contentItem());
    view->setParentItem(window.contentItem());
    view->setWidth(window.width());
    view->setHeight(window.height());
    QObject::connect(&window, &QQuickWindow::widthChanged, view, [view, &window] { view->setWidth(window.width()); });
    QObject::connect(&window, &QQuickWindow::heightChanged, view, [view, &window] { view->setHeight(window.height()); });
    return view;
}

void MixerHost::Attach(QQuickItem* view)
{
    view->setProperty("mixerModel", QVariant::fromValue(static_cast<QObject*>(sections_.get())));
}

int MixerHost::InstrumentRequestsFor(int trackId) const
{
    const auto it = instrumentRequests_.find(trackId);
    return it == instrumentRequests_.end() ? 0 : it->second;
}

void MixerHost::Step(double phase)
{
    for (std::size_t s = 0; s < tracks_.size(); ++s) {
        MixerTracksModel& tracks = *tracks_[s];
        for (int row = 0; row < tracks.rowCount(); ++row) {
            const double angle = phase + 0.3 * row + static_cast<double>(s);
            // Between -20 dB and 0 dB, as a slider position.
            const double volume = std::exp((-10.0 + 10.0 * std::sin(angle)) / 25.0);
            tracks.UpdateShown(row, {{MixerTracksModel::VolumeScaledDbRole, volume},
                                     {MixerTracksModel::PanRole, std::sin(angle * 0.7)}});
        }
    }
}
