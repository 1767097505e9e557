#pragma once

#include "QmlController.h"
#include "zarn_core/ZarnEvent.h"

#include <QString>

namespace zarn::qt {

// One item of the timeline's rows: creates its QML item, and turns the item's clicks,
// double clicks and drags into signals carrying the event it stands for. The event belongs
// to the engine's song log; the timeline replaces every item whenever the log changes.
// When the item's QML cannot be created, the controller writes and connects nothing.
class ZarnEventController : public QmlController
{
    Q_OBJECT

public:
    ZarnEventController(const cmn::ZarnEvent* event, bool editable, QQmlEngine* engine,
                        const QString& url, QObject* parent);

    void SetSelected(bool selected);
    void SetEditable(bool editable);
    void SetItemViewScale(double scale);
    const cmn::ZarnEvent* GetEvent() const { return event_; }
    bool IsSelected() const { return selected_; }
    bool IsEditable() const { return editable_; }

signals:
    void SelectedSignal(const cmn::ZarnEvent*);
    void DoubleClickedSignal();
    void DraggedSignal(const cmn::ZarnEvent*, int, int, bool, bool);

public slots:
    virtual void Clicked_();
    virtual void DoubleClicked_();
    // Listed with two, three and four arguments: the point items report only start and end.
    virtual void Dragged_(int start, int end, bool adjustLeft = false, bool adjustRight = false);

protected:
    // The caesura, marker and glyph report a double click and a two-argument drag.
    void ConnectPointItem();

    const cmn::ZarnEvent* event_ = nullptr;
    bool editable_ = false;
    bool selected_ = false;
};

} // namespace zarn::qt
