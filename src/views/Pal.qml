// SPDX-License-Identifier: MIT
pragma Singleton
pragma ComponentBehavior: Bound
import QtQuick

// The panel's fixed dark palette and type scale. The panel never follows the desktop's theme.
QtObject {
    readonly property color bg: "#0c0c16"
    readonly property color card: "#17172a"
    readonly property color card2: "#1f1f36"
    readonly property color line: Qt.rgba(1, 1, 1, 0.08)
    readonly property color text: "#f3f2fa"
    readonly property color muted: "#b4b1cc"
    readonly property color dim: "#7f7c99"
    readonly property color green: "#37e39f"
    readonly property color amber: "#ffc44d"
    readonly property color red: "#ff6b7a"
    readonly property color violet2: "#c4b8ff"

    /// The strong accent.
    readonly property color violet: "#8f7bff"
    /// The near-black ink on filled pills and the violet copy button.
    readonly property color ink: "#0b0b14"
    /// The desktop's red for the feed error line.
    readonly property color systemRed: "#ff453a"

    /// Text sizes are given in points at 96 dpi; as font point sizes they follow the desktop's
    /// font scaling.
    function pt(size: real): real {
        return size * 72 / 96
    }
}
