// SPDX-License-Identifier: MIT
pragma ComponentBehavior: Bound
import QtQuick
import Vesk

// A small indeterminate progress indicator: a ring of dots fading around.
Item {
    id: spinner

    property color color: Pal.muted
    property bool running: visible

    implicitWidth: 14
    implicitHeight: 14

    Accessible.role: Accessible.ProgressBar
    Accessible.name: "Working"

    Item {
        id: ring
        anchors.fill: parent

        Repeater {
            model: 8
            delegate: Rectangle {
                required property int index
                width: Math.max(2, spinner.width / 6)
                height: width
                radius: width / 2
                color: spinner.color
                opacity: 0.25 + 0.75 * index / 7
                x: spinner.width / 2 - width / 2 + (spinner.width / 2 - width / 2) * Math.cos(index * Math.PI / 4)
                y: spinner.height / 2 - height / 2 + (spinner.height / 2 - height / 2) * Math.sin(index * Math.PI / 4)
            }
        }

        RotationAnimator on rotation {
            from: 0
            to: 360
            duration: 900
            loops: Animation.Infinite
            running: spinner.running
        }
    }
}
