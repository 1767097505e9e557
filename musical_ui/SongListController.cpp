#include "SongListController.h"

#include "SongListModel.h"
#include "TimelineMetaTypes.h"
#include "zarn_player_core/Interface.h"

#include <QVariant>

#include <iostream>
#include <vector>

namespace zarn::qt {

SongListController::SongListController(QObject* view, Interface* engine)
    : QmlController(view, nullptr), player_(engine), view_(view)
{
    RegisterTimelineMetaTypes();
    std::vector<SongListRow> rows;
    if (player_) {
        for (const auto& [number, name] : player_->GetSongNamesBySongNumber())
            rows.push_back(SongListRow{number, name, player_->GetAttacca(number)});
    }
    model_ = std::make_unique<SongListModel>(std::move(rows));

    if (!qmlObject_)
        return;
    qmlObject_->setProperty("model", QVariant::fromValue(model_.get()));
    connect(qmlObject_, SIGNAL(itemClicked(int)), this, SLOT(ItemClicked_(int)));
    connect(qmlObject_, SIGNAL(attaccaStateChanged(QString)), this, SLOT(AttaccaStateChanged_(QString)));
}

SongListController::~SongListController()
{
    if (view_)
        view_->setProperty("model", QVariant());
}

void SongListController::ItemClicked_(int index)
{
    std::cout << "Index Changed: " << index << std::endl;
    if (index < 0 || index >= model_->rowCount() || !player_)
        return;
    const std::string songNumber = model_->GetSongNumber(index);
    if (songNumber != player_->GetCurrentSongNumber())
        player_->LoadSong(songNumber);
}

void SongListController::AttaccaStateChanged_(QString songNumber)
{
    const std::string number = songNumber.toStdString();
    // Not a change at all: the relay would otherwise tell the engine to make the song "plays".
    if (model_->FindSongRow(number) == model_->rowCount()) {
        std::cerr << "Invalid index for attacca state change.";
        return;
    }
    const UInt8 state = model_->CycleAttaccaState(number);
    std::cout << "New state = " << SongListModel::StatusText(state).toStdString() << std::endl;
    emit AttaccaStateChanged(number, state);
}

void SongListController::SelectSong(const std::string& songNumber)
{
    int row = model_->FindSongRow(songNumber);
    if (row == model_->rowCount())
        row = -1;
    if (!qmlObject_)
        return;
    if (qmlObject_->property("currentIndex").toInt() == row) {
        std::cout << "Already at loaded song index" << std::endl;
        return;
    }
    blockSignals(true);
    qmlObject_->setProperty("currentIndex", row);
    blockSignals(false);
    std::cout << "Setting to New Index!" << std::endl;
}

void SongListController::UpdateAttaccaStates()
{
    if (!player_)
        return;
    std::vector<UInt8> states;
    for (const auto& entry : player_->GetSongNamesBySongNumber())
        states.push_back(player_->GetAttacca(entry.first));
    model_->SetAttaccaStates(states);
}

} // namespace zarn::qt
