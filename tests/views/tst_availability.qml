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

    TestCase {
        id: testCase
        name: "Availability"
        when: windowShown

        // Waits until no layout of the window has a pending polish, so positions are current.
        function settle() {
            const top = root.Window.window ? root.Window.window.contentItem : root
            tryVerify(() => Feed.descendants(top).every(i => !isPolishScheduled(i)), 3000, "layouts settle")
        }

        function click(item, x, y) {
            settle()
            if (x === undefined)
                mouseClick(item)
            else
                mouseClick(item, x, y)
        }

        function child(item, name) {
            const found = findChild(item, name)
            verify(found, "no item named " + name)
            return found
        }

        function type(text) {
            for (let i = 0; i < text.length; ++i)
                keyClick(text[i])
        }

        function showBar() {
            fixture.resetServer()
            fixture.reply("GET", "/api/today", 200, Feed.feed([]))
            const store = fixture.startKeepingScript(true)
            return createTemporaryObject(barComponent, root, { store: store })
        }

        function eightHits() {
            const hits = [Feed.hit(null, "rena.team@acme.io", "Acme")]
            for (let i = 1; i < 8; ++i)
                hits.push(Feed.hit("Person " + i, "p" + i + "@example.com", "Co " + i))
            return { people: hits }
        }

        function shownHits(bar) {
            return Feed.findAll(bar, "hitName").filter(t => t.visible).map(t => t.text)
        }

        function test_copyButtonStates() {
            const bar = showBar()
            const label = child(bar, "copyLabel")
            compare(label.text, "Copy availability")
            compare(child(bar, "copyIcon").name, "calendar.badge.clock")
            compare(child(bar, "previewBox").visible, false)

            fixture.reply("POST", "/api/app/availability", 200, { text: "Tue 10:00\nWed 14:00", html: "<b>x</b>" }, 400)
            click(child(bar, "copyButton"))
            tryCompare(label, "text", "Finding open times…")
            verify(child(bar, "copySpinner").visible)
            compare(child(bar, "copyIcon").visible, false)
            tryCompare(label, "text", "Copied. Paste anywhere", 5000)
            compare(child(bar, "copyIcon").name, "checkmark")
            verify(child(bar, "previewBox").visible)
            compare(child(bar, "previewText").text, "Tue 10:00\nWed 14:00")
            compare(fixture.lastBody("/api/app/availability").durationMin, 30)

            // Busy wins over an earlier preview.
            fixture.hold("POST", "/api/app/availability")
            click(child(bar, "copyButton"))
            tryCompare(label, "text", "Finding open times…")
            verify(fixture.store.availPreview !== "")

            // A new length drops the preview.
            fixture.store.forDuration = 45
            compare(fixture.store.availPreview, "")
            compare(child(bar, "previewBox").visible, false)
        }

        function test_lengthChoice() {
            const bar = showBar()
            const box = child(bar, "lengthBox")
            compare(box.displayText, "30m")
            compare(box.model, [15, 30, 45, 60])
            box.activated(3)
            compare(fixture.store.forDuration, 60)
            compare(box.displayText, "60m")
        }

        function test_hits() {
            const bar = showBar()
            fixture.reply("GET", "/api/app/people", 200, eightHits())
            const field = child(bar, "personField")
            click(field)
            type("re")
            tryCompare(child(bar, "hitList"), "visible", true)
            compare(fixture.lastQuery("/api/app/people"), "q=re")
            // Searches of an earlier test may still arrive first; the last two are this field's.
            compare(fixture.queries("/api/app/people").slice(-2), ["q=r", "q=re"], "one search per keystroke")
            const names = shownHits(bar)
            compare(names.length, 5)
            compare(names[0], "rena.team")
            compare(names[1], "Person 1")

            // Emptying the field hides the list, but the empty search is still sent.
            const sent = fixture.requestCount("/api/app/people")
            keyClick(Qt.Key_Backspace)
            keyClick(Qt.Key_Backspace)
            compare(child(bar, "hitList").visible, false)
            tryVerify(() => fixture.requestCount("/api/app/people") === sent + 2)
            compare(fixture.lastQuery("/api/app/people"), "q=")

            // Choosing the name-less hit: the chip reads "for " and the full address.
            type("r")
            tryCompare(child(bar, "hitList"), "visible", true)
            click(child(bar, "hit:rena.team@acme.io"))
            verify(fixture.store.hasForWho)
            compare(fixture.store.forWho.email, "rena.team@acme.io")
            compare(child(bar, "hitList").visible, false)
            verify(child(bar, "chip").visible)
            compare(field.visible, false)
            compare(child(bar, "chipName").text, "for rena.team@acme.io")
            compare(child(bar, "chipEmail").text, "rena.team@acme.io")
            compare(child(bar, "helpText").text,
                    "Their name and email are filled in. They click a time, confirm, and the invite goes out.")

            // Clearing the chip brings back an empty field.
            fixture.store.availPreview = "old times"
            click(child(bar, "clearChoiceButton"))
            compare(fixture.store.hasForWho, false)
            compare(fixture.store.forQuery, "")
            compare(fixture.store.availPreview, "")
            verify(field.visible)
            compare(field.text, "")
        }

        function test_helpTextFollowsATypedAddress() {
            const bar = showBar()
            const help = child(bar, "helpText")
            compare(help.text, "Paste into any email or DM. They click a time and confirm. ⌃⌥A copies without opening Vesk.")
            click(child(bar, "personField"))
            type("ana@x.io")
            tryCompare(help, "text",
                       "Their name and email are filled in. They click a time, confirm, and the invite goes out.")
            compare(fixture.store.hasForWho, false)
            keyClick(Qt.Key_Backspace)
            keyClick(Qt.Key_Backspace)
            keyClick(Qt.Key_Backspace)
            tryCompare(help, "text", "Paste into any email or DM. They click a time and confirm. ⌃⌥A copies without opening Vesk.")
        }

        function test_returnCopiesForTheTypedAddress() {
            const bar = showBar()
            fixture.reply("POST", "/api/app/availability", 200, { text: "Thu 9:00" })
            click(child(bar, "personField"))
            type("ana@x.io")
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
            const error = child(bar, "availErrorText")
            tryCompare(error, "text", "Calendar not connected.")
            verify(error.visible)
            compare(child(bar, "copyLabel").text, "Copy availability")
        }
    }
}
