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

TestCase {
    id: testCase
    name: "Panel"
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

    function showPanel(signedIn, meetings) {
        fixture.resetServer()
        if (meetings !== undefined)
            fixture.reply("GET", "/api/today", 200, Feed.feed(meetings))
        const store = fixture.startKeepingScript(signedIn)
        const panel = createTemporaryObject(panelComponent, root, { store: store })
        verify(panel)
        if (signedIn && meetings !== undefined)
            tryVerify(() => store.lastUpdated.getTime() > 0, 5000, "the first feed load ends")
        return panel
    }

    function type(text) {
        for (let i = 0; i < text.length; ++i)
            keyClick(text[i])
    }

    function child(panel, name) {
        const found = findChild(panel, name)
        verify(found, "no item named " + name)
        return found
    }

    // Opens the footer menu and reads the texts of its shown items, then closes it.
    function menuTexts(panel) {
        const menu = child(panel, "footerMenu")
        click(child(panel, "menuButton"))
        tryVerify(() => menu.opened)
        const texts = ["loginItem", "disconnectItem", "quitItem"].map(n => child(panel, n))
            .filter(item => item.visible).map(item => item.text)
        menu.close()
        tryVerify(() => !menu.visible)
        return texts
    }

    function rows(panel) {
        return Feed.findAll(panel, "rowHeader").filter(h => h.visible)
    }

    function row(panel, id) {
        return child(panel, "row:" + id)
    }

    function test_signedOut() {
        const panel = showPanel(false)
        compare(child(panel, "previousDayButton").visible, false)
        compare(child(panel, "nextDayButton").visible, false)
        compare(child(panel, "dayLabel").visible, false)
        compare(child(panel, "todayButton").visible, false)
        compare(child(panel, "quickAddBar").visible, false)
        compare(child(panel, "availabilityBar").visible, false)
        compare(child(panel, "meetingList").visible, false)
        verify(child(panel, "signIn").visible)
        compare(menuTexts(panel), ["Open at login", "Quit Vesk"])

        // The token section starts closed; opened, "Connect" follows the typed text untrimmed.
        const field = child(panel, "tokenField")
        compare(field.visible, false)
        const d = child(panel, "tokenDisclosure")
        click(child(panel, "tokenDisclosure"))
        verify(field.visible)
        compare(field.placeholderText, "vesk_…")
        compare(field.echoMode, TextInput.Password)
        const connect = child(panel, "connectButton")
        compare(connect.enabled, false)
        field.forceActiveFocus()
        keyClick(Qt.Key_Space)
        compare(panel.tokenInput, " ")
        verify(connect.enabled)
        keyClick(Qt.Key_Backspace)
        compare(connect.enabled, false)

        // Return in the field sends nothing.
        keyClick(Qt.Key_V)
        keyClick(Qt.Key_Return)
        wait(0)
        compare(fixture.store.hasToken, false)
    }

    function test_connectStoresTheTokenAndShowsTheDay() {
        fixture.resetServer()
        fixture.reply("GET", "/api/today", 200, Feed.feed([]))
        const panel = showPanel(false)
        click(child(panel, "tokenDisclosure"))
        const field = child(panel, "tokenField")
        field.forceActiveFocus()
        type("veskabc")
        click(child(panel, "connectButton"))
        compare(panel.tokenInput, "")
        compare(field.text, "")
        tryVerify(() => fixture.store.hasToken)
        tryVerify(() => child(panel, "meetingList").visible)
        verify(child(panel, "quickAddBar").visible)
        verify(child(panel, "previousDayButton").visible)
        compare(child(panel, "signIn").visible, false)
        tryVerify(() => fixture.requestCount("/api/today") >= 1)
    }

    function test_links() {
        const panel = showPanel(false)
        click(child(panel, "tokenDisclosure"))
        click(child(panel, "openConnectionsButton"))
        click(child(panel, "openPlannerButton"))
        const base = fixture.store.apiBase.toString()
        const opened = fixture.opened()
        compare(opened.length, 2)
        verify(opened[0].endsWith("/settings"), opened[0])
        verify(opened[0].startsWith(base.replace(/\/$/, "")), opened[0])
        compare(opened[1].replace(/\/$/, ""), base.replace(/\/$/, ""))
    }

    function test_dayLabelAndTodayPill() {
        const panel = showPanel(true, [])
        const label = child(panel, "dayLabel")
        compare(label.text, "Today")
        compare(child(panel, "todayButton").visible, false)
        compare(menuTexts(panel), ["Open at login", "Disconnect", "Quit Vesk"])

        fixture.hold("GET", "/api/today")
        click(child(panel, "nextDayButton"))
        tryCompare(label, "text", "Wed, Mar 5")
        verify(child(panel, "todayButton").visible)
        tryVerify(() => fixture.lastQuery("/api/today") === "date=2025-03-05")
        // While the other day loads: "Loading…", no empty-day text, no tomorrow section.
        tryVerify(() => child(panel, "loadingRow").visible)
        compare(child(panel, "loadingText").text, "Loading…")
        compare(child(panel, "emptyDayText").visible, false)
        compare(child(panel, "emptyTodayText").visible, false)

        click(child(panel, "todayButton"))
        tryCompare(label, "text", "Today")
        compare(child(panel, "todayButton").visible, false)
    }

    function test_emptyTextsAndErrors() {
        // Today, feed failing: the error replaces the empty-day text.
        fixture.resetServer()
        fixture.reply("GET", "/api/today", 500, "")
        const store = fixture.startKeepingScript(true)
        const panel = createTemporaryObject(panelComponent, root, { store: store })
        tryCompare(child(panel, "errorText"), "text", "Couldn't reach Vesk.")
        verify(child(panel, "errorText").visible)
        compare(child(panel, "emptyTodayText").visible, false)

        // Another day failing too: its empty text shows under the error.
        click(child(panel, "nextDayButton"))
        tryVerify(() => fixture.lastQuery("/api/today") === "date=2025-03-05")
        tryVerify(() => !store.loadingDay)
        verify(child(panel, "errorText").visible)
        verify(child(panel, "emptyDayText").visible)
        compare(child(panel, "emptyDayText").text, "No meetings with outside people this day.")
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

    function test_listScrollsPast560() {
        const meetings = []
        for (let i = 0; i < 14; ++i)
            meetings.push(Feed.meeting(fixture, "m" + i, 10 + i * 20, 15))
        const panel = showPanel(true, meetings)
        const list = child(panel, "meetingList")
        tryCompare(list, "height", 560)
        verify(list.contentHeight > 560)
        verify(panel.implicitHeight > 560)
    }

    function test_footer() {
        fixture.resetServer()
        fixture.reply("GET", "/api/today", 200, Feed.feed([]))
        fixture.reply("GET", "/download/version.json", 200, { version: "99.0.1" })
        const store = fixture.startKeepingScript(true)
        const panel = createTemporaryObject(panelComponent, root, { store: store })
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
        const menu = child(panel, "footerMenu")
        tryVerify(() => menu.opened)
        const item = child(panel, "disconnectItem")
        click(item)
        tryVerify(() => !store.hasToken)
        verify(child(panel, "signIn").visible)
        compare(child(panel, "meetingList").visible, false)
    }

    function test_noUpdateButtonWithoutVersion() {
        const panel = showPanel(true, [])
        compare(child(panel, "updateButton").visible, false)
    }
}
}
