#include "floordxf.h"

#include "widgets/dxfwriting.h"

#include <dl_dxf.h>
#include <dl_writer_ascii.h>

#include <QRectF>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <variant>

namespace project {

namespace {

// The text style of every text: LibreCAD draws a text in its stroke font
// of the style's name ("unicode" has the Cyrillic letters), other CAD
// programs in the style's TrueType font, Arial. As the room plans have it.
const char *const TextStyle = "unicode";

using dxfwriting::MemoryWriter;
using dxfwriting::windows1251;

struct Layer {
    const QString &name;
    int colour; // AutoCAD colour index
};

const Layer Layers[] = {
    {floordxf::RoomLayer, 7},        // white on black, black on white
    {floordxf::ZoneLayer, 5},        // blue
    {floordxf::LabelLayer, 7},       //
    {floordxf::LoudspeakerLayer, 1}, // red
};

// An attribute of the loudspeaker's block: where it stands against the
// insertion point, in diameters of the circle, how high, and whether it is
// shown.
struct AttributeSpot {
    const QString &tag;
    double x;
    double y;
    double height;
    bool shown;
};

const AttributeSpot Attributes[] = {
    {floordxf::NumberTag, 0.6, 0.6, 0.8, true},
    {floordxf::ModelTag, 0.6, -1.0, 0.4, false},
    {floordxf::LineTag, 0.6, -1.5, 0.4, false},
    {floordxf::RoomTag, 0.6, -2.0, 0.4, false},
};

// The header's $INSUNITS for the drawing's unit, 0 for another.
int insertionUnits(double unitsPerMetre)
{
    const struct {
        double perMetre;
        int code;
    } units[] = {{1000.0, 4}, {100.0, 5}, {1.0, 6}, {1.0 / 0.0254, 1}, {1.0 / 0.3048, 2}};
    for (const auto &unit : units)
        if (std::abs(unitsPerMetre - unit.perMetre) <= 1e-9 * unit.perMetre)
            return unit.code;
    return 0;
}

class FloorWriter {
public:
    FloorWriter(const FloorDrawing &floor, double unitsPerMetre)
        : m_floor(floor),
          m_units(unitsPerMetre),
          m_writer(DL_VERSION_2000)
    { }

    QByteArray write()
    {
        writeHeader();
        writeTables();
        writeBlocks();
        writeEntities();
        m_dxf.writeObjects(m_writer);
        m_dxf.writeObjectsEnd(m_writer);
        m_writer.dxfEOF();
        // $HANDSEED must lie above every handle the drawing uses; dxflib
        // writes FFFF, which a floor of many loudspeakers passes.
        const unsigned long seed = m_writer.getNextHandle();
        if (seed > 0xFFFF) {
            const QByteArray written = "$HANDSEED\n  5\nFFFF\n";
            const qsizetype at = m_writer.bytes.indexOf(written);
            if (at >= 0)
                m_writer.bytes.replace(at, written.size(),
                                       "$HANDSEED\n  5\n" + QByteArray::number(qulonglong(seed), 16).toUpper()
                                           + '\n');
        }
        return m_writer.bytes;
    }

private:
    // Floor metres in the drawing's units, to a millionth of a unit.
    double u(double metres) const { return std::round(metres * m_units * 1e6) / 1e6; }

    static DL_Attributes onLayer(const QString &layer)
    {
        return DL_Attributes(windows1251(layer), 256, -1, "BYLAYER", 1.0);
    }

    QRectF extent() const
    {
        QRectF all;
        for (const FloorRoom &room : m_floor.rooms) {
            QRectF bounds = room.outline.bounds();
            for (const FloorLoudspeaker &loudspeaker : room.loudspeakers)
                bounds = bounds.isNull() ? QRectF(loudspeaker.position, QSizeF(1e-9, 1e-9))
                                         : bounds.united(QRectF(loudspeaker.position, QSizeF(1e-9, 1e-9)));
            if (!bounds.isNull())
                all = all.isNull() ? bounds : all.united(bounds);
        }
        return all;
    }

    void writeHeader()
    {
        m_dxf.writeHeader(m_writer);
        m_writer.dxfString(9, "$DWGCODEPAGE");
        m_writer.dxfString(3, "ANSI_1251");
        const int units = insertionUnits(m_units);
        m_writer.dxfString(9, "$INSUNITS");
        m_writer.dxfInt(70, units);
        m_writer.dxfString(9, "$MEASUREMENT");
        m_writer.dxfInt(70, units == 1 || units == 2 ? 0 : 1); // imperial for inches and feet
        const QRectF e = extent();
        const double margin = 1.0; // m
        m_writer.dxfString(9, "$EXTMIN");
        m_writer.coord(10, u(e.left() - margin), u(e.top() - margin), 0.0);
        m_writer.dxfString(9, "$EXTMAX");
        m_writer.coord(10, u(e.right() + margin), u(e.bottom() + margin), 0.0);
        m_writer.sectionEnd();
    }

    void writeTables()
    {
        m_writer.sectionTables();
        m_dxf.writeVPort(m_writer);

        m_writer.tableLinetypes(3);
        m_dxf.writeLinetype(m_writer, DL_LinetypeData("BYBLOCK", "", 0, 0, 0.0));
        m_dxf.writeLinetype(m_writer, DL_LinetypeData("BYLAYER", "", 0, 0, 0.0));
        m_dxf.writeLinetype(m_writer, DL_LinetypeData("CONTINUOUS", "Continuous", 0, 0, 0.0));
        m_writer.tableEnd();

        m_writer.tableLayers(int(std::size(Layers)) + 1);
        m_dxf.writeLayer(m_writer, DL_LayerData("0", 0), DL_Attributes("", 7, -1, "CONTINUOUS", 1.0));
        for (const Layer &layer : Layers)
            m_dxf.writeLayer(m_writer, DL_LayerData(windows1251(layer.name), 0),
                             DL_Attributes("", layer.colour, -1, "CONTINUOUS", 1.0));
        m_writer.tableEnd();

        const double numberHeight = u(floorplan::NumberHeight);
        m_writer.tableStyle(2);
        m_dxf.writeStyle(m_writer, DL_StyleData("Standard", 0, 0.0, 1.0, 0.0, 0, numberHeight, "txt", ""));
        m_dxf.writeStyle(m_writer, DL_StyleData(TextStyle, 0, 0.0, 1.0, 0.0, 0, numberHeight, "Arial", ""));
        m_writer.tableEnd();

        m_dxf.writeView(m_writer);
        m_dxf.writeUcs(m_writer);

        m_writer.tableAppid(1);
        m_dxf.writeAppid(m_writer, "ACAD");
        m_writer.tableEnd();

        m_dxf.writeDimStyle(m_writer, 2.5, 0.625, 0.625, 0.625, numberHeight);
        m_dxf.writeBlockRecord(m_writer);
        m_dxf.writeBlockRecord(m_writer, windows1251(floordxf::LoudspeakerBlock));
        m_writer.tableEnd();
        m_writer.sectionEnd();
    }

    // The text part of an ATTDEF or ATTRIB, left-aligned on its baseline.
    void writeAttributeText(double x, double y, double height, const QString &value)
    {
        m_writer.dxfString(100, "AcDbText");
        m_writer.coord(10, x, y, 0.0);
        m_writer.dxfReal(40, height);
        m_writer.dxfString(1, windows1251(value));
        m_writer.dxfString(7, TextStyle);
    }

    void writeBlocks()
    {
        m_writer.sectionBlocks();
        for (const char *block : {"*Model_Space", "*Paper_Space", "*Paper_Space0"}) {
            m_dxf.writeBlock(m_writer, DL_BlockData(block, 0, 0.0, 0.0, 0.0));
            m_dxf.writeEndBlock(m_writer, block);
        }
        // The loudspeaker: its circle and cross on layer 0, so that they
        // take the layer of each insert, and the attributes' definitions
        // (block flag 2: it has attributes).
        const std::string name = windows1251(floordxf::LoudspeakerBlock);
        m_writer.sectionBlockEntry();
        m_writer.dxfString(2, name);
        m_writer.dxfInt(70, 2);
        m_writer.coord(10, 0.0, 0.0, 0.0);
        m_writer.dxfString(3, name);
        m_writer.dxfString(1, "");
        const double diameter = u(floordxf::SymbolDiameter);
        const double r = diameter / 2.0;
        const double d = r / std::sqrt(2.0);
        m_dxf.writeCircle(m_writer, DL_CircleData(0.0, 0.0, 0.0, r), onLayer(QStringLiteral("0")));
        m_dxf.writeLine(m_writer, DL_LineData(-d, -d, 0.0, d, d, 0.0), onLayer(QStringLiteral("0")));
        m_dxf.writeLine(m_writer, DL_LineData(-d, d, 0.0, d, -d, 0.0), onLayer(QStringLiteral("0")));
        for (const AttributeSpot &spot : Attributes) {
            m_writer.entity("ATTDEF");
            m_writer.dxfString(100, "AcDbEntity");
            m_writer.entityAttributes(onLayer(QStringLiteral("0")));
            writeAttributeText(spot.x * diameter, spot.y * diameter, spot.height * diameter, QString());
            m_writer.dxfString(100, "AcDbAttributeDefinition");
            m_writer.dxfString(3, windows1251(spot.tag)); // the prompt
            m_writer.dxfString(2, windows1251(spot.tag));
            m_writer.dxfInt(70, spot.shown ? 0 : 1);
        }
        m_dxf.writeEndBlock(m_writer, name);
        m_writer.sectionEnd();
    }

    void writePolyline(const QPolygonF &points, bool closed, const QString &layer)
    {
        m_dxf.writePolyline(m_writer, DL_PolylineData(int(points.size()), 0, 0, closed ? 1 : 0),
                            onLayer(layer));
        for (const QPointF &corner : points)
            m_dxf.writeVertex(m_writer, DL_VertexData(u(corner.x()), u(corner.y()), 0.0, 0.0));
        m_dxf.writePolylineEnd(m_writer);
    }

    void writeText(QPointF at, double height, drawing::Across across, const QString &text,
                   const QString &layer)
    {
        const double x = u(at.x());
        const double y = u(at.y());
        m_dxf.writeText(m_writer,
                        DL_TextData(x, y, 0.0, x, y, 0.0, u(height), 1.0, 0, int(drawing::Along::Centre),
                                    int(across), windows1251(text), TextStyle, 0.0),
                        onLayer(layer));
    }

    void writeInsert(const FloorRoom &room, const FloorLoudspeaker &loudspeaker)
    {
        const double x = u(loudspeaker.position.x());
        const double y = u(loudspeaker.position.y());
        const DL_Attributes layer = onLayer(floordxf::LoudspeakerLayer);
        m_writer.entity("INSERT");
        m_writer.dxfString(100, "AcDbEntity");
        m_writer.entityAttributes(layer);
        m_writer.dxfString(100, "AcDbBlockReference");
        m_writer.dxfInt(66, 1); // attributes follow
        m_writer.dxfString(2, windows1251(floordxf::LoudspeakerBlock));
        m_writer.coord(10, x, y, 0.0);
        const double diameter = u(floordxf::SymbolDiameter);
        const QString values[] = {QString::number(loudspeaker.number), room.model, room.line, room.name};
        for (std::size_t i = 0; i < std::size(Attributes); ++i) {
            const AttributeSpot &spot = Attributes[i];
            m_writer.entity("ATTRIB");
            m_writer.dxfString(100, "AcDbEntity");
            m_writer.entityAttributes(layer);
            writeAttributeText(x + spot.x * diameter, y + spot.y * diameter, spot.height * diameter,
                               values[i]);
            m_writer.dxfString(100, "AcDbAttribute");
            m_writer.dxfString(2, windows1251(spot.tag));
            m_writer.dxfInt(70, spot.shown ? 0 : 1);
        }
        m_writer.entity("SEQEND");
        m_writer.dxfString(100, "AcDbEntity");
        m_writer.entityAttributes(layer);
    }

    void writeEntities()
    {
        m_writer.sectionEntities();
        for (const FloorRoom &room : m_floor.rooms) {
            if (room.outline.isEmpty())
                continue;
            QPolygonF outline;
            for (const QPointF &corner : room.outline.outline())
                outline.append(corner);
            writePolyline(outline, true, floordxf::RoomLayer);
        }
        for (const FloorRoom &room : m_floor.rooms)
            for (const drawing::Primitive &zone : room.zones) {
                if (const auto *circle = std::get_if<drawing::Circle>(&zone))
                    m_dxf.writeCircle(
                        m_writer,
                        DL_CircleData(u(circle->centre.x()), u(circle->centre.y()), 0.0, u(circle->radius)),
                        onLayer(floordxf::ZoneLayer));
                else if (const auto *line = std::get_if<drawing::Polyline>(&zone))
                    writePolyline(line->points, line->closed, floordxf::ZoneLayer);
            }
        for (const FloorRoom &room : m_floor.rooms) {
            if (room.outline.isEmpty())
                continue;
            const floorplan::RoomLabel label = floorplan::roomLabel(room.outline);
            const double gap = 0.15 * label.height;
            writeText(label.point + QPointF(0.0, gap), label.height, drawing::Across::Baseline, room.name,
                      floordxf::LabelLayer);
            if (!room.countText.isEmpty())
                writeText(label.point - QPointF(0.0, gap), label.height, drawing::Across::Top, room.countText,
                          floordxf::LabelLayer);
        }
        for (const FloorRoom &room : m_floor.rooms)
            for (const FloorLoudspeaker &loudspeaker : room.loudspeakers)
                writeInsert(room, loudspeaker);
        m_writer.sectionEnd();
    }

    const FloorDrawing &m_floor;
    double m_units;
    DL_Dxf m_dxf;
    MemoryWriter m_writer;
};

} // namespace

QByteArray floorDxf(const FloorDrawing &floor, double unitsPerMetre)
{
    return FloorWriter(floor, unitsPerMetre).write();
}

} // namespace project
