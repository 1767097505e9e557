#pragma once

#include "EditToolController.h"

#include <QString>

#include <memory>

class QQmlEngine;

namespace zarn::qt {

// The transpose tool: transposes a range of bars and beats by a number of half steps, or
// changes the range and half steps of an existing transposition.
class TransposeToolController : public EditToolController
{
    Q_OBJECT

public:
    TransposeToolController(QQmlEngine* engine, std::shared_ptr<Interface> engineHandle,
                            EditController* editController, QObject* parent);
    // A new tool on a new window, with no parent and nothing picked or remembered; the move
    // takes the other's engine handle over.
    TransposeToolController(const TransposeToolController& other);
    TransposeToolController(TransposeToolController&& other);

    void ConnectToolSignals() override;

signals:
    void transposeToolClosing();

public slots:
    void onTransposeButtonClicked(TL::BarsBeats startBarsBeats = TL::BarsBeats(),
                                  TL::BarsBeats endBarsBeats = TL::BarsBeats());
    void onTransposeCreationRequest(QString startBar, int startBeat, QString endBar, int endBeat, int count);
    void onTransposeEdit(cmn::ZarnEvent* zarnEvent);
    void onTransposeChangeRequest(QString startBar, int startBeat, QString endBar, int endBeat, int count);
    void onTransposeToolClosing();
};

} // namespace zarn::qt
