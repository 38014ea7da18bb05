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
        id: panelComponent
        Panel {}
    }

    ViewTestCase {
        name: "Panel"

        function showPanel(signedIn, meetings, script) {
            const panel = createTemporaryObject(panelComponent, root,
                                                { store: startStore(signedIn, meetings, script) })
            verify(panel)
            return panel
        }

        // The texts of the footer menu's shown items.
        function menuTexts(panel) {
            click(child(panel, "menuButton"))
            const menu = child(panel, "footerMenu")
            tryVerify(() => menu.opened)
            const texts = ["loginItem", "headsUpItem", "disconnectItem", "quitItem"].map(n => child(panel, n))
                .filter(item => item.visible).map(item => item.text)
            menu.close()
            tryVerify(() => !menu.visible)
            return texts
        }

        function test_signedOutThenConnect() {
            const panel = showPanel(false, [])
            for (const name of ["previousDayButton", "nextDayButton", "dayLabel", "todayButton", "quickAddBar",
                                "availabilityBar", "meetingList", "tokenField"])
                compare(child(panel, name).visible, false, name)
            verify(child(panel, "signIn").visible)
            compare(menuTexts(panel), ["Open at login", "Heads-up: 1 min before", "Quit Vesk"])

            // "Connect" follows the typed text untrimmed; Return in the field sends nothing.
            click(child(panel, "tokenDisclosure"))
            const field = child(panel, "tokenField")
            verify(field.visible)
            compare(field.placeholderText, "vesk_…")
            compare(field.echoMode, TextInput.Password)
            const connect = child(panel, "connectButton")
            compare(connect.enabled, false)
            field.forceActiveFocus()
            keyClick(Qt.Key_Space)
            verify(connect.enabled)
            keyClick(Qt.Key_Backspace)
            compare(connect.enabled, false)
            keyClick(Qt.Key_V)
            keyClick(Qt.Key_Return)
            wait(0)
            compare(fixture.store.hasToken, false)

            // The two links open the service's settings and planner.
            click(child(panel, "openConnectionsButton"))
            click(child(panel, "openPlannerButton"))
            const base = fixture.store.apiBase.toString().replace(/\/$/, "")
            compare(fixture.opened().map(u => u.replace(/\/$/, "")), [base + "/settings", base])

            // "Connect" stores the token, empties the field and shows the day.
            field.forceActiveFocus()
            type("eskabc")
            click(connect)
            compare(field.text, "")
            tryVerify(() => child(panel, "meetingList").visible)
            verify(fixture.store.hasToken)
            verify(child(panel, "quickAddBar").visible)
            compare(child(panel, "signIn").visible, false)
            tryVerify(() => fixture.requestCount("/api/today") >= 1)
        }

        function test_dayLabelAndTodayPill() {
            const panel = showPanel(true, [])
            const label = child(panel, "dayLabel")
            compare(label.text, "Today")
            compare(child(panel, "todayButton").visible, false)
            compare(child(panel, "updateButton").visible, false)
            compare(menuTexts(panel), ["Open at login", "Heads-up: 1 min before", "Disconnect", "Quit Vesk"])

            // The heads-up entry steps through 5 and 10 minutes, off and back, and keeps the menu open.
            const menu = child(panel, "footerMenu")
            const headsUp = child(panel, "headsUpItem")
            click(child(panel, "menuButton"))
            tryVerify(() => menu.opened)
            for (const expected of ["Heads-up: 5 min before", "Heads-up: 10 min before", "Heads-up: off",
                                    "Heads-up: 1 min before"]) {
                click(headsUp)
                compare(headsUp.text, expected)
            }
            verify(menu.opened)
            compare(fixture.store.headsUpMinutes, 1)
            menu.close()
            tryVerify(() => !menu.visible)

            // Every symbol shown loads from the bundled icons.
            const icons = Feed.descendants(panel).filter(i => i.symbol !== undefined && i.status !== undefined && i.visible)
            verify(icons.length >= 4)
            for (const icon of icons)
                compare(icon.status, Image.Ready, icon.symbol)

            const headerHeight = child(panel, "header").height
            fixture.hold("GET", "/api/today")
            click(child(panel, "nextDayButton"))
            tryCompare(label, "text", "Wed, Mar 5")
            verify(child(panel, "todayButton").visible)
            settle()
            compare(child(panel, "header").height, headerHeight, "the pill leaves the header's height alone")
            tryVerify(() => fixture.lastQuery("/api/today") === "date=2025-03-05")
            // While the other day loads: "Loading…", no empty-day text.
            tryVerify(() => child(panel, "loadingRow").visible)
            compare(child(panel, "loadingText").text, "Loading…")
            compare(child(panel, "emptyDayText").visible, false)
            compare(child(panel, "emptyTodayText").visible, false)

            click(child(panel, "todayButton"))
            tryCompare(label, "text", "Today")
            compare(child(panel, "todayButton").visible, false)
        }

        function test_emptyTextsAndErrors() {
            // Today failing: the error replaces the empty-day text.
            const panel = showPanel(true, undefined, () => fixture.reply("GET", "/api/today", 500, ""))
            tryCompare(child(panel, "errorText"), "text", "Couldn't reach Vesk.")
            verify(child(panel, "errorText").visible)
            compare(child(panel, "emptyTodayText").visible, false)

            // Another day failing too: its empty text shows under the error.
            click(child(panel, "nextDayButton"))
            tryVerify(() => fixture.lastQuery("/api/today") === "date=2025-03-05")
            tryVerify(() => !fixture.store.loadingDay)
            verify(child(panel, "errorText").visible)
            compare(child(panel, "emptyDayText").text, "No meetings with outside people this day.")
            verify(child(panel, "emptyDayText").visible)
            compare(child(panel, "loadingRow").visible, false)
        }

        function test_emptyTodayWithTomorrow() {
            const panel = showPanel(true, [Feed.meeting(fixture, "t1", -60, 30, { days: 1 })])
            const empty = child(panel, "emptyTodayText")
            verify(empty.visible)
            compare(empty.text, "No meetings with outside people today.")
            const heading = child(panel, "tomorrowHeading")
            verify(heading.visible)
            compare(heading.text, "TOMORROW MORNING")
            verify(child(panel, "row:t1").visible)

            // Not on another day, even though tomorrow has meetings.
            fixture.reply("GET", "/api/today", 200, Feed.feed([Feed.meeting(fixture, "t1", -60, 30)]))
            click(child(panel, "nextDayButton"))
            tryVerify(() => fixture.store.dayMeetings.length === 1)
            tryVerify(() => findChild(panel, "row:t1") !== null && findChild(panel, "row:t1").visible)
            compare(heading.visible, false)
            compare(empty.visible, false)
            compare(child(panel, "emptyDayText").visible, false)
        }

        // On a short screen the header and the footer stay on it: the list gives up height
        // first, down to a floor, then the bars above it scroll.
        function test_shortScreen() {
            const meetings = []
            for (let i = 0; i < 14; ++i)
                meetings.push(Feed.meeting(fixture, "m" + i, 10 + i * 20, 15))
            const panel = showPanel(true, meetings)
            const list = child(panel, "meetingList")
            const bars = child(panel, "upperScroll")
            const footer = child(panel, "footer")
            const fits = () => {
                settle()
                const bottom = footer.mapToItem(panel, 0, footer.height).y
                verify(bottom <= panel.height + 0.5, "the footer ends at " + bottom + " of " + panel.height)
                compare(child(panel, "header").mapToItem(panel, 0, 0).y, 12)
            }
            // Fourteen rows scroll in a list of at most 560.
            tryCompare(list, "height", 560)
            verify(list.contentHeight > 560)
            settle()
            const natural = panel.implicitHeight

            panel.height = natural - 200
            fits()
            compare(list.height, 360)
            compare(bars.height, bars.contentHeight, "the bars are whole while the list can give")

            // Shorter still: the list keeps its floor and the bars scroll.
            panel.height = 300
            fits()
            compare(list.height, 120)
            verify(bars.height < bars.contentHeight)
            verify(bars.interactive)
            click(child(panel, "menuButton"))
            tryVerify(() => child(panel, "footerMenu").opened)
            child(panel, "footerMenu").close()
        }

        function test_footer() {
            const panel = showPanel(true, [], () => fixture.reply("GET", "/download/version.json", 200,
                                                                   { version: "99.0.1" }))
            const update = child(panel, "updateButton")
            tryVerify(() => update.visible)
            compare(update.text, "Update to 99.0.1")
            compare(update.tooltip, "A newer Vesk is ready to download")
            click(update)
            verify(fixture.opened()[0].endsWith("/download"), fixture.opened()[0])

            const before = fixture.requestCount("/api/today")
            click(child(panel, "refreshButton"))
            tryVerify(() => fixture.requestCount("/api/today") === before + 1)

            // Disconnect from the menu brings the sign-in screen back.
            click(child(panel, "menuButton"))
            tryVerify(() => child(panel, "footerMenu").opened)
            click(child(panel, "disconnectItem"))
            tryVerify(() => !fixture.store.hasToken)
            verify(child(panel, "signIn").visible)
            compare(child(panel, "meetingList").visible, false)
        }
    }
}
