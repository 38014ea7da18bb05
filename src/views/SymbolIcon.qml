// SPDX-License-Identifier: MIT
import QtQuick
import QtQuick.Controls.impl

// One of the bundled symbols (views/icons), recoloured to `color` the way the controls colour
// their icons, in a square of `size` pixels.
IconImage {
    /// The symbol's name, e.g. "chevron.left".
    property string symbol: ""
    property real size: 16

    source: symbol !== "" ? Qt.resolvedUrl("icons/" + symbol + ".svg") : ""
    sourceSize.width: size
    sourceSize.height: size
    fillMode: Image.PreserveAspectFit
}
