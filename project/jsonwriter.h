#pragma once

#include <QByteArray>
#include <QString>
#include <initializer_list>
#include <vector>

namespace project {

// Writes JSON in UTF-8 with its keys in the order they are written: one
// member per line, two spaces per level, empty objects and arrays as "{}"
// and "[]", a final line break. Strings are escaped as JSON requires and
// nothing more, so that any reader gets exactly the text back.
class JsonWriter {
public:
    // An object or array as a member of the enclosing object (key), or as
    // an element of the enclosing array or the document (no key).
    void beginObject(const QString &key = QString());
    void endObject();
    void beginArray(const QString &key = QString());
    void endArray();

    void string(const QString &key, const QString &value);
    void number(const QString &key, qint64 value);
    // A finite number in the shortest form that reads back as the same
    // double ("0.75", "100", "1e-07").
    void real(const QString &key, double value);
    void boolean(const QString &key, bool value);
    // An array of finite numbers on one line, "[12.5, 0]", each written as
    // real() writes it: a point as a short member or element.
    void realsInline(const QString &key, std::initializer_list<double> values);

    // The document written so far, with its final line break once the
    // outermost object is closed.
    const QByteArray &bytes() const { return m_out; }

    static QByteArray quoted(const QString &text);

private:
    void startValue(const QString &key);
    void open(const QString &key, char bracket);
    void close(char bracket);

    struct Level {
        bool empty = true;
    };
    std::vector<Level> m_levels;
    QByteArray m_out;
};

} // namespace project
