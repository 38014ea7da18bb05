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
        name: "Panel"

        function showPanel(signedIn, meetings, script) {
            return createTemporaryObject(panelComponent, root, { store: startStore(signedIn, meetings, script) })
        }

        // The texts of the footer menu's shown items; the menu stays open.
        function openMenu(panel) {
            click(child(panel, "menuButton"))
            tryVerify(() => child(panel, "footerMenu").opened)
            return ["loginItem", "headsUpItem", "disconnectItem", "quitItem"].map(n => child(panel, n))
                .filter(item => item.visible).map(item => item.text)
        }

        // The list makes its rows when it lays out.
        function row(panel, id) {
            settle()
            return child(panel, "row:" + id)
        }

        // Clicks a row's header and waits for its action area to reach its full height (or none).
        function clickHeader(panel, id) {
            const r = row(panel, id)
            click(child(r, "rowHeader"), 140, 10)
            tryVerify(() => {
                const area = findChild(r, "actionArea")
                return r.isOpen ? area !== null && Math.abs(child(r, "actionClip").height - area.implicitHeight - 14) < 0.5
                                : area === null
            }, 3000, "the action area settles")
        }

        function test_signedOutThenConnect() {
            const panel = showPanel(false, [])
            for (const name of ["nextDayButton", "quickAddBar", "availabilityBar", "meetingList", "tokenField"])
                compare(child(panel, name).visible, false, name)
            compare(openMenu(panel), ["Open at login", "Heads-up: 1 min before", "Quit Vesk"])
            child(panel, "footerMenu").close()

            // "Connect" follows the typed text untrimmed; Return in the field sends nothing.
            click(child(panel, "tokenDisclosure"))
            const field = child(panel, "tokenField")
            compare(field.echoMode, TextInput.Password)
            const connect = child(panel, "connectButton")
            field.forceActiveFocus()
            keyClick(Qt.Key_Space)
            verify(connect.enabled)
            keyClick(Qt.Key_Backspace)
            compare(connect.enabled, false)
            keyClick(Qt.Key_V)
            keyClick(Qt.Key_Return)
            wait(0)
            compare(fixture.store.hasToken, false)

            // "Connect" stores the token, empties the field and shows the day.
            field.forceActiveFocus()
            type("eskabc")
            click(connect)
            compare(field.text, "")
            tryVerify(() => child(panel, "meetingList").visible)
            verify(fixture.store.hasToken)
            compare(child(panel, "signIn").visible, false)
        }

        // Today without meetings: tomorrow morning's show under their heading, and on another day not.
        function test_daysAndMenu() {
            const panel = showPanel(true, [Feed.meeting(fixture, "t1", -60, 30, { days: 1 })])
            const label = child(panel, "dayLabel")
            compare(label.text, "Today")
            verify(row(panel, "t1").visible)
            verify(child(panel, "emptyTodayText").visible)
            compare(child(panel, "tomorrowHeading").text, "TOMORROW MORNING")
            compare(openMenu(panel), ["Open at login", "Heads-up: 1 min before", "Disconnect", "Quit Vesk"])
            child(panel, "footerMenu").close()

            // Every symbol shown loads from the bundled icons.
            for (const icon of Feed.descendants(panel).filter(i => i.symbol !== undefined && i.status !== undefined && i.visible))
                compare(icon.status, Image.Ready, icon.symbol)

            // While another day loads: "Loading…", no empty-day text; failing, the error with it.
            fixture.hold("GET", "/api/today")
            click(child(panel, "nextDayButton"))
            tryCompare(label, "text", "Wed, Mar 5")
            tryVerify(() => child(panel, "loadingRow").visible)
            tryVerify(() => fixture.lastRequest("/api/today").query === "date=2025-03-05")
            compare(child(panel, "emptyDayText").visible, false)
            compare(child(panel, "emptyTodayText").visible, false)
            compare(Feed.visibleAll(panel, "tomorrowHeading").length, 0)
            fixture.reply("GET", "/api/today", 500, "")
            click(child(panel, "nextDayButton"))
            tryCompare(child(panel, "errorText"), "text", "Couldn't reach Vesk.")
            compare(child(panel, "emptyDayText").text, "No meetings with outside people this day.")
            verify(child(panel, "emptyDayText").visible)
            compare(child(panel, "loadingRow").visible, false)
            click(child(panel, "todayButton"))
            tryCompare(label, "text", "Today")
            compare(child(panel, "todayButton").visible, false)
        }

        // One open row at a time, kept open (the same row) across a reload that changes it.
        function test_openRow() {
            const panel = showPanel(true, [Feed.meeting(fixture, "a", 60, 30), Feed.meeting(fixture, "b", 120, 30)])
            clickHeader(panel, "a")
            compare(panel.expanded, "a")
            clickHeader(panel, "b")
            compare(panel.expanded, "b")
            tryVerify(() => findChild(row(panel, "a"), "actionArea") === null)

            const before = row(panel, "b")
            fixture.reply("GET", "/api/today", 200, Feed.feed([
                Feed.meeting(fixture, "c", 30, 30), Feed.meeting(fixture, "b", 120, 30, { title: "Moved call" })
            ]))
            fixture.store.refresh()
            tryCompare(child(before, "titleText"), "text", "Moved call")
            verify(row(panel, "b") === before, "the row of a still-listed meeting is kept")
            verify(child(before, "actionArea").visible)
            compare(findChild(panel, "row:a"), null)
            clickHeader(panel, "b")
            compare(panel.expanded, "")
            // Keyboard: the header takes focus and Return toggles it.
            child(row(panel, "c"), "rowHeader").forceActiveFocus()
            keyClick(Qt.Key_Return)
            compare(panel.expanded, "c")
        }

        // A control that is not shown neither acts nor is offered to a screen reader.
        function test_hiddenControlsAreInert() {
            const panel = showPanel(true, [Feed.meeting(fixture, "a", 60, 30), Feed.meeting(fixture, "b", -60, 30)])
            fixture.reply("POST", "/api/app/meetings/b/no_show", 200, {})
            row(panel, "b")
            compare(fixture.pressAccessible(panel, "No-show"), 0)
            clickHeader(panel, "a")
            compare(fixture.pressAccessible(panel, "No-show"), 0)
            clickHeader(panel, "b")
            compare(fixture.pressAccessible(panel, "No-show"), 1)
            tryVerify(() => Object.keys(fixture.lastRequest("/api/app/meetings/b/no_show")).length > 0, 3000,
                      "the shown button sends its mark")
            compare(Object.keys(fixture.lastRequest("/api/app/meetings/a/no_show")).length, 0)
        }

        function test_headerTexts() {
            const panel = showPanel(true, [Feed.meeting(fixture, "a", -15, 45, {
                watched: true, room: "other", status: "unconfirmed", riskLevel: "high", action: "Send the agenda",
                people: [{ name: "Rena", email: "r@x.io", rsvp: "accepted" }, { name: "Ivo", email: "i@x.io", rsvp: "declined" }]
            })])
            const r = row(panel, "a")
            verify(child(r, "nowText").visible)
            compare(child(r, "attendeesText").text, "Rena ✓, Ivo ✗")
            compare(child(r, "statusText").color, Pal.amber)
            compare(child(r, "riskBar").color, Pal.red)
            compare(child(r, "roomText").text, "· Video")
            verify(child(r, "watchedText").visible)
            compare(Feed.visibleAll(r, "nextStepText").map(t => t.text), ["Send the agenda"])
        }

        // Join (violet before the start, green from it) until the end, then the chevron; the buttons
        // of an open row, and the fading of a closed one. "Email" needs a mail link that parses: one
        // broken address removes it, no attendees still offer it.
        function test_buttonsPerMoment_data() {
            const link = "https://meet.example/abc"
            return [
                { tag: "ended no-show", start: -60, status: "no_show", join: link, opacity: 0.72,
                  buttons: ["Vesk", "No-show", "Draft follow-up", "Rebook"] },
                { tag: "ended unconfirmed", start: -60, status: "unconfirmed", buttons: ["Vesk", "No-show", "Draft follow-up"] },
                { tag: "upcoming, a link that does not parse", start: 60, join: "https://z example/1",
                  buttons: ["Propose times", "Email", "Copy link"] },
                { tag: "starts now, an address that breaks the mail link", start: 0, join: link, tint: Pal.green,
                  people: [{ name: "Ivo", email: "ivo x.io", rsvp: "" }], buttons: ["Propose times", "Copy link"] },
                { tag: "upcoming, no attendees", start: 60, join: link, tint: Pal.violet, people: [],
                  buttons: ["Propose times", "Email", "Copy link"] },
            ]
        }

        function test_buttonsPerMoment(data) {
            const extra = { status: data.status || "confirmed", joinUrl: data.join || null }
            if (data.people)
                extra.people = data.people
            const panel = showPanel(true, [Feed.meeting(fixture, "a", data.start, 30, extra)])
            const r = row(panel, "a")
            const join = child(r, "joinButton")
            compare(join.visible, data.tint !== undefined)
            compare(child(r, "chevron").visible, !join.visible)
            if (join.visible) {
                compare(join.tint, data.tint)
                click(join)
                compare(fixture.opened(), [data.join])
                compare(panel.expanded, "", "Join does not open the row")
            }
            compare(r.opacity, data.opacity || 1)
            clickHeader(panel, "a")
            compare(r.opacity, 1)
            const names = ["veskButton", "noShowButton", "draftButton", "rebookButton", "proposeButton", "emailButton",
                           "copyLinkButton"]
            compare(names.map(n => child(r, n)).filter(b => b.visible).map(b => b.text), data.buttons)
            if (data.buttons.includes("Copy link")) {
                click(child(r, "copyLinkButton"))
                compare(fixture.copiedTexts(), [data.join]) // the raw text, even when it does not parse
            }
        }

        function test_draftCardAndMailLinks() {
            const panel = showPanel(true, [Feed.meeting(fixture, "a", -60, 30), Feed.meeting(fixture, "b", 60, 30, {
                people: [{ name: "Rena", email: "r@x.io", rsvp: "" }, { name: "Ivo", email: "i@x.io", rsvp: "" }]
            })])
            fixture.reply("POST", "/api/app/meetings/a/draft", 200,
                          { subject: "Next steps & notes", body: "Hi Rena,\nthanks!", basis: ["call notes"] }, 300)
            clickHeader(panel, "a")
            const r = row(panel, "a")
            click(child(r, "draftButton"))
            tryVerify(() => findChild(r, "draftCard") !== null && findChild(r, "draftCard").visible)
            compare(child(r, "draftSubject").text, "Next steps & notes")
            const body = child(r, "draftBody")
            compare(body.getText(0, body.length).replace(/[\u2028\u2029]/g, "\n"), "Hi Rena,\nthanks!")
            compare(child(r, "draftNote").text, "Based on: call notes")
            click(child(r, "copyDraftButton"))
            compare(fixture.copiedTexts(), ["Subject: Next steps & notes\n\nHi Rena,\nthanks!"])
            click(child(r, "openInMailButton"))
            compare(fixture.opened(),
                    ["mailto:rena@example.com?subject=Next%20steps%20%26%20notes&body=Hi%20Rena%2C%0Athanks%21"])

            clickHeader(panel, "b")
            click(child(row(panel, "b"), "emailButton"))
            compare(fixture.opened()[1], "mailto:r@x.io,i@x.io")
        }
    }
}
