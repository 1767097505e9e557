#pragma once

#include "IntAliases.h"
#include "QmlController.h"

#include <QPointer>
#include <QString>

#include <memory>
#include <string>

class Interface;

namespace zarn::qt {

class SongListModel;

// Stands behind the edit panel's song list (SongListView): a click on a row loads that
// song, a click on a row's state icon moves the song on to its next attacca state. The
// view and the engine belong to others; the model is this controller's.
class SongListController : public QmlController
{
    Q_OBJECT

public:
    SongListController(QObject* view, Interface* engine);
    ~SongListController() override;

    // Moves the view's current row to the song (to no row when the song is not listed),
    // without this controller's signals going out.
    void SelectSong(const std::string& songNumber);
    // Re-reads every song's attacca state from the engine; only the rows that changed are
    // redrawn.
    void UpdateAttaccaStates();

    SongListModel* GetModel() const { return model_.get(); }

signals:
    void AttaccaStateChanged(std::string songNum, UInt8 state);

public slots:
    void ItemClicked_(int index);
    void AttaccaStateChanged_(QString songNumber);

private:
    Interface* player_ = nullptr;
    std::unique_ptr<SongListModel> model_;
    // The view may go before this controller does; it must not be left holding a deleted model.
    QPointer<QObject> view_;
};

} // namespace zarn::qt
