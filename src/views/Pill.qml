// SPDX-License-Identifier: MIT
pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls.Basic as QQC2
import Vesk

// The capsule button: filled in its tint with dark ink, or quiet and outlined with tinted text.
QQC2.Button {
    id: pill

    property color tint: Pal.text
    property bool filled: false

    leftPadding: 11
    rightPadding: 11
    topPadding: 5
    bottomPadding: 5
    hoverEnabled: true
    focusPolicy: Qt.StrongFocus

    font.pointSize: Pal.pt(12)
    font.weight: Font.DemiBold

    contentItem: Text {
        text: pill.text
        font: pill.font
        color: pill.filled ? Pal.ink : pill.tint
        opacity: pill.enabled ? 1.0 : 0.5
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }

    background: Rectangle {
        implicitHeight: 24
        radius: height / 2
        color: pill.filled ? pill.tint : Qt.rgba(1, 1, 1, pill.down ? 0.14 : 0.07)
        opacity: pill.filled && !pill.enabled ? 0.5 : 1.0
        border.width: pill.filled ? 0 : 1
        border.color: Qt.rgba(1, 1, 1, 0.12)

        Rectangle {
            anchors.fill: parent
            anchors.margins: -2
            radius: height / 2
            color: "transparent"
            border.width: 1
            border.color: Pal.violet2
            visible: pill.visualFocus
        }
    }

    Keys.onReturnPressed: pill.clicked()
    Keys.onEnterPressed: pill.clicked()

    Accessible.role: Accessible.Button
    Accessible.name: pill.text
    Accessible.onPressAction: pill.clicked()
}
