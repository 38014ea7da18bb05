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

    ViewTestCase {
        name: "QuickAdd"

        // A bar whose quick-add request answers `draft`, submitted from the field with Return.
        function showDraft(draft) {
            const store = startStore(true, [], () => fixture.reply("POST", "/api/app/quick-add", 200, draft))
            const bar = createTemporaryObject(barComponent, root, { store: store })
            click(child(bar, "quickAddField"))
            type("ivo and rena tomorrow")
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
                { tag: "no people", draft: Feed.draft({ people: [] }), label: "Add to calendar", enabled: true },
                { tag: "no time, nameless first", draft: Feed.draft({ when: null, people: [without, withMail] }),
                  label: "Copy times for them", enabled: true },
                { tag: "no time, first name", draft: Feed.draft({ when: null, people: [withMail] }),
                  label: "Copy times for Rena", enabled: true },
            ]
        }

        function test_mainButton(data) {
            const bar = showDraft(data.draft)
            const main = child(bar, "mainButton")
            compare(main.text, data.label)
            compare(main.enabled, data.enabled)
            const hasWhen = data.draft.when !== undefined
            compare(child(bar, "conferencePicker").visible, hasWhen)
            compare(child(bar, "conference:zoom").visible, false, "Zoom only with hasZoom")
            compare(child(bar, "timeLine").text,
                    hasWhen ? "Wed 10:00 · 30 min" : "No time given. I can send them your open times instead.")
        }

        function test_mainButtonDisabledWhileBusy() {
            const bar = showDraft(Feed.draft({ people: [] }))
            fixture.hold("POST", "/api/app/quick-add/create")
            const main = child(bar, "mainButton")
            click(main)
            tryVerify(() => fixture.store.qaBusy)
            compare(main.enabled, false)
            verify(child(bar, "quickAddSpinner").visible)
        }

        function test_createSendsTheEditedDraft() {
            const bar = showDraft(Feed.draft({ people: [Feed.person("Rena", "Rena Ortiz", "rena@acme.io")], hasZoom: true }))
            fixture.reply("POST", "/api/app/quick-add/create", 200, { ok: true })
            const title = child(bar, "titleField")
            compare(title.text, "Ivo <> Rena")
            verify(child(bar, "conference:meet").checked)
            title.selectAll()
            title.forceActiveFocus()
            keyClick(Qt.Key_Delete)
            type("Kickoff")
            click(child(bar, "conference:zoom"))
            compare(child(bar, "conference:meet").checked, false)
            click(child(bar, "mainButton"))
            tryVerify(() => !fixture.store.hasQaDraft)
            const sent = fixture.lastBody("/api/app/quick-add/create")
            compare(sent.title, "Kickoff")
            compare(sent.conference, "zoom")
            compare(sent.emails, ["rena@acme.io"])
        }

        function test_candidateMenus() {
            const bar = showDraft(Feed.draft({ people: [
                Feed.person("Rena", "Rena Ortiz", "rena@acme.io",
                            [Feed.hit("Rena Ortiz", "rena@acme.io", "Acme"), Feed.hit(null, "r.berg@berg.dk", "Berg")]),
                Feed.person("Nils", null, null, [Feed.hit("Nils Berg", "nils@fjord.no", "")]),
                Feed.person("Ivo", null, null)
            ] }))
            // With an address: "Not them?"; with candidates only: "Which …?" and "Choose"; neither: the
            // address field and no menu.
            const [first, second, third] = [0, 1, 2].map(i => personRow(bar, i))
            compare(child(first, "personEmail").text, "rena@acme.io")
            compare(child(first, "candidatesButton").text, "Not them?")
            compare(child(first, "addressField").visible, false)
            compare(child(second, "whichText").text, "Which Nils?")
            compare(child(second, "candidatesButton").text, "Choose")
            compare(child(second, "addressField").visible, false)
            compare(child(third, "addressField").placeholderText, "Ivo's email")
            verify(child(third, "addressField").visible)
            compare(child(third, "candidatesButton").visible, false)

            // The name-less candidate is labelled by its address, and shown by it once chosen.
            click(child(first, "candidatesButton"))
            const menu = child(first, "candidatesMenu")
            tryVerify(() => menu.opened)
            compare(child(menu.contentItem, "candidate:rena@acme.io").text, "Rena Ortiz  ·  rena@acme.io")
            const pick = child(menu.contentItem, "candidate:r.berg@berg.dk")
            compare(pick.text, "r.berg@berg.dk  ·  r.berg@berg.dk")
            click(pick)
            tryVerify(() => !menu.visible)
            compare(fixture.store.qaDraft.people[0].email, "r.berg@berg.dk")
            compare(fixture.store.qaDraft.people[0].hasName, false)
            compare(child(first, "personName").text, "r.berg@berg.dk")

            // Choosing for the second person fills in both fields.
            click(child(second, "candidatesButton"))
            const secondMenu = child(second, "candidatesMenu")
            tryVerify(() => secondMenu.opened)
            click(child(secondMenu.contentItem, "candidate:nils@fjord.no"))
            tryCompare(child(second, "personName"), "text", "Nils Berg")
            compare(fixture.store.qaDraft.people[1].email, "nils@fjord.no")
            compare(child(second, "candidatesButton").text, "Not them?")
        }

        // A whole address typed for a person is theirs at once, so one click on "Create & invite"
        // creates with it; blank text means none, and the field keeps its place while typed in.
        function test_typedAddressThenCreate() {
            const bar = showDraft(Feed.draft({ people: [
                Feed.person("Rena", "Rena Ortiz", "rena@acme.io"),
                Feed.person("Ivo", null, null)
            ] }))
            fixture.reply("POST", "/api/app/quick-add/create", 200, { ok: true })
            const main = child(bar, "mainButton")
            compare(main.text, "Create & invite")
            const row = personRow(bar, 1)
            const field = child(row, "addressField")
            click(field)
            type("  ")
            keyClick(Qt.Key_Return)
            compare(fixture.store.qaDraft.people[1].hasEmail, false)
            keyClick(Qt.Key_Backspace)
            keyClick(Qt.Key_Backspace)
            type("ivo@x.i")
            compare(main.enabled, false, "not a whole address yet")
            compare(fixture.store.qaDraft.people[1].hasEmail, false)
            type("o")
            verify(main.enabled)
            verify(field.visible, "still on screen while it has the focus")
            verify(field.activeFocus)
            click(main)
            tryVerify(() => !fixture.store.hasQaDraft)
            compare(fixture.lastBody("/api/app/quick-add/create").emails, ["rena@acme.io", "ivo@x.io"])
        }

        // Text that is not a whole address is stored as typed once the field is left.
        function test_partialAddressStoredOnLeaving() {
            const bar = showDraft(Feed.draft({ people: [Feed.person("Ivo", null, null)] }))
            const row = personRow(bar, 0)
            const field = child(row, "addressField")
            click(field)
            type("ivo@x")
            compare(fixture.store.qaDraft.people[0].hasEmail, false)
            child(bar, "titleField").forceActiveFocus()
            compare(fixture.store.qaDraft.people[0].email, "ivo@x")
            compare(field.visible, false)
            compare(child(row, "personEmail").text, "ivo@x")
        }

        function test_cancelKeepsTheSentence() {
            const bar = showDraft(Feed.draft())
            click(child(bar, "cancelButton"))
            compare(fixture.store.hasQaDraft, false)
            tryVerify(() => findChild(bar, "quickAddCard") === null, 1000, "the card goes with the draft")
            compare(child(bar, "quickAddField").text, "ivo and rena tomorrow")
        }

        function test_copyTimesEmptiesTheSentence() {
            const bar = showDraft(Feed.draft({ when: null, durationMin: 45,
                                              people: [Feed.person("Rena", "Rena Ortiz", "rena@acme.io")] }))
            fixture.reply("POST", "/api/app/availability", 200, { text: "Tue 10:00" })
            click(child(bar, "mainButton"))
            tryVerify(() => !fixture.store.hasQaDraft)
            compare(child(bar, "quickAddField").text, "")
            const sent = fixture.lastBody("/api/app/availability")
            compare(sent.durationMin, 45)
            compare(sent.email, "rena@acme.io")
            compare(sent.name, "Rena Ortiz")
        }

        function test_error() {
            const store = startStore(true, [], () => fixture.reply("POST", "/api/app/quick-add", 200, { error: "Say when." }))
            const bar = createTemporaryObject(barComponent, root, { store: store })
            store.qaText = "lunch"
            compare(child(bar, "quickAddField").text, "lunch")
            child(bar, "quickAddField").forceActiveFocus()
            keyClick(Qt.Key_Return)
            tryCompare(child(bar, "qaErrorText"), "text", "Say when.")
            verify(child(bar, "qaErrorText").visible)
            compare(child(bar, "qaDoneText").visible, false)
        }
    }
}
