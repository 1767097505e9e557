#pragma once

#include "EditToolController.h"

#include <QString>

#include <memory>

class QQmlEngine;

namespace zarn::qt {

// The vamp tool: marks a range of the current song that loops a number of times, 0 standing
// for "until released" (shown "∞"), or changes the range and the count of an existing vamp.
// The count lives in the window, which keeps it within 0 to 500.
class VampToolController : public EditToolController
{
    Q_OBJECT

public:
    VampToolController(QQmlEngine* engine, std::shared_ptr<Interface> engineHandle,
                       EditController* editController, QObject* parent);
    // A new tool on a new window, with no parent and nothing picked or remembered; the move
    // takes the other's engine handle over.
    VampToolController(const VampToolController& other);
    VampToolController(VampToolController&& other);

    void ConnectToolSignals() override;

protected:
    // The count, or "∞" for none.
    void ShowOpeningValue(const cmn::ZarnEvent* edited) override;

signals:
    void vampToolClosing();

public slots:
    void onVampButtonClicked(TL::BarsBeats startBarsBeats, TL::BarsBeats endBarsBeats);
    void onVampButtonClicked(TL::BarsBeats startBarsBeats);
    void onVampButtonClicked();
    void onVampCreationRequest(QString startBar, int startBeat, QString endBar, int endBeat, int count);
    void onVampEdit(cmn::ZarnEvent* zarnEvent);
    void onVampChangeRequest(QString startBar, int startBeat, QString endBar, int endBeat, int count);
    void onVampToolClosing();
};

} // namespace zarn::qt
