#pragma once

#include "EditToolController.h"

#include <QString>

#include <memory>
#include <vector>

class QQmlEngine;

namespace zarn::qt {

// The click tool: gives a range of bars and beats a click resolution, chosen by its picture
// from the values the engine allows over that range, or changes an existing click. Its
// pickers show the song's bars and beats without the clicks applied.
class ClickToolController : public EditToolController
{
    Q_OBJECT

public:
    ClickToolController(QQmlEngine* engine, std::shared_ptr<Interface> engineHandle,
                        EditController* editController, QObject* parent);
    // A new tool on a new window, with no parent and nothing picked or remembered; the move
    // takes the other's engine handle over.
    ClickToolController(const ClickToolController& other);
    ClickToolController(ClickToolController&& other);

    void ConnectToolSignals() override;

    // The engine's allowed values for the range the pickers show, the start as picked (not
    // raised to the song's start tick). Empty, without asking the engine, while a picker
    // shows no row: there is no range yet.
    std::vector<int> ShownRangeClickValues() const;

protected:
    // On the song's own beats, at or before the tick.
    TL::BarsBeats PositionOfTick(std::uint32_t tick) override;
    // The values the range allows, the edited event's chosen when the range still allows it.
    void ShowOpeningValue(const cmn::ZarnEvent* edited) override;

signals:
    void clickToolClosing();

public slots:
    void onClickButtonClicked(TL::BarsBeats startBarsBeats = TL::BarsBeats(),
                              TL::BarsBeats endBarsBeats = TL::BarsBeats());
    void onClickCreationRequest(QString startBar, int startBeat, QString endBar, int endBeat, int count);
    void updateClicksModel();
    void onClickEdit(cmn::ZarnEvent* zarnEvent);
    void onClickChangeRequest(QString startBar, int startBeat, QString endBar, int endBeat, int count);
    void onClickToolClosing();

private:
    // Refills the value picker for the range shown, first value chosen; gives the values.
    std::vector<int> RefillValues();
    // The text of a picker's current row; empty while it has none.
    QString ShownText(const char* pickerName) const;
};

} // namespace zarn::qt
