#pragma once

// A DXF file read back group by group, for the tests: the header's
// variables, the table entries and the entities with their layers.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringDecoder>
#include <map>
#include <vector>

namespace dxfdrawing {

struct Group {
    int code = 0;
    QByteArray value;
};

// One entity or table entry: its type and its groups in order.
struct Record {
    QByteArray type;
    std::vector<Group> groups;

    QByteArray value(int code) const
    {
        for (const Group &group : groups)
            if (group.code == code)
                return group.value;
        return QByteArray();
    }
    double number(int code) const { return value(code).toDouble(); }
    std::vector<double> numbers(int code) const
    {
        std::vector<double> all;
        for (const Group &group : groups)
            if (group.code == code)
                all.push_back(group.value.toDouble());
        return all;
    }
};

// A DXF file as its sections: the header's variables, the table entries
// and the entities.
struct Drawing {
    std::map<QByteArray, std::vector<Group>> header;
    std::vector<Record> tableEntries;
    std::vector<Record> entities;
    std::vector<Group> all;
    bool endsWithEof = false;

    std::vector<Record> on(const QString &layer, const QByteArray &type) const;
};

inline QString decoded(const QByteArray &bytes)
{
    QStringDecoder decoder("windows-1251");
    return decoder(bytes);
}

inline std::vector<Record> Drawing::on(const QString &layer, const QByteArray &type) const
{
    std::vector<Record> found;
    for (const Record &entity : entities)
        if (entity.type == type && decoded(entity.value(8)) == layer)
            found.push_back(entity);
    return found;
}

inline Drawing readDrawing(const QByteArray &bytes)
{
    Drawing drawing;
    const QList<QByteArray> lines = bytes.split('\n');
    for (qsizetype i = 0; i + 1 < lines.size(); i += 2) {
        bool ok = false;
        const int code = lines[i].trimmed().toInt(&ok);
        if (!ok)
            return Drawing();
        drawing.all.push_back({code, lines[i + 1]});
    }
    QByteArray section;
    QByteArray variable;
    for (std::size_t i = 0; i < drawing.all.size(); ++i) {
        const Group &group = drawing.all[i];
        if (group.code == 0 && group.value == "SECTION" && i + 1 < drawing.all.size()) {
            section = drawing.all[++i].value;
            continue;
        }
        if (group.code == 0 && group.value == "ENDSEC") {
            section.clear();
            continue;
        }
        if (section == "HEADER") {
            if (group.code == 9)
                variable = group.value;
            else
                drawing.header[variable].push_back(group);
        } else if (section == "TABLES" || section == "ENTITIES") {
            std::vector<Record> &records = section == "TABLES" ? drawing.tableEntries : drawing.entities;
            if (group.code == 0)
                records.push_back({group.value, {}});
            else if (!records.empty())
                records.back().groups.push_back(group);
        }
    }
    drawing.endsWithEof = bytes.endsWith("  0\nEOF\n");
    return drawing;
}

inline QByteArray headerValue(const Drawing &drawing, const QByteArray &name, int code)
{
    const auto found = drawing.header.find(name);
    if (found == drawing.header.end())
        return QByteArray();
    for (const Group &group : found->second)
        if (group.code == code)
            return group.value;
    return QByteArray();
}

} // namespace dxfdrawing
