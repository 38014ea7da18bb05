// SPDX-License-Identifier: MIT
pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls.Basic as QQC2
import QtQuick.Layouts
import Vesk

// The draft event of a quick-add sentence, corrected in place before it is created.
Rectangle {
    id: card

    required property Store store

    readonly property qaDraft draft: store.qaDraft
    readonly property bool hasWhen: store.hasQaDraft && draft.hasWhen
    readonly property int peopleCount: store.hasQaDraft ? draft.people.length : 0
    /// The draft's overlapping events, as a script array.
    readonly property var conflicts: store.hasQaDraft ? draft.conflicts : []

    implicitHeight: store.hasQaDraft ? column.implicitHeight + 20 : 0
    radius: 10
    color: Pal.card2

    ColumnLayout {
        id: column
        visible: card.store.hasQaDraft
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.margins: 10
        spacing: 8

        QQC2.TextField {
            id: titleField
            objectName: "titleField"
            Layout.fillWidth: true
            // The style's own side padding survives `padding: 0`.
            padding: 0
            leftPadding: 0
            rightPadding: 0
            background: null
            placeholderText: "Title"
            placeholderTextColor: Pal.dim
            font.pointSize: Pal.pt(14)
            font.weight: Font.DemiBold
            color: Pal.text
            selectionColor: Pal.violet
            selectedTextColor: Pal.text
            text: card.store.hasQaDraft ? card.draft.title : ""
            onTextEdited: card.store.setQaTitle(text)
            Accessible.name: "Title"
            Accessible.onPressAction: forceActiveFocus()
        }

        Text {
            objectName: "timeLine"
            Layout.fillWidth: true
            text: card.hasWhen ? QuickAddRules.draftTimeLine(card.draft) : "No time given. I can send them your open times instead."
            font.pointSize: Pal.pt(12)
            color: card.hasWhen ? Pal.muted : Pal.amber
            wrapMode: Text.Wrap
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }

        // One row per named person. The count is the model, so an edit of one person does not
        // rebuild the rows and take the focus from a field being typed in.
        Repeater {
            objectName: "personRows"
            model: card.peopleCount
            delegate: RowLayout {
                id: personRow
                required property int index
                readonly property qaPerson person: card.draft.people[index] ?? null
                readonly property bool hasEmail: person !== null && person.hasEmail
                readonly property bool hasCandidates: person !== null && person.candidates.length > 0
                /// The address field stays while it is being typed in, even once an address is set.
                readonly property bool showsField: addressField.activeFocus || (!hasEmail && !hasCandidates)

                objectName: "personRow" + index
                // A new draft may put another person in this row: show their address unless the
                // field is being typed in.
                onPersonChanged: {
                    if (!addressField.activeFocus)
                        addressField.text = hasEmail ? person.email : ""
                }
                Layout.fillWidth: true
                spacing: 6

                SymbolIcon {
                    size: 14
                    symbol: "person.crop.circle"
                    color: Pal.dim
                }

                // The person as the draft knows them.
                Text {
                    objectName: "personName"
                    visible: personRow.hasEmail && !personRow.showsField
                    Layout.maximumWidth: 170
                    text: personRow.person ? (personRow.person.hasName ? personRow.person.name : personRow.person.email) : ""
                    font.pointSize: Pal.pt(12)
                    font.weight: Font.Medium
                    color: Pal.text
                    elide: Text.ElideRight
                    maximumLineCount: 1
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                }
                Text {
                    objectName: "personEmail"
                    visible: personRow.hasEmail && !personRow.showsField
                    Layout.fillWidth: true
                    Layout.minimumWidth: 40
                    text: personRow.person ? personRow.person.email : ""
                    font.pointSize: Pal.pt(11)
                    color: Pal.dim
                    elide: Text.ElideRight
                    maximumLineCount: 1
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                }

                // The address field: a complete address becomes the person's address as it is typed
                // (so the main button can take it at once); Return or leaving the field stores
                // whatever it holds.
                QQC2.TextField {
                    id: addressField
                    objectName: "addressField"
                    visible: personRow.showsField
                    Layout.fillWidth: true
                    placeholderText: (personRow.person ? personRow.person.query : "") + "'s email"
                    placeholderTextColor: Pal.dim
                    font.pointSize: Pal.pt(12)
                    color: Pal.text
                    selectionColor: Pal.violet
                    selectedTextColor: Pal.text
                    leftPadding: 7
                    rightPadding: 7
                    topPadding: 4
                    bottomPadding: 4
                    inputMethodHints: Qt.ImhEmailCharactersOnly | Qt.ImhNoAutoUppercase
                    background: Rectangle {
                        radius: 6
                        color: Pal.card
                        border.width: 1
                        border.color: addressField.activeFocus ? Qt.rgba(Pal.violet2.r, Pal.violet2.g, Pal.violet2.b, 0.6) : Qt.rgba(1, 1, 1, 0.16)
                    }
                    Component.onCompleted: text = personRow.hasEmail ? personRow.person.email : ""
                    onTextEdited: card.store.typeQaPersonEmail(personRow.index, text)
                    onEditingFinished: card.store.setQaPersonEmail(personRow.index, text.trim())
                    Accessible.name: placeholderText
                    Accessible.onPressAction: forceActiveFocus()
                }

                Text {
                    id: whichText
                    objectName: "whichText"
                    visible: !personRow.hasEmail && personRow.hasCandidates && !personRow.showsField
                    text: "Which " + (personRow.person ? personRow.person.query : "") + "?"
                    font.pointSize: Pal.pt(12)
                    font.weight: Font.Medium
                    color: Pal.amber
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                }

                Item {
                    Layout.fillWidth: true
                    visible: whichText.visible
                }

                TextButton {
                    id: candidatesButton
                    objectName: "candidatesButton"
                    visible: personRow.hasCandidates
                    text: personRow.hasEmail ? "Not them?" : "Choose"
                    size: 11
                    color: Pal.violet2
                    Accessible.role: Accessible.ButtonMenu
                    onClicked: candidatesMenu.opened ? candidatesMenu.close() : candidatesMenu.open()

                    PopupMenu {
                        id: candidatesMenu
                        objectName: "candidatesMenu"
                        y: candidatesButton.height + 2
                        x: candidatesButton.width - width

                        Repeater {
                            model: personRow.hasCandidates ? personRow.person.candidates : []
                            delegate: MenuEntry {
                                required property personHit modelData
                                objectName: "candidate:" + modelData.email
                                text: Words.candidateLabel(modelData)
                                font.pointSize: Pal.pt(11)
                                onTriggered: {
                                    // The edit rebuilds this list, so read everything first.
                                    const at = personRow.index
                                    const hit = modelData
                                    const store = card.store
                                    candidatesMenu.close()
                                    store.chooseQaCandidate(at, hit)
                                }
                            }
                        }
                    }
                }
            }
        }

        Text {
            objectName: "conflictsText"
            Layout.fillWidth: true
            visible: card.store.hasQaDraft && card.draft.conflicts.length > 0
            text: card.store.hasQaDraft ? "Overlaps: " + card.conflicts.join(", ") : ""
            font.pointSize: Pal.pt(11)
            color: Pal.amber
            wrapMode: Text.Wrap
            maximumLineCount: 2
            elide: Text.ElideRight
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }

        // The video link choice.
        Rectangle {
            objectName: "conferencePicker"
            visible: card.hasWhen
            implicitWidth: segments.implicitWidth + 4
            implicitHeight: segments.implicitHeight + 4
            radius: 7
            color: Pal.card
            border.width: 1
            border.color: Pal.line

            Accessible.role: Accessible.PageTabList
            Accessible.name: "Video link"

            RowLayout {
                id: segments
                anchors.centerIn: parent
                spacing: 2

                Repeater {
                    model: [
                        { label: "Zoom", value: "zoom" },
                        { label: "Google Meet", value: "meet" },
                        { label: "No link", value: "none" }
                    ]
                    delegate: QQC2.AbstractButton {
                        id: segment
                        required property var modelData
                        readonly property bool selected: card.store.hasQaDraft && card.draft.conference === modelData.value
                        objectName: "conference:" + modelData.value
                        visible: modelData.value !== "zoom" || (card.store.hasQaDraft && card.draft.hasZoom)
                        text: modelData.label
                        checkable: true
                        checked: selected
                        focusPolicy: Qt.StrongFocus
                        leftPadding: 10
                        rightPadding: 10
                        topPadding: 3
                        bottomPadding: 3
                        font.pointSize: Pal.pt(11.5)
                        contentItem: Text {
                            text: segment.text
                            font.pointSize: segment.font.pointSize
                            font.weight: segment.selected ? Font.DemiBold : Font.Normal
                            color: segment.selected ? Pal.text : Pal.muted
                            horizontalAlignment: Text.AlignHCenter
                        }
                        background: Rectangle {
                            radius: 5
                            color: segment.selected ? Qt.rgba(1, 1, 1, 0.14) : (segment.hovered ? Qt.rgba(1, 1, 1, 0.05) : "transparent")
                            border.width: segment.visualFocus ? 1 : 0
                            border.color: Pal.violet2
                        }
                        onClicked: card.store.setQaConference(modelData.value)
                        Keys.onReturnPressed: clicked()
                        Accessible.role: Accessible.PageTab
                        Accessible.name: text
                        Accessible.onPressAction: clicked()
                    }
                }
            }
        }

        RowLayout {
            spacing: 10

            QQC2.Button {
                id: mainButton
                objectName: "mainButton"
                text: card.store.hasQaDraft ? QuickAddRules.mainLabel(card.draft) : ""
                enabled: card.store.hasQaDraft && QuickAddRules.mainEnabled(card.draft, card.store.qaBusy)
                focusPolicy: Qt.StrongFocus
                leftPadding: 12
                rightPadding: 12
                topPadding: 5
                bottomPadding: 5
                font.pointSize: Pal.pt(12)
                font.weight: Font.DemiBold
                contentItem: Text {
                    text: mainButton.text
                    font: mainButton.font
                    color: "white"
                    opacity: mainButton.enabled ? 1.0 : 0.55
                    horizontalAlignment: Text.AlignHCenter
                    verticalAlignment: Text.AlignVCenter
                }
                background: Rectangle {
                    radius: 6
                    color: mainButton.down ? Qt.darker(Pal.violet, 1.15) : Pal.violet
                    opacity: mainButton.enabled ? 1.0 : 0.45
                    border.width: mainButton.visualFocus ? 2 : 0
                    border.color: Pal.violet2
                }
                onClicked: {
                    if (card.hasWhen)
                        card.store.quickCreate()
                    else
                        card.store.copyTimesForDraft()
                }
                Keys.onReturnPressed: clicked()
                Accessible.name: text
                Accessible.onPressAction: if (enabled) clicked()
            }
            TextButton {
                objectName: "cancelButton"
                text: "Cancel"
                weight: Font.DemiBold
                color: Pal.muted
                onClicked: card.store.clearQaDraft()
            }
        }
    }
}
