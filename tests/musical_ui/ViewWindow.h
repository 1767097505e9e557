#pragma once

#include <QPoint>
#include <QString>

#include <memory>

class QQmlEngine;
class QQuickItem;
class QQuickWindow;

// One view of the musical module alone in an offscreen window, for the controller tests that
// click its rows: `ViewWindow window("SongListView")` makes the view fill a 500 by 400 window
// and waits until the window is shown. A view's row delegates are found through its inner
// list (objectName "list").
class ViewWindow
{
public:
    explicit ViewWindow(const QString& type, const QString& properties = {}, int width = 500,
                        int height = 400);
    ~ViewWindow();

    // The view's inner list; a row's delegate (or the item with `objectName` inside it), null
    // when there is none; and its centre in window coordinates, throwing when there is none.
    // The list is polished first, so the rows a model reset asks for are there.
    QQuickItem* List() const;
    QQuickItem* InRow(int row, const char* objectName = nullptr) const;
    QPoint RowCentre(int row, const char* objectName = nullptr) const;

    std::unique_ptr<QQmlEngine> engine;
    std::unique_ptr<QQuickWindow> window;
    QQuickItem* view = nullptr;
};
