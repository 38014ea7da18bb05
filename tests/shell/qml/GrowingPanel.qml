// SPDX-License-Identifier: GPL-3.0-or-later
pragma ComponentBehavior: Bound
import QtQuick
import Vesk

// Stands in for the panel in window tests: takes the store and grows with its rows.
Item {
    id: root
    required property Store store
    property int rows: 3
    property bool menuOpen: false
    implicitHeight: root.rows * 40
    focus: true
    // Like an open menu: the first Escape closes the menu, not the panel.
    Keys.onEscapePressed: event => {
        event.accepted = root.menuOpen;
        root.menuOpen = false;
    }
}
