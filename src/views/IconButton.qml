// SPDX-License-Identifier: MIT
pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls.Basic as QQC2
import Vesk

// A borderless button showing one symbol; its tooltip is also its accessible name.
QQC2.AbstractButton {
    id: button

    property string symbol: ""
    property color color: Pal.muted
    property real iconSize: 12
    property string tooltip: ""

    implicitWidth: iconSize + 10
    implicitHeight: iconSize + 10
    hoverEnabled: true
    focusPolicy: Qt.StrongFocus

    contentItem: Item {
        SymbolIcon {
            anchors.centerIn: parent
            size: button.iconSize
            symbol: button.symbol
            color: button.color
            opacity: button.enabled ? (button.down ? 0.6 : 1.0) : 0.4
        }
    }

    background: Rectangle {
        radius: 5
        color: button.hovered ? Qt.rgba(1, 1, 1, 0.06) : "transparent"
        border.width: button.visualFocus ? 1 : 0
        border.color: Pal.violet2
    }

    Tip {
        visible: button.hovered && button.tooltip !== ""
        text: button.tooltip
    }

    Keys.onReturnPressed: button.clicked()
    Keys.onEnterPressed: button.clicked()

    Accessible.role: Accessible.Button
    Accessible.name: tooltip
    // Hidden, it neither acts nor is offered to screen readers.
    Accessible.ignored: !button.visible
    Accessible.onPressAction: {
        if (button.visible && button.enabled)
            button.clicked()
    }
}
