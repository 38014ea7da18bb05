// Measures vesk-bar against the baselines and prints one line per figure. Runs inside a private
// session bus and an X server (bench/run-bench sets both up); plays the desktop's status-notifier
// watcher and the Vesk service on loopback itself, and reads the apps' frame marks
// (VESK_BENCH_TRACE=1) from their standard error.
//
//   vesk-bench --app build-release/src/vesk-bar --tray-baseline build-release/bench/bench-baseline-tray
//              --rows-baseline build-release/bench/bench-baseline-rows [--runs N] [--reloads N] [--app-only]
//              [--long]
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponse>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QTimeZone>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <optional>
#include <unistd.h>
#include <vector>

namespace {

qint64 nowNs()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

QByteArray format(const char *pattern, double value)
{
    char buffer[128];
    std::snprintf(buffer, sizeof(buffer), pattern, value);
    return QByteArray(buffer);
}

double ms(qint64 ns)
{
    return double(ns) / 1e6;
}

/// Runs the event loop until `done` holds or `timeoutMs` passed; false on time-out.
bool spinUntil(const std::function<bool()> &done, int timeoutMs = 10000)
{
    const qint64 end = nowNs() + qint64(timeoutMs) * 1000000;
    while (!done()) {
        if (nowNs() > end)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
        QThread::usleep(200);
    }
    return true;
}

void settle(int msecs)
{
    spinUntil([] { return false; }, msecs);
}

struct Stats
{
    std::vector<double> values;
    void add(double v) { values.push_back(v); }
    bool empty() const { return values.empty(); }
    double min() const { return *std::min_element(values.begin(), values.end()); }
    double max() const { return *std::max_element(values.begin(), values.end()); }
    double median() const
    {
        std::vector<double> v = values;
        std::sort(v.begin(), v.end());
        const size_t n = v.size();
        return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    }
};

/// The desktop's watcher: records when and by whom an item registered.
class Watcher : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)

public:
    bool hostRegistered() const { return true; }
    int protocolVersion() const { return 0; }
    QStringList items() const { return m_items; }

    qint64 registeredAt = 0;
    QString itemService;

public Q_SLOTS:
    void RegisterStatusNotifierItem(const QString &service, const QDBusMessage &message)
    {
        registeredAt = nowNs();
        // Qt's own tray item registers a well-known name; ours registers its unique name.
        itemService = service.startsWith(u'/') ? message.service() : service;
        m_items << itemService;
    }
    void RegisterStatusNotifierHost(const QString &) {}

private:
    QStringList m_items;
};

/// The service's feed on loopback: `meetings` meetings today, whose first title alternates with
/// every request so each reload changes what the panel shows.
class FeedServer
{
public:
    int meetings = 12;
    int requests = 0;
    qint64 lastServedAt = 0;

    quint16 start()
    {
        m_server.route(u"/api/today"_qs, [this](const QHttpServerRequest &) {
            ++requests;
            const QByteArray body = feed(requests % 2 == 0);
            lastServedAt = nowNs();
            return QHttpServerResponse("application/json", body);
        });
        return m_server.listen(QHostAddress::LocalHost, 0);
    }

private:
    QByteArray feed(bool variant) const
    {
        const QDate today = QDate::currentDate();
        QJsonArray list;
        // Spread over the day around now: some past, one live, the rest ahead.
        const QDateTime first = QDateTime::currentDateTime().addSecs(-3 * 3600);
        for (int i = 0; i < meetings; ++i) {
            QDateTime starts = first.addSecs(qint64(i) * 12 * 3600 / std::max(meetings, 1));
            if (starts.date() != today)
                starts = QDateTime(today, QTime(23, 0));
            const QString n = QString::number(i);
            QJsonArray people;
            people.append(QJsonObject{{u"name"_qs, u"Ada Lovelace"_qs},
                                      {u"email"_qs, QString(u"ada"_qs + n + u"@acme.example"_qs)},
                                      {u"rsvp"_qs, u"accepted"_qs},
                                      {u"title"_qs, u"CTO"_qs}});
            people.append(QJsonObject{{u"name"_qs, u"Nils Holm"_qs},
                                      {u"email"_qs, QString(u"nils"_qs + n + u"@acme.example"_qs)},
                                      {u"rsvp"_qs, u"needsAction"_qs}});
            QString title = u"Renewal call with Customer "_qs + n;
            if (i == 0 && variant)
                title += u" (moved)"_qs;
            list.append(QJsonObject{
                {u"id"_qs, QString(u"mtg_"_qs + n)},
                {u"title"_qs, title},
                {u"startsAt"_qs, starts.toUTC().toString(Qt::ISODate)},
                {u"endsAt"_qs, starts.addSecs(30 * 60).toUTC().toString(Qt::ISODate)},
                {u"room"_qs, i % 3 == 0 ? u"zoom"_qs : u"meet"_qs},
                {u"joinUrl"_qs, QString(u"https://zoom.example/j/"_qs + n)},
                {u"status"_qs, i % 4 == 0 ? u"at_risk"_qs : u"confirmed"_qs},
                {u"riskLevel"_qs, i % 4 == 0 ? u"high"_qs : u"low"_qs},
                {u"riskScore"_qs, i * 7 % 100},
                {u"action"_qs, u"Send the agenda"_qs},
                {u"watched"_qs, i % 5 == 0},
                {u"people"_qs, people},
            });
        }
        return QJsonDocument(QJsonObject{{u"date"_qs, today.toString(Qt::ISODate)}, {u"meetings"_qs, list}})
            .toJson(QJsonDocument::Compact);
    }

    QHttpServer m_server;
};

/// One process under measurement, with the trace marks read from its standard error.
class Subject
{
public:
    Subject(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment)
    {
        m_process.setProgram(program);
        m_process.setArguments(arguments);
        m_process.setProcessEnvironment(environment);
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.setStandardOutputFile(QProcess::nullDevice());
        QObject::connect(&m_process, &QProcess::readyReadStandardError, [this] { readMarks(); });
    }
    ~Subject() { stop(); }

    qint64 start()
    {
        const qint64 at = nowNs();
        m_process.start();
        m_process.waitForStarted(5000);
        return at;
    }
    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }
    qint64 pid() const { return m_process.processId(); }
    void send(const QByteArray &line) { m_process.write(line); }

    /// The time of the first `event` marked after `after`, waiting for it.
    std::optional<qint64> waitFor(const QByteArray &event, qint64 after, int timeoutMs = 10000)
    {
        std::optional<qint64> found;
        spinUntil(
            [&] {
                for (const auto &[name, at] : m_marks) {
                    if (name == event && at > after) {
                        found = at;
                        return true;
                    }
                }
                return false;
            },
            timeoutMs);
        return found;
    }
    void forgetMarks() { m_marks.clear(); }

private:
    void readMarks()
    {
        m_buffer += m_process.readAllStandardError();
        qsizetype end;
        while ((end = m_buffer.indexOf('\n')) >= 0) {
            const QList<QByteArray> parts = m_buffer.left(end).split(' ');
            m_buffer.remove(0, end + 1);
            if (parts.size() == 3 && parts[0] == "vesk-trace")
                m_marks.push_back({parts[1], parts[2].toLongLong()});
        }
    }

    QProcess m_process;
    QByteArray m_buffer;
    std::vector<std::pair<QByteArray, qint64>> m_marks;
};

/// Resident memory in MB, from smaps_rollup.
double rssMb(qint64 pid)
{
    QFile file(u"/proc/%1/smaps_rollup"_qs.arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith("Rss:"))
            return line.mid(4).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

int librariesMapped(qint64 pid)
{
    QFile file(u"/proc/%1/maps"_qs.arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    QSet<QByteArray> libraries;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const qsizetype slash = line.indexOf('/');
        if (slash >= 0 && line.contains(".so"))
            libraries.insert(line.mid(slash));
    }
    return int(libraries.size());
}

/// CPU seconds (user + system) and context switches of every thread so far.
std::pair<double, qint64> cpuAndWakeUps(qint64 pid)
{
    double seconds = 0;
    qint64 switches = 0;
    const QDir tasks(u"/proc/%1/task"_qs.arg(pid));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(tasks.filePath(task) + u"/stat"_qs);
        if (stat.open(QIODevice::ReadOnly)) {
            const QByteArray text = stat.readAll();
            const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
            if (fields.size() > 12)
                seconds += (fields[11].toDouble() + fields[12].toDouble()) / double(::sysconf(_SC_CLK_TCK));
        }
        QFile status(tasks.filePath(task) + u"/status"_qs);
        if (status.open(QIODevice::ReadOnly)) {
            for (const QByteArray &line : status.readAll().split('\n')) {
                if (line.startsWith("voluntary_ctxt_switches:"))
                    switches += line.mid(24).trimmed().toLongLong();
            }
        }
    }
    return {seconds, switches};
}

class Bench
{
public:
    QString app;
    QString trayBaseline;
    QString rowsBaseline;
    int runs = 7;
    int reloads = 10000;
    /// Only the application's runs with 12 meetings (start-up, opens, reloads): no baselines, no
    /// 50-meeting runs, no growth figure. For comparing two builds of the application quickly.
    bool appOnly = false;

    bool setUp()
    {
        m_watcherBus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"bench-watcher"_qs);
        if (!m_watcherBus.registerObject(u"/StatusNotifierWatcher"_qs, &m_watcher,
                                         QDBusConnection::ExportAllSlots |
                                             QDBusConnection::ExportAllProperties) ||
            !m_watcherBus.registerService(u"org.kde.StatusNotifierWatcher"_qs)) {
            std::fprintf(stderr, "vesk-bench: no session bus for the watcher\n");
            return false;
        }
        const quint16 port = m_server.start();
        if (!port || !m_home.isValid())
            return false;
        QDir(m_home.path()).mkpath(u"data/Vesk"_qs);
        QDir(m_home.path()).mkpath(u"config"_qs);
        QDir(m_home.path()).mkpath(u"runtime"_qs);
        QFile::setPermissions(m_home.filePath(u"runtime"_qs),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile token(m_home.filePath(u"data/Vesk/token"_qs));
        token.open(QIODevice::WriteOnly);
        token.write("vesk_bench_token");
        token.close();
        m_environment = QProcessEnvironment::systemEnvironment();
        m_environment.insert(u"HOME"_qs, m_home.path());
        m_environment.insert(u"XDG_DATA_HOME"_qs, m_home.filePath(u"data"_qs));
        m_environment.insert(u"XDG_CONFIG_HOME"_qs, m_home.filePath(u"config"_qs));
        m_environment.insert(u"XDG_RUNTIME_DIR"_qs, m_home.filePath(u"runtime"_qs));
        m_environment.insert(u"VESK_BASE_URL"_qs, u"http://127.0.0.1:%1"_qs.arg(port));
        m_environment.insert(u"VESK_WEB_URL"_qs, u"http://127.0.0.1:%1"_qs.arg(port));
        m_environment.insert(u"VESK_BENCH_TRACE"_qs, u"1"_qs);
        m_environment.insert(u"QT_QPA_PLATFORM"_qs, u"xcb"_qs);
        m_environment.remove(u"QT_QUICK_BACKEND"_qs);
        return true;
    }

    void run(bool longRun)
    {
        std::printf("machine: %d cores, %s; %d runs each, medians (min … max)\n",
                    int(::sysconf(_SC_NPROCESSORS_ONLN)), qPrintable(QSysInfo::prettyProductName()), runs);
        if (longRun) {
            idle();
            return;
        }
        // One run of each first, unmeasured, so every measured run finds the files in the page cache.
        measureApp(12, true);
        if (appOnly) {
            for (int i = 0; i < runs; ++i)
                measureApp(12, false);
            report();
            return;
        }
        measureBaseline(false, true);
        measureBaseline(true, true);
        for (int i = 0; i < runs; ++i) {
            measureApp(12, false);
            measureBaseline(false, false);
            measureBaseline(true, false);
        }
        for (int i = 0; i < std::max(3, runs / 2); ++i)
            measureApp(50, false);
        report();
        reloadGrowth();
    }

private:
    struct Figures
    {
        Stats startup, libraries, idleRss, firstOpen, trayReopen, toggleOpen, openRss, reload;
        /// The first open in three parts: the click reaching the app, building the panel (window,
        /// engine, QML), and the first layout and render.
        Stats openToBuild, build, buildToFrame;
    };

    /// With VESK_BENCH_SMAPS set to a folder, keeps the process's memory map per mapping there, for
    /// seeing where the megabytes go.
    static void keepSmaps(qint64 pid, const char *name)
    {
        const QString folder = qEnvironmentVariable("VESK_BENCH_SMAPS");
        if (folder.isEmpty())
            return;
        QFile in(u"/proc/%1/smaps"_qs.arg(pid));
        QFile out(folder + u'/' + QString::fromLatin1(name) + u".smaps"_qs);
        if (in.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly))
            out.write(in.readAll());
    }

    std::optional<QString> waitRegistered(qint64 after)
    {
        if (!spinUntil([&] { return m_watcher.registeredAt > after; }))
            return std::nullopt;
        return m_watcher.itemService;
    }

    /// Clicks the item as a host does: Activate(x, y) on its object.
    qint64 click(const QString &service)
    {
        QDBusMessage message = QDBusMessage::createMethodCall(
            service, u"/StatusNotifierItem"_qs, u"org.kde.StatusNotifierItem"_qs, u"Activate"_qs);
        message.setArguments({1200, 10});
        const qint64 at = nowNs();
        m_watcherBus.asyncCall(message);
        return at;
    }

    // With the panel open: three reopens by clicking the item (each after a click that closes it), then
    // one by a second process's `--toggle`; the panel is left open.
    void measureLaterOpens(Subject &subject, const QString &service, const QString &program, Figures &f)
    {
        for (int i = 0; i < 3; ++i) {
            click(service); // closes
            settle(400);
            const qint64 again = click(service);
            if (const std::optional<qint64> next = subject.waitFor("frame", again))
                f.trayReopen.add(ms(*next - again));
            settle(200);
        }
        click(service);
        settle(400);
        Subject later(program, {u"--toggle"_qs}, m_environment);
        const qint64 toggled = later.start();
        if (const std::optional<qint64> next = subject.waitFor("frame", toggled))
            f.toggleOpen.add(ms(*next - toggled));
        settle(300);
    }

    void measureApp(int meetings, bool warmUp)
    {
        Figures &f = meetings == 12 ? m_app : m_app50;
        m_server.meetings = meetings;
        Subject subject(app, {}, m_environment);
        const int requestsBefore = m_server.requests;
        const qint64 started = subject.start();
        const std::optional<QString> service = waitRegistered(started);
        if (!service) {
            std::fprintf(stderr, "vesk-bench: vesk-bar did not register its item\n");
            return;
        }
        const double startup = ms(m_watcher.registeredAt - started);
        const int libraries = librariesMapped(subject.pid());
        spinUntil([&] { return m_server.requests > requestsBefore; });
        settle(1500);
        const double idle = rssMb(subject.pid());
        keepSmaps(subject.pid(), meetings == 12 ? "idle" : "idle50");

        const qint64 clicked = click(*service);
        const std::optional<qint64> frame = subject.waitFor("frame", clicked);
        const std::optional<qint64> begin = subject.waitFor("panel-begin", clicked, 0);
        const std::optional<qint64> built = subject.waitFor("panel-built", clicked, 0);
        settle(800);
        const double open = rssMb(subject.pid());
        keepSmaps(subject.pid(), meetings == 12 ? "open" : "open50");
        if (!warmUp && frame && begin && built) {
            f.openToBuild.add(ms(*begin - clicked));
            f.build.add(ms(*built - *begin));
            f.buildToFrame.add(ms(*frame - *built));
        }
        if (!warmUp) {
            if (meetings == 12) {
                f.startup.add(startup);
                f.libraries.add(libraries);
                f.idleRss.add(idle);
            }
            if (frame)
                f.firstOpen.add(ms(*frame - clicked));
            f.openRss.add(open);
        }
        if (meetings != 12 || warmUp)
            return;

        measureLaterOpens(subject, *service, app, f);

        // Reloads with the panel open: from the reply leaving the service to the repaint.
        m_server.meetings = 50;
        for (int i = 0; i < 15; ++i) {
            const int before = m_server.requests;
            subject.send("refresh\n");
            spinUntil([&] { return m_server.requests > before; });
            const qint64 served = m_server.lastServedAt;
            if (const std::optional<qint64> next = subject.waitFor("frame", served, 3000); next && i >= 3)
                m_app.reload.add(ms(*next - served));
            settle(50);
        }
    }

    void measureBaseline(bool rows, bool warmUp)
    {
        Figures &f = rows ? m_rows : m_tray;
        const QString &baseline = rows ? rowsBaseline : trayBaseline;
        Subject subject(baseline, {}, m_environment);
        const qint64 started = subject.start();
        const std::optional<QString> service = waitRegistered(started);
        if (!service) {
            std::fprintf(stderr, "vesk-bench: the baseline did not register its item\n");
            return;
        }
        const double startup = ms(m_watcher.registeredAt - started);
        const int libraries = librariesMapped(subject.pid());
        settle(1000);
        const double idle = rssMb(subject.pid());
        keepSmaps(subject.pid(), rows ? "baseline-rows-idle" : "baseline-tray-idle");
        if (warmUp)
            return;
        f.startup.add(startup);
        f.libraries.add(libraries);
        f.idleRss.add(idle);
        if (!rows)
            return;
        const qint64 clicked = click(*service);
        if (const std::optional<qint64> frame = subject.waitFor("frame", clicked))
            f.firstOpen.add(ms(*frame - clicked));
        settle(800);
        f.openRss.add(rssMb(subject.pid()));
        measureLaterOpens(subject, *service, baseline, f);
    }

    static QByteArray spread(const Stats &s, const char *format = "%.1f")
    {
        if (s.empty())
            return "no value";
        auto num = [format](double v) { return ::format(format, v); };
        return num(s.median()) + " (" + num(s.min()) + " … " + num(s.max()) + ")";
    }

    static void line(const char *name, const Stats &value, const char *unit, const QByteArray &baseline,
                     const QByteArray &target, std::optional<bool> met, const char *format = "%.1f")
    {
        // A figure not measured in this run (see --app-only) gets no verdict.
        if (value.empty())
            met = std::nullopt;
        std::printf("%s: %s %s (baseline %s; target %s)%s\n", name, spread(value, format).constData(), unit,
                    baseline.constData(), target.constData(), !met ? "" : (*met ? "  [met]" : "  [NOT MET]"));
    }

    void report()
    {
        const auto median = [](const Stats &s) { return s.empty() ? 0.0 : s.median(); };
        const double startupLimit = median(m_tray.startup) * 1.05;
        line("start-up, exec to item registered", m_app.startup, "ms", spread(m_tray.startup) + " ms",
             format("≤ 1.05× baseline = %.1f ms", startupLimit),
             m_tray.startup.empty() ? std::nullopt : std::optional(median(m_app.startup) <= startupLimit));
        line("libraries mapped at registration", m_app.libraries, "", spread(m_tray.libraries, "%.0f"),
             "fewer", std::nullopt, "%.0f");
        const double idleLimit = median(m_tray.idleRss) + 2;
        line("idle RSS, panel never opened", m_app.idleRss, "MB", spread(m_tray.idleRss) + " MB",
             format("≤ baseline + 2 MB = %.1f MB", idleLimit),
             m_tray.idleRss.empty() ? std::nullopt : std::optional(median(m_app.idleRss) <= idleLimit));
        line("first open to first frame, 12 meetings", m_app.firstOpen, "ms",
             spread(m_rows.firstOpen) + " ms", "≤ 30 ms", median(m_app.firstOpen) <= 30);
        line("first open to first frame, 50 meetings", m_app50.firstOpen, "ms", "—", "≤ 40 ms",
             median(m_app50.firstOpen) <= 40);
        for (const Figures *f : {&m_app, &m_app50}) {
            if (f->build.empty())
                continue;
            std::printf(
                "  first open, %d meetings, in parts: click to build %s ms, building the panel %s ms, "
                "layout and first frame %s ms\n",
                f == &m_app ? 12 : 50, spread(f->openToBuild).constData(), spread(f->build).constData(),
                spread(f->buildToFrame).constData());
        }
        line("later open by vesk-bar --toggle to frame", m_app.toggleOpen, "ms",
             spread(m_rows.toggleOpen) + " ms", "≤ 8 ms max",
             !m_app.toggleOpen.empty() && m_app.toggleOpen.max() <= 8);
        line("later open by tray click to frame", m_app.trayReopen, "ms", spread(m_rows.trayReopen) + " ms",
             "≤ 5 ms", median(m_app.trayReopen) <= 5);
        line("RSS after the first open, 12 meetings", m_app.openRss, "MB", spread(m_rows.openRss) + " MB",
             "≤ 48 MB", median(m_app.openRss) <= 48);
        line("RSS after the first open, 50 meetings", m_app50.openRss, "MB", "—", "≤ 52 MB",
             median(m_app50.openRss) <= 52);
        line("feed reload of 50 meetings, panel open, reply to repaint", m_app.reload, "ms", "—",
             "≤ 8 ms median", median(m_app.reload) <= 8);
        std::fflush(stdout);
    }

    void reloadGrowth()
    {
        if (reloads <= 0)
            return;
        m_server.meetings = 50;
        Subject subject(app, {}, m_environment);
        const qint64 started = subject.start();
        const std::optional<QString> service = waitRegistered(started);
        if (!service)
            return;
        spinUntil([&] { return m_server.requests > 0; });
        settle(500);
        click(*service);
        subject.waitFor("frame", started);
        const auto reloadTimes = [&](int count) {
            for (int i = 0; i < count; ++i) {
                const int before = m_server.requests;
                subject.send("refresh\n");
                spinUntil([&] { return m_server.requests > before; }, 5000);
                subject.waitFor("frame", m_server.lastServedAt, 2000);
                if (i % 64 == 0)
                    subject.forgetMarks();
            }
        };
        const int warmUp = std::max(200, reloads / 5);
        reloadTimes(warmUp);
        settle(500);
        const double before = rssMb(subject.pid());
        reloadTimes(reloads);
        settle(500);
        const double after = rssMb(subject.pid());
        Stats growth;
        growth.add(after - before);
        std::printf(
            "RSS growth over %d reloads after %d warm-up: %+.2f MB (%.1f → %.1f MB; target < 0.3 MB)%s\n",
            reloads, warmUp, after - before, before, after, after - before < 0.3 ? "  [met]" : "  [NOT MET]");
        std::fflush(stdout);
    }

    void idle()
    {
        m_server.meetings = 12;
        Subject subject(app, {}, m_environment);
        const qint64 started = subject.start();
        if (!waitRegistered(started))
            return;
        spinUntil([&] { return m_server.requests > 0; });
        settle(5000);
        const auto [cpu0, switches0] = cpuAndWakeUps(subject.pid());
        const int requests0 = m_server.requests;
        settle(600 * 1000);
        const auto [cpu1, switches1] = cpuAndWakeUps(subject.pid());
        std::printf("idle CPU over 10 min, panel closed: %.2f s (baseline 0; target ≤ 0.05 s)%s\n",
                    cpu1 - cpu0, cpu1 - cpu0 <= 0.05 ? "  [met]" : "  [NOT MET]");
        std::printf(
            "voluntary wake-ups over 10 min, all threads: %lld (10 ticks of the 60 s timer and %d feed "
            "reloads expected)\n",
            (long long)(switches1 - switches0), m_server.requests - requests0);
    }

    QDBusConnection m_watcherBus{u"none"_qs};
    Watcher m_watcher;
    FeedServer m_server;
    QTemporaryDir m_home;
    QProcessEnvironment m_environment;
    Figures m_app, m_app50, m_tray, m_rows;
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    Bench bench;
    bool longRun = false;
    const QStringList arguments = QCoreApplication::arguments();
    for (int i = 1; i < arguments.size(); ++i) {
        const QString &a = arguments.at(i);
        const QString next = i + 1 < arguments.size() ? arguments.at(i + 1) : QString();
        if (a == u"--app")
            bench.app = next, ++i;
        else if (a == u"--tray-baseline")
            bench.trayBaseline = next, ++i;
        else if (a == u"--rows-baseline")
            bench.rowsBaseline = next, ++i;
        else if (a == u"--runs")
            bench.runs = next.toInt(), ++i;
        else if (a == u"--reloads")
            bench.reloads = next.toInt(), ++i;
        else if (a == u"--app-only")
            bench.appOnly = true;
        else if (a == u"--long")
            longRun = true;
    }
    if (bench.app.isEmpty() || bench.trayBaseline.isEmpty() || bench.rowsBaseline.isEmpty() || !bench.setUp())
        return 2;
    bench.run(longRun);
    return 0;
}

#include "vesk-bench.moc"
