// SPDX-License-Identifier: MIT
import QtQuick
import QtTest
import Vesk
import "feed.js" as Feed

Item {
    id: root
    width: 440
    height: 1400

    Component {
        id: panelComponent
        Panel {}
    }

    ViewTestCase {
        name: "Rows"

        function showPanel(meetings) {
            const panel = createTemporaryObject(panelComponent, root, { store: startStore(true, meetings) })
            verify(panel)
            return panel
        }

        // The list makes its rows when it lays out, on screen as on the first frame.
        function row(panel, id) {
            settle()
            return child(panel, "row:" + id)
        }

        // A row's action area exists only while it is open (or closing).
        function isOpen(panel, id) {
            const area = findChild(row(panel, id), "actionArea")
            return area !== null && area.visible
        }

        // Clicks a row's header and waits for its action area to reach its full height (or none).
        function clickHeader(panel, id) {
            const r = row(panel, id)
            click(child(r, "rowHeader"), 140, 10)
            const clip = child(r, "actionClip")
            tryVerify(() => {
                if (!r.isOpen)
                    return !clip.visible && findChild(r, "actionArea") === null
                const area = findChild(r, "actionArea")
                return area !== null && Math.abs(clip.height - area.implicitHeight - 14) < 0.5
            }, 3000, "the action area settles")
        }

        function test_oneOpenRowAtATime() {
            const panel = showPanel([Feed.meeting(fixture, "a", 60, 30), Feed.meeting(fixture, "b", 120, 30)])
            compare(isOpen(panel, "a"), false)
            clickHeader(panel, "a")
            compare(panel.expanded, "a")
            verify(isOpen(panel, "a"))
            clickHeader(panel, "b")
            compare(panel.expanded, "b")
            tryVerify(() => !isOpen(panel, "a"))
            verify(isOpen(panel, "b"))
            clickHeader(panel, "b")
            compare(panel.expanded, "")

            // Keyboard: the header takes focus and Return toggles it.
            child(row(panel, "a"), "rowHeader").forceActiveFocus()
            keyClick(Qt.Key_Return)
            compare(panel.expanded, "a")
        }

        function test_refreshKeepsTheOpenRow() {
            const panel = showPanel([Feed.meeting(fixture, "a", 60, 30), Feed.meeting(fixture, "b", 120, 30)])
            clickHeader(panel, "b")
            const before = row(panel, "b")
            fixture.reply("GET", "/api/today", 200, Feed.feed([
                Feed.meeting(fixture, "c", 30, 30),
                Feed.meeting(fixture, "b", 120, 30, { status: "at_risk", title: "Moved call" })
            ]))
            fixture.store.refresh()
            tryCompare(child(before, "titleText"), "text", "Moved call")
            verify(row(panel, "b") === before, "the row of a still-listed meeting is kept")
            compare(panel.expanded, "b")
            verify(isOpen(panel, "b"))
            compare(findChild(panel, "row:a"), null)
            verify(row(panel, "c"))
        }

        function test_headerTexts() {
            const panel = showPanel([Feed.meeting(fixture, "a", -15, 45, {
                watched: true, room: "other", status: "unconfirmed", action: "Send the agenda",
                people: [{ name: "Rena", email: "r@x.io", rsvp: "accepted" },
                         { name: "Ivo", email: "i@x.io", rsvp: "declined" }]
            })])
            const r = row(panel, "a")
            compare(child(r, "timeText").text,
                    Qt.formatTime(new Date(2025, 2, 4, 9, 45), Qt.locale().timeFormat(Locale.ShortFormat)))
            verify(child(r, "nowText").visible)
            compare(child(r, "attendeesText").text, "Rena ✓, Ivo ✗")
            compare(child(r, "statusText").color, Pal.amber)
            compare(child(r, "roomText").text, "· Video")
            verify(child(r, "watchedText").visible)
            compare(child(r, "nextStepText").text, "Send the agenda")
            verify(child(r, "nextStepText").visible)
            compare(child(r, "riskBar").color, Pal.green)
        }

        function test_joinAndChevron_data() {
            return [
                { tag: "before the start", start: 60, join: true, tint: "violet" },
                { tag: "starts now", start: 0, join: true, tint: "green" },
                { tag: "after the end", start: -60, join: false },
            ]
        }

        function test_joinAndChevron(data) {
            const panel = showPanel([Feed.meeting(fixture, "a", data.start, 30, { joinUrl: "https://meet.example/abc" })])
            const r = row(panel, "a")
            const join = child(r, "joinButton")
            compare(join.visible, data.join)
            compare(child(r, "chevron").visible, !data.join)
            if (data.join) {
                compare(join.tint, data.tint === "green" ? Pal.green : Pal.violet)
                click(join)
                compare(fixture.opened(), ["https://meet.example/abc"])
                compare(panel.expanded, "", "Join does not open the row")
            }
        }

        // The buttons of an open row, and the fading of a closed one.
        function test_buttonsPerMoment_data() {
            return [
                { tag: "ended no-show", start: -60, status: "no_show", join: null, opacity: 0.72,
                  buttons: ["Vesk", "No-show", "Draft follow-up", "Rebook"] },
                { tag: "ended unconfirmed", start: -60, status: "unconfirmed", join: null, opacity: 1,
                  buttons: ["Vesk", "No-show", "Draft follow-up"] },
                { tag: "upcoming, a link that does not parse", start: 60, status: "no_show",
                  join: "https://z example/1", opacity: 1, buttons: ["Propose times", "Email", "Copy link"] },
                { tag: "live without a link", start: -5, status: "confirmed", join: null, opacity: 1,
                  buttons: ["Propose times", "Email"] },
            ]
        }

        function test_buttonsPerMoment(data) {
            const panel = showPanel([Feed.meeting(fixture, "a", data.start, 30, { status: data.status, joinUrl: data.join })])
            const r = row(panel, "a")
            compare(r.opacity, data.opacity)
            clickHeader(panel, "a")
            compare(r.opacity, 1)
            const names = ["veskButton", "noShowButton", "draftButton", "rebookButton", "proposeButton", "emailButton",
                           "copyLinkButton"]
            compare(names.map(n => child(r, n)).filter(b => b.visible).map(b => b.text), data.buttons)
            if (data.join) {
                // No "Join" for a link that does not parse, but "Copy link" copies its raw text.
                compare(child(r, "joinButton").visible, false)
                click(child(r, "copyLinkButton"))
                compare(fixture.copiedTexts(), [data.join])
            }
        }

        // A control that is not shown neither acts nor is offered to a screen reader: a closed
        // row offers none of its actions, an open upcoming one no "No-show".
        function test_accessibilityOffersShownControlsOnly() {
            const panel = showPanel([Feed.meeting(fixture, "a", 60, 30), Feed.meeting(fixture, "b", -60, 30)])
            fixture.reply("POST", "/api/app/meetings/b/no_show", 200, {})
            settle()
            compare(fixture.pressAccessible(panel, "No-show"), 0)
            compare(fixture.pressAccessible(panel, "Propose times"), 0)
            clickHeader(panel, "a")
            compare(fixture.pressAccessible(panel, "No-show"), 0)
            clickHeader(panel, "b")
            compare(fixture.pressAccessible(panel, "No-show"), 1)
            tryVerify(() => fixture.requestCount("/api/app/meetings/b/no_show") === 1, 3000,
                      "the shown button sends its mark")
            compare(fixture.requestCount("/api/app/meetings/a/no_show"), 0)

            // The same for the panel's text buttons: no update offered, no "Update to" to press.
            compare(fixture.pressAccessible(panel, "Refresh"), 1)
            compare(fixture.pressAccessible(panel, "Update to "), 0)
            compare(fixture.opened(), [])
        }

        function test_draftCard() {
            const panel = showPanel([Feed.meeting(fixture, "a", -60, 30, {
                people: [{ name: "Rena", email: "r@x.io", rsvp: "accepted" }]
            })])
            fixture.reply("POST", "/api/app/meetings/a/draft", 200,
                          { subject: "Next steps & notes", body: "Hi Rena,\nthanks!", basis: ["call notes"] }, 300)
            clickHeader(panel, "a")
            const r = row(panel, "a")
            compare(findChild(r, "draftCard"), null)
            click(child(r, "draftButton"))
            // While the request runs: "Working…", and the buttons stay enabled.
            tryVerify(() => findChild(r, "workingText") !== null && findChild(r, "workingText").visible)
            verify(child(r, "draftButton").enabled)
            tryVerify(() => findChild(r, "draftCard") !== null && findChild(r, "draftCard").visible)
            compare(findChild(r, "workingText"), null)
            compare(child(r, "draftSubject").text, "Next steps & notes")
            // The body is shown as laid-out text, its line break as a separator.
            const body = child(r, "draftBody")
            compare(body.getText(0, body.length).replace(/[\u2028\u2029]/g, "\n"), "Hi Rena,\nthanks!")
            compare(child(r, "draftNote").text, "Based on: call notes")

            click(child(r, "copyDraftButton"))
            compare(fixture.copiedTexts(), ["Subject: Next steps & notes\n\nHi Rena,\nthanks!"])
            click(child(r, "openInMailButton"))
            compare(fixture.opened(), ["mailto:r@x.io?subject=Next%20steps%20%26%20notes&body=Hi%20Rena%2C%0Athanks%21"])
        }

        // An address that makes the mail link unparsable removes "Email"; no attendees still offer it.
        function test_emailNeedsValidAddresses() {
            const panel = showPanel([
                Feed.meeting(fixture, "a", 60, 30, { people: [{ name: "Ivo", email: "ivo x.io", rsvp: "" }] }),
                Feed.meeting(fixture, "b", 90, 30, { people: [] })
            ])
            clickHeader(panel, "a")
            compare(child(row(panel, "a"), "emailButton").visible, false)
            clickHeader(panel, "b")
            verify(child(row(panel, "b"), "emailButton").visible)
        }

        function test_linksAndActionError() {
            const panel = showPanel([Feed.meeting(fixture, "a", 60, 30, {
                people: [{ name: "Rena", email: "r@x.io", rsvp: "" }, { name: "Ivo", email: "i@x.io", rsvp: "" }]
            })])
            fixture.reply("POST", "/api/app/meetings/a/propose", 200, { error: "No open times this week." })
            clickHeader(panel, "a")
            const r = row(panel, "a")
            click(child(r, "emailButton"))
            click(child(r, "openInVeskButton"))
            const base = fixture.store.apiBase.toString().replace(/\/$/, "")
            compare(fixture.opened().map(u => u.replace(/\/$/, "")), ["mailto:r@x.io,i@x.io", base])
            click(child(r, "proposeButton"))
            tryCompare(child(r, "actionErrorText"), "text", "No open times this week.")
            verify(child(r, "actionErrorText").visible)
            compare(findChild(r, "draftCard"), null)
        }
    }
}
