// The in/out selector's controller takes only the indexes of its own list.
#include "TimelineStartEndSelectorController.h"

#include <QtTest>

class TestStartEndSelectorController : public QObject
{
    Q_OBJECT

private slots:
    void startBarByIndex()
    {
        zarn::qt::TimelineStartEndSelectorController controller({"1", "2", "3A"});
        controller.OnChangeStartBar_(2);
        QCOMPARE(controller.GetStartBar(), std::string("3A"));
        // An emptied combo box reports -1; a stale index may point past the list.
        controller.OnChangeStartBar_(-1);
        controller.OnChangeStartBar_(3);
        QCOMPARE(controller.GetStartBar(), std::string("3A"));
        controller.OnChangeEndBar_(7);
    }
};

QTEST_MAIN(TestStartEndSelectorController)
#include "tst_start_end_selector_controller.moc"
