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
        mouseClick(child(panel, "menuButton"))
        tryVerify(() => menu.opened)
        const texts = []
        for (let i = 0; i < menu.count; ++i) {
            const item = menu.itemAt(i)
            if (item.visible)
                texts.push(item.text)
        }
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
        mouseClick(child(panel, "tokenDisclosure"))
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
        mouseClick(child(panel, "tokenDisclosure"))
        const field = child(panel, "tokenField")
        field.forceActiveFocus()
        type("veskabc")
        mouseClick(child(panel, "connectButton"))
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
        mouseClick(child(panel, "tokenDisclosure"))
        mouseClick(child(panel, "openConnectionsButton"))
        mouseClick(child(panel, "openPlannerButton"))
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
        mouseClick(child(panel, "nextDayButton"))
        tryCompare(label, "text", "Wed, Mar 5")
        verify(child(panel, "todayButton").visible)
        tryVerify(() => fixture.lastQuery("/api/today") === "date=2025-03-05")
        // While the other day loads: "Loading…", no empty-day text, no tomorrow section.
        tryVerify(() => child(panel, "loadingRow").visible)
        compare(child(panel, "loadingText").text, "Loading…")
        compare(child(panel, "emptyDayText").visible, false)
        compare(child(panel, "emptyTodayText").visible, false)

        mouseClick(child(panel, "todayButton"))
        tryCompare(label, "text", "Today")
        compare(child(panel, "todayButton").visible, false)
    }
}
}
