#include "ZarnEventController.h"

#include <QQuickItem>
#include <QUrl>

namespace zarn::qt {

ZarnEventController::ZarnEventController(const cmn::ZarnEvent* event, bool editable,
                                         QQmlEngine* engine, const QString& url, QObject* parent)
    : QmlController(engine, QUrl(url), qobject_cast<QQuickItem*>(parent), true, {}),
      event_(event)
{
    SetEditable(editable);
    if (qmlObject_)
        connect(qmlObject_, SIGNAL(clicked()), this, SLOT(Clicked_()));
}

void ZarnEventController::ConnectPointItem()
{
    connect(qmlObject_, SIGNAL(doubleClicked()), this, SLOT(DoubleClicked_()));
    connect(qmlObject_, SIGNAL(dragged(int, int)), this, SLOT(Dragged_(int, int)));
}

void ZarnEventController::SetSelected(bool selected)
{
    selected_ = selected;
    if (qmlObject_)
        qmlObject_->setProperty("selected", selected);
}

void ZarnEventController::SetEditable(bool editable)
{
    if (editable == editable_)
        return;
    editable_ = editable;
    if (qmlObject_)
        qmlObject_->setProperty("editable", editable);
}

void ZarnEventController::SetItemViewScale(double scale)
{
    if (qmlObject_)
        qmlObject_->setProperty("viewScale", scale);
}

void ZarnEventController::Clicked_()
{
    SetSelected(!selected_);
    emit SelectedSignal(event_);
}

void ZarnEventController::DoubleClicked_()
{
    emit DoubleClickedSignal();
}

void ZarnEventController::Dragged_(int start, int end, bool adjustLeft, bool adjustRight)
{
    emit DraggedSignal(event_, start, end, adjustLeft, adjustRight);
}

} // namespace zarn::qt
