import QtQuick

// Stands in for the score page of the main window until the score view exists, inert.
Item {
}
