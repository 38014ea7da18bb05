// Builders of service replies for the view tests. Times are minutes after 10:00 of the shown day.
.pragma library

function meeting(fixture, id, startMinutes, lengthMinutes, extra) {
    const days = extra && extra.days ? extra.days : 0
    const m = Object.assign({
        id: id, title: "Call " + id, startsAt: fixture.at(startMinutes, days),
        endsAt: fixture.at(startMinutes + lengthMinutes, days), room: "zoom", joinUrl: null, status: "confirmed",
        riskLevel: "low", riskScore: 10, action: null, watched: false,
        people: [{ name: "Rena Ortiz", email: "rena@example.com", rsvp: "accepted" }]
    }, extra || {})
    delete m.days
    return m
}

function feed(meetings) {
    return { meetings: meetings }
}

// Keys whose value is null are left out.
function withoutNulls(object) {
    Object.keys(object).filter(key => object[key] === null || object[key] === undefined).forEach(key => delete object[key])
    return object
}

function person(query, name, email, candidates) {
    return withoutNulls({ query: query, candidates: candidates || [], name: name, email: email })
}

function hit(name, email, company) {
    return withoutNulls({ email: email, company: company || "", name: name })
}

function draft(extra) {
    return withoutNulls(Object.assign({
        intent: "meeting", title: "Ivo <> Rena", start: "2025-03-05T10:00:00Z", end: "2025-03-05T10:30:00Z",
        durationMin: 30, people: [], conference: "meet", conflicts: [], hasZoom: false, when: "Wed 10:00"
    }, extra || {}))
}

// Every item under `item`, itself included; with `name`, only those of that objectName. Popups
// are reached through their contentItem.
function descendants(item, name) {
    const all = []
    const walk = it => {
        if (name === undefined || it.objectName === name)
            all.push(it)
        const kids = Array.from(it.children || [])
        kids.forEach(walk)
        if (it.contentItem && it.contentItem !== it && kids.indexOf(it.contentItem) < 0)
            walk(it.contentItem)
    }
    walk(item)
    return all
}

function visibleAll(item, name) {
    return descendants(item, name).filter(it => it.visible)
}
