// SPDX-License-Identifier: MIT
// The quick-add bar with its draft card, and the availability bar.
import QtQuick
import QtTest
import Vesk
import "feed.js" as Feed

Item {
    id: root
    width: 440
    height: 900

    Component {
        id: quickAddComponent
        QuickAddBar {
            width: 440
        }
    }
    Component {
        id: availabilityComponent
        AvailabilityBar {
            width: 440
        }
    }

    ViewTestCase {
        name: "Bars"

        readonly property string personHelp:
            "Their name and email are filled in. They click a time, confirm, and the invite goes out."

        // A quick-add bar whose request answers `draft`, submitted from the field with Return.
        function showDraft(draft) {
            const store = startStore(true, [], () => fixture.reply("POST", "/api/app/quick-add", 200, draft))
            const bar = createTemporaryObject(quickAddComponent, root, { store: store })
            click(child(bar, "quickAddField"))
            type("ivo and rena tomorrow")
            keyClick(Qt.Key_Return)
            tryVerify(() => store.hasQaDraft, 5000)
            compare(fixture.lastRequest("/api/app/quick-add").body.text, "ivo and rena tomorrow")
            verify(child(bar, "quickAddCard").visible)
            return bar
        }

        function test_mainButton_data() {
            const withMail = Feed.person("Rena", "Rena Ortiz", "rena@acme.io")
            return [
                { tag: "no people", draft: Feed.draft({ people: [] }), label: "Add to calendar" },
                { tag: "no time, nameless first", label: "Copy times for them",
                  draft: Feed.draft({ when: null, people: [Feed.person("Ivo", null, null), withMail] }) },
                { tag: "no time, first name", draft: Feed.draft({ when: null, people: [withMail] }),
                  label: "Copy times for Rena" },
            ]
        }

        function test_mainButton(data) {
            const bar = showDraft(data.draft)
            compare(child(bar, "mainButton").text, data.label)
            verify(child(bar, "mainButton").enabled)
            const hasWhen = data.draft.when !== undefined
            compare(child(bar, "conferencePicker").visible, hasWhen)
            compare(child(bar, "conference:zoom").visible, false, "Zoom only with hasZoom")
            compare(child(bar, "timeLine").text,
                    hasWhen ? "Wed 10:00 · 30 min" : "No time given. I can send them your open times instead.")
        }

        // The edited title and conference are sent; while that runs the button is disabled.
        function test_createSendsTheEditedDraft() {
            const bar = showDraft(Feed.draft({ people: [Feed.person("Rena", "Rena Ortiz", "rena@acme.io")], hasZoom: true }))
            fixture.hold("POST", "/api/app/quick-add/create")
            const title = child(bar, "titleField")
            compare(title.text, "Ivo <> Rena")
            title.selectAll()
            title.forceActiveFocus()
            keyClick(Qt.Key_Delete)
            type("Kickoff")
            verify(child(bar, "conference:meet").checked)
            click(child(bar, "conference:zoom"))
            compare(child(bar, "conference:meet").checked, false)
            const main = child(bar, "mainButton")
            click(main)
            tryVerify(() => fixture.lastRequest("/api/app/quick-add/create").body !== undefined)
            compare(main.enabled, false)
            verify(child(bar, "quickAddSpinner").visible)
            const sent = fixture.lastRequest("/api/app/quick-add/create").body
            compare([sent.title, sent.conference, sent.emails], ["Kickoff", "zoom", ["rena@acme.io"]])
        }

        // With an address: "Not them?"; with candidates only: "Which …?" and "Choose"; neither: the
        // address field. A name-less candidate is labelled, and shown, by its address. A whole address
        // typed is theirs at once, so one click on "Create & invite" creates with it.
        function test_peopleThenCreate() {
            const bar = showDraft(Feed.draft({ people: [
                Feed.person("Rena", "Rena Ortiz", "rena@acme.io",
                            [Feed.hit("Rena Ortiz", "rena@acme.io", "Acme"), Feed.hit(null, "r.berg@berg.dk", "Berg")]),
                Feed.person("Nils", null, null, [Feed.hit("Nils Berg", "nils@fjord.no", "")]),
                Feed.person("Ivo", null, null)
            ] }))
            fixture.reply("POST", "/api/app/quick-add/create", 200, { ok: true })
            const [first, second, third] = [0, 1, 2].map(i => child(bar, "personRow" + i))
            compare(child(first, "candidatesButton").text, "Not them?")
            compare(child(first, "addressField").visible, false)
            compare(child(second, "whichText").text, "Which Nils?")
            compare(child(second, "candidatesButton").text, "Choose")
            compare(child(third, "addressField").placeholderText, "Ivo's email")
            compare(child(third, "candidatesButton").visible, false)
            const main = child(bar, "mainButton")
            compare(main.text, "Create & invite")

            const choose = (row, email) => {
                click(child(row, "candidatesButton"))
                const menu = child(row, "candidatesMenu")
                tryVerify(() => menu.opened)
                const pick = child(menu.contentItem, "candidate:" + email)
                const text = pick.text
                click(pick)
                tryVerify(() => !menu.visible)
                return text
            }
            compare(choose(first, "r.berg@berg.dk"), "r.berg@berg.dk  ·  r.berg@berg.dk")
            compare(child(first, "personName").text, "r.berg@berg.dk")
            compare(choose(second, "nils@fjord.no"), "Nils Berg  ·  nils@fjord.no")
            compare(child(second, "personName").text, "Nils Berg")

            const field = child(third, "addressField")
            click(field)
            type("ivo@x.i")
            compare(main.enabled, false, "not a whole address yet")
            type("o")
            verify(main.enabled)
            verify(field.visible && field.activeFocus, "still on screen while it has the focus")
            click(main)
            tryVerify(() => !fixture.store.hasQaDraft)
            compare(fixture.lastRequest("/api/app/quick-add/create").body.emails, ["r.berg@berg.dk", "nils@fjord.no", "ivo@x.io"])
        }

        function test_copyTimesEmptiesTheSentence() {
            const bar = showDraft(Feed.draft({ when: null, durationMin: 45,
                                              people: [Feed.person("Rena", "Rena Ortiz", "rena@acme.io")] }))
            fixture.reply("POST", "/api/app/availability", 200, { text: "Tue 10:00" })
            click(child(bar, "mainButton"))
            tryVerify(() => !fixture.store.hasQaDraft)
            compare(child(bar, "quickAddField").text, "")
            const sent = fixture.lastRequest("/api/app/availability").body
            compare([sent.durationMin, sent.email, sent.name], [45, "rena@acme.io", "Rena Ortiz"])
        }

        function test_copyButtonStates() {
            const bar = createTemporaryObject(availabilityComponent, root, { store: startStore(true, []) })
            const label = child(bar, "copyLabel")
            fixture.reply("POST", "/api/app/availability", 200, { text: "Tue 10:00\nWed 14:00" }, 400)
            click(child(bar, "copyButton"))
            tryCompare(label, "text", "Finding open times…")
            verify(child(bar, "copySpinner").visible)
            tryCompare(label, "text", "Copied. Paste anywhere", 5000)
            compare(child(bar, "previewText").text, "Tue 10:00\nWed 14:00")
            verify(child(bar, "previewBox").visible)
            // A new length drops the preview.
            child(bar, "lengthBox").activated(3)
            compare(fixture.store.forDuration, 60)
            compare(child(bar, "previewBox").visible, false)
        }

        function test_hitsAndChip() {
            const bar = createTemporaryObject(availabilityComponent, root, { store: startStore(true, []) })
            const hits = [Feed.hit(null, "rena.team@acme.io", "Acme")]
            for (let i = 1; i < 8; ++i)
                hits.push(Feed.hit("Person " + i, "p" + i + "@example.com", "Co " + i))
            fixture.reply("GET", "/api/app/people", 200, { people: hits })
            const field = child(bar, "personField")
            const help = child(bar, "helpText")
            click(field)
            type("re")
            tryCompare(child(bar, "hitList"), "visible", true)
            compare(Feed.visibleAll(bar, "hitName").map(t => t.text),
                    ["rena.team", "Person 1", "Person 2", "Person 3", "Person 4"])
            click(child(bar, "hit:rena.team@acme.io"))
            compare(fixture.store.forWho.email, "rena.team@acme.io")
            compare(field.visible, false)
            compare(child(bar, "chipName").text, "for rena.team@acme.io")
            compare(help.text, personHelp)
            click(child(bar, "clearChoiceButton"))
            compare(fixture.store.hasForWho, false)
            verify(field.visible)
            compare(field.text, "")
            compare(help.text, "Paste into any email or DM. They click a time and confirm. "
                               + "Bind a key to vesk-bar --copy-availability to copy from anywhere.")
            // A typed address counts as a person.
            click(field)
            type("ana@x.io")
            tryCompare(help, "text", personHelp)
            compare(fixture.store.hasForWho, false)
        }
    }
}
