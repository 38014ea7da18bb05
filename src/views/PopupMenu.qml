// SPDX-License-Identifier: MIT
pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls.Basic as QQC2
import QtQuick.Layouts
import Vesk

// A small pop-up list of MenuEntry items in the panel's dark look; an entry closes it when chosen.
QQC2.Popup {
    id: menu

    padding: 4
    focus: true
    closePolicy: QQC2.Popup.CloseOnEscape | QQC2.Popup.CloseOnPressOutsideParent

    background: Rectangle {
        radius: 8
        color: Pal.card2
        border.width: 1
        border.color: Qt.rgba(1, 1, 1, 0.16)
    }

    // The entries declared in the menu become this column's children.
    contentItem: ColumnLayout {
        spacing: 0
        Accessible.role: Accessible.PopupMenu
    }
}
