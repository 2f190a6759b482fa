#pragma once

// A generated floor plan of a school as an architect's CAD writes it
// (R2000, millimetres, texts in windows-1251): classrooms in wings along
// corridors, on the layer "ПОМЕЩЕНИЯ" - rectangles, L shapes, rooms with a
// half-round end (bulges), some written as old POLYLINEs, some closed by
// their last corner only; square columns of 0.4 m on the same layer and
// open partition lines; the names as TEXT (one or two lines) or MTEXT with
// formatting codes, some rooms without a name; walls, desks and chairs as
// LINEs on their own layers and a door block inserted in every room. About
// 20 KB of file per room: 2000 rooms make about 40 MB.

#include <QByteArray>
#include <QString>
#include <QStringEncoder>
#include <cstdio>
#include <string>

namespace floorgen {

struct GeneratedPlan {
    std::string dxf;
    int rooms = 0;   // the closed outlines of 1 m2 and more
    int columns = 0; // closed outlines under 1 m2
    int open = 0;    // open polylines on the rooms' layer
    int unnamed = 0; // rooms without a text
};

inline constexpr const char *RoomsLayer = "ПОМЕЩЕНИЯ";

class Writer {
public:
    explicit Writer(std::string &out) : m_out(out) { }

    void group(int code, const std::string &value)
    {
        char head[16];
        std::snprintf(head, sizeof head, "%3d\n", code);
        m_out += head;
        m_out += value;
        m_out += '\n';
    }
    void number(int code, double value)
    {
        char text[32];
        std::snprintf(text, sizeof text, "%.4f", value);
        group(code, text);
    }
    void integer(int code, long long value) { group(code, std::to_string(value)); }
    // An entity's start as AutoCAD writes it: its handle, its owner and subclass markers.
    void entity(const char *type, const std::string &layer, const char *subclass)
    {
        group(0, type);
        char handle[24];
        std::snprintf(handle, sizeof handle, "%llX", ++m_handle);
        group(5, handle);
        group(330, "1F");
        group(100, "AcDbEntity");
        group(8, layer);
        group(100, subclass);
    }
    void line(const std::string &layer, double x1, double y1, double x2, double y2)
    {
        entity("LINE", layer, "AcDbLine");
        number(10, x1);
        number(20, y1);
        number(30, 0.0);
        number(11, x2);
        number(21, y2);
        number(31, 0.0);
    }
    void rectangleLines(const std::string &layer, double x, double y, double w, double h)
    {
        line(layer, x, y, x + w, y);
        line(layer, x + w, y, x + w, y + h);
        line(layer, x + w, y + h, x, y + h);
        line(layer, x, y + h, x, y);
    }
    struct Corner {
        double x, y, bulge;
    };
    void lwpolyline(const std::string &layer, const std::vector<Corner> &corners, bool closed)
    {
        entity("LWPOLYLINE", layer, "AcDbPolyline");
        integer(90, (long long)corners.size());
        integer(70, closed ? 1 : 0);
        number(43, 0.0);
        for (const Corner &c : corners) {
            number(10, c.x);
            number(20, c.y);
            if (c.bulge != 0.0)
                number(42, c.bulge);
        }
    }
    void polyline(const std::string &layer, const std::vector<Corner> &corners, bool closed)
    {
        entity("POLYLINE", layer, "AcDb2dPolyline");
        integer(66, 1);
        number(10, 0.0);
        number(20, 0.0);
        number(30, 0.0);
        integer(70, closed ? 1 : 0);
        for (const Corner &c : corners) {
            entity("VERTEX", layer, "AcDbVertex");
            group(100, "AcDb2dVertex");
            number(10, c.x);
            number(20, c.y);
            number(30, 0.0);
            if (c.bulge != 0.0)
                number(42, c.bulge);
        }
        entity("SEQEND", layer, "AcDbEntity");
    }
    void text(const std::string &layer, double x, double y, double height, const std::string &value)
    {
        entity("TEXT", layer, "AcDbText");
        number(10, x);
        number(20, y);
        number(30, 0.0);
        number(40, height);
        group(1, value);
        group(100, "AcDbText");
    }
    void mtext(const std::string &layer, double x, double y, double height, const std::string &value)
    {
        entity("MTEXT", layer, "AcDbMText");
        number(10, x);
        number(20, y);
        number(30, 0.0);
        number(40, height);
        number(41, 4000.0);
        integer(71, 1);
        group(1, value);
    }
    void insert(const std::string &layer, const char *block, double x, double y, double angle)
    {
        entity("INSERT", layer, "AcDbBlockReference");
        group(2, block);
        number(10, x);
        number(20, y);
        number(30, 0.0);
        number(50, angle);
    }

private:
    std::string &m_out;
    unsigned long long m_handle = 0x100;
};

// A small deterministic sequence, the same on every machine.
class Random {
public:
    explicit Random(unsigned seed) : m_state(seed * 2654435761u + 1u) { }
    double between(double low, double high)
    {
        m_state = m_state * 1664525u + 1013904223u;
        return low + (high - low) * double(m_state >> 8) / double(1u << 24);
    }

private:
    unsigned m_state;
};

inline std::string cp1251(const QString &text)
{
    QStringEncoder encoder("windows-1251");
    const QByteArray bytes = encoder(text);
    return std::string(bytes.constData(), std::size_t(bytes.size()));
}

// The plan of rooms rooms, 40 to a wing's row.
inline GeneratedPlan floorPlan(int rooms, unsigned seed = 1)
{
    GeneratedPlan plan;
    std::string &out = plan.dxf;
    out.reserve(std::size_t(rooms) * 21000 + 4096);
    Writer w(out);
    Random random(seed);
    const std::string roomsLayer = cp1251(QString::fromUtf8(RoomsLayer));
    const std::string walls = cp1251(QStringLiteral("СТЕНЫ"));
    const std::string furniture = cp1251(QStringLiteral("МЕБЕЛЬ"));
    const std::string names = cp1251(QStringLiteral("ТЕКСТ"));
    const std::string doors = cp1251(QStringLiteral("ДВЕРИ"));

    w.group(999, "floorplangen");
    w.group(0, "SECTION");
    w.group(2, "HEADER");
    w.group(9, "$ACADVER");
    w.group(1, "AC1015");
    w.group(9, "$DWGCODEPAGE");
    w.group(3, "ANSI_1251");
    w.group(9, "$INSUNITS");
    w.integer(70, 4);
    w.group(9, "$EXTMIN");
    w.number(10, 0.0);
    w.number(20, 0.0);
    w.number(30, 0.0);
    w.group(0, "ENDSEC");

    w.group(0, "SECTION");
    w.group(2, "TABLES");
    w.group(0, "TABLE");
    w.group(2, "LAYER");
    for (const std::string &layer : {std::string("0"), roomsLayer, walls, furniture, names, doors}) {
        w.group(0, "LAYER");
        w.group(2, layer);
        w.integer(70, 0);
        w.integer(62, 7);
        w.group(6, "CONTINUOUS");
    }
    w.group(0, "ENDTAB");
    w.group(0, "ENDSEC");

    // The door: a leaf and its swing, 900 mm.
    w.group(0, "SECTION");
    w.group(2, "BLOCKS");
    w.group(0, "BLOCK");
    w.group(8, "0");
    w.group(2, "DOOR900");
    w.integer(70, 0);
    w.number(10, 0.0);
    w.number(20, 0.0);
    w.group(0, "LINE");
    w.group(8, "0");
    w.number(10, 0.0);
    w.number(20, 0.0);
    w.number(11, 0.0);
    w.number(21, 900.0);
    w.group(0, "ARC");
    w.group(8, "0");
    w.number(10, 0.0);
    w.number(20, 0.0);
    w.number(40, 900.0);
    w.number(50, 0.0);
    w.number(51, 90.0);
    w.group(0, "ENDBLK");
    w.group(8, "0");
    w.group(0, "ENDSEC");

    w.group(0, "SECTION");
    w.group(2, "ENTITIES");
    const int perRow = 40;
    const double cellW = 9000.0;
    const double cellH = 8000.0;
    const double corridor = 3000.0;
    for (int i = 0; i < rooms; ++i) {
        const int column = i % perRow;
        const int row = i / perRow;
        // Two rows of rooms face each other across a corridor.
        const double x0 = column * cellW;
        const double y0 = -(row * cellH + (row / 2 + row % 2) * corridor);
        const double width = random.between(6000.0, 8500.0);
        const double depth = random.between(6000.0, 7500.0);
        const double x = x0 + 200.0;
        const double y = y0 - depth - 200.0;
        std::vector<Writer::Corner> corners;
        if (i % 11 == 5) {
            // A half-round end on the right: its straight part shorter by the radius.
            const double straight = width - depth / 2.0;
            corners
                = {{x, y, 0.0}, {x + straight, y, 1.0}, {x + straight, y + depth, 0.0}, {x, y + depth, 0.0}};
        } else if (i % 7 == 3) {
            const double notchW = width * 0.4;
            const double notchH = depth * 0.35;
            corners = {{x, y, 0.0},
                       {x + width, y, 0.0},
                       {x + width, y + depth - notchH, 0.0},
                       {x + width - notchW, y + depth - notchH, 0.0},
                       {x + width - notchW, y + depth, 0.0},
                       {x, y + depth, 0.0}};
        } else {
            corners = {{x, y, 0.0}, {x + width, y, 0.0}, {x + width, y + depth, 0.0}, {x, y + depth, 0.0}};
        }
        bool closedFlag = true;
        if (i % 17 == 8) {
            // Closed by its last corner only.
            corners.push_back(corners.front());
            closedFlag = false;
        }
        if (i % 19 == 9)
            w.polyline(roomsLayer, corners, closedFlag);
        else
            w.lwpolyline(roomsLayer, corners, closedFlag);
        ++plan.rooms;

        // The walls around it.
        w.rectangleLines(walls, x - 100.0, y - 100.0, width + 200.0, depth + 200.0);
        w.rectangleLines(walls, x - 250.0, y - 250.0, width + 500.0, depth + 500.0);
        w.insert(doors, "DOOR900", x + 600.0, y + depth, 270.0);

        if (i % 5 == 2) {
            w.lwpolyline(
                roomsLayer,
                {{x + 100, y + 100, 0}, {x + 500, y + 100, 0}, {x + 500, y + 500, 0}, {x + 100, y + 500, 0}},
                true);
            ++plan.columns;
        }
        if (i % 13 == 6) {
            w.lwpolyline(roomsLayer,
                         {{x + 1000, y + 800, 0}, {x + 1000, y + 2500, 0}, {x + 1600, y + 2500, 0}}, false);
            ++plan.open;
        }

        // Desks, 4 x 5, and chairs at the front two rows, as lines.
        for (int r = 0; r < 4; ++r) {
            for (int c = 0; c < 5; ++c) {
                const double dx = x + 900.0 + c * 1000.0;
                const double dy = y + 1200.0 + r * 1200.0;
                w.rectangleLines(furniture, dx, dy, 700.0, 500.0);
                if (r < 2)
                    w.rectangleLines(furniture, dx + 200.0, dy - 450.0, 350.0, 350.0);
            }
        }

        // The name.
        const double cx = x + width / 2.0;
        const double cy = y + depth / 2.0;
        const QString number = QString::number(100 + i);
        if (i % 23 == 11) {
            ++plan.unnamed;
        } else if (i % 3 == 0) {
            w.mtext(names, cx - 1000.0, cy + 300.0, 250.0,
                    cp1251(QStringLiteral("{\\fArial|b1|i0|c204|p34;Кабинет}\\P№ ") + number));
        } else if (i % 3 == 1) {
            w.text(names, cx - 1000.0, cy + 300.0, 250.0, cp1251(QStringLiteral("Кабинет")));
            w.text(names, cx - 1000.0, cy - 100.0, 250.0, cp1251(QStringLiteral("№ ") + number));
        } else {
            w.text(names, cx - 1000.0, cy, 250.0, cp1251(QStringLiteral("Класс ") + number));
        }
    }
    w.group(0, "ENDSEC");
    w.group(0, "SECTION");
    w.group(2, "OBJECTS");
    w.group(0, "DICTIONARY");
    w.group(5, "C");
    w.group(100, "AcDbDictionary");
    w.group(0, "ENDSEC");
    w.group(0, "EOF");
    return plan;
}

} // namespace floorgen
