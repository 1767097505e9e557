import QtQuick

// The mixer's page of the edit panel; empty until the mixer is built.
Item {
}
