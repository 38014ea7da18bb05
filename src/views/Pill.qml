// SPDX-License-Identifier: MIT
pragma ComponentBehavior: Bound
import QtQuick
import Vesk

// The capsule button: filled in its tint with dark ink, or quiet and outlined with tinted text.
// A plain item rather than a Controls button: rows hold many of them, and a button template adds
// nothing they use. A pill that is not shown neither acts nor is offered to screen readers.
Item {
    id: pill

    property string text
    property color tint: Pal.text
    property bool filled: false
    property font font
    readonly property bool down: mouse.pressed
    readonly property bool hovered: mouse.containsMouse
    /// Keyboard focus shows a ring; a click does not take focus.
    readonly property bool visualFocus: activeFocus

    signal clicked()

    function activate() {
        if (pill.visible && pill.enabled)
            pill.clicked()
    }

    font.pointSize: Pal.pt(12)
    font.weight: Font.DemiBold

    implicitWidth: label.implicitWidth + 22
    implicitHeight: Math.max(24, label.implicitHeight + 10)
    activeFocusOnTab: true

    Rectangle {
        anchors.fill: parent
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

    Text {
        id: label
        x: 11
        y: 5
        width: pill.width - 22
        height: pill.height - 10
        text: pill.text
        font: pill.font
        color: pill.filled ? Pal.ink : pill.tint
        opacity: pill.enabled ? 1.0 : 0.5
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }

    MouseArea {
        id: mouse
        anchors.fill: parent
        hoverEnabled: true
        onClicked: pill.activate()
    }

    Keys.onReturnPressed: pill.activate()
    Keys.onEnterPressed: pill.activate()
    Keys.onSpacePressed: pill.activate()

    Accessible.role: Accessible.Button
    Accessible.name: pill.text
    Accessible.ignored: !pill.visible
    Accessible.onPressAction: pill.activate()
}
