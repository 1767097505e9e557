#pragma once

#include "EditToolController.h"
#include "IntAliases.h"
#include "NetworkListModel.h"

#include <QString>

#include <memory>

class QQmlEngine;

namespace zarn::qt {

// The OSC cue tool: puts a cue (a command text and the network destination to send it to)
// at a picked bar and beat plus a number of ticks after that beat, or moves and changes an
// existing one. The destinations are a snapshot of the show's list taken when the tool is made.
class OscToolController : public EditToolController
{
    Q_OBJECT

public:
    OscToolController(QQmlEngine* engine, std::shared_ptr<Interface> engineHandle, EditController* editController,
                      QObject* parent);
    // A new tool on a new window, with no parent and nothing picked or remembered. The copy
    // has no destination list; the move takes the other's engine handle and list over.
    OscToolController(const OscToolController& other);
    OscToolController(OscToolController&& other);
    ~OscToolController() override;

    void ConnectToolSignals() override;
    // The shift slider's range and value for the picked bar and beat.
    void UpdateToolValues() override;

    // The destinations the window offers; null for a copied tool.
    zarn::NetworkListModel* GetNetworkList() const { return networkList_.get(); }

signals:
    void toolClosing();

public slots:
    void onToolButtonClicked(TL::BarsBeats position, UInt32 minStartTick);
    void onToolButtonClicked(TL::BarsBeats position);
    void onToolButtonClicked();
    void onToolCreationRequest(QString bar, int beat, QString value, QString networkId, double inShift);
    void onToolEdit(cmn::ZarnEvent* zarnEvent, UInt32 minStartTick);
    void onToolChangeRequest(QString bar, int beat, QString value, QString networkId, double inShift);
    void onToolClosing();

private:
    // The slider's lower end by the picked bar and beat.
    void SetShiftFloorOfPickedBeat();

    std::unique_ptr<zarn::NetworkListModel> networkList_;
};

} // namespace zarn::qt
