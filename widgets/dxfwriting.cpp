#include "dxfwriting.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace dxfwriting {

std::string windows1251(const QString &text)
{
    std::string bytes;
    bytes.reserve(std::size_t(text.size()));
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c < 0x80) {
            bytes += char(c);
        } else if (c >= 0x0410 && c <= 0x044F) { // А … я
            bytes += char(0xC0 + (c - 0x0410));
        } else if (c == 0x0401) { // Ё
            bytes += char(0xA8);
        } else if (c == 0x0451) { // ё
            bytes += char(0xB8);
        } else if (c == 0x2116) { // №
            bytes += char(0xB9);
        } else if (c == 0x00A0) { // no-break space
            bytes += char(0xA0);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\U+%04X", unsigned(c));
            bytes += escape;
        }
    }
    return bytes;
}

void MemoryWriter::dxfReal(int gc, double value) const
{
    if (value == 0.0)
        value = 0.0; // no "-0"
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
    std::string number(text, result.ptr);
    if (number.find('.') == std::string::npos)
        number += ".0";
    dxfString(gc, number);
}

void MemoryWriter::dxfInt(int gc, int value) const
{
    dxfString(gc, std::to_string(value));
}

void MemoryWriter::dxfHex(int gc, int value) const
{
    dxfString(gc, QByteArray::number(uint(value), 16).toUpper().toStdString());
}

void MemoryWriter::dxfString(int gc, const char *value) const
{
    dxfString(gc, std::string(value ? value : ""));
}

void MemoryWriter::dxfString(int gc, const std::string &value) const
{
    // The group code right-aligned in three columns, as dxflib writes it.
    auto &out = const_cast<QByteArray &>(bytes);
    const std::string code = std::to_string(gc);
    out.append(QByteArray(std::max<int>(0, 3 - int(code.size())), ' '));
    out.append(code.data(), qsizetype(code.size()));
    out.append('\n');
    out.append(value.data(), qsizetype(value.size()));
    out.append('\n');
}

} // namespace dxfwriting
