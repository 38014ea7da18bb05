// SPDX-License-Identifier: MIT
pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls.Basic as QQC2
import QtQuick.Layouts
import Vesk

// Copies a block of open times, optionally for a chosen or typed person and a meeting length.
Item {
    id: bar

    required property Store store
    /// Whether the hits of the person search may be listed.
    property bool showHits: false

    readonly property bool hasPreview: store.availPreview !== ""

    implicitHeight: column.implicitHeight + 20

    function copy() {
        bar.store.copyForCurrent()
    }

    function choose(hit) {
        bar.store.chooseForWho(hit)
        bar.showHits = false
    }

    function clearChoice() {
        bar.store.clearForWho()
    }

    // The Store searches for every new text while the field is shown; the view only decides
    // whether hits may be listed.
    Connections {
        target: bar.store
        enabled: !bar.store.hasForWho
        function onForQueryChanged() {
            bar.showHits = bar.store.forQuery !== ""
        }
    }

    ColumnLayout {
        id: column
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.leftMargin: 14
        anchors.rightMargin: 14
        anchors.topMargin: 10
        spacing: 8

        QQC2.AbstractButton {
            id: copyButton
            objectName: "copyButton"
            Layout.fillWidth: true
            focusPolicy: Qt.StrongFocus
            topPadding: 10
            bottomPadding: 10
            text: bar.store.availBusy ? "Finding open times…" : (bar.hasPreview ? "Copied. Paste anywhere" : "Copy availability")
            font.pointSize: Pal.pt(14)
            font.bold: true

            // The label row, centred by a flexible space on each side; the text sets its height.
            contentItem: RowLayout {
                spacing: 8
                Item {
                    Layout.fillWidth: true
                }
                Spinner {
                    objectName: "copySpinner"
                    visible: bar.store.availBusy
                    color: Pal.ink
                }
                SymbolIcon {
                    objectName: "copyIcon"
                    visible: !bar.store.availBusy
                    size: 15
                    symbol: bar.hasPreview ? "checkmark" : "calendar.badge.clock"
                    color: Pal.ink
                }
                Text {
                    objectName: "copyLabel"
                    text: copyButton.text
                    font: copyButton.font
                    color: Pal.ink
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                }
                Item {
                    Layout.fillWidth: true
                }
            }
            background: Rectangle {
                radius: 10
                color: copyButton.down ? Qt.darker(Pal.violet, 1.12) : Pal.violet
                border.width: copyButton.visualFocus ? 2 : 0
                border.color: Pal.violet2
            }
            onClicked: bar.copy()
            Keys.onReturnPressed: clicked()
            Keys.onEnterPressed: clicked()
            Accessible.role: Accessible.Button
            Accessible.name: text
            Accessible.onPressAction: clicked()
        }

        RowLayout {
            Layout.fillWidth: true
            spacing: 6

            // The chosen person.
            Rectangle {
                objectName: "chip"
                visible: bar.store.hasForWho
                Layout.fillWidth: true
                // As tall as the length box beside it.
                Layout.fillHeight: true
                implicitHeight: chipRow.implicitHeight + 12
                radius: 8
                color: Pal.card

                RowLayout {
                    id: chipRow
                    anchors.fill: parent
                    anchors.leftMargin: 10
                    anchors.rightMargin: 10
                    anchors.topMargin: 6
                    anchors.bottomMargin: 6
                    spacing: 6

                    Text {
                        objectName: "chipName"
                        Layout.maximumWidth: 160
                        text: bar.store.hasForWho ? Words.chipText(bar.store.forWho) : ""
                        font.pointSize: Pal.pt(12)
                        font.weight: Font.DemiBold
                        color: Pal.text
                        elide: Text.ElideRight
                        maximumLineCount: 1
                        Accessible.role: Accessible.StaticText
                        Accessible.name: text
                    }
                    Text {
                        objectName: "chipEmail"
                        Layout.fillWidth: true
                        text: bar.store.hasForWho ? bar.store.forWho.email : ""
                        font.pointSize: Pal.pt(11)
                        color: Pal.dim
                        elide: Text.ElideRight
                        maximumLineCount: 1
                        Accessible.role: Accessible.StaticText
                        Accessible.name: text
                    }
                    QQC2.AbstractButton {
                        id: clearButton
                        objectName: "clearChoiceButton"
                        implicitWidth: 16
                        implicitHeight: 16
                        focusPolicy: Qt.StrongFocus
                        contentItem: Rectangle {
                            radius: width / 2
                            color: clearButton.down ? Pal.muted : Pal.dim
                            border.width: clearButton.visualFocus ? 1 : 0
                            border.color: Pal.violet2
                            SymbolIcon {
                                anchors.centerIn: parent
                                size: 8
                                symbol: "xmark"
                                color: Pal.card
                            }
                        }
                        background: null
                        onClicked: bar.clearChoice()
                        Keys.onReturnPressed: clicked()
                        Tip {
                            visible: clearButton.hovered
                            text: "Clear"
                        }
                        Accessible.role: Accessible.Button
                        Accessible.name: "Clear"
                        Accessible.onPressAction: clicked()
                    }
                }
            }

            // The person search field.
            QQC2.TextField {
                id: personField
                objectName: "personField"
                visible: !bar.store.hasForWho
                Layout.fillWidth: true
                Layout.fillHeight: true
                leftPadding: 10
                rightPadding: 10
                topPadding: 7
                bottomPadding: 7
                placeholderText: "For someone? Name or email (optional)"
                placeholderTextColor: Pal.dim
                font.pointSize: Pal.pt(12)
                color: Pal.text
                selectionColor: Pal.violet
                selectedTextColor: Pal.text
                text: bar.store.forQuery
                onTextEdited: bar.store.forQuery = text
                onAccepted: bar.copy()
                background: Rectangle {
                    radius: 8
                    color: Pal.card
                    border.width: 1
                    border.color: personField.activeFocus ? Qt.rgba(Pal.violet2.r, Pal.violet2.g, Pal.violet2.b, 0.5) : Pal.line
                }
                Keys.onDownPressed: if (hits.visible) hits.forceActiveFocus()
                Accessible.name: "For someone? Name or email (optional)"
                Accessible.onPressAction: forceActiveFocus()
            }

            // The meeting length.
            QQC2.ComboBox {
                id: lengthBox
                objectName: "lengthBox"
                Layout.preferredWidth: 66
                model: [15, 30, 45, 60]
                displayText: bar.store.forDuration + "m"
                currentIndex: Math.max(0, model.indexOf(bar.store.forDuration))
                onActivated: index => bar.store.forDuration = model[index]
                font.pointSize: Pal.pt(12)
                focusPolicy: Qt.StrongFocus
                palette.text: Pal.text
                palette.buttonText: Pal.text
                palette.button: Pal.card
                palette.mid: Pal.card2
                palette.base: Pal.card
                palette.window: Pal.card2
                palette.dark: Pal.muted
                palette.highlight: Pal.violet
                palette.highlightedText: Pal.text
                palette.light: Pal.card2
                palette.midlight: Qt.rgba(Pal.violet.r, Pal.violet.g, Pal.violet.b, 0.35)
                palette.windowText: Pal.text
                leftPadding: 10
                rightPadding: 20
                contentItem: Text {
                    text: lengthBox.displayText
                    font: lengthBox.font
                    color: Pal.text
                    verticalAlignment: Text.AlignVCenter
                }
                indicator: SymbolIcon {
                    x: lengthBox.width - width - 8
                    y: (lengthBox.height - height) / 2
                    size: 9
                    symbol: "chevron.down"
                    color: Pal.muted
                }
                background: Rectangle {
                    implicitHeight: 30
                    radius: 8
                    color: Pal.card
                    border.width: 1
                    border.color: lengthBox.visualFocus ? Pal.violet2 : Pal.line
                }
                delegate: QQC2.ItemDelegate {
                    id: lengthItem
                    required property int modelData
                    required property int index
                    width: lengthBox.width
                    text: modelData + "m"
                    highlighted: lengthBox.highlightedIndex === index
                    font.pointSize: Pal.pt(12)
                    contentItem: Text {
                        text: lengthItem.text
                        font: lengthItem.font
                        color: Pal.text
                    }
                    background: Rectangle {
                        color: lengthItem.highlighted ? Qt.rgba(Pal.violet.r, Pal.violet.g, Pal.violet.b, 0.35) : Pal.card2
                    }
                    Accessible.name: text
                }
                Accessible.name: "Meeting length"
                Accessible.onPressAction: popup.open()
            }
        }

        // Search hits.
        Rectangle {
            objectName: "hitList"
            visible: bar.showHits && !bar.store.hasForWho && bar.store.people.length > 0
            Layout.fillWidth: true
            implicitHeight: hits.implicitHeight
            radius: 8
            color: Pal.card2

            ColumnLayout {
                id: hits
                anchors.left: parent.left
                anchors.right: parent.right
                spacing: 0

                Repeater {
                    model: bar.store.people
                    // At most five hits are listed.
                    delegate: QQC2.AbstractButton {
                        id: hit
                        required property personHit modelData
                        required property int index
                        visible: index < 5
                        objectName: "hit:" + modelData.email
                        Layout.fillWidth: true
                        hoverEnabled: true
                        focusPolicy: Qt.StrongFocus
                        leftPadding: 10
                        rightPadding: 10
                        topPadding: 6
                        bottomPadding: 6
                        text: Words.hitName(modelData)
                        contentItem: RowLayout {
                            spacing: 6
                            Text {
                                objectName: "hitName"
                                text: hit.text
                                font.pointSize: Pal.pt(12)
                                font.weight: Font.Medium
                                color: Pal.text
                            }
                            Text {
                                Layout.fillWidth: true
                                text: hit.modelData.email
                                font.pointSize: Pal.pt(11)
                                color: Pal.dim
                                elide: Text.ElideRight
                                maximumLineCount: 1
                            }
                        }
                        background: Rectangle {
                            radius: 8
                            color: hit.down ? Qt.rgba(1, 1, 1, 0.1) : (hit.hovered || hit.visualFocus ? Qt.rgba(1, 1, 1, 0.05) : "transparent")
                        }
                        onClicked: bar.choose(modelData)
                        Keys.onReturnPressed: clicked()
                        Keys.onEnterPressed: clicked()
                        Accessible.role: Accessible.Button
                        Accessible.name: text + " " + modelData.email
                        Accessible.onPressAction: clicked()
                    }
                }
            }
        }

        Text {
            objectName: "availErrorText"
            Layout.fillWidth: true
            visible: bar.store.availError !== ""
            text: bar.store.availError
            font.pointSize: Pal.pt(11)
            color: Pal.red
            wrapMode: Text.Wrap
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }

        Rectangle {
            objectName: "previewBox"
            visible: bar.hasPreview
            Layout.fillWidth: true
            implicitHeight: Math.min(preview.implicitHeight, preview.nineLines) + 16
            radius: 8
            color: Pal.card
            clip: true

            TextEdit {
                id: preview
                objectName: "previewText"
                readonly property real nineLines: fontMetrics.lineSpacing * 9
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.top: parent.top
                anchors.margins: 8
                text: bar.store.availPreview
                readOnly: true
                selectByMouse: true
                selectByKeyboard: true
                activeFocusOnTab: false
                wrapMode: TextEdit.Wrap
                font.pointSize: Pal.pt(11)
                color: Pal.muted
                selectionColor: Pal.violet
                selectedTextColor: Pal.text
                Accessible.role: Accessible.StaticText
                Accessible.name: text
                FontMetrics {
                    id: fontMetrics
                    font: preview.font
                }
            }
        }

        Text {
            objectName: "helpText"
            Layout.fillWidth: true
            text: bar.store.hasForWho || bar.store.forTypedEmail !== ""
                  ? "Their name and email are filled in. They click a time, confirm, and the invite goes out."
                  : "Paste into any email or DM. They click a time and confirm. "
                    + (bar.store.copyShortcut !== "" ? bar.store.copyShortcut + " copies without opening Vesk."
                                                     : "Bind a key to vesk-bar --copy-availability to copy from anywhere.")
            font.pointSize: Pal.pt(10.5)
            color: Pal.dim
            wrapMode: Text.Wrap
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
    }
}
