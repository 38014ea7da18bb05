// Renders the panel offscreen against the scripted service, one picture per state:
//   vesk-screenshots <output folder>
// Any warning while rendering fails the run.

#include "model/feed.h"
#include "viewworld.h"

#include <QCoro/QCoroTask>
#include <QDir>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <functional>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

int g_warnings = 0;

void countWarnings(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        ++g_warnings;
    std::fprintf(stderr, "%s\n", qPrintable(message));
}

QByteArray json(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QJsonObject person(const QString &name, const QString &email, const QString &rsvp)
{
    return {{u"name"_s, name}, {u"email"_s, email}, {u"rsvp"_s, rsvp}};
}

QJsonObject meeting(const QString &id, const QString &title, int start, int length, const QString &status,
                    const QString &risk, const QString &room, const QJsonValue &joinUrl,
                    const QJsonValue &action, bool watched, const QJsonArray &people, int days = 0)
{
    return {{u"id"_s, id},
            {u"title"_s, title},
            {u"startsAt"_s, ViewWorld::at(start, days)},
            {u"endsAt"_s, ViewWorld::at(start + length, days)},
            {u"room"_s, room},
            {u"joinUrl"_s, joinUrl},
            {u"status"_s, status},
            {u"riskLevel"_s, risk},
            {u"riskScore"_s, 40},
            {u"action"_s, action},
            {u"watched"_s, watched},
            {u"people"_s, people}};
}

QByteArray todayFeed()
{
    const QJsonValue none = QJsonValue::Null;
    QJsonArray meetings{
        meeting(u"ended"_s, u"Discovery call with Acme"_s, -90, 30, u"confirmed"_s, u"low"_s, u"meet"_s,
                u"https://meet.example/abc-defg-hij"_s, u"Send the recap"_s, false,
                {person(u"Rena Ortiz"_s, u"rena@acme.io"_s, u"accepted"_s),
                 person(u"Tom Weber"_s, u"tom@acme.io"_s, u"declined"_s)}),
        meeting(u"noshow"_s, u"Intro: Lumen Labs"_s, -60, 30, u"no_show"_s, u"high"_s, u"zoom"_s, none, none,
                false, {person(u"Mia Chen"_s, u"mia@lumen.dev"_s, u"needsAction"_s)}),
        meeting(u"live"_s, u"Pricing review with Northwind"_s, -15, 45, u"confirmed"_s, u"medium"_s,
                u"zoom"_s, u"https://zoom.example/j/123456"_s, none, true,
                {person(u"Ivo Petrov"_s, u"ivo@northwind.com"_s, u"accepted"_s),
                 person(u"Ana Ruiz"_s, u"ana@northwind.com"_s, u"accepted"_s)}),
        meeting(u"soon"_s, u"Onboarding kickoff — Fjord"_s, 60, 30, u"unconfirmed"_s, u"medium"_s, u"meet"_s,
                u"https://meet.example/xyz-abcd-efg"_s,
                u"Confirm the time with Nils; he has not replied yet"_s, false,
                {person(u"Nils Berg"_s, u"nils@fjord.no"_s, u"needsAction"_s)}),
        meeting(u"risk"_s, u"Renewal: Blue Harbor"_s, 180, 60, u"at_risk"_s, u"high"_s, u"teams"_s,
                u"https://teams.example/l/meetup"_s, u"Send a short agenda to keep it on the calendar"_s,
                true,
                {person(u"Sara Kim"_s, u"sara@blueharbor.com"_s, u"declined"_s),
                 person(u"Leo Park"_s, u"leo@blueharbor.com"_s, u"tentative"_s)}),
        meeting(u"later"_s, u"Coffee with Dana"_s, 330, 30, u"vesk"_s, u"low"_s, u"none"_s, none,
                u"Nothing yet to do"_s, false, {person(u"Dana Fox"_s, u"dana@fox.studio"_s, u"accepted"_s)}),
        meeting(u"tomorrow1"_s, u"Standup with Orbit"_s, -60, 15, u"confirmed"_s, u"low"_s, u"webex"_s,
                u"https://webex.example/m/1"_s, none, false,
                {person(u"Kai Lund"_s, u"kai@orbit.se"_s, u"accepted"_s)}, 1),
        meeting(u"tomorrow2"_s, u"Demo for Quill"_s, -30, 30, u"unconfirmed"_s, u"medium"_s, u"other"_s, none,
                none, false, {person(u"Eve Stone"_s, u"eve@quill.app"_s, u"needsAction"_s)}, 1),
    };
    return json({{u"meetings"_s, meetings}});
}

// Fourteen meetings a quarter of an hour apart, every other one with a title far too long for a row.
QByteArray busyFeed()
{
    QJsonArray meetings;
    for (int i = 0; i < 14; ++i) {
        const QString title =
            i % 2 ? u"Quarterly business review with the Northwind purchasing team %1"_s.arg(i)
                  : u"Check-in %1"_s.arg(i);
        meetings.append(meeting(u"busy%1"_s.arg(i), title, 20 + i * 15, 15, u"unconfirmed"_s, u"medium"_s,
                                u"meet"_s, QJsonValue::Null, QJsonValue::Null, false,
                                {person(u"Ivo Petrov"_s, u"ivo@northwind.com"_s, u"accepted"_s)}));
    }
    return json({{u"meetings"_s, meetings}});
}

QJsonObject hit(const QString &name, const QString &email, const QString &company)
{
    QJsonObject object{{u"email"_s, email}, {u"company"_s, company}};
    if (!name.isEmpty())
        object.insert(u"name"_s, name);
    return object;
}

class Shooter
{
public:
    explicit Shooter(QString folder)
        : m_folder(std::move(folder))
    {
        m_engine.addImportPath(u"qrc:/qt/qml"_s);
        m_window.setColor(QColor(0x0C, 0x0C, 0x16));
    }

    ViewWorld world;

    /// Removes the panel, then starts a new Store.
    Store &start(bool signedIn)
    {
        removePanel();
        return world.start(signedIn);
    }

    void removePanel()
    {
        delete m_panel;
        m_panel = nullptr;
    }

    /// Shows a fresh panel on `store`.
    QQuickItem *show(Store &store)
    {
        delete m_panel;
        QQmlComponent component(&m_engine, QUrl(u"qrc:/qt/qml/Vesk/views/Panel.qml"_s));
        QObject *object = component.createWithInitialProperties({{u"store"_s, QVariant::fromValue(&store)}});
        if (!object) {
            qWarning("%s", qPrintable(component.errorString()));
            return nullptr;
        }
        m_panel = qobject_cast<QQuickItem *>(object);
        m_panel->setParentItem(m_window.contentItem());
        if (!m_window.isVisible())
            m_window.show();
        return m_panel;
    }

    /// Waits for `ready`, lets animations end, and saves the window as `name`.png. With a
    /// `height`, the panel is held to it as a short screen's window would be.
    bool shoot(const QString &name, const std::function<bool()> &ready, int height = 0)
    {
        if (!QTest::qWaitFor(ready, 8000)) {
            qWarning("%s: the state was not reached", qPrintable(name));
            return false;
        }
        for (int round = 0; round < 3; ++round) {
            if (height > 0)
                m_panel->setHeight(height);
            m_window.resize(440, height > 0 ? height : int(std::ceil(m_panel->implicitHeight())));
            QTest::qWait(200);
        }
        const QImage image = m_window.grabWindow();
        const QString path = m_folder + u"/"_s + name + u".png"_s;
        if (image.isNull() || !image.save(path)) {
            qWarning("%s: cannot save", qPrintable(path));
            return false;
        }
        std::printf("%s\n", qPrintable(path));
        return true;
    }

    QQuickItem *panel() const { return m_panel; }

    /// The item named `name` under `top` (the panel by default), searched through the visual tree.
    QQuickItem *item(const QString &name, QQuickItem *top = nullptr) const
    {
        const std::function<QQuickItem *(QQuickItem *)> find = [&](QQuickItem *at) -> QQuickItem * {
            if (at->objectName() == name)
                return at;
            for (QQuickItem *child : at->childItems()) {
                if (QQuickItem *found = find(child))
                    return found;
            }
            return nullptr;
        };
        QQuickItem *found = top ? find(top) : m_panel ? find(m_panel) : nullptr;
        if (!found)
            qWarning("no item named %s", qPrintable(name));
        return found;
    }

    /// Types `text` into the item that has the keyboard focus.
    void type(const QString &text)
    {
        for (const QChar c : text)
            QTest::keyClick(&m_window, c.toLatin1());
    }

    /// Rests the pointer over the middle of `name`.
    void hover(const QString &name)
    {
        if (QQuickItem *target = item(name)) {
            const QPointF centre = target->mapToScene(QPointF(target->width() / 2, target->height() / 2));
            QTest::mouseMove(&m_window, centre.toPoint());
        }
    }

private:
    QString m_folder;
    QQmlEngine m_engine;
    QQuickWindow m_window;
    QQuickItem *m_panel = nullptr;
};

bool waitForToday(const Store &store)
{
    if (QTest::qWaitFor([&] { return store.today().size() == 6; }, 5000))
        return true;
    qWarning("the day's meetings did not load");
    return false;
}

void scriptToday(ViewWorld &world)
{
    world.server.reset();
    world.on("GET", "/api/today").header("Content-Type", "application/json").reply(200, todayFeed());
}

QJsonObject quickDraft(bool withTime)
{
    QJsonObject draft{{u"intent"_s, u"meeting"_s},
                      {u"title"_s, withTime ? u"Ivo <> Rena"_s : u"Intro with Rena"_s},
                      {u"durationMin"_s, 30},
                      {u"conference"_s, u"meet"_s},
                      {u"hasZoom"_s, true}};
    if (withTime) {
        draft.insert(u"start"_s, ViewWorld::at(0, 1));
        draft.insert(u"end"_s, ViewWorld::at(30, 1));
        draft.insert(u"when"_s, u"Wed, Mar 5, 10:00"_s);
        draft.insert(u"conflicts"_s, QJsonArray{u"Standup with Orbit"_s, u"Demo for Quill"_s});
        draft.insert(u"people"_s,
                     QJsonArray{QJsonObject{{u"query"_s, u"Rena"_s},
                                            {u"candidates"_s,
                                             QJsonArray{hit(u"Rena Ortiz"_s, u"rena@acme.io"_s, u"Acme"_s),
                                                        hit(u"Rena Berg"_s, u"rena@berg.dk"_s, u"Berg"_s)}}},
                                QJsonObject{{u"query"_s, u"Ivo"_s}, {u"candidates"_s, QJsonArray{}}}});
    } else {
        draft.insert(u"conflicts"_s, QJsonArray{});
        draft.insert(u"people"_s, QJsonArray{QJsonObject{{u"query"_s, u"Rena"_s},
                                                         {u"name"_s, u"Rena Ortiz"_s},
                                                         {u"email"_s, u"rena@acme.io"_s},
                                                         {u"candidates"_s, QJsonArray{}}}});
    }
    return draft;
}

bool run(Shooter &s)
{
    ViewWorld &w = s.world;
    bool ok = true;

    // Signed out, with the token section open.
    w.server.reset();
    {
        Store &store = s.start(false);
        QQuickItem *panel = s.show(store);
        panel->setProperty("tokenSectionOpen", true);
        ok &= s.shoot(u"01-signed-out"_s, [&] { return !store.hasToken(); });
    }

    // Today's meetings with the tomorrow-morning section.
    scriptToday(w);
    {
        Store &store = s.start(true);
        s.show(store);
        ok &= s.shoot(u"02-today"_s,
                      [&] { return store.today().size() == 6 && !store.tomorrowMorning().isEmpty(); });
    }

    // An open ended row with a draft and an error line.
    scriptToday(w);
    w.on("POST", "/api/app/meetings/ended/draft")
        .reply(200,
               json({{u"subject"_s, u"Great talking today — next steps"_s},
                     {u"body"_s, u"Hi Rena,\n\nThanks for the time today. As promised, here is the short "
                                 u"summary and the two options we discussed.\n\nBest,\nAlex"_s},
                     {u"basis"_s, QJsonArray{u"call notes"_s, u"Acme account page"_s}}}));
    w.on("POST", "/api/app/meetings/ended/propose")
        .reply(200, json({{u"error"_s, u"No open times in the next two weeks."_s}}));
    {
        Store &store = s.start(true);
        QQuickItem *panel = s.show(store);
        ok &= waitForToday(store);
        const Meeting ended = store.today().first();
        panel->setProperty("expanded", ended.id);
        store.compose(ended, u"draft"_s);
        store.compose(ended, u"propose"_s);
        ok &= s.shoot(u"03-open-row-draft"_s,
                      [&] { return store.composedFor(ended.id) && store.actionErrorFor(ended.id); });
    }

    // Another day while it loads, then the same day empty.
    scriptToday(w);
    {
        Store &store = s.start(true);
        s.show(store);
        ok &= waitForToday(store);
        w.on("GET", "/api/today")
            .after(std::chrono::milliseconds(2500))
            .reply(200, json({{u"meetings"_s, QJsonArray{}}}));
        store.shiftDay(1);
        ok &= s.shoot(u"04-other-day-loading"_s, [&] { return store.loadingDay(); });
        ok &= s.shoot(u"05-other-day-empty"_s, [&] { return !store.loadingDay() && !store.isToday(); });
    }

    // Quick add: two people (one to choose, one without an address) and conflicts; then no time.
    for (const bool withTime : {true, false}) {
        scriptToday(w);
        w.on("POST", "/api/app/quick-add").reply(200, json(quickDraft(withTime)));
        Store &store = s.start(true);
        s.show(store);
        ok &= waitForToday(store);
        store.setQaText(withTime ? u"Ivo <> Rena tomorrow 10am"_s : u"Intro with Rena next week"_s);
        store.quickDraft();
        ok &= s.shoot(withTime ? u"06-quick-add-people"_s : u"07-quick-add-no-time"_s,
                      [&] { return store.hasQaDraft(); });
    }

    // Availability: five of eight hits; a chosen person with a preview; an error.
    scriptToday(w);
    QJsonArray hits;
    const QStringList names{u"Rena Ortiz"_s,  u""_s,           u"Renata Silva"_s,
                            u"René Dubois"_s, u"Irene Wu"_s,   u"Lorena Diaz"_s,
                            u"Serena Hall"_s, u"Verena Koch"_s};
    for (int i = 0; i < names.size(); ++i)
        hits.append(hit(names.at(i), i == 1 ? u"rena.team@acme.io"_s : u"person%1@example.com"_s.arg(i + 1),
                        u"Company %1"_s.arg(i + 1)));
    w.on("GET", "/api/app/people").reply(200, json({{u"people"_s, hits}}));
    w.on("POST", "/api/app/availability")
        .reply(200,
               json({{u"text"_s, u"Here are a few times that work for me (CET):\n• Wed, Mar 5: 10:00, 14:30\n"
                                 u"• Thu, Mar 6: 09:00, 11:00, 16:00\n• Fri, Mar 7: 10:30\n"
                                 u"Pick one here: https://vesk.example/p/alex"_s},
                     {u"html"_s, u"<p>Here are a few times</p>"_s}}));
    {
        Store &store = s.start(true);
        s.show(store);
        ok &= waitForToday(store);
        store.setForQuery(u"ren"_s);
        ok &= s.shoot(u"08-availability-hits"_s, [&] { return store.people().size() == 8; });

        store.chooseForWho(store.people().first());
        store.copyForCurrent();
        ok &= s.shoot(u"09-availability-chosen"_s, [&] { return !store.availPreview().isEmpty(); });

        w.on("POST", "/api/app/availability")
            .reply(200, json({{u"error"_s, u"Your calendar isn't connected."_s}}));
        store.clearForWho();
        store.copyForCurrent();
        ok &= s.shoot(u"10-availability-error"_s, [&] { return !store.availError().isEmpty(); });
    }

    // A 1366 × 768 screen: a 728-pixel window (a 32-pixel top bar and the 4-pixel margins).
    // With today's list the list gives up height; with a quick-add card open the bars scroll too.
    constexpr int ShortWindow = 728;
    for (const bool withCard : {false, true}) {
        scriptToday(w);
        w.on("POST", "/api/app/quick-add").reply(200, json(quickDraft(true)));
        Store &store = s.start(true);
        s.show(store);
        ok &= waitForToday(store);
        if (withCard) {
            store.setQaText(u"Ivo <> Rena tomorrow 10am"_s);
            store.quickDraft();
        }
        ok &= s.shoot(
            withCard ? u"13-short-screen-card"_s : u"12-short-screen"_s,
            [&] { return store.hasQaDraft() == withCard; }, ShortWindow);
    }

    // The dark tooltip of the previous-day button, and the "Today" pill that leaves the
    // header's height alone.
    scriptToday(w);
    {
        Store &store = s.start(true);
        s.show(store);
        ok &= waitForToday(store);
        s.hover(u"previousDayButton"_s);
        QTest::qWait(900);
        ok &= s.shoot(u"14-tooltip"_s, [&] { return true; });
        s.hover(u"mark"_s);
    }

    // The address typed for a person without one enables "Create & invite" at once.
    scriptToday(w);
    w.on("POST", "/api/app/quick-add").reply(200, json(quickDraft(true)));
    {
        Store &store = s.start(true);
        s.show(store);
        ok &= waitForToday(store);
        store.setQaText(u"Ivo <> Rena tomorrow 10am"_s);
        store.quickDraft();
        QTest::qWait(300);
        store.setQaPersonEmail(0, u"rena@acme.io"_s);
        QTest::qWait(300);
        if (QQuickItem *row = s.item(u"personRow1"_s)) {
            if (QQuickItem *field = s.item(u"addressField"_s, row)) {
                field->forceActiveFocus();
                s.type(u"ivo@northwind.com"_s);
            }
        }
        ok &= s.shoot(u"15-quick-add-typed-address"_s, [&] {
            return store.hasQaDraft() && store.qaDraft()->people.value(1).email.has_value();
        });
    }

    // The copy key named as the desktop names it, once it is bound.
    scriptToday(w);
    {
        Store &store = s.start(true);
        store.setCopyShortcut(u"Ctrl+Alt+A"_s);
        s.show(store);
        ok &= s.shoot(u"16-copy-key-bound"_s, [&] { return store.today().size() == 6; });
    }

    // A long day scrolled, with an open row beside the scroll bar and long titles that leave the
    // time column and the risk bar in place.
    w.server.reset();
    w.on("GET", "/api/today").header("Content-Type", "application/json").reply(200, busyFeed());
    {
        Store &store = s.start(true);
        QQuickItem *panel = s.show(store);
        ok &= QTest::qWaitFor([&] { return store.today().size() == 14; }, 5000);
        panel->setProperty("expanded", u"busy1"_s);
        ok &= s.shoot(u"17-long-day-open-row"_s, [&] { return true; });
    }

    // A token typed into the sign-in screen: "Connect" lights up.
    w.server.reset();
    {
        Store &store = s.start(false);
        QQuickItem *panel = s.show(store);
        panel->setProperty("tokenSectionOpen", true);
        panel->setProperty("tokenInput", u"vesk_abc"_s);
        ok &= s.shoot(u"18-signed-out-token-typed"_s, [&] { return !store.hasToken(); });
    }

    // An update offered in the footer.
    scriptToday(w);
    w.on("GET", "/download/version.json").reply(200, json({{u"version"_s, u"9.1.0"_s}}));
    {
        Store &store = s.start(true);
        s.show(store);
        ok &= s.shoot(u"11-update-offered"_s,
                      [&] { return !store.updateVersion().isEmpty() && store.today().size() == 6; });
    }
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_QUICK_BACKEND", "software");
    QTemporaryDir runtime;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        QFile::setPermissions(runtime.path(),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    }
    qInstallMessageHandler(countWarnings);

    QGuiApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : u"screenshots"_s;
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(folder));
        return 2;
    }

    bool ok = false;
    {
        Shooter shooter(folder);
        ok = run(shooter);
        shooter.removePanel();
        shooter.world.stop();
    }
    if (g_warnings > 0) {
        std::fprintf(stderr, "%d warning(s) while rendering\n", g_warnings);
        return 1;
    }
    return ok ? 0 : 1;
}
