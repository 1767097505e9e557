#pragma once

#include "EditToolController.h"

#include <QVariant>

#include <memory>

class QQmlEngine;

namespace zarn::qt {

// The cut tool: marks a range of the current song that playback jumps over, or moves the two
// ends of an existing cut. A cut carries no value of its own.
class CutToolController : public EditToolController
{
    Q_OBJECT

public:
    CutToolController(QQmlEngine* engine, std::shared_ptr<Interface> engineHandle,
                      EditController* editController, QObject* parent);
    // A new tool on a new window, with no parent and nothing picked or remembered; the move
    // takes the other's engine handle over.
    CutToolController(const CutToolController& other);
    CutToolController(CutToolController&& other);

    void ConnectToolSignals() override;

protected:
    // A cut shows no value.
    void ShowOpeningValue(const cmn::ZarnEvent* edited) override;

signals:
    void cutToolClosing();

public slots:
    void onCutButtonClicked(TL::BarsBeats startBarsBeats, TL::BarsBeats endBarsBeats);
    void onCutButtonClicked(TL::BarsBeats startBarsBeats);
    void onCutButtonClicked();
    void onCutCreationRequest(QVariant startBar, QVariant startBeat, QVariant endBar, QVariant endBeat);
    void onCutEdit(cmn::ZarnEvent* zarnEvent);
    void onCutChangeRequest(QVariant startBar, QVariant startBeat, QVariant endBar, QVariant endBeat);
    void onCutToolClosing();
};

} // namespace zarn::qt
