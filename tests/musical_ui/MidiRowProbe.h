#pragma once

#include "MidiManagerCommandController.h"

#include <QColor>
#include <QObject>
#include <QQmlProperty>
#include <QString>
#include <QVariant>

// Reading and working a MIDI Manager row as the operator sees it.
namespace midi_row {

// A part of the row by its alias: "statusPicker", "channelPicker", "notePicker", "learnButton",
// "lamp".
inline QObject* Part(const zarn::qt::MidiManagerCommandController& row, const char* name)
{
    return row.GetQmlObject()->property(name).value<QObject*>();
}

// The picker's shown row, or -1 when it shows none.
inline int Shown(QObject* picker)
{
    const int index = picker->property("currentIndex").toInt();
    return index >= 0 && index < picker->property("count").toInt() ? index : -1;
}

inline QString ShownText(QObject* picker)
{
    return Shown(picker) < 0 ? QString() : picker->property("displayText").toString();
}

inline QColor Lamp(const zarn::qt::MidiManagerCommandController& row)
{
    return Part(row, "lamp")->property("color").value<QColor>();
}

// A pick by hand: the picker's own index assigned, as its list does when the operator picks.
inline void Pick(QObject* picker, int index)
{
    QQmlProperty::write(picker, QStringLiteral("currentIndex"), index);
}

} // namespace midi_row
