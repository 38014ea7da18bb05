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

    TestCase {
        id: testCase
        name: "Rows"
        when: windowShown

        // Waits until no layout of the window has a pending polish, so positions are current.
        function settle() {
            const top = root.Window.window ? root.Window.window.contentItem : root
            tryVerify(() => Feed.descendants(top).every(i => !isPolishScheduled(i)), 3000, "layouts settle")
        }

        function click(item, x, y) {
            settle()
            // No row may be in its open or close animation.
            const top = root.Window.window ? root.Window.window.contentItem : root
            for (const clip of Feed.findAll(top, "actionClip")) {
                const area = clip.children[0]
                tryVerify(() => !clip.visible || Math.abs(clip.implicitHeight - area.implicitHeight - 14) < 0.5, 3000,
                          "rows settle")
            }
            settle()
            if (x === undefined)
                mouseClick(item)
            else
                mouseClick(item, x, y)
        }

        // A panel on a fresh Store whose first feed holds `meetings`.
        function showPanel(meetings) {
            fixture.resetServer()
            fixture.reply("GET", "/api/today", 200, Feed.feed(meetings))
            const store = fixture.startKeepingScript(true)
            const panel = createTemporaryObject(panelComponent, root, { store: store })
            verify(panel)
            tryVerify(() => store.lastUpdated.getTime() > 0, 5000, "the first feed load ends")
            return panel
        }

        function child(item, name) {
            const found = findChild(item, name)
            verify(found, "no item named " + name)
            return found
        }

        function row(panel, id) {
            return child(panel, "row:" + id)
        }

        function isOpen(panel, id) {
            return child(row(panel, id), "actionArea").visible
        }

        // Clicks a row's header and waits for its toggle animation to end.
        function clickHeader(panel, id) {
            const r = row(panel, id)
            click(child(r, "rowHeader"), 140, 10)
            settleRow(r)
        }

        // Waits until a row's action area has its full height (or none, closed).
        function settleRow(r) {
            const clip = child(r, "actionClip")
            const area = child(r, "actionArea")
            tryVerify(() => r.isOpen ? Math.abs(clip.height - area.implicitHeight - 14) < 0.5 : !clip.visible,
                      3000, "the action area settles")
        }

        function visibleButtons(rowItem) {
            const names = ["veskButton", "noShowButton", "draftButton", "rebookButton", "proposeButton", "emailButton",
                           "copyLinkButton"]
            return names.filter(n => child(rowItem, n).visible).map(n => child(rowItem, n).text)
        }

        function test_oneOpenRowAtATime() {
            const panel = showPanel([Feed.meeting(fixture, "a", 60, 30), Feed.meeting(fixture, "b", 120, 30)])
            compare(isOpen(panel, "a"), false)
            compare(isOpen(panel, "b"), false)
            clickHeader(panel, "a")
            compare(panel.expanded, "a")
            tryVerify(() => isOpen(panel, "a"))
            clickHeader(panel, "b")
            compare(panel.expanded, "b")
            tryVerify(() => !isOpen(panel, "a"))
            verify(isOpen(panel, "b"))
            clickHeader(panel, "b")
            compare(panel.expanded, "")
            tryVerify(() => !isOpen(panel, "b"))

            // Keyboard: the header takes focus and Return toggles it.
            const header = child(row(panel, "a"), "rowHeader")
            header.forceActiveFocus()
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
                         { name: "Ivo", email: "i@x.io", rsvp: "declined" },
                         { name: "Nils", email: "n@x.io", rsvp: "tentative" }]
            })])
            const r = row(panel, "a")
            compare(child(r, "timeText").text, Qt.formatTime(new Date(2025, 2, 4, 9, 45), Qt.locale().timeFormat(Locale.ShortFormat)))
            verify(child(r, "nowText").visible)
            compare(child(r, "attendeesText").text, "Rena ✓, Ivo ✗, Nils")
            compare(child(r, "statusText").text, "Unconfirmed")
            compare(child(r, "statusText").color, Pal.amber)
            compare(child(r, "roomText").text, "· Video")
            verify(child(r, "watchedText").visible)
            verify(child(r, "nextStepText").visible)
            compare(child(r, "nextStepText").text, "Send the agenda")
            compare(child(r, "riskBar").color, Pal.green)
            // The palette singleton and the C++ mappings agree.
            compare(Labels.statusColor(fixture.store.today[0]), Pal.amber)
        }

        function test_joinAndChevron_data() {
            return [
                { tag: "before the start", start: 60, join: true, tint: "violet" },
                { tag: "during", start: -10, join: true, tint: "green" },
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
                verify(join.filled)
                click(join)
                compare(fixture.opened(), ["https://meet.example/abc"])
                compare(panel.expanded, "", "Join does not open the row")
            }
        }

        function test_joinNeedsALinkThatParses() {
            const panel = showPanel([Feed.meeting(fixture, "a", 60, 30, { joinUrl: "https://meet example/a b" })])
            const r = row(panel, "a")
            compare(child(r, "joinButton").visible, false)
            verify(child(r, "chevron").visible)
            clickHeader(panel, "a")
            // "Copy link" still copies the raw text.
            click(child(r, "copyLinkButton"))
            compare(fixture.copiedTexts(), ["https://meet example/a b"])
        }

        function test_buttonsPerMoment_data() {
            return [
                { tag: "ended confirmed", start: -60, status: "confirmed", join: null,
                  buttons: ["Vesk", "No-show", "Draft follow-up"] },
                { tag: "ended no-show", start: -60, status: "no_show", join: null,
                  buttons: ["Vesk", "No-show", "Draft follow-up", "Rebook"] },
                { tag: "upcoming with a link", start: 60, status: "no_show", join: "https://z.example/1",
                  buttons: ["Propose times", "Email", "Copy link"] },
                { tag: "live without a link", start: -5, status: "confirmed", join: null,
                  buttons: ["Propose times", "Email"] },
            ]
        }

        function test_buttonsPerMoment(data) {
            const panel = showPanel([Feed.meeting(fixture, "a", data.start, 30, { status: data.status, joinUrl: data.join })])
            clickHeader(panel, "a")
            tryVerify(() => isOpen(panel, "a"))
            compare(visibleButtons(row(panel, "a")), data.buttons)
        }

        function test_fading() {
            const panel = showPanel([
                Feed.meeting(fixture, "done", -60, 30, { status: "confirmed" }),
                Feed.meeting(fixture, "pending", -60, 30, { status: "unconfirmed" }),
                Feed.meeting(fixture, "risky", -60, 30, { status: "at_risk" }),
                Feed.meeting(fixture, "ahead", 60, 30, { status: "confirmed" }),
            ])
            compare(row(panel, "done").opacity, 0.72)
            compare(row(panel, "pending").opacity, 1)
            compare(row(panel, "risky").opacity, 1)
            compare(row(panel, "ahead").opacity, 1)
            clickHeader(panel, "done")
            compare(row(panel, "done").opacity, 1)
        }

        function test_emailAndOpenInVesk() {
            const panel = showPanel([Feed.meeting(fixture, "a", 60, 30, {
                people: [{ name: "Rena", email: "r@x.io", rsvp: "" }, { name: "Ivo", email: "i@x.io", rsvp: "" }]
            })])
            clickHeader(panel, "a")
            const r = row(panel, "a")
            click(child(r, "emailButton"))
            click(child(r, "openInVeskButton"))
            const opened = fixture.opened()
            compare(opened[0], "mailto:r@x.io,i@x.io")
            compare(opened[1].replace(/\/$/, ""), fixture.store.apiBase.toString().replace(/\/$/, ""))
        }

        function test_draftCard() {
            const panel = showPanel([Feed.meeting(fixture, "a", -60, 30, {
                people: [{ name: "Rena", email: "r@x.io", rsvp: "accepted" }]
            })])
            fixture.reply("POST", "/api/app/meetings/a/draft", 200,
                          { subject: "Next steps & notes", body: "Hi Rena,\nthanks!", basis: ["call notes"] }, 300)
            clickHeader(panel, "a")
            const r = row(panel, "a")
            compare(child(r, "draftCard").visible, false)
            click(child(r, "draftButton"))
            // While the request runs: "Working…", and the buttons stay enabled.
            tryVerify(() => child(r, "workingText").visible)
            verify(child(r, "draftButton").enabled)
            tryVerify(() => child(r, "draftCard").visible)
            compare(child(r, "workingText").visible, false)
            compare(fixture.requestCount("/api/app/meetings/a/draft"), 1)
            compare(child(r, "draftSubject").text, "Next steps & notes")
            compare(child(r, "draftBody").text, "Hi Rena,\nthanks!")
            compare(child(r, "draftNote").text, "Based on: call notes")
            settleRow(r)

            click(child(r, "copyDraftButton"))
            compare(fixture.copiedTexts(), ["Subject: Next steps & notes\n\nHi Rena,\nthanks!"])
            click(child(r, "openInMailButton"))
            compare(fixture.opened(), ["mailto:r@x.io?subject=Next%20steps%20%26%20notes&body=Hi%20Rena%2C%0Athanks%21"])
        }

        function test_actionError() {
            const panel = showPanel([Feed.meeting(fixture, "a", 60, 30)])
            fixture.reply("POST", "/api/app/meetings/a/propose", 200, { error: "No open times this week." })
            clickHeader(panel, "a")
            const r = row(panel, "a")
            click(child(r, "proposeButton"))
            tryCompare(child(r, "actionErrorText"), "text", "No open times this week.")
            verify(child(r, "actionErrorText").visible)
            compare(child(r, "draftCard").visible, false)
        }
    }
}
