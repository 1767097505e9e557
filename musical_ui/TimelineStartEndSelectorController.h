#pragma once

#include <QObject>

#include <string>
#include <vector>

namespace zarn::qt {

// The back end of TimeLineStartEndSelector: it holds the bar names the selector offers.
class TimelineStartEndSelectorController : public QObject
{
    Q_OBJECT

public:
    explicit TimelineStartEndSelectorController(std::vector<std::string> barNames,
                                                QObject* parent = nullptr);

    const std::string& GetStartBar() const { return startBar_; }

public slots:
    // An index outside the list is ignored: the combo box can report -1 when it empties.
    void OnChangeStartBar_(int index);
    void OnChangeEndBar_(int index);

private:
    std::vector<std::string> barNames_;
    std::string startBar_;
};

} // namespace zarn::qt
