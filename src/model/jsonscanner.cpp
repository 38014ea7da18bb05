#include "model/jsonscanner.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kMaxDepth = 256;

bool isSpace(char c)
{
    return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

JsonScanner::JsonScanner(const QByteArray &text)
    : m_begin(text.constData())
    , m_p(text.constData())
    , m_end(text.constData() + text.size())
{}

bool JsonScanner::fail()
{
    if (!m_failed) {
        m_failed = true;
        m_errorOffset = m_p - m_begin;
    }
    m_p = m_end;
    return false;
}

void JsonScanner::skipSpace()
{
    while (m_p < m_end && isSpace(*m_p))
        ++m_p;
}

bool JsonScanner::expect(char c)
{
    skipSpace();
    if (m_p < m_end && *m_p == c) {
        ++m_p;
        return true;
    }
    return fail();
}

JsonScanner::Kind JsonScanner::peek()
{
    skipSpace();
    if (m_failed || m_p >= m_end)
        return Kind::Invalid;
    switch (*m_p) {
    case '{':
        return Kind::Object;
    case '[':
        return Kind::Array;
    case '"':
        return Kind::String;
    case 't':
        return Kind::True;
    case 'f':
        return Kind::False;
    case 'n':
        return Kind::Null;
    default:
        return (*m_p == '-' || (*m_p >= '0' && *m_p <= '9')) ? Kind::Number : Kind::Invalid;
    }
}

bool JsonScanner::beginObject()
{
    return expect('{');
}

bool JsonScanner::nextKey(QLatin1StringView &key, bool &first)
{
    skipSpace();
    if (m_failed || m_p >= m_end)
        return fail();
    if (*m_p == '}') {
        ++m_p;
        return false;
    }
    if (!first && !expect(','))
        return false;
    first = false;
    skipSpace();
    if (m_p >= m_end || *m_p != '"')
        return fail();
    // Plain ASCII keys are viewed in place; others are decoded into a buffer as UTF-8.
    const char *start = m_p + 1;
    const char *p = start;
    while (p < m_end && *p != '"' && *p != '\\' && static_cast<unsigned char>(*p) >= 0x20 &&
           static_cast<unsigned char>(*p) < 0x80)
        ++p;
    if (p < m_end && *p == '"') {
        key = QLatin1StringView(start, p - start);
        m_p = p + 1;
    } else {
        QString decoded;
        if (!readStringRaw(&decoded))
            return false;
        m_keyBuffer = decoded.toUtf8();
        key = QLatin1StringView(m_keyBuffer.constData(), m_keyBuffer.size());
    }
    return expect(':');
}

bool JsonScanner::beginArray()
{
    return expect('[');
}

bool JsonScanner::nextElement(bool &first)
{
    skipSpace();
    if (m_failed || m_p >= m_end)
        return fail();
    if (*m_p == ']') {
        ++m_p;
        return false;
    }
    if (!first && !expect(','))
        return false;
    first = false;
    return true;
}

bool JsonScanner::readString(QString &out)
{
    skipSpace();
    if (m_p >= m_end || *m_p != '"')
        return fail();
    return readStringRaw(&out);
}

// Reads a string starting at the opening quote. Plain runs are converted in one go; escapes and
// multi-byte sequences are validated. `out` may be null to only skip.
bool JsonScanner::readStringRaw(QString *out)
{
    ++m_p; // opening quote
    const char *start = m_p;
    bool simple = true;
    // Fast scan: ASCII without escapes is the common case.
    while (m_p < m_end) {
        const unsigned char c = static_cast<unsigned char>(*m_p);
        if (c == '"')
            break;
        if (c == '\\' || c >= 0x80) {
            simple = false;
            break;
        }
        if (c < 0x20)
            return fail();
        ++m_p;
    }
    if (simple) {
        if (m_p >= m_end)
            return fail();
        if (out)
            *out = QString::fromLatin1(start, m_p - start);
        ++m_p;
        return true;
    }

    QByteArray utf8(start, m_p - start);
    while (m_p < m_end) {
        const unsigned char c = static_cast<unsigned char>(*m_p);
        if (c == '"') {
            ++m_p;
            if (out) {
                QString decoded = QString::fromUtf8(utf8);
                *out = std::move(decoded);
            }
            return true;
        }
        if (c < 0x20)
            return fail();
        if (c == '\\') {
            if (++m_p >= m_end)
                return fail();
            const char e = *m_p++;
            switch (e) {
            case '"':
            case '\\':
            case '/':
                utf8 += e;
                break;
            case 'b':
                utf8 += '\b';
                break;
            case 'f':
                utf8 += '\f';
                break;
            case 'n':
                utf8 += '\n';
                break;
            case 'r':
                utf8 += '\r';
                break;
            case 't':
                utf8 += '\t';
                break;
            case 'u': {
                auto readHex4 = [this](char32_t &v) {
                    if (m_end - m_p < 4)
                        return false;
                    v = 0;
                    for (int i = 0; i < 4; ++i) {
                        const int h = hexValue(m_p[i]);
                        if (h < 0)
                            return false;
                        v = v * 16 + static_cast<char32_t>(h);
                    }
                    m_p += 4;
                    return true;
                };
                char32_t cp = 0;
                if (!readHex4(cp))
                    return fail();
                if (cp >= 0xD800 && cp <= 0xDBFF) {
                    char32_t low = 0;
                    if (m_end - m_p < 2 || m_p[0] != '\\' || m_p[1] != 'u')
                        return fail();
                    m_p += 2;
                    if (!readHex4(low) || low < 0xDC00 || low > 0xDFFF)
                        return fail();
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
                    return fail();
                }
                utf8 += QString::fromUcs4(&cp, 1).toUtf8();
                break;
            }
            default:
                return fail();
            }
            continue;
        }
        if (c < 0x80) {
            utf8 += static_cast<char>(c);
            ++m_p;
            continue;
        }
        // A multi-byte UTF-8 sequence: check its shape and range.
        int len = 0;
        char32_t cp = 0;
        if ((c & 0xE0) == 0xC0) {
            len = 2;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            len = 3;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            len = 4;
            cp = c & 0x07;
        } else {
            return fail();
        }
        if (m_end - m_p < len)
            return fail();
        for (int i = 1; i < len; ++i) {
            const unsigned char cc = static_cast<unsigned char>(m_p[i]);
            if ((cc & 0xC0) != 0x80)
                return fail();
            cp = (cp << 6) | (cc & 0x3F);
        }
        static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return fail();
        utf8.append(m_p, len);
        m_p += len;
    }
    return fail();
}

bool JsonScanner::readNumber(double &value, qint64 &integer, bool &isInteger)
{
    skipSpace();
    const char *start = m_p;
    const char *p = m_p;
    if (p < m_end && *p == '-')
        ++p;
    if (p >= m_end)
        return fail();
    if (*p == '0') {
        ++p;
    } else if (*p >= '1' && *p <= '9') {
        while (p < m_end && *p >= '0' && *p <= '9')
            ++p;
    } else {
        return fail();
    }
    bool plainInteger = true;
    if (p < m_end && *p == '.') {
        plainInteger = false;
        ++p;
        if (p >= m_end || *p < '0' || *p > '9')
            return fail();
        while (p < m_end && *p >= '0' && *p <= '9')
            ++p;
    }
    if (p < m_end && (*p == 'e' || *p == 'E')) {
        plainInteger = false;
        ++p;
        if (p < m_end && (*p == '+' || *p == '-'))
            ++p;
        if (p >= m_end || *p < '0' || *p > '9')
            return fail();
        while (p < m_end && *p >= '0' && *p <= '9')
            ++p;
    }
    m_p = p;
    const QByteArray text(start, p - start);
    value = std::strtod(text.constData(), nullptr);
    isInteger = false;
    if (plainInteger) {
        bool ok = false;
        integer = text.toLongLong(&ok);
        isInteger = ok;
    } else if (std::isfinite(value) && std::trunc(value) == value && value >= -9223372036854775808.0 &&
               value < 9223372036854775808.0) {
        // Written with a fraction or exponent but integral, such as 4.0 or 1e3.
        integer = static_cast<qint64>(value);
        isInteger = true;
    }
    return true;
}

bool JsonScanner::readBool(bool &out)
{
    skipSpace();
    if (m_end - m_p >= 4 && std::memcmp(m_p, "true", 4) == 0) {
        m_p += 4;
        out = true;
        return true;
    }
    if (m_end - m_p >= 5 && std::memcmp(m_p, "false", 5) == 0) {
        m_p += 5;
        out = false;
        return true;
    }
    return fail();
}

bool JsonScanner::readNull()
{
    skipSpace();
    if (m_end - m_p >= 4 && std::memcmp(m_p, "null", 4) == 0) {
        m_p += 4;
        return true;
    }
    return fail();
}

bool JsonScanner::skipValue()
{
    return skipDepth(0);
}

bool JsonScanner::skipDepth(int depth)
{
    if (depth > kMaxDepth)
        return fail();
    switch (peek()) {
    case Kind::Object: {
        ++m_p;
        bool first = true;
        for (;;) {
            skipSpace();
            if (m_p < m_end && *m_p == '}') {
                ++m_p;
                return true;
            }
            if (!first && !expect(','))
                return false;
            first = false;
            skipSpace();
            if (m_p >= m_end || *m_p != '"' || !readStringRaw(nullptr) || !expect(':') ||
                !skipDepth(depth + 1))
                return fail();
        }
    }
    case Kind::Array: {
        ++m_p;
        bool first = true;
        for (;;) {
            skipSpace();
            if (m_p < m_end && *m_p == ']') {
                ++m_p;
                return true;
            }
            if (!first && !expect(','))
                return false;
            first = false;
            if (!skipDepth(depth + 1))
                return fail();
        }
    }
    case Kind::String:
        return readStringRaw(nullptr);
    case Kind::Number: {
        double d;
        qint64 i;
        bool isInt;
        return readNumber(d, i, isInt);
    }
    case Kind::True:
    case Kind::False: {
        bool b;
        return readBool(b);
    }
    case Kind::Null:
        return readNull();
    case Kind::Invalid:
        break;
    }
    return fail();
}

bool JsonScanner::atEnd()
{
    skipSpace();
    return !m_failed && m_p == m_end;
}
