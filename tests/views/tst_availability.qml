// SPDX-License-Identifier: MIT
import QtQuick
import QtTest
import Vesk
import "feed.js" as Feed

Item {
    id: root
    width: 440
    height: 900

    Component {
        id: barComponent
        AvailabilityBar {
            width: 440
        }
    }

    ViewTestCase {
        name: "Availability"

        readonly property string plainHelp: "Paste into any email or DM. They click a time and confirm. "
                                            + "Bind a key to vesk-bar --copy-availability to copy from anywhere."
        readonly property string personHelp:
            "Their name and email are filled in. They click a time, confirm, and the invite goes out."

        function showBar() {
            return createTemporaryObject(barComponent, root, { store: startStore(true, []) })
        }

        function test_copyButtonStates() {
            const bar = showBar()
            const label = child(bar, "copyLabel")
            compare(label.text, "Copy availability")
            compare(child(bar, "copyIcon").symbol, "calendar.badge.clock")
            compare(child(bar, "previewBox").visible, false)

            fixture.reply("POST", "/api/app/availability", 200, { text: "Tue 10:00\nWed 14:00", html: "<b>x</b>" }, 400)
            click(child(bar, "copyButton"))
            tryCompare(label, "text", "Finding open times…")
            verify(child(bar, "copySpinner").visible)
            compare(child(bar, "copyIcon").visible, false)
            tryCompare(label, "text", "Copied. Paste anywhere", 5000)
            compare(child(bar, "copyIcon").symbol, "checkmark")
            compare(child(bar, "previewText").text, "Tue 10:00\nWed 14:00")
            verify(child(bar, "previewBox").visible)

            // Busy wins over an earlier preview; a new length drops the preview.
            fixture.hold("POST", "/api/app/availability")
            click(child(bar, "copyButton"))
            tryCompare(label, "text", "Finding open times…")
            const box = child(bar, "lengthBox")
            compare(box.displayText, "30m")
            box.activated(3)
            compare(fixture.store.forDuration, 60)
            compare(box.displayText, "60m")
            compare(child(bar, "previewBox").visible, false)
        }

        function test_hits() {
            const bar = showBar()
            const hits = [Feed.hit(null, "rena.team@acme.io", "Acme")]
            for (let i = 1; i < 8; ++i)
                hits.push(Feed.hit("Person " + i, "p" + i + "@example.com", "Co " + i))
            fixture.reply("GET", "/api/app/people", 200, { people: hits })
            const field = child(bar, "personField")
            click(field)
            type("re")
            tryCompare(child(bar, "hitList"), "visible", true)
            // Searches of an earlier test may still arrive first; the last two are this field's.
            compare(fixture.queries("/api/app/people").slice(-2), ["q=r", "q=re"], "one search per keystroke")
            compare(Feed.visibleAll(bar, "hitName").map(t => t.text),
                    ["rena.team", "Person 1", "Person 2", "Person 3", "Person 4"])

            // Emptying the field hides the list, but the empty search is still sent.
            keyClick(Qt.Key_Backspace)
            keyClick(Qt.Key_Backspace)
            compare(child(bar, "hitList").visible, false)
            tryVerify(() => fixture.lastQuery("/api/app/people") === "q=")

            type("r")
            tryCompare(child(bar, "hitList"), "visible", true)
            // The name-less hit's chip reads "for " and the full address.
            click(child(bar, "hit:rena.team@acme.io"))
            compare(fixture.store.forWho.email, "rena.team@acme.io")
            compare(child(bar, "hitList").visible, false)
            verify(child(bar, "chip").visible)
            compare(field.visible, false)
            compare(child(bar, "chipName").text, "for rena.team@acme.io")
            compare(child(bar, "chipEmail").text, "rena.team@acme.io")
            compare(child(bar, "helpText").text, personHelp)

            // Clearing the chip brings back an empty field.
            click(child(bar, "clearChoiceButton"))
            compare(fixture.store.hasForWho, false)
            verify(field.visible)
            compare(field.text, "")
        }

        function test_typedAddress() {
            const bar = showBar()
            const help = child(bar, "helpText")
            compare(help.text, plainHelp)
            // The copy key is named, the way this desktop writes keys, only once it is bound.
            fixture.store.copyShortcut = "Ctrl+Alt+A"
            compare(help.text, "Paste into any email or DM. They click a time and confirm. "
                               + "Ctrl+Alt+A copies without opening Vesk.")
            fixture.store.copyShortcut = ""
            compare(help.text, plainHelp)
            click(child(bar, "personField"))
            type("ana@x.io")
            tryCompare(help, "text", personHelp)
            compare(fixture.store.hasForWho, false)
            for (let i = 0; i < 3; ++i)
                keyClick(Qt.Key_Backspace)
            tryCompare(help, "text", plainHelp)
            type(".io")

            // Return copies for it.
            fixture.reply("POST", "/api/app/availability", 200, { text: "Thu 9:00" })
            keyClick(Qt.Key_Return)
            tryCompare(child(bar, "copyLabel"), "text", "Copied. Paste anywhere", 5000)
            const sent = fixture.lastBody("/api/app/availability")
            compare(sent.email, "ana@x.io")
            compare(sent.durationMin, 30)
        }

        function test_error() {
            const bar = showBar()
            fixture.reply("POST", "/api/app/availability", 200, { error: "Calendar not connected." })
            click(child(bar, "copyButton"))
            tryCompare(child(bar, "availErrorText"), "text", "Calendar not connected.")
            verify(child(bar, "availErrorText").visible)
            compare(child(bar, "copyLabel").text, "Copy availability")
        }
    }
}
