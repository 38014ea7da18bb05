// SPDX-License-Identifier: MIT
// Unbound components: Qt 6.4 refuses to make a bound component from a Loader.
import QtQuick
import QtQuick.Controls.Basic as QQC2
import QtQuick.Layouts
import Vesk

// The whole content of the drop-down panel: header, the two input areas, the sign-in screen or
// the day's meetings, and the footer.
Rectangle {
    id: root

    required property Store store
    /// The id of the open meeting row; empty when every row is closed.
    property string expanded: ""
    /// The token being typed into the sign-in screen.
    property string tokenInput: ""
    /// Whether the "Paste a token instead" section is open.
    property bool tokenSectionOpen: false

    /// The panel asks its window to close.
    signal closeRequested()

    readonly property bool isToday: store.isToday

    // On a short screen the window is shorter than the content: the header and the footer stay,
    // the meeting list gives up height first (down to `listFloor`), then the part above it
    // (the quick-add and availability bars, or the sign-in screen) scrolls as a whole.
    readonly property real fixedHeight: header.implicitHeight + 24 + footer.implicitHeight + 20 + 2
    readonly property real upperNatural: upper.implicitHeight
    readonly property real listNatural: store.hasToken ? Math.min(listColumn.implicitHeight, 560) : 0
    readonly property real listFloor: Math.min(listNatural, 120)
    readonly property real middleHeight: Math.max(0, height - fixedHeight)
    readonly property real listHeight: Math.min(listNatural, Math.max(listFloor, middleHeight - upperNatural))
    readonly property real upperHeight: Math.min(upperNatural, Math.max(0, middleHeight - listHeight))

    width: 440
    implicitWidth: 440
    implicitHeight: fixedHeight + upperNatural + listNatural
    color: Pal.bg

    Accessible.role: Accessible.Pane
    Accessible.name: "Vesk"

    MeetingListModel {
        id: todayModel
        meetings: root.store.today
    }
    MeetingListModel {
        id: dayModel
        meetings: root.store.dayMeetings
    }
    MeetingListModel {
        id: tomorrowModel
        meetings: root.store.tomorrowMorning
    }

    // A thin bar that fits the 6-pixel gutter beside the rows, so it never covers an open row.
    component ScrollIndicator: QQC2.ScrollBar {
        id: indicator
        padding: 1
        policy: indicator.size < 1 ? QQC2.ScrollBar.AlwaysOn : QQC2.ScrollBar.AlwaysOff
        contentItem: Rectangle {
            implicitWidth: 4
            radius: 2
            color: Qt.rgba(1, 1, 1, 0.25)
        }
    }

    component Divider: Rectangle {
        Layout.fillWidth: true
        implicitHeight: 1
        color: Pal.line
    }

    Component {
        id: rowDelegate
        MeetingRow {
            required property meeting meeting
            objectName: "row:" + meeting.id
            Layout.fillWidth: true
            m: meeting
            now: root.store.now
            store: root.store
            expanded: root.expanded
            onExpandRequested: id => root.expanded = id
        }
    }

    ColumnLayout {
        id: column
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        spacing: 0

        // Header.
        RowLayout {
            id: header
            objectName: "header"
            Layout.fillWidth: true
            Layout.leftMargin: 14
            Layout.rightMargin: 14
            Layout.topMargin: 12
            Layout.bottomMargin: 12
            spacing: 8

            GhostMark {
                objectName: "mark"
                implicitWidth: 15
                implicitHeight: 18
                color: Pal.violet
            }
            Text {
                text: "Vesk"
                font.pointSize: Pal.pt(16)
                font.weight: Font.Black
                color: Pal.text
            }
            Item {
                Layout.fillWidth: true
            }
            IconButton {
                objectName: "previousDayButton"
                visible: root.store.hasToken
                symbol: "chevron.left"
                tooltip: "Previous day"
                onClicked: root.store.shiftDay(-1)
            }
            Text {
                objectName: "dayLabel"
                visible: root.store.hasToken
                Layout.minimumWidth: 92
                horizontalAlignment: Text.AlignHCenter
                text: Words.dayLabel(root.store.day, root.isToday)
                font.pointSize: Pal.pt(12.5)
                font.weight: Font.DemiBold
                color: Pal.text
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
            IconButton {
                objectName: "nextDayButton"
                visible: root.store.hasToken
                symbol: "chevron.right"
                tooltip: "Next day"
                onClicked: root.store.shiftDay(1)
            }
            // The pill is a little taller than the rest of the header: it overhangs into the
            // padding rather than make the header grow when it appears.
            Item {
                visible: root.store.hasToken && !root.isToday
                implicitWidth: todayButton.implicitWidth
                implicitHeight: 0
                Pill {
                    id: todayButton
                    objectName: "todayButton"
                    anchors.centerIn: parent
                    text: "Today"
                    tint: Pal.violet2
                    onClicked: root.store.goToday()
                }
            }
        }

        Divider {}

        // The part above the list: the two input areas once connected, the sign-in screen before.
        Flickable {
            id: upperScroll
            objectName: "upperScroll"
            Layout.fillWidth: true
            Layout.preferredHeight: root.upperHeight
            contentHeight: upper.implicitHeight
            contentWidth: width
            clip: true
            boundsBehavior: Flickable.StopAtBounds
            interactive: contentHeight > height

            QQC2.ScrollBar.vertical: ScrollIndicator {}

            ColumnLayout {
                id: upper
                width: upperScroll.width
                spacing: 0

                QuickAddBar {
                    objectName: "quickAddBar"
                    Layout.fillWidth: true
                    visible: root.store.hasToken
                    store: root.store
                }
                AvailabilityBar {
                    objectName: "availabilityBar"
                    Layout.fillWidth: true
                    visible: root.store.hasToken
                    store: root.store
                }
                Divider {
                    visible: root.store.hasToken
                }

                // Sign-in screen, made only while there is no token.
                Loader {
                    Layout.fillWidth: true
                    Layout.margins: 12
                    active: !root.store.hasToken
                    visible: active
                    sourceComponent: Component {
                        ColumnLayout {
                            objectName: "signIn"
                            spacing: 10

                            Text {
                                text: "Connect to Vesk"
                                font.pointSize: Pal.pt(13)
                                font.weight: Font.Bold
                                color: Pal.text
                                Accessible.role: Accessible.Heading
                                Accessible.name: text
                            }
                            Text {
                                Layout.fillWidth: true
                                text: "Sign in once in your browser and this computer picks it up automatically."
                                font.pointSize: Pal.pt(12)
                                color: Pal.muted
                                wrapMode: Text.Wrap
                                Accessible.role: Accessible.StaticText
                                Accessible.name: text
                            }
                            QQC2.Button {
                                id: signInButton
                                objectName: "signInButton"
                                Layout.fillWidth: true
                                text: "Sign in with Vesk"
                                focusPolicy: Qt.StrongFocus
                                topPadding: 7
                                bottomPadding: 7
                                font.pointSize: Pal.pt(13)
                                font.weight: Font.DemiBold
                                contentItem: Text {
                                    text: signInButton.text
                                    font: signInButton.font
                                    color: "white"
                                    horizontalAlignment: Text.AlignHCenter
                                    verticalAlignment: Text.AlignVCenter
                                }
                                background: Rectangle {
                                    radius: 7
                                    color: signInButton.down ? Qt.darker(Pal.violet, 1.15) : Pal.violet
                                    border.width: signInButton.visualFocus ? 2 : 0
                                    border.color: Pal.violet2
                                }
                                onClicked: root.store.signInWithBrowser()
                                Keys.onReturnPressed: clicked()
                                Accessible.name: text
                                Accessible.onPressAction: clicked()
                            }

                            // "Paste a token instead", collapsed at first.
                            QQC2.AbstractButton {
                                id: disclosure
                                objectName: "tokenDisclosure"
                                text: "Paste a token instead"
                                focusPolicy: Qt.StrongFocus
                                padding: 0
                                contentItem: RowLayout {
                                    spacing: 4
                                    SymbolIcon {
                                        size: 9
                                        symbol: root.tokenSectionOpen ? "chevron.down" : "chevron.right"
                                        color: Pal.dim
                                    }
                                    Text {
                                        text: disclosure.text
                                        font.pointSize: Pal.pt(11)
                                        font.underline: disclosure.visualFocus
                                        color: Pal.dim
                                    }
                                }
                                background: null
                                onClicked: root.tokenSectionOpen = !root.tokenSectionOpen
                                Keys.onReturnPressed: clicked()
                                Accessible.role: Accessible.Button
                                Accessible.name: text
                                Accessible.description: root.tokenSectionOpen ? "Expanded" : "Collapsed"
                                Accessible.onPressAction: clicked()
                            }

                            ColumnLayout {
                                visible: root.tokenSectionOpen
                                Layout.fillWidth: true
                                spacing: 8

                                QQC2.TextField {
                                    id: tokenField
                                    objectName: "tokenField"
                                    Layout.fillWidth: true
                                    echoMode: TextInput.Password
                                    placeholderText: "vesk_…"
                                    placeholderTextColor: Pal.dim
                                    text: root.tokenInput
                                    onTextEdited: root.tokenInput = text
                                    font.pointSize: Pal.pt(11)
                                    color: Pal.dim
                                    selectionColor: Pal.violet
                                    selectedTextColor: Pal.text
                                    leftPadding: 8
                                    rightPadding: 8
                                    topPadding: 5
                                    bottomPadding: 5
                                    background: Rectangle {
                                        radius: 6
                                        color: Pal.card
                                        border.width: 1
                                        border.color: tokenField.activeFocus ? Qt.rgba(Pal.violet2.r, Pal.violet2.g, Pal.violet2.b, 0.6) : Qt.rgba(1, 1, 1, 0.16)
                                    }
                                    // Return does nothing here: the token is sent by "Connect" alone.
                                    Keys.onReturnPressed: event => event.accepted = true
                                    Keys.onEnterPressed: event => event.accepted = true
                                    Accessible.name: "Token"
                                    Accessible.onPressAction: forceActiveFocus()
                                }
                                RowLayout {
                                    Layout.fillWidth: true
                                    Pill {
                                        objectName: "openConnectionsButton"
                                        text: "Open Vesk Connections"
                                        tint: Pal.dim
                                        font.pointSize: Pal.pt(11)
                                        onClicked: root.store.openUrl(root.store.serviceUrl("settings"))
                                    }
                                    Item {
                                        Layout.fillWidth: true
                                    }
                                    Pill {
                                        objectName: "connectButton"
                                        text: "Connect"
                                        tint: enabled ? Pal.text : Pal.dim
                                        font.pointSize: Pal.pt(11)
                                        enabled: root.tokenInput !== ""
                                        // The field empties before the screen goes with the token set.
                                        onClicked: {
                                            const token = root.tokenInput
                                            root.tokenInput = ""
                                            root.store.setToken(token)
                                        }
                                    }
                                }
                            }
                        }
                    }
                }
            }
        }

        // The day's meetings.
        Flickable {
            id: list
            objectName: "meetingList"
            visible: root.store.hasToken
            Layout.fillWidth: true
            Layout.preferredHeight: root.listHeight
            contentHeight: listColumn.implicitHeight
            contentWidth: width
            clip: true
            boundsBehavior: Flickable.StopAtBounds
            interactive: contentHeight > height

            QQC2.ScrollBar.vertical: ScrollIndicator {}

            ColumnLayout {
                id: listColumn
                width: list.width
                spacing: 0

                Text {
                    objectName: "errorText"
                    Layout.fillWidth: true
                    Layout.margins: 12
                    visible: root.store.error !== ""
                    text: root.store.error
                    font.pointSize: Pal.pt(12)
                    color: Pal.systemRed
                    wrapMode: Text.Wrap
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                }

                Text {
                    objectName: "emptyTodayText"
                    Layout.fillWidth: true
                    Layout.margins: 12
                    visible: root.isToday && todayModel.count === 0 && root.store.error === ""
                    text: "No meetings with outside people today."
                    font.pointSize: Pal.pt(12)
                    color: Pal.muted
                    wrapMode: Text.Wrap
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                }
                Repeater {
                    model: root.isToday ? todayModel : null
                    delegate: rowDelegate
                }

                RowLayout {
                    objectName: "loadingRow"
                    Layout.margins: 12
                    visible: !root.isToday && root.store.loadingDay
                    spacing: 6
                    Spinner {
                        running: parent.visible
                    }
                    Text {
                        objectName: "loadingText"
                        text: "Loading…"
                        font.pointSize: Pal.pt(12)
                        color: Pal.muted
                        Accessible.role: Accessible.StaticText
                        Accessible.name: text
                    }
                }
                Text {
                    objectName: "emptyDayText"
                    Layout.fillWidth: true
                    Layout.margins: 12
                    visible: !root.isToday && !root.store.loadingDay && dayModel.count === 0
                    text: "No meetings with outside people this day."
                    font.pointSize: Pal.pt(12)
                    color: Pal.muted
                    wrapMode: Text.Wrap
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                }
                Repeater {
                    model: root.isToday ? null : dayModel
                    delegate: rowDelegate
                }

                Text {
                    objectName: "tomorrowHeading"
                    Layout.leftMargin: 12
                    Layout.rightMargin: 12
                    Layout.topMargin: 10
                    visible: root.isToday && tomorrowModel.count > 0
                    text: "TOMORROW MORNING"
                    font.pointSize: Pal.pt(10)
                    font.bold: true
                    font.letterSpacing: 1
                    color: Pal.muted
                    Accessible.role: Accessible.Heading
                    Accessible.name: text
                }
                Repeater {
                    model: root.isToday ? tomorrowModel : null
                    delegate: rowDelegate
                }
            }
        }

        Divider {}

        // Footer.
        RowLayout {
            id: footer
            objectName: "footer"
            Layout.fillWidth: true
            Layout.leftMargin: 14
            Layout.rightMargin: 14
            Layout.topMargin: 10
            Layout.bottomMargin: 10
            spacing: 12

            TextButton {
                objectName: "openPlannerButton"
                text: "Open planner"
                weight: Font.Medium
                onClicked: root.store.openUrl(root.store.apiBase)
            }
            TextButton {
                objectName: "refreshButton"
                text: "Refresh"
                weight: Font.Medium
                onClicked: root.store.refresh()
            }
            Item {
                Layout.fillWidth: true
            }
            TextButton {
                objectName: "updateButton"
                visible: root.store.updateVersion !== ""
                text: "Update to " + root.store.updateVersion
                weight: Font.Medium
                color: Pal.violet2
                tooltip: "A newer Vesk is ready to download"
                onClicked: root.store.openUrl(root.store.serviceUrl("download"))
            }
            TextButton {
                id: menuButton
                objectName: "menuButton"
                text: "•••"
                weight: Font.Medium
                Accessible.name: "More"
                Accessible.role: Accessible.ButtonMenu
                onClicked: {
                    menuLoader.active = true
                    const menu = menuLoader.item.menu
                    menu.opened ? menu.close() : menu.open()
                }

                // The menu is made on its first use.
                Loader {
                    id: menuLoader
                    active: false
                    sourceComponent: Component {
                        Item {
                            readonly property alias menu: footerMenu

                            PopupMenu {
                                id: footerMenu
                                objectName: "footerMenu"
                                x: menuButton.width - width
                                y: -height - 6

                                MenuEntry {
                                    objectName: "loginItem"
                                    text: root.store.openAtLogin ? "✓ Open at login" : "Open at login"
                                    onTriggered: {
                                        footerMenu.close()
                                        root.store.toggleLogin()
                                    }
                                }
                                MenuEntry {
                                    // Cycles off, 1, 5, 10 minutes; the menu stays open to show the choice.
                                    objectName: "headsUpItem"
                                    text: root.store.headsUpMinutes === 0 ? "Heads-up: off"
                                                                           : "Heads-up: " + root.store.headsUpMinutes + " min before"
                                    onTriggered: root.store.cycleHeadsUp()
                                }
                                MenuEntry {
                                    objectName: "disconnectItem"
                                    visible: root.store.hasToken
                                    text: "Disconnect"
                                    onTriggered: {
                                        footerMenu.close()
                                        root.store.signOut()
                                    }
                                }
                                MenuEntry {
                                    objectName: "quitItem"
                                    text: "Quit Vesk"
                                    onTriggered: {
                                        footerMenu.close()
                                        Qt.quit()
                                    }
                                }
                            }
                        }
                    }
                }
            }
        }
    }
}
