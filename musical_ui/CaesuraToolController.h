#pragma once

#include "EditToolController.h"
#include "IntAliases.h"

#include <QVariant>

#include <memory>

class QQmlEngine;

namespace zarn::qt {

// The caesura tool: puts a caesura at a picked bar and beat plus a number of ticks after
// that beat, or moves an existing one. The shift's range comes from the engine (the room up
// to the next beat) and, in the beat the song starts inside, from the earliest allowed tick.
class CaesuraToolController : public EditToolController
{
    Q_OBJECT

public:
    CaesuraToolController(QQmlEngine* engine, std::shared_ptr<Interface> engineHandle,
                          EditController* editController, QObject* parent);
    // A new tool on a new window, with no parent and nothing picked or remembered; the move
    // takes the other's engine handle over.
    CaesuraToolController(const CaesuraToolController& other);
    CaesuraToolController(CaesuraToolController&& other);

    void ConnectToolSignals() override;
    // The shift slider's range and value for the picked bar and beat.
    void UpdateToolValues() override;

signals:
    void caesuraToolClosing();

public slots:
    void onCaesuraButtonClicked(TL::BarsBeats position, UInt32 MinStartTick);
    void onCaesuraButtonClicked(TL::BarsBeats position);
    void onCaesuraButtonClicked();
    void onCaesuraCreationRequest(QVariant bar, QVariant beat, double inShift);
    void onCaesuraEdit(cmn::ZarnEvent* zarnEvent);
    void onCaesuraChangeRequest(QVariant bar, QVariant beat, double inShift);
    void onCaesuraToolClosing();
};

} // namespace zarn::qt
