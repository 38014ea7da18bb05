#pragma once

#include <QByteArray>
#include <QString>

/// A strict pull reader over JSON text (RFC 8259, UTF-8). It reads values in document order
/// without building a tree, so decoders can fill records straight from the bytes.
class JsonScanner
{
public:
    enum class Kind
    {
        Object,
        Array,
        String,
        Number,
        True,
        False,
        Null,
        Invalid
    };

    explicit JsonScanner(const QByteArray &text);

    /// The kind of the next value, after skipping white space; Invalid at a syntax error or the end.
    Kind peek();

    /// Object and array traversal. The caller keeps one `first` flag per open container, set to
    /// true before the first call. `nextKey` yields false at the closing brace, `nextElement` at the
    /// closing bracket (or at a syntax error).
    bool beginObject();
    /// The key is a view that stays valid until the next call (keys are compared, not kept).
    bool nextKey(QLatin1StringView &key, bool &first);
    bool beginArray();
    bool nextElement(bool &first);

    bool readString(QString &out);
    /// A number; `isInteger` tells whether it is integral and fits a signed 64-bit integer.
    bool readNumber(double &value, qint64 &integer, bool &isInteger);
    bool readBool(bool &out);
    bool readNull();
    /// Skips one value of any kind, checking its syntax.
    bool skipValue();

    /// True when only white space remains.
    bool atEnd();
    bool failed() const { return m_failed; }
    /// Where the syntax failed, as a byte offset.
    qsizetype errorOffset() const { return m_errorOffset; }

private:
    bool fail();
    void skipSpace();
    bool expect(char c);
    bool readStringRaw(QString *out);
    bool skipDepth(int depth);

    QByteArray m_keyBuffer;
    const char *m_begin;
    const char *m_p;
    const char *m_end;
    bool m_failed = false;
    qsizetype m_errorOffset = -1;
};
