#include "dxfexport.h"

#include <dl_dxf.h>
#include <dl_writer_ascii.h>

#include "widgets/dxfwriting.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <variant>

namespace plan {

namespace {

using dxfwriting::MemoryWriter;
using dxfwriting::windows1251;

// The layers and their colours (AutoCAD colour index).
struct Layer {
    const QString &name;
    int colour;
};

const Layer Layers[] = {
    {dxf::RoomLayer, 7},        // white on black, black on white
    {dxf::LoudspeakerLayer, 1}, // red
    {dxf::ZoneLayer, 5},        // blue
    {dxf::DimensionLayer, 3},   // green
};
const Layer TitleLayer{dxf::TitleLayer, 7};

// The text style of every text. LibreCAD draws a text in its own stroke
// font of the same name as the text's style (and in "standard", which has
// no Cyrillic, when it has none of that name); its "unicode" font has the
// Cyrillic letters. Other CAD programs take the style's TrueType font,
// Arial, which has them too.
const char *const TextStyle = "unicode";

// Plan metres to drawing millimetres, to the micrometre.
double mm(double metres)
{
    return std::round(metres * 1e6) / 1000.0;
}

DL_Attributes onLayer(const QString &layer)
{
    return DL_Attributes(windows1251(layer), 256, -1, "BYLAYER", 1.0);
}

void writePolyline(DL_Dxf &dxf, MemoryWriter &writer, const geometry::Polyline &line)
{
    dxf.writePolyline(writer, DL_PolylineData(int(line.points.size()), 0, 0, line.closed ? 1 : 0),
                      onLayer(line.layer));
    for (const QPointF &corner : line.points)
        dxf.writeVertex(writer, DL_VertexData(mm(corner.x()), mm(corner.y()), 0.0, 0.0));
    dxf.writePolylineEnd(writer);
}

void writeCircle(DL_Dxf &dxf, MemoryWriter &writer, const geometry::Circle &circle)
{
    dxf.writeCircle(writer,
                    DL_CircleData(mm(circle.centre.x()), mm(circle.centre.y()), 0.0, mm(circle.radius)),
                    onLayer(circle.layer));
}

void writeText(DL_Dxf &dxf, MemoryWriter &writer, const geometry::Text &text)
{
    const double x = mm(text.anchor.x());
    const double y = mm(text.anchor.y());
    dxf.writeText(writer,
                  DL_TextData(x, y, 0.0, x, y, 0.0, mm(text.height), 1.0, 0, int(text.along),
                              int(text.across), windows1251(text.text), TextStyle, text.angle),
                  onLayer(text.layer));
}

const geometry::Text *titleOf(const PlanGeometry &geometry)
{
    for (const geometry::Primitive &primitive : geometry.primitives)
        if (const auto *text = std::get_if<geometry::Text>(&primitive);
            text && text->layer == dxf::TitleLayer)
            return text;
    return nullptr;
}

void writeHeader(DL_Dxf &dxf, MemoryWriter &writer, const PlanGeometry &geometry)
{
    dxf.writeHeader(writer);
    writer.dxfString(9, "$DWGCODEPAGE");
    writer.dxfString(3, "ANSI_1251");
    writer.dxfString(9, "$INSUNITS");
    writer.dxfInt(70, 4); // millimetres
    writer.dxfString(9, "$MEASUREMENT");
    writer.dxfInt(70, 1); // metric
    // The extent with the dimension texts and the title, for the first
    // view; the title's length is estimated, its letters about as wide as
    // 0.7 of their height.
    const double height = mm(geometry.textHeight);
    const double margin = 3.0 * height;
    const geometry::Text *title = titleOf(geometry);
    const double titleEnd = 0.7 * height * double(title ? title->text.size() : 0);
    const QRectF &e = geometry.extent;
    writer.dxfString(9, "$EXTMIN");
    writer.coord(10, mm(e.left()) - margin, mm(e.top()) - margin, 0.0);
    writer.dxfString(9, "$EXTMAX");
    writer.coord(10, std::max(mm(e.right()) + margin, mm(e.left()) + titleEnd), mm(e.bottom()) + margin, 0.0);
    writer.sectionEnd();
}

void writeTables(DL_Dxf &dxf, MemoryWriter &writer, const PlanGeometry &geometry)
{
    writer.sectionTables();
    dxf.writeVPort(writer);

    writer.tableLinetypes(3);
    dxf.writeLinetype(writer, DL_LinetypeData("BYBLOCK", "", 0, 0, 0.0));
    dxf.writeLinetype(writer, DL_LinetypeData("BYLAYER", "", 0, 0, 0.0));
    dxf.writeLinetype(writer, DL_LinetypeData("CONTINUOUS", "Continuous", 0, 0, 0.0));
    writer.tableEnd();

    const bool titled = titleOf(geometry) != nullptr;
    writer.tableLayers(int(std::size(Layers)) + 1 + (titled ? 1 : 0));
    dxf.writeLayer(writer, DL_LayerData("0", 0), DL_Attributes("", 7, -1, "CONTINUOUS", 1.0));
    const auto writeLayer = [&](const Layer &layer) {
        dxf.writeLayer(writer, DL_LayerData(windows1251(layer.name), 0),
                       DL_Attributes("", layer.colour, -1, "CONTINUOUS", 1.0));
    };
    for (const Layer &layer : Layers)
        writeLayer(layer);
    if (titled)
        writeLayer(TitleLayer);
    writer.tableEnd();

    // "Standard", which the dimension style refers to, and the style of
    // the drawing's texts.
    writer.tableStyle(2);
    dxf.writeStyle(writer, DL_StyleData("Standard", 0, 0.0, 1.0, 0.0, 0, dxf::NumberHeight, "txt", ""));
    dxf.writeStyle(writer, DL_StyleData(TextStyle, 0, 0.0, 1.0, 0.0, 0, dxf::NumberHeight, "Arial", ""));
    writer.tableEnd();

    dxf.writeView(writer);
    dxf.writeUcs(writer);

    writer.tableAppid(1);
    dxf.writeAppid(writer, "ACAD");
    writer.tableEnd();

    dxf.writeDimStyle(writer, 2.5, 0.625, 0.625, 0.625, dxf::NumberHeight);
    dxf.writeBlockRecord(writer);
    writer.tableEnd();
    writer.sectionEnd();

    writer.sectionBlocks();
    for (const char *block : {"*Model_Space", "*Paper_Space", "*Paper_Space0"}) {
        dxf.writeBlock(writer, DL_BlockData(block, 0, 0.0, 0.0, 0.0));
        dxf.writeEndBlock(writer, block);
    }
    writer.sectionEnd();
}

void writeEntities(DL_Dxf &dxf, MemoryWriter &writer, const PlanGeometry &geometry)
{
    writer.sectionEntities();
    for (const geometry::Primitive &primitive : geometry.primitives) {
        if (const auto *line = std::get_if<geometry::Polyline>(&primitive))
            writePolyline(dxf, writer, *line);
        else if (const auto *circle = std::get_if<geometry::Circle>(&primitive))
            writeCircle(dxf, writer, *circle);
        else if (const auto *text = std::get_if<geometry::Text>(&primitive))
            writeText(dxf, writer, *text);
    }
    writer.sectionEnd();
}

} // namespace

QByteArray dxfBytes(const DxfPlan &plan)
{
    return dxfBytes(planGeometry(plan));
}

QByteArray dxfBytes(const PlanGeometry &geometry)
{
    // A DL_Dxf writes R2000 unless out() opens a file for another version;
    // the writer is made for the same version.
    DL_Dxf dxf;
    MemoryWriter writer(DL_VERSION_2000);
    writeHeader(dxf, writer, geometry);
    writeTables(dxf, writer, geometry);
    writeEntities(dxf, writer, geometry);
    dxf.writeObjects(writer);
    dxf.writeObjectsEnd(writer);
    writer.dxfEOF();
    // The header's $HANDSEED must lie above every handle the drawing uses;
    // dxflib writes FFFF there, which a plan of many loudspeakers passes.
    const unsigned long seed = writer.getNextHandle();
    if (seed > 0xFFFF) {
        const QByteArray written = "$HANDSEED\n  5\nFFFF\n";
        const qsizetype at = writer.bytes.indexOf(written);
        if (at >= 0)
            writer.bytes.replace(at, written.size(),
                                 "$HANDSEED\n  5\n" + QByteArray::number(qulonglong(seed), 16).toUpper()
                                     + '\n');
    }
    return writer.bytes;
}

WriteResult writeDxf(const QString &path, const DxfPlan &plan)
{
    return writeWhole(path, dxfBytes(plan));
}

} // namespace plan
