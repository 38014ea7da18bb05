// SPDX-License-Identifier: MIT
pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls.Basic as QQC2
import Vesk

// A borderless button that is just its text.
QQC2.AbstractButton {
    id: button

    property color color: Pal.muted
    property real size: 12
    property int weight: Font.Normal
    property string tooltip: ""

    hoverEnabled: true
    focusPolicy: Qt.StrongFocus
    padding: 0
    font.pointSize: Pal.pt(size)
    font.weight: weight

    contentItem: Text {
        text: button.text
        font.pointSize: button.font.pointSize
        font.weight: button.font.weight
        color: button.color
        opacity: button.enabled ? (button.down ? 0.6 : 1.0) : 0.4
        font.underline: button.hovered || button.visualFocus
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }

    background: null

    Tip {
        visible: button.hovered && button.tooltip !== ""
        text: button.tooltip
    }

    Keys.onReturnPressed: button.clicked()
    Keys.onEnterPressed: button.clicked()

    Accessible.role: Accessible.Button
    Accessible.name: button.text
    // Hidden, it neither acts nor is offered to screen readers.
    Accessible.ignored: !button.visible
    Accessible.onPressAction: {
        if (button.visible && button.enabled)
            button.clicked()
    }
}
