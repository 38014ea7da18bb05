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
        QuickAddBar {
            width: 440
        }
    }

    TestCase {
        id: testCase
        name: "QuickAdd"
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

        // A bar on a fresh Store whose quick-add request answers `draft`, submitted from the field.
        function showDraft(draft) {
            fixture.resetServer()
            fixture.reply("GET", "/api/today", 200, Feed.feed([]))
            fixture.reply("POST", "/api/app/quick-add", 200, draft)
            const store = fixture.startKeepingScript(true)
            const bar = createTemporaryObject(barComponent, root, { store: store })
            const field = child(bar, "quickAddField")
            click(field)
            type("ivo and rena tomorrow")
            compare(store.qaText, "ivo and rena tomorrow")
            keyClick(Qt.Key_Return)
            tryVerify(() => store.hasQaDraft, 5000)
            compare(fixture.lastBody("/api/app/quick-add").text, "ivo and rena tomorrow")
            verify(child(bar, "quickAddCard").visible)
            return bar
        }

        function personRow(bar, i) {
            return child(bar, "personRow" + i)
        }

        function test_mainButton_data() {
            const withMail = Feed.person("Rena", "Rena Ortiz", "rena@acme.io")
            const without = Feed.person("Ivo", null, null)
            return [
                { tag: "create", draft: Feed.draft({ people: [withMail] }), label: "Create & invite", enabled: true },
                { tag: "create, an address missing", draft: Feed.draft({ people: [withMail, without] }),
                  label: "Create & invite", enabled: false },
                { tag: "no people", draft: Feed.draft({ people: [] }), label: "Add to calendar", enabled: true },
                { tag: "no time", draft: Feed.draft({ when: null, people: [without, withMail] }),
                  label: "Copy times for them", enabled: true },
                { tag: "no time, first name", draft: Feed.draft({ when: null, people: [withMail] }),
                  label: "Copy times for Rena", enabled: true },
                { tag: "no time, no people", draft: Feed.draft({ when: null }), label: "Copy times for them",
                  enabled: true },
            ]
        }

        function test_mainButton(data) {
            const bar = showDraft(data.draft)
            const main = child(bar, "mainButton")
            compare(main.text, data.label)
            compare(main.enabled, data.enabled)
            const hasWhen = data.draft.when !== undefined
            compare(child(bar, "conferencePicker").visible, hasWhen)
            compare(child(bar, "timeLine").text,
                    hasWhen ? "Wed 10:00 · 30 min" : "No time given. I can send them your open times instead.")
        }

        function test_mainButtonDisabledWhileBusy() {
            const bar = showDraft(Feed.draft({ people: [] }))
            fixture.hold("POST", "/api/app/quick-add/create")
            const main = child(bar, "mainButton")
            verify(main.enabled)
            click(main)
            tryVerify(() => fixture.store.qaBusy)
            compare(main.enabled, false)
            verify(child(bar, "quickAddSpinner").visible)
            tryVerify(() => fixture.requestCount("/api/app/quick-add/create") === 1)
        }

        function test_createSendsTheEditedDraft() {
            const bar = showDraft(Feed.draft({ people: [Feed.person("Rena", "Rena Ortiz", "rena@acme.io")], hasZoom: true }))
            fixture.reply("POST", "/api/app/quick-add/create", 200, { ok: true })
            const title = child(bar, "titleField")
            compare(title.text, "Ivo <> Rena")
            title.selectAll()
            title.forceActiveFocus()
            keyClick(Qt.Key_Delete)
            type("Kickoff")
            compare(fixture.store.qaDraft.title, "Kickoff")
            click(child(bar, "conference:zoom"))
            compare(fixture.store.qaDraft.conference, "zoom")
            click(child(bar, "mainButton"))
            tryVerify(() => !fixture.store.hasQaDraft)
            const sent = fixture.lastBody("/api/app/quick-add/create")
            compare(sent.title, "Kickoff")
            compare(sent.conference, "zoom")
            compare(sent.emails, ["rena@acme.io"])
        }

        function test_zoomOnlyWithHasZoom_data() {
            return [{ tag: "without", hasZoom: false }, { tag: "with", hasZoom: true }]
        }

        function test_zoomOnlyWithHasZoom(data) {
            const bar = showDraft(Feed.draft({ hasZoom: data.hasZoom }))
            compare(child(bar, "conference:zoom").visible, data.hasZoom)
            verify(child(bar, "conference:meet").visible)
            verify(child(bar, "conference:none").visible)
            verify(child(bar, "conference:meet").checked)
            click(child(bar, "conference:none"))
            compare(fixture.store.qaDraft.conference, "none")
            verify(child(bar, "conference:none").checked)
            compare(child(bar, "conference:meet").checked, false)
        }

        function test_candidateMenus() {
            const rena = Feed.hit("Rena Ortiz", "rena@acme.io", "Acme")
            const nameless = Feed.hit(null, "r.berg@berg.dk", "Berg")
            const bar = showDraft(Feed.draft({ people: [
                Feed.person("Rena", "Rena Ortiz", "rena@acme.io", [rena, nameless]),
                Feed.person("Nils", null, null, [Feed.hit("Nils Berg", "nils@fjord.no", "")]),
                Feed.person("Ivo", null, null)
            ] }))
            // With an address: the two texts and "Not them?".
            const first = personRow(bar, 0)
            compare(child(first, "personName").text, "Rena Ortiz")
            compare(child(first, "personEmail").text, "rena@acme.io")
            compare(child(first, "candidatesButton").text, "Not them?")
            compare(child(first, "addressField").visible, false)
            // Without an address but with candidates: "Which …?" and "Choose".
            const second = personRow(bar, 1)
            verify(child(second, "whichText").visible)
            compare(child(second, "whichText").text, "Which Nils?")
            compare(child(second, "candidatesButton").text, "Choose")
            compare(child(second, "addressField").visible, false)
            // Neither: the address field and no menu.
            const third = personRow(bar, 2)
            verify(child(third, "addressField").visible)
            compare(child(third, "addressField").placeholderText, "Ivo's email")
            compare(child(third, "candidatesButton").visible, false)

            // The menu lists the candidates; the name-less one is labelled by its address.
            click(child(first, "candidatesButton"))
            const menu = child(first, "candidatesMenu")
            tryVerify(() => menu.opened)
            compare(child(menu.contentItem, "candidate:rena@acme.io").text, "Rena Ortiz  ·  rena@acme.io")
            const pick = child(menu.contentItem, "candidate:r.berg@berg.dk")
            compare(pick.text, "r.berg@berg.dk  ·  r.berg@berg.dk")
            click(pick)
            tryVerify(() => !menu.visible)
            const person = fixture.store.qaDraft.people[0]
            compare(person.email, "r.berg@berg.dk")
            compare(person.hasName, false)
            // The row now shows the address twice.
            compare(child(first, "personName").text, "r.berg@berg.dk")
            compare(child(first, "personEmail").text, "r.berg@berg.dk")

            // Choosing for the second person fills in both fields.
            click(child(second, "candidatesButton"))
            const secondMenu = child(second, "candidatesMenu")
            tryVerify(() => secondMenu.opened)
            click(child(secondMenu.contentItem, "candidate:nils@fjord.no"))
            tryCompare(child(second, "personName"), "text", "Nils Berg")
            compare(fixture.store.qaDraft.people[1].email, "nils@fjord.no")
            compare(child(second, "candidatesButton").text, "Not them?")
        }

        // The address field keeps its place while typed in, and its text becomes the address only on
        // Return or when the focus leaves it.
        function test_addressFieldTakesAWholeAddress() {
            const bar = showDraft(Feed.draft({ people: [
                Feed.person("Rena", "Rena Ortiz", "rena@acme.io"),
                Feed.person("Ivo", null, null)
            ] }))
            const main = child(bar, "mainButton")
            compare(main.text, "Create & invite")
            compare(main.enabled, false)
            const row = personRow(bar, 1)
            const field = child(row, "addressField")
            click(field)
            type("i")
            verify(field.visible, "the field stays after one character")
            compare(fixture.store.qaDraft.people[1].hasEmail, false)
            type("vo@x.io")
            verify(field.visible)
            compare(field.text, "ivo@x.io")
            compare(main.enabled, false)
            keyClick(Qt.Key_Return)
            compare(fixture.store.qaDraft.people[1].email, "ivo@x.io")
            verify(field.visible, "still on screen while it has the focus")
            verify(field.activeFocus)
            verify(main.enabled)

            // Correcting it and leaving the field commits the new text.
            keyClick(Qt.Key_Backspace)
            keyClick(Qt.Key_Backspace)
            type("de")
            compare(fixture.store.qaDraft.people[1].email, "ivo@x.io")
            child(bar, "titleField").forceActiveFocus()
            compare(fixture.store.qaDraft.people[1].email, "ivo@x.de")
            compare(field.visible, false)
            compare(child(row, "personEmail").text, "ivo@x.de")
        }

        function test_emptyAddressMeansNone() {
            const bar = showDraft(Feed.draft({ people: [Feed.person("Ivo", null, null)] }))
            const row = personRow(bar, 0)
            const field = child(row, "addressField")
            click(field)
            type("  ")
            keyClick(Qt.Key_Tab)
            compare(fixture.store.qaDraft.people[0].hasEmail, false)
            verify(field.visible)
            compare(child(bar, "mainButton").enabled, false)
        }

        function test_cancelKeepsTheSentence() {
            const bar = showDraft(Feed.draft())
            click(child(bar, "cancelButton"))
            compare(fixture.store.hasQaDraft, false)
            compare(fixture.store.qaText, "ivo and rena tomorrow")
            compare(child(bar, "quickAddCard").visible, false)
            compare(child(bar, "quickAddField").text, "ivo and rena tomorrow")
        }

        function test_copyTimesEmptiesTheSentence() {
            const bar = showDraft(Feed.draft({ when: null, durationMin: 45,
                                              people: [Feed.person("Rena", "Rena Ortiz", "rena@acme.io")] }))
            fixture.reply("POST", "/api/app/availability", 200, { text: "Tue 10:00" }, 200)
            click(child(bar, "mainButton"))
            tryVerify(() => !fixture.store.hasQaDraft)
            compare(fixture.store.qaText, "")
            compare(child(bar, "quickAddField").text, "")
            const sent = fixture.lastBody("/api/app/availability")
            compare(sent.durationMin, 45)
            compare(sent.email, "rena@acme.io")
            compare(sent.name, "Rena Ortiz")
        }

        function test_errorAndDone() {
            fixture.resetServer()
            fixture.reply("GET", "/api/today", 200, Feed.feed([]))
            fixture.reply("POST", "/api/app/quick-add", 200, { error: "Say when." })
            const store = fixture.startKeepingScript(true)
            const bar = createTemporaryObject(barComponent, root, { store: store })
            store.qaText = "lunch"
            compare(child(bar, "quickAddField").text, "lunch")
            child(bar, "quickAddField").forceActiveFocus()
            keyClick(Qt.Key_Return)
            const error = child(bar, "qaErrorText")
            tryCompare(error, "text", "Say when.")
            verify(error.visible)
            compare(child(bar, "qaDoneText").visible, false)
        }
    }
}
