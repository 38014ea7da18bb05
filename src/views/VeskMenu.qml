// SPDX-License-Identifier: MIT
pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls.Basic as QQC2
import Vesk

// A pop-up menu in the panel's dark look; its items inherit the palette.
QQC2.Menu {
    id: menu

    palette.window: Pal.card2
    palette.dark: Qt.rgba(1, 1, 1, 0.16)
    palette.windowText: Pal.text
    palette.light: Qt.rgba(Pal.violet.r, Pal.violet.g, Pal.violet.b, 0.35)
    palette.midlight: Qt.rgba(Pal.violet.r, Pal.violet.g, Pal.violet.b, 0.55)
    palette.shadow: "black"
    font.pointSize: Pal.pt(12)
    margins: 4
}
