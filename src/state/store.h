#pragma once

#include "model/composed.h"
#include "model/meeting.h"
#include "model/personhit.h"
#include "model/qadraft.h"
#include "service/veskapi.h"

#include <QCoro/QCoroTask>
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>

#include <chrono>
#include <optional>

class Clipboard;
class Clock;
class Http;
class LoginItem;
class Settings;
class Sounds;
class TokenStore;
class UrlOpener;

/// The adapters the Store works through; all outlive it.
struct Services
{
    Http &http;
    Clock &clock;
    Settings &settings;
    LoginItem &loginItem;
    UrlOpener &urlOpener;
    Clipboard &clipboard;
    Sounds &sounds;
    TokenStore &tokens;
    QUrl apiBase;
    QUrl webUrl;
};

/// The Store's timings and own version; the defaults are the product's, tests shorten them.
struct StoreOptions
{
    /// How often the Store re-reads the clock and reloads a stale feed.
    std::chrono::milliseconds tickInterval{60000};
    /// How long a confirmation stays in place of the tray title.
    std::chrono::milliseconds flashDuration{2500};
    VeskApi::Timeouts requestTimeouts;
    /// The application's own version, compared by the update check.
    QString ownVersion = QStringLiteral(VESK_BAR_VERSION);
};

/// The one application-state object. Every published field has its own change signal; optional
/// texts read as an empty QString when absent. Main thread only.
class Store : public QObject
{
    Q_OBJECT

    /// The service's feed for its current day, in service order.
    Q_PROPERTY(QList<Meeting> meetings READ meetings NOTIFY meetingsChanged)
    /// The day the panel shows (start of that day, local time).
    Q_PROPERTY(QDateTime day READ day NOTIFY dayChanged)
    /// The feed for `day` when it is not today.
    Q_PROPERTY(QList<Meeting> dayMeetings READ dayMeetings NOTIFY dayMeetingsChanged)
    /// A load of the shown day is running.
    Q_PROPERTY(bool loadingDay READ loadingDay NOTIFY loadingDayChanged)
    /// The last feed error message; empty when none.
    Q_PROPERTY(QString error READ error NOTIFY errorChanged)
    /// A token is stored.
    Q_PROPERTY(bool hasToken READ hasToken NOTIFY hasTokenChanged)
    /// Completion time of the last good refresh; invalid when none.
    Q_PROPERTY(QDateTime lastUpdated READ lastUpdated NOTIFY lastUpdatedChanged)
    /// The Store's notion of the current time.
    Q_PROPERTY(QDateTime now READ now NOTIFY nowChanged)
    /// The open-at-login switch.
    Q_PROPERTY(bool openAtLogin READ openAtLogin NOTIFY openAtLoginChanged)
    /// A newer release's version; empty when none.
    Q_PROPERTY(QString updateVersion READ updateVersion NOTIFY updateVersionChanged)
    /// Drafted mails: meeting id -> composed.
    Q_PROPERTY(QVariantMap composed READ composed NOTIFY composedChanged)
    /// Ids of meetings with an action in flight (a set).
    Q_PROPERTY(QStringList busy READ busy NOTIFY busyChanged)
    /// Per-meeting action errors: meeting id -> text.
    Q_PROPERTY(QVariantMap actionError READ actionError NOTIFY actionErrorChanged)
    /// A short confirmation shown in place of the tray title; empty when none.
    Q_PROPERTY(QString flash READ flash NOTIFY flashChanged)
    /// The open-times text last copied; empty when none.
    Q_PROPERTY(QString availPreview READ availPreview WRITE setAvailPreview NOTIFY availPreviewChanged)
    /// An availability request is running.
    Q_PROPERTY(bool availBusy READ availBusy NOTIFY availBusyChanged)
    /// The last availability error; empty when none.
    Q_PROPERTY(QString availError READ availError NOTIFY availErrorChanged)
    /// Hits of the last people search.
    Q_PROPERTY(QList<PersonHit> people READ people NOTIFY peopleChanged)
    /// The quick-add sentence as typed.
    Q_PROPERTY(QString qaText READ qaText WRITE setQaText NOTIFY qaTextChanged)
    /// A quick-add request is running.
    Q_PROPERTY(bool qaBusy READ qaBusy NOTIFY qaBusyChanged)
    /// Whether a quick-add draft is shown.
    Q_PROPERTY(bool hasQaDraft READ hasQaDraft NOTIFY qaDraftChanged)
    /// The quick-add draft (meaningful when hasQaDraft).
    Q_PROPERTY(QADraft qaDraft READ qaDraftValue NOTIFY qaDraftChanged)
    /// The last quick-add error; empty when none.
    Q_PROPERTY(QString qaError READ qaError NOTIFY qaErrorChanged)
    /// The confirmation of the last created event; empty when none.
    Q_PROPERTY(QString qaDone READ qaDone NOTIFY qaDoneChanged)
    /// The availability recipient search text.
    Q_PROPERTY(QString forQuery READ forQuery WRITE setForQuery NOTIFY forQueryChanged)
    /// Whether a recipient hit is chosen.
    Q_PROPERTY(bool hasForWho READ hasForWho NOTIFY forWhoChanged)
    /// The chosen recipient (meaningful when hasForWho).
    Q_PROPERTY(PersonHit forWho READ forWhoValue NOTIFY forWhoChanged)
    /// Meeting length in minutes for availability.
    Q_PROPERTY(int forDuration READ forDuration WRITE setForDuration NOTIFY forDurationChanged)
    /// The copy hot key as this desktop names it ("Ctrl+Alt+A") while it is bound; empty otherwise.
    Q_PROPERTY(QString copyShortcut READ copyShortcut WRITE setCopyShortcut NOTIFY copyShortcutChanged)
    /// Minutes before a meeting's start that its heads-up notification comes; 0 when off.
    Q_PROPERTY(int headsUpMinutes READ headsUpMinutes NOTIFY headsUpMinutesChanged)

    /// Derived values, recomputed on every read and announced when an input changes.
    Q_PROPERTY(bool isToday READ isToday NOTIFY isTodayChanged)
    Q_PROPERTY(QList<Meeting> today READ today NOTIFY todayChanged)
    Q_PROPERTY(QList<Meeting> tomorrowMorning READ tomorrowMorning NOTIFY tomorrowMorningChanged)
    Q_PROPERTY(bool hasNext READ hasNext NOTIFY nextChanged)
    Q_PROPERTY(Meeting next READ nextValue NOTIFY nextChanged)
    Q_PROPERTY(QString menuTitle READ menuTitle NOTIFY menuTitleChanged)
    /// `forQuery` when it is a mail address (blanks and tabs trimmed); empty otherwise.
    Q_PROPERTY(QString forTypedEmail READ forTypedEmailText NOTIFY forTypedEmailChanged)

    /// The service base URL; the panel's links to the planner, "settings" and "download" hang off it.
    Q_PROPERTY(QUrl apiBase READ apiBase CONSTANT)
    /// The application's own version text.
    Q_PROPERTY(QString appVersion READ appVersion CONSTANT)

public:
    using Composed = ::Composed;
    using PersonHit = ::PersonHit;
    using QAPerson = ::QAPerson;
    using QADraft = ::QADraft;

    explicit Store(Services services, StoreOptions options = {}, QObject *parent = nullptr);
    ~Store() override;

    // Published fields.
    const QList<Meeting> &meetings() const { return m_meetings; }
    QDateTime day() const { return m_day; }
    const QList<Meeting> &dayMeetings() const { return m_dayMeetings; }
    bool loadingDay() const { return m_loadingDay; }
    QString error() const { return m_error; }
    bool hasToken() const { return m_hasToken; }
    QDateTime lastUpdated() const { return m_lastUpdated; }
    QDateTime now() const { return m_now; }
    bool openAtLogin() const { return m_openAtLogin; }
    QString updateVersion() const { return m_updateVersion; }
    QVariantMap composed() const;
    QStringList busy() const { return m_busy; }
    QVariantMap actionError() const;
    QString flash() const { return m_flash; }
    QString availPreview() const { return m_availPreview; }
    bool availBusy() const { return m_availBusy; }
    QString availError() const { return m_availError; }
    const QList<PersonHit> &people() const { return m_people; }
    QString qaText() const { return m_qaText; }
    bool qaBusy() const { return m_qaBusy; }
    bool hasQaDraft() const { return m_qaDraft.has_value(); }
    const std::optional<QADraft> &qaDraft() const { return m_qaDraft; }
    QADraft qaDraftValue() const { return m_qaDraft.value_or(QADraft()); }
    QString qaError() const { return m_qaError; }
    QString qaDone() const { return m_qaDone; }
    QString forQuery() const { return m_forQuery; }
    bool hasForWho() const { return m_forWho.has_value(); }
    const std::optional<PersonHit> &forWho() const { return m_forWho; }
    PersonHit forWhoValue() const { return m_forWho.value_or(PersonHit()); }
    int forDuration() const { return m_forDuration; }

    /// Per-meeting lookups for C++ callers.
    [[nodiscard]] std::optional<Composed> composedFor(const QString &id) const;
    [[nodiscard]] std::optional<QString> actionErrorFor(const QString &id) const;

    // Derived values.
    bool isToday() const;
    QList<Meeting> today() const;
    QList<Meeting> tomorrowMorning() const;
    std::optional<Meeting> next() const;
    bool hasNext() const { return next().has_value(); }
    Meeting nextValue() const { return next().value_or(Meeting()); }
    QString menuTitle() const;
    [[nodiscard]] std::optional<QString> forTypedEmail() const;
    /// `text` with blanks and tabs trimmed when that is one whole mail address.
    static std::optional<QString> mailAddressIn(const QString &text);
    QString forTypedEmailText() const { return forTypedEmail().value_or(QString()); }

    // View inputs.
    void setQaText(const QString &text);
    /// A new search text while no recipient is chosen also drops the preview and searches for it
    /// (the empty text included).
    void setForQuery(const QString &text);
    /// A new length drops the preview.
    void setForDuration(int minutes);
    void setAvailPreview(const QString &text);
    /// Chooses a recipient hit for availability; the copied block no longer matches, so the
    /// preview goes.
    Q_INVOKABLE void chooseForWho(const PersonHit &hit);
    QString copyShortcut() const { return m_copyShortcut; }
    void setCopyShortcut(const QString &keys);
    /// Drops the chosen recipient: the person field comes back empty (without searching for the
    /// empty text) and the preview goes.
    Q_INVOKABLE void clearForWho();
    /// Edits of the shown quick-add draft, field by field.
    Q_INVOKABLE void setQaTitle(const QString &title);
    Q_INVOKABLE void setQaConference(const QString &conference);
    Q_INVOKABLE void setQaPersonName(int index, const QString &name);
    /// Sets a draft person's address; an empty text means no address.
    Q_INVOKABLE void setQaPersonEmail(int index, const QString &email);
    /// Takes a candidate's address and name (possibly none) for a draft person, in one edit.
    Q_INVOKABLE void chooseQaCandidate(int index, const PersonHit &hit);
    /// The text being typed as a draft person's address: a complete mail address (blanks trimmed)
    /// becomes the address at once, anything else leaves the person without one.
    Q_INVOKABLE void typeQaPersonEmail(int index, const QString &text);
    /// Drops the shown quick-add draft.
    Q_INVOKABLE void clearQaDraft();

    // Operations. Each starts a main-thread task and returns at once.
    /// Reloads the feed (and the shown day when it is not today).
    Q_INVOKABLE void refresh();
    /// Moves the shown day by `n` calendar days.
    Q_INVOKABLE void shiftDay(int n);
    /// Returns the panel to the current day and reloads.
    Q_INVOKABLE void goToday();
    /// Stores a pasted token and loads the feed with it.
    Q_INVOKABLE void setToken(const QString &token);
    /// Forgets the token.
    Q_INVOKABLE void signOut();
    /// "VeskConnected": the browser sign-in stored a new token; re-reads it and reloads.
    void veskConnected();
    /// Starts the browser sign-in.
    Q_INVOKABLE void signInWithBrowser();
    /// Switches the login item on or off.
    Q_INVOKABLE void toggleLogin();
    /// Checks for a newer release.
    Q_INVOKABLE void checkForUpdate();
    /// Records an outcome ("vesk", "no_show") for a meeting, then reloads.
    Q_INVOKABLE void mark(const Meeting &meeting, const QString &action);
    /// Asks the service for a mail ("draft", "propose") for a meeting.
    Q_INVOKABLE void compose(const Meeting &meeting, const QString &action);
    /// Turns `qaText` into a draft event.
    Q_INVOKABLE void quickDraft();
    /// Creates the event of the shown draft.
    Q_INVOKABLE void quickCreate();
    /// Copies open times for a person (name and email may be empty) and a duration.
    Q_INVOKABLE void copyAvailability(const QString &name, const QString &email, int duration);
    /// Copies open times for the availability bar's current choice.
    Q_INVOKABLE void copyForCurrent();
    /// Searches the user's contacts; replaces `people`.
    Q_INVOKABLE void searchPeople(const QString &text);

    /// The heads-up lead time, kept in the settings; one of `headsUpChoices()`.
    int headsUpMinutes() const;
    /// Sets the lead time; values other than the choices are ignored.
    void setHeadsUpMinutes(int minutes);
    /// Moves the lead time to the next choice (off, 1, 5, 10 minutes, then off again).
    Q_INVOKABLE void cycleHeadsUp();
    static QList<int> headsUpChoices() { return {0, 1, 5, 10}; }

    QUrl apiBase() const { return m_services.apiBase; }
    QString appVersion() const { return m_ownVersion; }
    /// The service base URL with `path` appended (e.g. "settings").
    Q_INVOKABLE QUrl serviceUrl(const QString &path) const;
    /// Opens a web or mail address in the user's default application; any other link (a file, a
    /// share, another application's scheme) is not opened. See isOpenable().
    Q_INVOKABLE void openUrl(const QUrl &url);
    /// https, mailto, and http towards this computer only.
    static bool isOpenable(const QUrl &url);
    /// Replaces the clipboard with one plain text.
    Q_INVOKABLE void copyText(const QString &text);
    /// Copies open times for the shown quick-add draft's first person and its length; once that has
    /// finished, whatever its outcome, drops the draft and empties the sentence.
    Q_INVOKABLE void copyTimesForDraft();

    /// Numeric comparison of dotted versions: digit runs by value, other characters one by one.
    [[nodiscard]] static int compareVersions(const QString &a, const QString &b);
    /// The 40-character sign-in state text.
    [[nodiscard]] static QString makeConnectState();

Q_SIGNALS:
    void meetingsChanged();
    void dayChanged();
    void dayMeetingsChanged();
    void loadingDayChanged();
    void errorChanged();
    void hasTokenChanged();
    void lastUpdatedChanged();
    void nowChanged();
    void openAtLoginChanged();
    void updateVersionChanged();
    void composedChanged();
    void busyChanged();
    void actionErrorChanged();
    void flashChanged();
    void availPreviewChanged();
    void availBusyChanged();
    void availErrorChanged();
    void peopleChanged();
    void qaTextChanged();
    void qaBusyChanged();
    void qaDraftChanged();
    void qaErrorChanged();
    void qaDoneChanged();
    void forQueryChanged();
    void forWhoChanged();
    void forDurationChanged();
    void copyShortcutChanged();
    void headsUpMinutesChanged();
    void isTodayChanged();
    void todayChanged();
    void tomorrowMorningChanged();
    void nextChanged();
    void menuTitleChanged();
    void forTypedEmailChanged();

private:
    QCoro::Task<> refreshTask();
    QCoro::Task<> loadDayTask();
    QCoro::Task<> checkForUpdateTask();
    QCoro::Task<> markTask(Meeting meeting, QString action);
    QCoro::Task<> composeTask(Meeting meeting, QString action);
    QCoro::Task<> quickDraftTask();
    QCoro::Task<> quickCreateTask();
    QCoro::Task<> copyAvailabilityTask(std::optional<QString> name, std::optional<QString> email,
                                       int duration);
    QCoro::Task<> copyForCurrentTask();
    QCoro::Task<> searchPeopleTask(QString text);
    QCoro::Task<> tickTask();
    QCoro::Task<> copyTimesForDraftTask(QADraft draft);
    /// The day feed, for the service's current day or for `day`; sets `error` on failure.
    QCoro::Task<std::optional<QList<Meeting>>> fetch(std::optional<QDate> day);

    /// Assigns and announces when the value differs.
    template<typename T>
    bool set(T &field, T value, void (Store::*changed)())
    {
        if (field == value)
            return false;
        field = std::move(value);
        Q_EMIT(this->*changed)();
        return true;
    }
    /// Announces the derived values that changed since they were last announced, after one of
    /// their inputs changed; a value that came out the same is not announced again.
    void announceDerived();
    /// The meetings of the feed that start on `date` (local calendar), in feed order.
    QList<Meeting> meetingsStartingOn(QDate date) const;

    void setMeetings(QList<Meeting> meetings);
    void setDay(QDateTime day);
    void setDayMeetings(QList<Meeting> meetings);
    void setLoadingDay(bool loading);
    void setError(QString error);
    void setHasToken(bool hasToken);
    void setNow(QDateTime now);
    void setOpenAtLogin(bool on);
    void setFlash(QString text);
    void addBusy(const QString &id);
    void removeBusy(const QString &id);
    void setActionError(const QString &id, std::optional<QString> text);
    void setComposed(const QString &id, Composed composed);
    void setQaDraft(std::optional<QADraft> draft);
    /// Sets one optional text of a draft person; an empty text clears it.
    void editQaPerson(int index, std::optional<QString> QAPerson::*field, const QString &text);
    /// Sets `flash` and starts the timer that clears it.
    void showFlash(QString text);
    QCoro::Task<> connectedTask();
    void runFirstLaunchLoginStep();
    /// Starts `task` on a later turn of the event loop.
    template<typename F>
    void startTask(F &&body)
    {
        QMetaObject::invokeMethod(this, std::forward<F>(body), Qt::QueuedConnection);
    }

    Services m_services;
    VeskApi m_api;
    QTimer m_timer;

    QList<Meeting> m_meetings;
    QDateTime m_day;
    QList<Meeting> m_dayMeetings;
    bool m_loadingDay = false;
    QString m_error;
    bool m_hasToken = false;
    QDateTime m_lastUpdated;
    QDateTime m_now;
    bool m_openAtLogin = false;
    QString m_updateVersion;
    QHash<QString, Composed> m_composed;
    QStringList m_busy;
    QHash<QString, QString> m_actionError;
    QString m_flash;
    QString m_availPreview;
    bool m_availBusy = false;
    QString m_availError;
    QList<PersonHit> m_people;
    QString m_qaText;
    bool m_qaBusy = false;
    std::optional<QADraft> m_qaDraft;
    QString m_qaError;
    QString m_qaDone;
    QString m_forQuery;
    std::optional<PersonHit> m_forWho;
    int m_forDuration = 30;
    QString m_copyShortcut;

    QDateTime m_lastUpdateCheck;
    QString m_ownVersion;
    std::chrono::milliseconds m_flashDuration;
    /// Day loads are numbered as they start. A reply fills `dayMeetings` only while its day is shown
    /// and no later-started load has filled it; `loadingDay` ends when the last load started for
    /// the day shown has answered.
    quint64 m_dayLoadSerial = 0;
    quint64 m_dayFilledBy = 0;
    quint64 m_dayVisit = 0;
    int m_dayLoadsRunning = 0;
    /// Only the newest people search may apply its reply.
    quint64 m_searchGeneration = 0;

    /// The derived values as last announced.
    struct Derived
    {
        bool isToday = false;
        QList<Meeting> today;
        QList<Meeting> tomorrowMorning;
        std::optional<Meeting> next;
        QString menuTitle;
    };
    Derived derived() const;
    Derived m_announced;
};
