// SPDX-License-Identifier: MIT
pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls.Basic as QQC2
import Vesk

// The panel's tooltip: a dark raised box in the palette, where the controls' own is a light one.
// Declare it inside the control it explains and bind `visible` to the control's hover.
QQC2.ToolTip {
    id: tip

    delay: 600
    font.pointSize: Pal.pt(11)
    topPadding: 4
    bottomPadding: 4
    leftPadding: 8
    rightPadding: 8

    contentItem: Text {
        text: tip.text
        font: tip.font
        color: Pal.text
        wrapMode: Text.Wrap
    }

    background: Rectangle {
        radius: 6
        color: Pal.card2
        border.width: 1
        border.color: Qt.rgba(1, 1, 1, 0.12)
    }
}
