#include "jsonwriter.h"

#include <QLocale>

namespace project {

QByteArray JsonWriter::quoted(const QString &text)
{
    static const char hex[] = "0123456789abcdef";
    const QByteArray utf8 = text.toUtf8();
    QByteArray out;
    out.reserve(utf8.size() + 2);
    out += '"';
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (byte < 0x20) {
                out += "\\u00";
                out += hex[byte >> 4];
                out += hex[byte & 0xf];
            } else {
                out += c;
            }
        }
    }
    out += '"';
    return out;
}

void JsonWriter::startValue(const QString &key)
{
    if (!m_levels.empty()) {
        Level &level = m_levels.back();
        if (!level.empty)
            m_out += ',';
        level.empty = false;
        m_out += '\n';
        m_out += QByteArray(qsizetype(2 * m_levels.size()), ' ');
    }
    if (!key.isNull()) {
        m_out += quoted(key);
        m_out += ": ";
    }
}

void JsonWriter::open(const QString &key, char bracket)
{
    startValue(key);
    m_out += bracket;
    m_levels.push_back({});
}

void JsonWriter::close(char bracket)
{
    const bool empty = m_levels.back().empty;
    m_levels.pop_back();
    if (!empty) {
        m_out += '\n';
        m_out += QByteArray(qsizetype(2 * m_levels.size()), ' ');
    }
    m_out += bracket;
    if (m_levels.empty())
        m_out += '\n';
}

void JsonWriter::beginObject(const QString &key)
{
    open(key, '{');
}

void JsonWriter::endObject()
{
    close('}');
}

void JsonWriter::beginArray(const QString &key)
{
    open(key, '[');
}

void JsonWriter::endArray()
{
    close(']');
}

void JsonWriter::string(const QString &key, const QString &value)
{
    startValue(key);
    m_out += quoted(value);
}

void JsonWriter::number(const QString &key, qint64 value)
{
    startValue(key);
    m_out += QByteArray::number(value);
}

void JsonWriter::real(const QString &key, double value)
{
    startValue(key);
    m_out += QByteArray::number(value, 'g', QLocale::FloatingPointShortest);
}

void JsonWriter::realsInline(const QString &key, std::initializer_list<double> values)
{
    startValue(key);
    m_out += '[';
    bool first = true;
    for (const double value : values) {
        if (!first)
            m_out += ", ";
        first = false;
        m_out += QByteArray::number(value, 'g', QLocale::FloatingPointShortest);
    }
    m_out += ']';
}

void JsonWriter::boolean(const QString &key, bool value)
{
    startValue(key);
    m_out += value ? "true" : "false";
}

} // namespace project
