#pragma once

#include "EditToolController.h"

#include <QString>

#include <memory>

class QQmlEngine;

namespace zarn::qt {

// The repeat tool: marks a range of the current song that plays a number of times, or changes
// the range and the count of an existing repeat. The count lives in the window, which keeps it
// within 1 to 500.
class RepeatToolController : public EditToolController
{
    Q_OBJECT

public:
    RepeatToolController(QQmlEngine* engine, std::shared_ptr<Interface> engineHandle,
                         EditController* editController, QObject* parent);
    // A new tool on a new window, with no parent and nothing picked or remembered; the move
    // takes the other's engine handle over.
    RepeatToolController(const RepeatToolController& other);
    RepeatToolController(RepeatToolController&& other);

    void ConnectToolSignals() override;

signals:
    void repeatToolClosing();

public slots:
    void onRepeatButtonClicked(TL::BarsBeats startBarsBeats, TL::BarsBeats endBarsBeats);
    void onRepeatButtonClicked(TL::BarsBeats startBarsBeats);
    void onRepeatButtonClicked();
    void onRepeatCreationRequest(QString startBar, int startBeat, QString endBar, int endBeat, int count);
    void onRepeatEdit(cmn::ZarnEvent* zarnEvent);
    void onRepeatChangeRequest(QString startBar, int startBeat, QString endBar, int endBeat, int count);
    void onRepeatToolClosing();
};

} // namespace zarn::qt
