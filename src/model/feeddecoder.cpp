#include "model/feeddecoder.h"

#include "model/isodate.h"
#include "model/jsonscanner.h"

using namespace Qt::Literals::StringLiterals;

namespace {

using Kind = JsonScanner::Kind;

QString kindName(Kind kind)
{
    switch (kind) {
    case Kind::Object:
        return u"object"_s;
    case Kind::Array:
        return u"array"_s;
    case Kind::String:
        return u"text"_s;
    case Kind::Number:
        return u"number"_s;
    case Kind::True:
    case Kind::False:
        return u"boolean"_s;
    case Kind::Null:
        return u"null"_s;
    case Kind::Invalid:
        break;
    }
    return u"nothing"_s;
}

// Decodes straight from the bytes. Syntax errors win over decoding errors, as the whole body must
// be valid JSON before its shape is judged; of several decoding errors the first one is reported.
class FeedReader
{
public:
    explicit FeedReader(const QByteArray &body)
        : m_scan(body)
    {}

    FeedDecodeResult read()
    {
        Feed feed;
        if (m_scan.peek() == Kind::Invalid)
            return {std::nullopt, {QString(), u"The data isn't valid JSON."_s}};
        if (m_scan.peek() == Kind::Object) {
            readFeed(feed);
        } else if (m_scan.peek() != Kind::Invalid) {
            fail(-1, -1, QLatin1StringView(), u"Expected object at the top level."_s);
            m_scan.skipValue();
        }
        if (m_scan.failed() || !m_scan.atEnd())
            return {std::nullopt, {QString(), u"The data isn't valid JSON."_s}};
        if (m_failed)
            return {std::nullopt, {m_path, m_description}};
        return {std::move(feed), {}};
    }

private:
    // Records the first decoding error; the path is only built here, on failure.
    void fail(int meeting, int person, QLatin1StringView key, QString description)
    {
        if (m_failed)
            return;
        m_failed = true;
        QString path;
        if (meeting >= 0)
            path = u"meetings[%1]"_s.arg(meeting);
        if (person >= 0)
            path += u".people[%1]"_s.arg(person);
        if (!key.isEmpty())
            path += (path.isEmpty() ? QString() : u"."_s) + QString(key);
        m_path = path;
        m_description = std::move(description);
    }

    void typeError(int meeting, int person, QLatin1StringView key, const QString &expected, Kind found)
    {
        fail(meeting, person, key, u"Expected %1 but found %2."_s.arg(expected, kindName(found)));
        m_scan.skipValue();
    }

    void missing(int meeting, int person, QLatin1StringView key)
    {
        fail(meeting, person, key, u"No value for the required key \"%1\"."_s.arg(key));
    }

    void readFeed(Feed &feed)
    {
        m_scan.beginObject();
        bool first = true;
        bool haveMeetings = false;
        QLatin1StringView key;
        while (m_scan.nextKey(key, first)) {
            if (key != "meetings"_L1) {
                m_scan.skipValue();
                continue;
            }
            haveMeetings = true;
            const Kind kind = m_scan.peek();
            if (kind != Kind::Array) {
                typeError(-1, -1, key, u"array"_s, kind);
                continue;
            }
            feed.meetings.clear();
            m_scan.beginArray();
            bool firstMeeting = true;
            int index = 0;
            while (m_scan.nextElement(firstMeeting)) {
                const Kind element = m_scan.peek();
                if (element == Kind::Object) {
                    Meeting meeting;
                    readMeeting(index, meeting);
                    if (!m_failed)
                        feed.meetings.append(std::move(meeting));
                } else {
                    typeError(index, -1, QLatin1StringView(), u"object"_s, element);
                }
                ++index;
            }
        }
        if (!haveMeetings)
            missing(-1, -1, "meetings"_L1);
    }

    bool text(int meeting, int person, QLatin1StringView key, QString &out)
    {
        const Kind kind = m_scan.peek();
        if (kind == Kind::String)
            return m_scan.readString(out);
        typeError(meeting, person, key, u"text"_s, kind);
        return false;
    }

    void optionalText(int meeting, QLatin1StringView key, std::optional<QString> &out)
    {
        const Kind kind = m_scan.peek();
        if (kind == Kind::Null) {
            m_scan.readNull();
            out.reset();
        } else if (kind == Kind::String) {
            QString value;
            if (m_scan.readString(value))
                out = std::move(value);
        } else {
            typeError(meeting, -1, key, u"text"_s, kind);
        }
    }

    void date(int meeting, QLatin1StringView key, QDateTime &out)
    {
        QString raw;
        if (!text(meeting, -1, key, raw))
            return;
        if (auto instant = parseInternetDateTime(raw))
            out = *instant;
        else
            fail(meeting, -1, key, raw);
    }

    enum Field : unsigned
    {
        Id = 1u << 0,
        Title = 1u << 1,
        StartsAt = 1u << 2,
        EndsAt = 1u << 3,
        Room = 1u << 4,
        Status = 1u << 5,
        RiskLevel = 1u << 6,
        RiskScore = 1u << 7,
        Watched = 1u << 8,
        People = 1u << 9,
    };

    void readMeeting(int index, Meeting &m)
    {
        m_scan.beginObject();
        bool first = true;
        unsigned seen = 0;
        QLatin1StringView key;
        while (m_scan.nextKey(key, first)) {
            if (key == "id"_L1) {
                seen |= Id;
                text(index, -1, key, m.id);
            } else if (key == "title"_L1) {
                seen |= Title;
                text(index, -1, key, m.title);
            } else if (key == "startsAt"_L1) {
                seen |= StartsAt;
                date(index, key, m.startsAt);
            } else if (key == "endsAt"_L1) {
                seen |= EndsAt;
                date(index, key, m.endsAt);
            } else if (key == "room"_L1) {
                seen |= Room;
                text(index, -1, key, m.room);
            } else if (key == "joinUrl"_L1) {
                optionalText(index, key, m.joinUrl);
            } else if (key == "status"_L1) {
                seen |= Status;
                text(index, -1, key, m.status);
            } else if (key == "riskLevel"_L1) {
                seen |= RiskLevel;
                text(index, -1, key, m.riskLevel);
            } else if (key == "riskScore"_L1) {
                seen |= RiskScore;
                readRiskScore(index, key, m.riskScore);
            } else if (key == "action"_L1) {
                optionalText(index, key, m.action);
            } else if (key == "watched"_L1) {
                seen |= Watched;
                const Kind kind = m_scan.peek();
                if (kind == Kind::True || kind == Kind::False)
                    m_scan.readBool(m.watched);
                else
                    typeError(index, -1, key, u"boolean"_s, kind);
            } else if (key == "people"_L1) {
                seen |= People;
                readPeople(index, m.people);
            } else {
                m_scan.skipValue();
            }
        }
        static const std::pair<Field, QLatin1StringView> required[] = {
            {Id, "id"_L1},
            {Title, "title"_L1},
            {StartsAt, "startsAt"_L1},
            {EndsAt, "endsAt"_L1},
            {Room, "room"_L1},
            {Status, "status"_L1},
            {RiskLevel, "riskLevel"_L1},
            {RiskScore, "riskScore"_L1},
            {Watched, "watched"_L1},
            {People, "people"_L1},
        };
        for (const auto &[field, name] : required) {
            if (!(seen & field))
                missing(index, -1, name);
        }
    }

    void readRiskScore(int index, QLatin1StringView key, qint64 &out)
    {
        const Kind kind = m_scan.peek();
        if (kind != Kind::Number) {
            typeError(index, -1, key, u"number"_s, kind);
            return;
        }
        double value = 0;
        bool isInteger = false;
        if (!m_scan.readNumber(value, out, isInteger))
            return;
        if (!isInteger)
            fail(index, -1, key, u"Number %1 is not a 64-bit integer."_s.arg(value));
    }

    void readPeople(int meeting, QList<Person> &people)
    {
        const Kind kind = m_scan.peek();
        if (kind != Kind::Array) {
            typeError(meeting, -1, "people"_L1, u"array"_s, kind);
            return;
        }
        people.clear();
        m_scan.beginArray();
        bool first = true;
        int index = 0;
        while (m_scan.nextElement(first)) {
            const Kind element = m_scan.peek();
            if (element != Kind::Object) {
                typeError(meeting, index, QLatin1StringView(), u"object"_s, element);
                ++index;
                continue;
            }
            Person person;
            m_scan.beginObject();
            bool firstKey = true;
            bool hasName = false, hasEmail = false, hasRsvp = false;
            QLatin1StringView key;
            while (m_scan.nextKey(key, firstKey)) {
                if (key == "name"_L1)
                    hasName = text(meeting, index, key, person.name) || true;
                else if (key == "email"_L1)
                    hasEmail = text(meeting, index, key, person.email) || true;
                else if (key == "rsvp"_L1)
                    hasRsvp = text(meeting, index, key, person.rsvp) || true;
                else
                    m_scan.skipValue();
            }
            if (!hasName)
                missing(meeting, index, "name"_L1);
            if (!hasEmail)
                missing(meeting, index, "email"_L1);
            if (!hasRsvp)
                missing(meeting, index, "rsvp"_L1);
            people.append(std::move(person));
            ++index;
        }
    }

    JsonScanner m_scan;
    bool m_failed = false;
    QString m_path;
    QString m_description;
};

} // namespace

FeedDecodeResult decodeFeed(const QByteArray &body)
{
    return FeedReader(body).read();
}
