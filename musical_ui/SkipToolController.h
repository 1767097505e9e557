#pragma once

#include "EditToolController.h"

#include <QVariant>

#include <memory>

class QQmlEngine;

namespace zarn::qt {

// The skip tool: marks a range of the current song that the operator may pass over on request,
// or moves the two ends of an existing skip. A skip carries no value of its own.
class SkipToolController : public EditToolController
{
    Q_OBJECT

public:
    SkipToolController(QQmlEngine* engine, std::shared_ptr<Interface> engineHandle,
                       EditController* editController, QObject* parent);
    // A new tool on a new window, with no parent and nothing picked or remembered; the move
    // takes the other's engine handle over.
    SkipToolController(const SkipToolController& other);
    SkipToolController(SkipToolController&& other);

    void ConnectToolSignals() override;

protected:
    // A skip shows no value.
    void ShowOpeningValue(const cmn::ZarnEvent* edited) override;

signals:
    void skipToolClosing();

public slots:
    void onSkipButtonClicked(TL::BarsBeats startBarsBeats, TL::BarsBeats endBarsBeats);
    void onSkipButtonClicked(TL::BarsBeats startBarsBeats);
    void onSkipButtonClicked();
    void onSkipCreationRequest(QVariant startBar, QVariant startBeat, QVariant endBar, QVariant endBeat);
    void onSkipEdit(cmn::ZarnEvent* zarnEvent);
    void onSkipChangeRequest(QVariant startBar, QVariant startBeat, QVariant endBar, QVariant endBeat);
    void onSkipToolClosing();
};

} // namespace zarn::qt
