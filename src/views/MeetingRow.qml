// SPDX-License-Identifier: MIT
// Unbound components: Qt 6.4 refuses to make a bound component from a Loader.
import QtQuick
import QtQuick.Layouts
import Vesk

// One meeting of the day: a compact header that opens in place to the actions of its moment.
Item {
    id: row

    required property meeting m
    required property date now
    required property Store store
    /// The id of the open row, shared by every row of the panel; empty when none is open.
    required property string expanded

    /// Asks the panel to make `id` the open row (empty closes every row).
    signal expandRequested(string id)

    property bool hover: hoverHandler.hovered

    readonly property bool isOpen: expanded !== "" && expanded === m.id
    readonly property bool live: RowRules.isLive(m, now)
    readonly property bool past: RowRules.isPast(m, now)
    readonly property url mailto: Links.mailto(m)
    readonly property bool offersJoin: Links.offersJoin(m, now)
    /// The ids with an action under way, as a script array.
    readonly property var busyIds: store.busy
    readonly property bool busy: busyIds.indexOf(m.id) >= 0
    readonly property string actionError: store.actionError[m.id] ?? ""
    readonly property var draft: store.composed[m.id]
    readonly property bool hasDraft: draft !== undefined && draft !== null

    function toggle() {
        row.expandRequested(row.isOpen ? "" : row.m.id)
    }

    implicitHeight: card.implicitHeight
    opacity: RowRules.rowOpacity(m, now, isOpen)

    HoverHandler {
        id: hoverHandler
    }

    Rectangle {
        id: card
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.leftMargin: 6
        anchors.rightMargin: 6
        implicitHeight: body.implicitHeight + 14
        radius: 10
        color: row.isOpen ? Pal.card : (row.hover ? Qt.rgba(1, 1, 1, 0.04) : "transparent")

        ColumnLayout {
            id: body
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.top: parent.top
            anchors.leftMargin: 12
            anchors.rightMargin: 12
            anchors.topMargin: 7
            spacing: 0

            // The header group: the whole of it opens and closes the row.
            Item {
                id: header
                objectName: "rowHeader"
                Layout.fillWidth: true
                implicitHeight: headerRow.implicitHeight
                activeFocusOnTab: true

                Accessible.role: Accessible.Button
                Accessible.name: row.m.title
                Accessible.description: row.isOpen ? "Open" : "Closed"
                Accessible.onPressAction: row.toggle()
                Keys.onReturnPressed: row.toggle()
                Keys.onEnterPressed: row.toggle()
                Keys.onSpacePressed: row.toggle()

                MouseArea {
                    anchors.fill: parent
                    cursorShape: Qt.PointingHandCursor
                    onClicked: row.toggle()
                }

                Rectangle {
                    anchors.fill: parent
                    anchors.margins: -3
                    radius: 6
                    color: "transparent"
                    border.width: header.activeFocus ? 1 : 0
                    border.color: Pal.violet2
                }

                RowLayout {
                    id: headerRow
                    anchors.left: parent.left
                    anchors.right: parent.right
                    spacing: 10

                    // Fixed widths: a long title must not squeeze the time column or the bar.
                    ColumnLayout {
                        Layout.minimumWidth: 62
                        Layout.preferredWidth: 62
                        Layout.maximumWidth: 62
                        Layout.alignment: Qt.AlignTop
                        spacing: 2

                        Text {
                            objectName: "timeText"
                            Layout.alignment: Qt.AlignRight
                            text: Words.timeOfDay(row.m.startsAt)
                            font.family: "monospace"
                            font.pointSize: Pal.pt(11)
                            color: Pal.muted
                        }
                        Text {
                            objectName: "nowText"
                            Layout.alignment: Qt.AlignRight
                            visible: row.live
                            text: "NOW"
                            font.pointSize: Pal.pt(9)
                            font.bold: true
                            color: Pal.green
                            Accessible.role: Accessible.StaticText
                            Accessible.name: text
                        }
                    }

                    Rectangle {
                        objectName: "riskBar"
                        Layout.minimumWidth: 3
                        Layout.preferredWidth: 3
                        Layout.fillHeight: true
                        radius: 2
                        color: Pal.riskColor(row.m)
                    }

                    ColumnLayout {
                        Layout.fillWidth: true
                        Layout.alignment: Qt.AlignTop
                        spacing: 3

                        Text {
                            objectName: "titleText"
                            Layout.fillWidth: true
                            text: row.m.title
                            font.pointSize: Pal.pt(13.5)
                            font.weight: Font.DemiBold
                            color: Pal.text
                            wrapMode: Text.Wrap
                            maximumLineCount: row.isOpen ? 3 : 1
                            elide: Text.ElideRight
                            Accessible.role: Accessible.StaticText
                            Accessible.name: text
                        }
                        Text {
                            objectName: "attendeesText"
                            Layout.fillWidth: true
                            text: Words.attendees(row.m)
                            font.pointSize: Pal.pt(11.5)
                            color: Pal.muted
                            wrapMode: Text.Wrap
                            maximumLineCount: row.isOpen ? 3 : 1
                            elide: Text.ElideRight
                            Accessible.role: Accessible.StaticText
                            Accessible.name: text
                        }
                        RowLayout {
                            spacing: 6
                            Text {
                                objectName: "statusText"
                                text: Words.statusLabel(row.m.status)
                                font.pointSize: Pal.pt(10.5)
                                font.weight: Font.DemiBold
                                color: Pal.statusColor(row.m)
                                Accessible.role: Accessible.StaticText
                                Accessible.name: text
                            }
                            Text {
                                objectName: "roomText"
                                text: "· " + Words.roomLabel(row.m.room)
                                font.pointSize: Pal.pt(10)
                                color: Pal.muted
                                Accessible.role: Accessible.StaticText
                                Accessible.name: text
                            }
                            Text {
                                objectName: "watchedText"
                                visible: row.m.watched
                                text: "· watched"
                                font.pointSize: Pal.pt(10)
                                color: Pal.muted
                                Accessible.role: Accessible.StaticText
                                Accessible.name: text
                            }
                        }
                        Text {
                            objectName: "nextStepText"
                            Layout.fillWidth: true
                            visible: RowRules.showsNextStep(row.m, row.now)
                            text: row.m.action
                            font.pointSize: Pal.pt(11.5)
                            font.weight: Font.Medium
                            color: Pal.violet2
                            wrapMode: Text.Wrap
                            maximumLineCount: 2
                            elide: Text.ElideRight
                            Accessible.role: Accessible.StaticText
                            Accessible.name: text
                        }
                    }

                    Item {
                        Layout.minimumWidth: 4
                        Layout.preferredWidth: 4
                    }

                    Pill {
                        objectName: "joinButton"
                        Layout.alignment: Qt.AlignTop
                        visible: row.offersJoin
                        text: "Join"
                        filled: true
                        tint: row.live ? Pal.green : Pal.violet
                        onClicked: row.store.openUrl(Links.joinUrl(row.m))
                    }

                    SymbolIcon {
                        objectName: "chevron"
                        Layout.alignment: Qt.AlignTop
                        Layout.topMargin: 3
                        visible: !row.offersJoin
                        size: 10
                        symbol: row.isOpen ? "chevron.up" : "chevron.down"
                        color: Pal.dim
                    }
                }
            }

            // The action area, opened and closed in a short ease-out. Its content exists only
            // while the row is open (or closing), so a closed row costs its header alone.
            Item {
                id: actionClip
                objectName: "actionClip"
                Layout.fillWidth: true
                clip: true
                implicitHeight: row.isOpen ? actionLoader.implicitHeight + 14 : 0
                visible: implicitHeight > 0

                Behavior on implicitHeight {
                    NumberAnimation {
                        duration: 150
                        easing.type: Easing.OutQuad
                    }
                }

                Loader {
                    id: actionLoader
                    anchors.left: parent.left
                    anchors.right: parent.right
                    anchors.top: parent.top
                    anchors.leftMargin: 75
                    anchors.rightMargin: 4
                    anchors.topMargin: 10
                    active: row.isOpen || actionClip.implicitHeight > 0
                    sourceComponent: Component {
                        ColumnLayout {
                            objectName: "actionArea"
                            spacing: 8

                            Flow {
                                Layout.fillWidth: true
                                spacing: 6

                                Pill {
                                    objectName: "veskButton"
                                    visible: row.past
                                    text: "Vesk"
                                    tint: Pal.green
                                    onClicked: row.store.mark(row.m, "vesk")
                                }
                                Pill {
                                    objectName: "noShowButton"
                                    visible: row.past
                                    text: "No-show"
                                    tint: Pal.red
                                    onClicked: row.store.mark(row.m, "no_show")
                                }
                                Pill {
                                    objectName: "draftButton"
                                    visible: row.past
                                    text: "Draft follow-up"
                                    tint: Pal.violet2
                                    onClicked: row.store.compose(row.m, "draft")
                                }
                                Pill {
                                    objectName: "rebookButton"
                                    visible: row.past && row.m.status === "no_show"
                                    text: "Rebook"
                                    tint: Pal.text
                                    onClicked: row.store.compose(row.m, "propose")
                                }
                                Pill {
                                    objectName: "proposeButton"
                                    visible: !row.past
                                    text: "Propose times"
                                    tint: Pal.violet2
                                    onClicked: row.store.compose(row.m, "propose")
                                }
                                Pill {
                                    objectName: "emailButton"
                                    visible: !row.past && String(row.mailto) !== ""
                                    text: "Email"
                                    tint: Pal.text
                                    onClicked: row.store.openUrl(row.mailto)
                                }
                                Pill {
                                    objectName: "copyLinkButton"
                                    visible: !row.past && row.m.hasJoinUrl
                                    text: "Copy link"
                                    tint: Pal.text
                                    onClicked: row.store.copyText(row.m.joinUrl)
                                }
                            }

                            TextButton {
                                objectName: "openInVeskButton"
                                text: "Open in Vesk ↗"
                                size: 11
                                color: Pal.dim
                                onClicked: row.store.openUrl(row.store.apiBase)
                            }

                            Loader {
                                active: row.busy
                                visible: active
                                sourceComponent: Component {
                                    RowLayout {
                                        spacing: 6
                                        Spinner {
                                            implicitWidth: 12
                                            implicitHeight: 12
                                            running: row.busy
                                        }
                                        Text {
                                            objectName: "workingText"
                                            text: "Working…"
                                            font.pointSize: Pal.pt(11)
                                            color: Pal.muted
                                            Accessible.role: Accessible.StaticText
                                            Accessible.name: text
                                        }
                                    }
                                }
                            }

                            Text {
                                objectName: "actionErrorText"
                                Layout.fillWidth: true
                                visible: row.actionError !== ""
                                text: row.actionError
                                font.pointSize: Pal.pt(11)
                                color: Pal.red
                                wrapMode: Text.Wrap
                                Accessible.role: Accessible.StaticText
                                Accessible.name: text
                            }

                            // The draft card, with its text editor, only while there is a draft.
                            Loader {
                                Layout.fillWidth: true
                                active: row.hasDraft
                                visible: active
                                sourceComponent: Component {
                                    Rectangle {
                                        objectName: "draftCard"
                                        implicitHeight: draftColumn.implicitHeight + 24
                                        radius: 10
                                        color: Pal.bg
                                        border.width: 1
                                        border.color: Pal.line

                                        ColumnLayout {
                                            id: draftColumn
                                            anchors.fill: parent
                                            anchors.margins: 12
                                            spacing: 8

                                            Text {
                                                text: "DRAFT"
                                                font.pointSize: Pal.pt(9.5)
                                                font.bold: true
                                                font.letterSpacing: 1.2
                                                color: Pal.violet2
                                            }
                                            Text {
                                                objectName: "draftSubject"
                                                Layout.fillWidth: true
                                                text: (row.hasDraft ? row.draft.subject : "")
                                                font.pointSize: Pal.pt(13)
                                                font.weight: Font.DemiBold
                                                color: Pal.text
                                                wrapMode: Text.Wrap
                                                Accessible.role: Accessible.StaticText
                                                Accessible.name: text
                                            }
                                            // Plain text with 3 pixels between lines: TextEdit has no line
                                            // height of its own, its rich text has.
                                            TextEdit {
                                                objectName: "draftBody"
                                                readonly property string plainBody: row.hasDraft ? row.draft.body : ""
                                                Layout.fillWidth: true
                                                textFormat: TextEdit.RichText
                                                text: "<div style=\"white-space: pre-wrap; line-height: 3px; -qt-line-height-type: line-distance;\">"
                                                      + plainBody.replace(/&/g, "&amp;").replace(/</g, "&lt;").replace(/>/g, "&gt;") + "</div>"
                                                readOnly: true
                                                selectByMouse: true
                                                selectByKeyboard: true
                                                activeFocusOnTab: false
                                                font.pointSize: Pal.pt(12.5)
                                                color: Qt.rgba(Pal.text.r, Pal.text.g, Pal.text.b, 0.92)
                                                selectionColor: Pal.violet
                                                selectedTextColor: Pal.text
                                                wrapMode: TextEdit.Wrap
                                                Accessible.role: Accessible.StaticText
                                                Accessible.name: plainBody
                                            }
                                            Rectangle {
                                                Layout.fillWidth: true
                                                implicitHeight: 1
                                                color: Pal.line
                                            }
                                            Text {
                                                objectName: "draftNote"
                                                Layout.fillWidth: true
                                                text: (row.hasDraft ? row.draft.note : "")
                                                font.pointSize: Pal.pt(10.5)
                                                color: Pal.dim
                                                wrapMode: Text.Wrap
                                                Accessible.role: Accessible.StaticText
                                                Accessible.name: text
                                            }
                                            RowLayout {
                                                spacing: 6
                                                Pill {
                                                    objectName: "openInMailButton"
                                                    text: "Open in Mail"
                                                    tint: Pal.violet
                                                    filled: true
                                                    onClicked: {
                                                        const url = Links.draftMailUrl(row.m, (row.hasDraft ? row.draft.subject : ""), (row.hasDraft ? row.draft.body : ""))
                                                        if (url.toString() !== "")
                                                            row.store.openUrl(url)
                                                    }
                                                }
                                                Pill {
                                                    objectName: "copyDraftButton"
                                                    text: "Copy"
                                                    tint: Pal.text
                                                    onClicked: row.store.copyText(Links.draftText((row.hasDraft ? row.draft.subject : ""), (row.hasDraft ? row.draft.body : "")))
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
        }
    }
}
