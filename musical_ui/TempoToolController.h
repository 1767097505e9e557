#pragma once

#include "EditToolController.h"

#include <QString>

#include <memory>

class QQmlEngine;

namespace zarn::qt {

// The tempo scale tool: scales the tempo of a range of bars and beats by a whole percent,
// stored as a factor (100 % is 1.0), or changes the range and percent of an existing scale.
class TempoToolController : public EditToolController
{
    Q_OBJECT

public:
    TempoToolController(QQmlEngine* engine, std::shared_ptr<Interface> engineHandle,
                        EditController* editController, QObject* parent);
    // A new tool on a new window, with no parent and nothing picked or remembered; the move
    // takes the other's engine handle over.
    TempoToolController(const TempoToolController& other);
    TempoToolController(TempoToolController&& other);

    void ConnectToolSignals() override;

    // The percent the window shows for a stored factor, rounded as the event list shows it.
    static int PercentOf(float factor);

protected:
    // The stored factor as the window's whole percent.
    void ShowOpeningValue(const cmn::ZarnEvent* edited) override;
    // The percent as the stored factor.
    bool EditRangeValue(const cmn::ZarnEvent& event, int percent) override;

signals:
    void tempoToolClosing();

public slots:
    void onTempoButtonClicked(TL::BarsBeats startBarsBeats = TL::BarsBeats(),
                              TL::BarsBeats endBarsBeats = TL::BarsBeats());
    void onTempoCreationRequest(QString startBar, int startBeat, QString endBar, int endBeat, int count);
    void onTempoEdit(cmn::ZarnEvent* zarnEvent);
    void onTempoChangeRequest(QString startBar, int startBeat, QString endBar, int endBeat, int count);
    void onTempoToolClosing();
};

} // namespace zarn::qt
