#include "BarsBeatsViewController.h"

#include "EditModel.h"

#include <QVariant>

#include <cmath>
#include <cstdint>
#include <utility>

namespace zarn::qt {

namespace {

// The bars area's region properties are QML ints; Qt would round a double written into
// them, and the regions must end where their ticks do, so they are truncated here.
int Units(double ticks, double ticksPerUnit)
{
    return static_cast<int>(std::trunc(ticks / ticksPerUnit));
}

} // namespace

BarsBeatsViewController::BarsBeatsViewController(QObject* barsItem, double ticksPerUnit,
                                                 QQmlEngine* engine, EditModel* editModel,
                                                 bool audioTailAsFade)
    : QObject(nullptr), engine_(engine), barsItem_(barsItem), editModel_(editModel),
      ticksPerUnit_(ticksPerUnit), audioTailAsFade_(audioTailAsFade)
{
    if (barsItem_)
        fadeBox_ = barsItem_->property("audioFadeBoxControl").value<QObject*>();
}

BarsBeatsViewController::~BarsBeatsViewController() = default;

void BarsBeatsViewController::Rebuild()
{
    items_.clear();

    const std::uint32_t songLength = editModel_->showManager->GetSongLength(editModel_->songNumber);
    const std::shared_ptr<BarsBeatsEventSequence> index = editModel_->barsBeats;
    int z = 0;

    // A line whose QML could not be created is left out, so no layout or zoom touches it.
    auto add = [&](const QString& label, std::uint32_t tick, bool isBar) -> BarController* {
        auto line = std::make_unique<BarController>(label, Units(tick, ticksPerUnit_), isBar,
                                                    viewScale_, engine_, barsItem_);
        if (!line->GetQmlObject())
            return nullptr;
        line->SetZ(z);
        items_.push_back(std::move(line));
        return items_.back().get();
    };

    if (index) {
        for (std::size_t i = 0; i < index->GetBarCount(); ++i) {
            const BarsBeatsEventSequence::BarInfo bar = index->GetBarInfo(i);
            if (static_cast<std::uint32_t>(bar.tick) < songLength) {
                if (add(QString::fromStdString(bar.GetBarNumber()),
                        static_cast<std::uint32_t>(bar.tick), true))
                    --z;
            }
            for (std::size_t j = 1; j < bar.GetBeatCount(); ++j) {
                const std::string beat = bar.GetBeat(j);
                const auto tick = static_cast<std::uint32_t>(bar.GetBeatTick(beat));
                if (tick < songLength && add(QString::fromStdString(beat), tick, false))
                    --z;
            }
        }
    }

    if (BarController* end = add(QString(), songLength, true))
        end->SetEndBar(true);

    const std::uint32_t audioEnd = editModel_->GetSongAudioEndTick();
    double fadeWidth = 0, fadePos = 0, outWidth = 0, outPos = 0;
    if (audioEnd >= songLength && audioTailAsFade_) {
        fadeWidth = static_cast<double>(audioEnd - songLength);
        fadePos = songLength;
    } else {
        outWidth = static_cast<double>(static_cast<std::int32_t>(songLength - audioEnd));
        outPos = audioEnd;
    }
    const double inWidth = editModel_->showManager->GetPlayer()->GetCurrentStartTickIndex();

    if (barsItem_) {
        barsItem_->setProperty("audioFadeRegionWidth", Units(fadeWidth, ticksPerUnit_));
        barsItem_->setProperty("audioFadeRegionPos", Units(fadePos, ticksPerUnit_));
    }
    if (fadeBox_)
        fadeBox_->setProperty("z", z - 1);
    if (barsItem_) {
        barsItem_->setProperty("audioOutRegionWidth", Units(outWidth, ticksPerUnit_));
        barsItem_->setProperty("audioOutRegionPos", Units(outPos, ticksPerUnit_));
        barsItem_->setProperty("audioInRegionWidth", Units(inWidth, ticksPerUnit_));
        barsItem_->setProperty("audioInRegionPos", 0);
    }

    LayoutLabels(true);
}

void BarsBeatsViewController::SetViewScale(double scale, bool immediate)
{
    if (scale == viewScale_)
        return;
    viewScale_ = scale;
    for (const auto& item : items_)
        item->SetViewScale(scale, immediate);
    LayoutLabels(immediate);
}

void BarsBeatsViewController::LayoutLabels(bool immediate)
{
    BarController* lastShown = nullptr;
    bool groupHidden = false;
    std::vector<BarController*> pendingBeats;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        BarController* item = items_[i].get();
        const bool isLast = i + 1 == items_.size();
        if (item->IsBar()) {
            // The beats of one bar show their labels all or none.
            for (BarController* beat : pendingBeats)
                beat->GetQmlObject()->setProperty("showLabel", !groupHidden);
            pendingBeats.clear();
            groupHidden = false;
        } else {
            pendingBeats.push_back(item);
        }
        if (PlaceLabel(lastShown, item, isLast, immediate))
            groupHidden = true;
    }
}

bool BarsBeatsViewController::PlaceLabel(BarController*& lastShown, BarController* item,
                                         bool isLast, bool immediate)
{
    std::vector<std::pair<BarController*, bool>> decisions;
    if (!lastShown) {
        decisions.emplace_back(item, true);
        lastShown = item;
    } else {
        const double gap = (lastShown->IsBar() && item->IsBar()) ? labelSpacing_ / 1.0
                                                                 : labelSpacing_ / 5.0;
        const bool tooClose = static_cast<double>(lastShown->GetRightEdge()) + gap
                              >= static_cast<double>(item->GetX());
        if (!tooClose) {
            decisions.emplace_back(item, true);
            lastShown = item;
        } else if (isLast || (item->IsBar() && !lastShown->IsBar())) {
            decisions.emplace_back(item, true);
            decisions.emplace_back(lastShown, false);
            lastShown = item;
        } else {
            decisions.emplace_back(item, false);
        }
    }

    bool hidBeat = false;
    for (const auto& [line, show] : decisions) {
        bool visible = true;
        if (show) {
            line->GetQmlObject()->setProperty("showLabel", true);
        } else if (line->IsBar()) {
            visible = false;
        } else {
            line->GetQmlObject()->setProperty("showLabel", false);
            hidBeat = true;
            visible = viewScale_ >= 1.0;
        }
        if (immediate)
            line->SetVisible(visible);
        else if (visible)
            line->FadeIn();
        else
            line->FadeOut();
    }
    return hidBeat;
}

} // namespace zarn::qt
