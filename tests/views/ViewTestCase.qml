// SPDX-License-Identifier: MIT
// The helpers every view test shares: clicks that wait for layouts and row animations, lookups by
// object name, typing, and a fresh Store.
import QtQuick
import QtTest
import "feed.js" as Feed

TestCase {
    when: windowShown

    function settle() {
        const top = Window.window ? Window.window.contentItem : parent
        const laidOut = () => Feed.descendants(top).every(i => !isPolishScheduled(i))
        tryVerify(laidOut, 3000, "layouts settle")
        for (const clip of Feed.descendants(top, "actionClip"))
            tryVerify(() => !clip.visible || Math.abs(clip.implicitHeight - clip.children[0].implicitHeight - 14) < 0.5,
                      3000, "rows settle")
        tryVerify(laidOut, 3000, "layouts settle")
    }

    function click(item, x, y) {
        settle()
        mouseClick(item, x, y)
    }

    function child(item, name) {
        const found = findChild(item, name)
        verify(found, "no item named " + name)
        return found
    }

    function type(text) {
        for (const c of text)
            keyClick(c)
    }

    // A fresh Store; given `meetings`, its first feed holds them and it returns once that loaded.
    function startStore(signedIn, meetings, script) {
        fixture.resetServer()
        if (meetings !== undefined)
            fixture.reply("GET", "/api/today", 200, Feed.feed(meetings))
        if (script)
            script()
        const store = fixture.start(signedIn)
        if (signedIn && meetings !== undefined)
            tryVerify(() => store.lastUpdated.getTime() > 0, 5000, "the first feed load ends")
        return store
    }
}
