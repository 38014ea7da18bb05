// SPDX-License-Identifier: MIT
pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls.Basic as QQC2
import QtQuick.Layouts
import Vesk

// One entry of the panel's small pop-up menus.
QQC2.AbstractButton {
    id: entry

    signal triggered()

    Layout.fillWidth: true
    hoverEnabled: true
    focusPolicy: Qt.StrongFocus
    leftPadding: 10
    rightPadding: 14
    topPadding: 6
    bottomPadding: 6
    font.pointSize: Pal.pt(12)

    contentItem: Text {
        text: entry.text
        font.pointSize: entry.font.pointSize
        color: Pal.text
        elide: Text.ElideRight
        verticalAlignment: Text.AlignVCenter
    }
    background: Rectangle {
        radius: 5
        color: entry.down ? Qt.rgba(Pal.violet.r, Pal.violet.g, Pal.violet.b, 0.55)
                          : (entry.hovered || entry.visualFocus ? Qt.rgba(Pal.violet.r, Pal.violet.g, Pal.violet.b, 0.35) : "transparent")
    }

    onClicked: entry.triggered()
    Keys.onReturnPressed: entry.clicked()
    Keys.onEnterPressed: entry.clicked()

    Accessible.role: Accessible.MenuItem
    Accessible.name: entry.text
    // Hidden, it neither acts nor is offered to screen readers.
    Accessible.ignored: !entry.visible
    Accessible.onPressAction: {
        if (entry.visible && entry.enabled)
            entry.clicked()
    }
}
