// Builders of service replies for the view tests. Times are minutes after 10:00 of the shown day.
.pragma library

function meeting(fixture, id, startMinutes, lengthMinutes, extra) {
    const m = {
        id: id,
        title: "Call " + id,
        startsAt: fixture.at(startMinutes, extra && extra.days ? extra.days : 0),
        endsAt: fixture.at(startMinutes + lengthMinutes, extra && extra.days ? extra.days : 0),
        room: "zoom",
        joinUrl: null,
        status: "confirmed",
        riskLevel: "low",
        riskScore: 10,
        action: null,
        watched: false,
        people: [{ name: "Rena Ortiz", email: "rena@example.com", rsvp: "accepted" }]
    }
    if (extra) {
        for (const key in extra) {
            if (key !== "days")
                m[key] = extra[key]
        }
    }
    return m
}

function feed(meetings) {
    return { meetings: meetings }
}

function person(query, name, email, candidates) {
    const p = { query: query, candidates: candidates || [] }
    if (name !== null && name !== undefined)
        p.name = name
    if (email !== null && email !== undefined)
        p.email = email
    return p
}

function hit(name, email, company) {
    const h = { email: email, company: company || "" }
    if (name !== null && name !== undefined)
        h.name = name
    return h
}

function draft(extra) {
    const d = {
        intent: "meeting",
        title: "Ivo <> Rena",
        start: "2025-03-05T10:00:00Z",
        end: "2025-03-05T10:30:00Z",
        durationMin: 30,
        people: [],
        conference: "meet",
        conflicts: [],
        hasZoom: false,
        when: "Wed 10:00"
    }
    if (extra) {
        for (const key in extra)
            d[key] = extra[key]
    }
    if (d.when === null)
        delete d.when
    if (d.start === null)
        delete d.start
    if (d.end === null)
        delete d.end
    return d
}

// Every descendant of `item` whose objectName is `name`, in tree order.
function findAll(item, name) {
    const found = []
    const walk = it => {
        if (!it)
            return
        if (it.objectName === name)
            found.push(it)
        const kids = []
        const list = it.children || []
        for (let i = 0; i < list.length; ++i)
            kids.push(list[i])
        kids.forEach(walk)
        if (it.contentItem && kids.indexOf(it.contentItem) < 0 && it.contentItem !== it)
            walk(it.contentItem)
    }
    walk(item)
    return found
}

// The visible descendants named `name`.
function visibleAll(item, name) {
    return findAll(item, name).filter(it => it.visible)
}

// Every item under `item`, itself included.
function descendants(item) {
    const all = []
    const walk = it => {
        all.push(it)
        const list = it.children || []
        for (let i = 0; i < list.length; ++i)
            walk(list[i])
    }
    walk(item)
    return all
}
