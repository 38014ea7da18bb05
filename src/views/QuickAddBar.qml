// SPDX-License-Identifier: MIT
// Unbound components: Qt 6.4 refuses to make a bound component from a Loader.
import QtQuick
import QtQuick.Controls.Basic as QQC2
import QtQuick.Layouts
import Vesk

// One line for a sentence that the service turns into a draft event, and the draft below it.
Item {
    id: bar

    required property Store store

    implicitHeight: column.implicitHeight + 14

    ColumnLayout {
        id: column
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.leftMargin: 14
        anchors.rightMargin: 14
        anchors.topMargin: 10
        spacing: 8

        Rectangle {
            Layout.fillWidth: true
            implicitHeight: inputRow.implicitHeight + 16
            radius: 9
            color: Pal.card
            border.width: 1
            border.color: Qt.rgba(Pal.violet2.r, Pal.violet2.g, Pal.violet2.b, 0.35)

            RowLayout {
                id: inputRow
                anchors.fill: parent
                anchors.leftMargin: 10
                anchors.rightMargin: 10
                anchors.topMargin: 8
                anchors.bottomMargin: 8
                spacing: 8

                SymbolIcon {
                    size: 13
                    symbol: "sparkles"
                    color: Pal.violet2
                }
                QQC2.TextField {
                    id: field
                    objectName: "quickAddField"
                    Layout.fillWidth: true
                    padding: 0
                    leftPadding: 0
                    rightPadding: 0
                    background: null
                    placeholderText: "New event: “Ivo <> Rena tomorrow 10am”"
                    placeholderTextColor: Pal.dim
                    font.pointSize: Pal.pt(13)
                    color: Pal.text
                    selectionColor: Pal.violet
                    selectedTextColor: Pal.text
                    text: bar.store.qaText
                    onTextEdited: bar.store.qaText = text
                    onAccepted: bar.store.quickDraft()
                    Accessible.name: "New event"
                    Accessible.description: placeholderText
                    Accessible.onPressAction: forceActiveFocus()
                }
                Spinner {
                    objectName: "quickAddSpinner"
                    visible: bar.store.qaBusy
                }
            }
        }

        Text {
            objectName: "qaErrorText"
            Layout.fillWidth: true
            visible: bar.store.qaError !== ""
            text: bar.store.qaError
            font.pointSize: Pal.pt(11)
            color: Pal.red
            wrapMode: Text.Wrap
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
        Text {
            objectName: "qaDoneText"
            Layout.fillWidth: true
            visible: bar.store.qaDone !== ""
            text: bar.store.qaDone
            font.pointSize: Pal.pt(11.5)
            font.weight: Font.Medium
            color: Pal.green
            wrapMode: Text.Wrap
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
        // The draft card exists only while there is a draft.
        Loader {
            Layout.fillWidth: true
            active: bar.store.hasQaDraft
            visible: active
            sourceComponent: Component {
                QuickAddCard {
                    objectName: "quickAddCard"
                    store: bar.store
                }
            }
        }
    }
}
