#include "dxfplan.h"

#include "dxfplantext.h"

#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <QThread>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <dxflib/dl_creationadapter.h>
#include <dxflib/dl_dxf.h>
#include <istream>
#include <limits>
#include <map>
#include <memory>
#include <streambuf>
#include <string>
#include <string_view>
#include <unordered_map>

// Reading a plan goes in four steps.
//  1. Our own pass over the file's lines (Cleaner) checks that it is a text
//     DXF and writes a clean copy of the groups the plan needs: the header's
//     $ACADVER, $DWGCODEPAGE and $INSUNITS, the blocks and the entities
//     LINE, LWPOLYLINE, POLYLINE with its VERTEXes, ARC, CIRCLE, TEXT, MTEXT
//     and INSERT. Everything else (tables, objects, hatches, dimensions,
//     handles, extended data) is left out, so that dxflib has less to do and
//     never meets what it handles badly: lines longer than its buffer (on a
//     stream it never reaches the end after one), an LWPOLYLINE whose vertex
//     count (group 90) is missing, wrong or huge (it allocates what the count
//     says and writes a bulge before the first vertex in front of its array),
//     comments that look like its own version line.
//  2. dxflib reads the clean copy; the Collector keeps the entities as they
//     are in the file: raw bytes, block coordinates.
//  3. The entities of model space are expanded, blocks inserted with their
//     transforms (depth and total counts limited), into world coordinates in
//     metres: the underlay, the closed outlines and the texts.
//  4. The rooms: the outlines of the chosen layer that are closed, not
//     smaller than 1 m2 and do not cross themselves, named by the texts
//     inside them.
namespace project {

double metresPerUnit(PlanUnit unit)
{
    switch (unit) {
    case PlanUnit::Inch: return 0.0254;
    case PlanUnit::Foot: return 0.3048;
    case PlanUnit::Millimetre: return 0.001;
    case PlanUnit::Centimetre: return 0.01;
    case PlanUnit::Metre: return 1.0;
    }
    return 0.001;
}

QString unitKey(PlanUnit unit)
{
    switch (unit) {
    case PlanUnit::Inch: return QStringLiteral("in");
    case PlanUnit::Foot: return QStringLiteral("ft");
    case PlanUnit::Millimetre: return QStringLiteral("mm");
    case PlanUnit::Centimetre: return QStringLiteral("cm");
    case PlanUnit::Metre: return QStringLiteral("m");
    }
    return QStringLiteral("mm");
}

std::optional<PlanUnit> unitFromKey(const QString &key)
{
    for (PlanUnit unit :
         {PlanUnit::Inch, PlanUnit::Foot, PlanUnit::Millimetre, PlanUnit::Centimetre, PlanUnit::Metre}) {
        if (unitKey(unit) == key)
            return unit;
    }
    return std::nullopt;
}

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double Degree = Pi / 180.0;

// ---------------------------------------------------------------- refusals

QString notRead(const QString &fileName, const QString &reason)
{
    return QStringLiteral("Файл «%1» не прочитан: %2").arg(QDir::toNativeSeparators(fileName), reason);
}

QString binaryRefusal(const QString &fileName)
{
    return notRead(
        fileName,
        QStringLiteral("поддерживается только DXF в текстовом виде; сохраните план в САПР как DXF."));
}

QString tooLargeReason()
{
    return QStringLiteral("файл больше 256 МБ.");
}

QString tooManyReason()
{
    return QStringLiteral(
        "в чертеже больше 5 000 000 элементов или 10 000 000 точек с учётом вставок блоков.");
}

QString notDxfReason()
{
    return QStringLiteral("это не чертёж DXF.");
}

// ---------------------------------------------------------------- step 1: the clean copy

// dxflib reads lines into a buffer of DL_DXF_MAXLINE bytes; values are cut
// well below it.
constexpr std::size_t MaxValueBytes = 1000;
// dxflib holds an LWPOLYLINE's vertices in an array of 32 bytes each.
constexpr qint64 MaxPolylineVertices = 4000000;

enum class Kind : unsigned char {
    Drop,
    HeaderVariable,
    Block,
    Line,
    LwPolyline,
    Polyline,
    Vertex,
    Seqend,
    Arc,
    Circle,
    Text,
    MText,
    Insert,
};

Kind entityKind(std::string_view type)
{
    static const std::pair<std::string_view, Kind> kinds[] = {
        {"LINE", Kind::Line},         {"LWPOLYLINE", Kind::LwPolyline},
        {"POLYLINE", Kind::Polyline}, {"VERTEX", Kind::Vertex},
        {"SEQEND", Kind::Seqend},     {"ARC", Kind::Arc},
        {"CIRCLE", Kind::Circle},     {"TEXT", Kind::Text},
        {"MTEXT", Kind::MText},       {"INSERT", Kind::Insert},
    };
    for (const auto &[name, kind] : kinds) {
        if (type == name)
            return kind;
    }
    return Kind::Drop;
}

// The groups each kind keeps (besides the LWPOLYLINE's vertices).
bool keeps(Kind kind, int code)
{
    const bool common = code == 8 || code == 67;
    const bool extrusion = code == 210 || code == 220 || code == 230;
    switch (kind) {
    case Kind::Drop:
    case Kind::Seqend: return false;
    case Kind::HeaderVariable: return code == 1 || code == 3 || code == 70;
    case Kind::Block: return code == 2 || code == 10 || code == 20 || code == 70;
    case Kind::Line: return common || code == 10 || code == 20 || code == 11 || code == 21;
    case Kind::LwPolyline:
    case Kind::Polyline: return common || extrusion || code == 70;
    case Kind::Vertex: return code == 10 || code == 20 || code == 42 || code == 70;
    case Kind::Arc:
        return common || extrusion || code == 10 || code == 20 || code == 40 || code == 50 || code == 51;
    case Kind::Circle: return common || extrusion || code == 10 || code == 20 || code == 40;
    case Kind::Text:
        return common || extrusion || code == 1 || code == 10 || code == 20 || code == 11 || code == 21
            || code == 40 || code == 72 || code == 73;
    case Kind::MText: return common || code == 1 || code == 3 || code == 10 || code == 20 || code == 40;
    case Kind::Insert:
        return common || extrusion || code == 2 || code == 10 || code == 20 || code == 41 || code == 42
            || code == 50 || code == 70 || code == 71 || code == 44 || code == 45;
    }
    return false;
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// A group code line: an integer, or nothing.
std::optional<int> groupCode(std::string_view line)
{
    line = trimmed(line);
    bool negative = false;
    if (!line.empty() && (line.front() == '-' || line.front() == '+')) {
        negative = line.front() == '-';
        line.remove_prefix(1);
    }
    if (line.empty() || line.size() > 6)
        return std::nullopt;
    int code = 0;
    for (char c : line) {
        if (c < '0' || c > '9')
            return std::nullopt;
        code = code * 10 + (c - '0');
    }
    return negative ? -code : code;
}

enum class Section { None, Header, Blocks, Entities, Other };

struct CleanCopy {
    std::string text;
    qint64 entities = 0;
    qint64 points = 0;
    bool isDxf = false;
    bool tooMany = false;
};

class Cleaner {
public:
    explicit Cleaner(QByteArrayView bytes) : m_at(bytes.data()), m_end(bytes.data() + bytes.size())
    {
        m_out.text.reserve(std::size_t(bytes.size() / 2));
    }

    CleanCopy run()
    {
        // A byte-order mark some programs put before the first line.
        if (m_end - m_at >= 3 && std::memcmp(m_at, "\xEF\xBB\xBF", 3) == 0)
            m_at += 3;
        std::string_view codeLine;
        std::string_view value;
        bool first = true;
        while (nextLine(codeLine) && nextLine(value)) {
            const std::optional<int> code = groupCode(codeLine);
            if (!code)
                break; // a damaged file: what came before it is read
            if (first && *code != 999) {
                // A DXF starts with its first section.
                if (*code != 0 || trimmed(value) != "SECTION")
                    return std::move(m_out);
                m_out.isDxf = true;
                first = false;
            }
            if (!group(*code, value))
                break;
            if (m_entities > MaxPlanEntities || m_points > MaxPlanPoints) {
                m_out.tooMany = true;
                return std::move(m_out);
            }
        }
        finishEntity();
        if (m_inBlock)
            put(0, "ENDBLK");
        // The last entity ends where the next begins.
        put(0, "EOF");
        m_out.entities = m_entities;
        m_out.points = m_points;
        return std::move(m_out);
    }

private:
    bool nextLine(std::string_view &line)
    {
        if (m_at >= m_end)
            return false;
        const auto *newline = static_cast<const char *>(std::memchr(m_at, '\n', std::size_t(m_end - m_at)));
        const char *stop = newline ? newline : m_end;
        line = std::string_view(m_at, std::size_t(stop - m_at));
        m_at = newline ? newline + 1 : m_end;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        return true;
    }

    // Handles one group; false at the end of the drawing.
    bool group(int code, std::string_view value)
    {
        // A section's name is the group right after its start.
        const bool sectionName = m_expectSectionName;
        m_expectSectionName = false;
        if (code == 0) {
            finishEntity();
            const std::string_view type = trimmed(value);
            m_kind = Kind::Drop;
            if (type == "SECTION") {
                if (m_inBlock)
                    put(0, "ENDBLK");
                m_inBlock = false;
                m_section = Section::None;
                m_expectSectionName = true;
            } else if (type == "ENDSEC") {
                if (m_inBlock)
                    put(0, "ENDBLK");
                m_inBlock = false;
                m_section = Section::None;
            } else if (type == "EOF") {
                return false;
            } else if (m_section == Section::Blocks && type == "BLOCK") {
                if (m_inBlock)
                    put(0, "ENDBLK");
                m_inBlock = true;
                start(Kind::Block, type);
            } else if (m_section == Section::Blocks && type == "ENDBLK") {
                if (m_inBlock)
                    put(0, "ENDBLK");
                m_inBlock = false;
            } else if (m_section == Section::Entities || (m_section == Section::Blocks && m_inBlock)) {
                start(entityKind(type), type);
            }
            return true;
        }
        if (code == 2 && sectionName) {
            const std::string_view name = trimmed(value);
            m_section = name == "HEADER" ? Section::Header
                : name == "BLOCKS"       ? Section::Blocks
                : name == "ENTITIES"     ? Section::Entities
                                         : Section::Other;
            return true;
        }
        if (code == 9 && m_section == Section::Header) {
            finishEntity();
            const std::string_view name = trimmed(value);
            m_kind = Kind::Drop;
            if (name == "$ACADVER" || name == "$DWGCODEPAGE" || name == "$INSUNITS") {
                m_kind = Kind::HeaderVariable;
                put(9, name);
            }
            return true;
        }
        if (m_kind == Kind::LwPolyline && (code == 10 || code == 20 || code == 42)) {
            lwVertexGroup(code, value);
            return true;
        }
        if (!keeps(m_kind, code))
            return true;
        if (m_kind == Kind::Vertex) {
            if (m_vertexGroups.size() < 64)
                m_vertexGroups.emplace_back(code, value);
            return true;
        }
        put(code, value);
        return true;
    }

    void start(Kind kind, std::string_view type)
    {
        m_kind = kind;
        if (kind == Kind::Drop)
            return;
        ++m_entities;
        if (kind == Kind::Vertex) {
            m_vertexGroups.clear();
            return;
        }
        put(0, type);
        if (kind == Kind::LwPolyline) {
            // The vertex count, written when the vertices have been counted.
            m_out.text += "90\n";
            m_countAt = m_out.text.size();
            m_out.text += "0000000000\n";
            m_lwVertices = 0;
            m_lwCut = false;
        }
    }

    void lwVertexGroup(int code, std::string_view value)
    {
        if (code == 10) {
            // Vertices beyond the limit are left out, with their groups.
            if (m_lwVertices >= MaxPolylineVertices) {
                m_lwCut = true;
                return;
            }
            m_lwCut = false;
            ++m_lwVertices;
            ++m_points;
        } else if (m_lwVertices == 0 || m_lwCut) {
            return; // a 20 or a bulge before the first vertex
        }
        put(code, value);
    }

    void finishEntity()
    {
        if (m_kind == Kind::LwPolyline) {
            char digits[11];
            std::snprintf(digits, sizeof digits, "%010lld", static_cast<long long>(m_lwVertices));
            std::memcpy(m_out.text.data() + m_countAt, digits, 10);
        } else if (m_kind == Kind::Vertex) {
            // A spline's frame point (flag 16) is not on the line.
            int flags = 0;
            for (const auto &[code, value] : m_vertexGroups) {
                if (code == 70)
                    flags = std::atoi(std::string(trimmed(value)).c_str());
            }
            if (!(flags & 16)) {
                ++m_points;
                put(0, "VERTEX");
                for (const auto &[code, value] : m_vertexGroups)
                    put(code, value);
            }
            m_vertexGroups.clear();
        }
        m_kind = Kind::Drop;
    }

    void put(int code, std::string_view value)
    {
        if (value.size() > MaxValueBytes) {
            std::size_t cut = MaxValueBytes;
            // Not inside a UTF-8 sequence.
            while (cut > 0 && (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80)
                --cut;
            value = value.substr(0, cut);
        }
        char digits[16];
        const auto written = std::to_chars(digits, digits + sizeof digits - 1, code);
        *written.ptr = '\n';
        m_out.text.append(digits, std::size_t(written.ptr + 1 - digits));
        m_out.text.append(value);
        m_out.text += '\n';
    }

    const char *m_at;
    const char *m_end;
    CleanCopy m_out;
    Section m_section = Section::None;
    bool m_expectSectionName = false;
    bool m_inBlock = false;
    Kind m_kind = Kind::Drop;
    std::size_t m_countAt = 0;
    qint64 m_lwVertices = 0;
    bool m_lwCut = false;
    qint64 m_entities = 0;
    qint64 m_points = 0;
    std::vector<std::pair<int, std::string_view>> m_vertexGroups;
};

// ---------------------------------------------------------------- step 2: dxflib's entities

struct Vertex {
    double x = 0.0;
    double y = 0.0;
    double bulge = 0.0;
};

// The plane an entity lies in (its extrusion direction): its own x and y
// axes seen from above, by the DXF's arbitrary axis rule.
struct Plane {
    double ax = 1.0, ay = 0.0; // the plane's x axis on the world's XY
    double bx = 0.0, by = 1.0; // its y axis
};

std::optional<Plane> planeOf(double nx, double ny, double nz)
{
    const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (!std::isfinite(length) || length < 1e-12)
        return std::nullopt;
    nx /= length;
    ny /= length;
    nz /= length;
    if (nx == 0.0 && ny == 0.0 && nz > 0.0)
        return Plane{};
    // Ax = (Wy or Wz) x N, Ay = N x Ax.
    double ax, ay, az;
    if (std::abs(nx) < 1.0 / 64.0 && std::abs(ny) < 1.0 / 64.0) {
        ax = nz; // (0, 1, 0) x N
        ay = 0.0;
        az = -nx;
    } else {
        ax = -ny; // (0, 0, 1) x N
        ay = nx;
        az = 0.0;
    }
    const double axLength = std::sqrt(ax * ax + ay * ay + az * az);
    ax /= axLength;
    ay /= axLength;
    az /= axLength;
    Plane plane;
    plane.ax = ax;
    plane.ay = ay;
    plane.bx = ny * az - nz * ay;
    plane.by = nz * ax - nx * az;
    return plane;
}

enum class EntityType : unsigned char { Line, Polyline, Arc, Circle, Text, MText, Insert };

struct Entity {
    EntityType type = EntityType::Line;
    bool closed = false; // a polyline's flag
    bool bulges = false; // a polyline with a bulge
    int layer = 0;
    int plane = -1;        // index into planes; -1 the world's own
    std::size_t first = 0; // polyline: first vertex; text: its bytes; insert: its data
    std::size_t count = 0; // polyline: vertex count
    double p[5] = {0, 0, 0, 0, 0};
};

struct InsertData {
    int block = -1; // index into names, resolved later
    double x = 0.0, y = 0.0, sx = 1.0, sy = 1.0, angle = 0.0;
    int columns = 1, rows = 1;
    double columnSpacing = 0.0, rowSpacing = 0.0;
};

struct Block {
    std::string name;
    double baseX = 0.0, baseY = 0.0;
    std::vector<Entity> entities;
};

// The drawing as the file has it.
struct RawDrawing {
    std::string acadVersion;
    std::string codePage;
    std::optional<int> insUnits;
    std::vector<std::string> layers; // raw names, by index
    std::vector<Vertex> vertices;
    std::vector<Plane> planes;
    std::vector<std::string> texts;
    std::vector<InsertData> inserts;
    std::vector<std::string> insertNames; // by insert index
    std::vector<Entity> model;
    std::vector<Block> blocks;
};

class Collector : public DL_CreationAdapter {
public:
    // Room made for about entities and vertices.
    Collector(RawDrawing &drawing, std::size_t entities, std::size_t vertices) : m_drawing(drawing)
    {
        m_drawing.model.reserve(entities);
        m_drawing.vertices.reserve(vertices);
    }

    void setVariableString(const std::string &key, const std::string &value, int) override
    {
        if (key == "$ACADVER")
            m_drawing.acadVersion = value;
        else if (key == "$DWGCODEPAGE")
            m_drawing.codePage = value;
    }
    void setVariableInt(const std::string &key, int value, int) override
    {
        if (key == "$INSUNITS")
            m_drawing.insUnits = value;
    }

    void addBlock(const DL_BlockData &data) override
    {
        m_drawing.blocks.push_back(Block{data.name, data.bpx, data.bpy, {}});
        m_block = &m_drawing.blocks.back().entities;
    }
    void endBlock() override
    {
        closePolyline();
        m_block = nullptr;
    }

    void addLine(const DL_LineData &data) override
    {
        Entity entity = begin(EntityType::Line, false);
        entity.p[0] = data.x1;
        entity.p[1] = data.y1;
        entity.p[2] = data.x2;
        entity.p[3] = data.y2;
        add(entity, m_paperSpace);
    }
    void addArc(const DL_ArcData &data) override
    {
        Entity entity = begin(EntityType::Arc, true);
        entity.p[0] = data.cx;
        entity.p[1] = data.cy;
        entity.p[2] = data.radius;
        entity.p[3] = data.angle1;
        entity.p[4] = data.angle2;
        add(entity, m_paperSpace);
    }
    void addCircle(const DL_CircleData &data) override
    {
        Entity entity = begin(EntityType::Circle, true);
        entity.p[0] = data.cx;
        entity.p[1] = data.cy;
        entity.p[2] = data.radius;
        add(entity, m_paperSpace);
    }
    void addPolyline(const DL_PolylineData &data) override
    {
        closePolyline();
        // 3D polylines (8), polygon meshes (16) and polyface meshes (64)
        // are not outlines on the floor.
        if (data.flags & (8 | 16 | 64))
            return;
        Entity entity = begin(EntityType::Polyline, true);
        entity.closed = data.flags & 1;
        entity.first = m_drawing.vertices.size();
        m_polyline = entity;
        m_polylineInPaperSpace = m_paperSpace;
    }
    void addVertex(const DL_VertexData &data) override
    {
        if (!m_polyline)
            return;
        m_drawing.vertices.push_back(Vertex{data.x, data.y, data.bulge});
        ++m_polyline->count;
        if (data.bulge != 0.0)
            m_polyline->bulges = true;
    }
    void endEntity() override { closePolyline(); }
    void endSequence() override { closePolyline(); }

    void addText(const DL_TextData &data) override
    {
        Entity entity = begin(EntityType::Text, true);
        // A justified text stands at its alignment point.
        const bool aligned = (data.hJustification != 0 || data.vJustification != 0) && std::isfinite(data.apx)
            && std::isfinite(data.apy);
        entity.p[0] = aligned ? data.apx : data.ipx;
        entity.p[1] = aligned ? data.apy : data.ipy;
        entity.p[2] = data.height;
        entity.first = m_drawing.texts.size();
        m_drawing.texts.push_back(data.text);
        add(entity, m_paperSpace);
    }
    void addMTextChunk(const std::string &text) override { m_chunks += text; }
    void addMText(const DL_MTextData &data) override
    {
        Entity entity = begin(EntityType::MText, false);
        entity.p[0] = data.ipx;
        entity.p[1] = data.ipy;
        entity.p[2] = data.height;
        entity.first = m_drawing.texts.size();
        m_drawing.texts.push_back(m_chunks + data.text);
        m_chunks.clear();
        add(entity, m_paperSpace);
    }
    void addInsert(const DL_InsertData &data) override
    {
        Entity entity = begin(EntityType::Insert, true);
        InsertData insert;
        insert.x = data.ipx;
        insert.y = data.ipy;
        insert.sx = data.sx;
        insert.sy = data.sy;
        insert.angle = data.angle;
        insert.columns = std::max(1, data.cols);
        insert.rows = std::max(1, data.rows);
        insert.columnSpacing = data.colSp;
        insert.rowSpacing = data.rowSp;
        entity.first = m_drawing.inserts.size();
        m_drawing.inserts.push_back(insert);
        m_drawing.insertNames.push_back(data.name);
        add(entity, m_paperSpace);
    }

private:
    Entity begin(EntityType type, bool hasPlane)
    {
        Entity entity;
        entity.type = type;
        const DL_Attributes attrib = getAttributes();
        entity.layer = layerIndex(attrib.getLayer());
        if (hasPlane) {
            const double *n = getExtrusion()->getDirection();
            if (!(n[0] == 0.0 && n[1] == 0.0 && n[2] == 1.0)) {
                const std::optional<Plane> plane = planeOf(n[0], n[1], n[2]);
                entity.plane = int(m_drawing.planes.size());
                // An extrusion of no direction leaves the entity out.
                m_drawing.planes.push_back(plane.value_or(Plane{std::nan(""), 0, 0, std::nan("")}));
            }
        }
        m_paperSpace = attrib.isInPaperSpace();
        return entity;
    }

    void add(const Entity &entity, bool inPaperSpace)
    {
        if (inPaperSpace && !m_block)
            return;
        (m_block ? *m_block : m_drawing.model).push_back(entity);
    }

    void closePolyline()
    {
        if (m_polyline && m_polyline->count > 0)
            add(*m_polyline, m_polylineInPaperSpace);
        m_polyline.reset();
    }

    int layerIndex(const std::string &name)
    {
        if (name == m_lastLayerName)
            return m_lastLayer;
        auto found = m_layerIndex.find(name);
        if (found == m_layerIndex.end()) {
            found = m_layerIndex.emplace(name, int(m_drawing.layers.size())).first;
            m_drawing.layers.push_back(name);
        }
        m_lastLayerName = name;
        m_lastLayer = found->second;
        return m_lastLayer;
    }

    RawDrawing &m_drawing;
    std::vector<Entity> *m_block = nullptr;
    std::optional<Entity> m_polyline;
    bool m_polylineInPaperSpace = false;
    bool m_paperSpace = false;
    std::string m_chunks;
    std::unordered_map<std::string, int> m_layerIndex;
    std::string m_lastLayerName = std::string(1, '\0');
    int m_lastLayer = 0;
};

// A read-only stream over a piece of the clean copy, without copying it,
// followed by an end of file that makes dxflib hand over the last entity.
class PieceBuffer : public std::streambuf {
public:
    PieceBuffer(const char *begin, const char *end) { setg(mutable_(begin), mutable_(begin), mutable_(end)); }

protected:
    int_type underflow() override
    {
        if (gptr() < egptr())
            return traits_type::to_int_type(*gptr());
        if (m_ended)
            return traits_type::eof();
        m_ended = true;
        setg(mutable_(Tail), mutable_(Tail), mutable_(Tail + sizeof Tail - 1));
        return traits_type::to_int_type(*gptr());
    }

private:
    static char *mutable_(const char *p) { return const_cast<char *>(p); }
    static constexpr char Tail[] = "0\nEOF\n";
    bool m_ended = false;
};

// Reads a piece of the clean copy into drawing; false where dxflib threw.
bool readPiece(const char *begin, const char *end, const CleanCopy &clean, RawDrawing &drawing)
{
    try {
        // Room for the piece's share of the entities.
        const double share = double(end - begin) / double(std::max<std::size_t>(clean.text.size(), 1));
        Collector collector(drawing, std::size_t(double(clean.entities) * share * 1.1),
                            std::size_t(double(clean.points) * share * 1.1));
        PieceBuffer buffer(begin, end);
        std::istream stream(&buffer);
        DL_Dxf dxf;
        dxf.in(stream, &collector);
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

// dxflib reads the clean copy on this thread: it counts the lines it reads
// in a static variable, so two readings at once would race on it.
std::optional<RawDrawing> readClean(const CleanCopy &clean)
{
    RawDrawing drawing;
    if (!readPiece(clean.text.data(), clean.text.data() + clean.text.size(), clean, drawing))
        return std::nullopt;
    return drawing;
}

// ---------------------------------------------------------------- step 3: expanded into metres

// x' = m11 x + m21 y + dx, y' = m12 x + m22 y + dy.
struct Affine {
    double m11 = 1.0, m12 = 0.0, m21 = 0.0, m22 = 1.0, dx = 0.0, dy = 0.0;

    QPointF map(double x, double y) const { return QPointF(m11 * x + m21 * y + dx, m12 * x + m22 * y + dy); }
    // This transform after other: this(other(p)).
    Affine after(const Affine &o) const
    {
        Affine r;
        r.m11 = m11 * o.m11 + m21 * o.m12;
        r.m12 = m12 * o.m11 + m22 * o.m12;
        r.m21 = m11 * o.m21 + m21 * o.m22;
        r.m22 = m12 * o.m21 + m22 * o.m22;
        r.dx = m11 * o.dx + m21 * o.dy + dx;
        r.dy = m12 * o.dx + m22 * o.dy + dy;
        return r;
    }
    bool finite() const
    {
        return std::isfinite(m11) && std::isfinite(m12) && std::isfinite(m21) && std::isfinite(m22)
            && std::isfinite(dx) && std::isfinite(dy);
    }
    // How lengths scale, on the average over directions.
    double scale() const { return std::sqrt(std::abs(m11 * m22 - m12 * m21)); }

    static Affine translation(double x, double y)
    {
        Affine a;
        a.dx = x;
        a.dy = y;
        return a;
    }
    static Affine scaling(double sx, double sy)
    {
        Affine a;
        a.m11 = sx;
        a.m22 = sy;
        return a;
    }
    static Affine rotation(double degrees)
    {
        const double r = degrees * Degree;
        Affine a;
        a.m11 = std::cos(r);
        a.m12 = std::sin(r);
        a.m21 = -a.m12;
        a.m22 = a.m11;
        return a;
    }
    static Affine of(const Plane &plane)
    {
        Affine a;
        a.m11 = plane.ax;
        a.m12 = plane.ay;
        a.m21 = plane.bx;
        a.m22 = plane.by;
        return a;
    }
};

// Arcs are drawn in steps of at most 3 degrees: a half circle's area is
// then 0.05 % short of the true one.
constexpr double ArcStep = 3.0 * Degree;
// A polyline's arcs together give at most this many points; beyond it
// their steps grow.
constexpr std::size_t MaxArcPoints = 4000000;
constexpr double ClosingTolerance = 0.001; // m

bool usable(QPointF p)
{
    return std::isfinite(p.x()) && std::isfinite(p.y()) && std::abs(p.x()) <= calc::OutlineCoordinateLimit
        && std::abs(p.y()) <= calc::OutlineCoordinateLimit;
}

int arcSegments(double sweep, double step)
{
    // Whole steps not made one more by rounding.
    const double n = std::ceil(std::abs(sweep) / step - 1e-9);
    return std::isfinite(n) ? int(std::clamp(n, 1.0, 360.0)) : 1;
}

// The points of the arc from a to b that bulge says (tan of a quarter of
// its sweep, counter-clockwise where positive), without a itself, with b.
void appendBulge(std::vector<QPointF> &out, const Vertex &a, const Vertex &b, double step)
{
    const double bulge = a.bulge;
    const double chordX = b.x - a.x;
    const double chordY = b.y - a.y;
    const double chord = std::hypot(chordX, chordY);
    if (!std::isfinite(bulge) || std::abs(bulge) < 1e-12 || !(chord > 0.0) || !std::isfinite(chord)) {
        out.emplace_back(b.x, b.y);
        return;
    }
    const double sweep = 4.0 * std::atan(bulge);
    // The centre lies off the chord's middle, to the left for a positive bulge.
    const double offset = chord * (1.0 - bulge * bulge) / (4.0 * bulge);
    const double cx = (a.x + b.x) / 2.0 - chordY / chord * offset;
    const double cy = (a.y + b.y) / 2.0 + chordX / chord * offset;
    const double radius = std::hypot(a.x - cx, a.y - cy);
    const double start = std::atan2(a.y - cy, a.x - cx);
    const int n = arcSegments(sweep, step);
    for (int i = 1; i < n; ++i) {
        const double t = start + sweep * i / n;
        out.emplace_back(cx + radius * std::cos(t), cy + radius * std::sin(t));
    }
    out.emplace_back(b.x, b.y);
}

// A closed outline of the drawing, in world metres.
struct Outline {
    int layer = 0;
    std::size_t line = 0; // its points: the underlay's line
    bool usable = true;   // every point finite and within the limit
};

struct TextPlace {
    std::size_t text = 0; // index into RawDrawing::texts
    bool mtext = false;
    QPointF at;
    double height = 0.0;
};

struct Expanded {
    std::vector<drawing::Polyline> lines;
    std::vector<Outline> closed;                   // closed polylines
    std::vector<std::pair<int, std::size_t>> open; // layer and count of open polylines
    std::vector<TextPlace> texts;
    std::vector<int> entitiesOnLayer;
    std::vector<int> closedOnLayer;
    std::vector<int> openOnLayer;
    std::vector<int> textLayer; // layer of each text place
    bool tooMany = false;
};

class Expander {
public:
    Expander(const RawDrawing &drawing, const std::vector<QString> &layerNames, double metres)
        : m_drawing(drawing),
          m_layerNames(layerNames),
          m_root(Affine::scaling(metres, metres))
    {
        m_out.entitiesOnLayer.assign(layerNames.size(), 0);
        m_out.closedOnLayer.assign(layerNames.size(), 0);
        m_out.openOnLayer.assign(layerNames.size(), 0);
        for (std::size_t i = 0; i < drawing.blocks.size(); ++i)
            m_blockIndex.emplace(drawing.blocks[i].name, int(i));
        m_active.assign(drawing.blocks.size(), false);
        const auto zero = std::find(drawing.layers.begin(), drawing.layers.end(), std::string("0"));
        m_layerZero = zero == drawing.layers.end() ? -1 : int(zero - drawing.layers.begin());
    }

    Expanded run()
    {
        expand(m_drawing.model, m_root, -1, 0);
        return std::move(m_out);
    }

private:
    void expand(const std::vector<Entity> &entities, const Affine &transform, int insertLayer, int depth)
    {
        for (const Entity &entity : entities) {
            if (m_out.tooMany)
                return;
            if (++m_entities > MaxPlanEntities) {
                m_out.tooMany = true;
                return;
            }
            // What is drawn on layer 0 in a block takes the layer of its insertion.
            const int layer = entity.layer == m_layerZero && insertLayer >= 0 ? insertLayer : entity.layer;
            Affine t = transform;
            if (entity.plane >= 0) {
                const Plane &plane = m_drawing.planes[std::size_t(entity.plane)];
                if (!std::isfinite(plane.ax))
                    continue;
                t = transform.after(Affine::of(plane));
            }
            switch (entity.type) {
            case EntityType::Line: {
                const QPointF a = t.map(entity.p[0], entity.p[1]);
                const QPointF b = t.map(entity.p[2], entity.p[3]);
                addLine(layer, {a, b}, false);
                break;
            }
            case EntityType::Arc:
            case EntityType::Circle: addArc(entity, t, layer); break;
            case EntityType::Polyline: addPolyline(entity, t, layer); break;
            case EntityType::Text:
            case EntityType::MText: {
                const QPointF at = t.map(entity.p[0], entity.p[1]);
                if (!usable(at))
                    break;
                ++m_out.entitiesOnLayer[std::size_t(layer)];
                const double height = std::abs(entity.p[2]) * t.scale();
                m_out.texts.push_back({entity.first, entity.type == EntityType::MText, at,
                                       std::isfinite(height) ? height : 0.0});
                m_out.textLayer.push_back(layer);
                break;
            }
            case EntityType::Insert:
                ++m_out.entitiesOnLayer[std::size_t(layer)];
                insert(entity, t, layer, depth);
                break;
            }
        }
    }

    void insert(const Entity &entity, const Affine &transform, int layer, int depth)
    {
        if (depth >= MaxBlockDepth)
            return;
        const auto found = m_blockIndex.find(m_drawing.insertNames[entity.first]);
        if (found == m_blockIndex.end())
            return;
        const int block = found->second;
        // A block that inserts itself, directly or through others.
        if (m_active[std::size_t(block)])
            return;
        const InsertData &data = m_drawing.inserts[entity.first];
        const Block &definition = m_drawing.blocks[std::size_t(block)];
        const Affine place
            = transform.after(Affine::translation(data.x, data.y)).after(Affine::rotation(data.angle));
        const Affine local = Affine::scaling(data.sx, data.sy)
                                 .after(Affine::translation(-definition.baseX, -definition.baseY));
        m_active[std::size_t(block)] = true;
        for (int row = 0; row < data.rows && !m_out.tooMany; ++row) {
            for (int column = 0; column < data.columns && !m_out.tooMany; ++column) {
                const Affine t
                    = place.after(Affine::translation(column * data.columnSpacing, row * data.rowSpacing))
                          .after(local);
                if (!t.finite())
                    continue;
                if (++m_entities > MaxPlanEntities) {
                    m_out.tooMany = true;
                    break;
                }
                expand(definition.entities, t, layer, depth + 1);
            }
        }
        m_active[std::size_t(block)] = false;
    }

    bool countPoints(std::size_t n)
    {
        m_points += qint64(n);
        if (m_points > MaxPlanPoints)
            m_out.tooMany = true;
        return !m_out.tooMany;
    }

    // Adds a line of the underlay; its index, or none where a point is not usable.
    std::optional<std::size_t> addLine(int layer, QPolygonF points, bool closed)
    {
        ++m_out.entitiesOnLayer[std::size_t(layer)];
        if (!countPoints(std::size_t(points.size())))
            return std::nullopt;
        for (const QPointF &p : points) {
            if (!usable(p))
                return std::nullopt;
        }
        m_out.lines.push_back(drawing::Polyline{m_layerNames[std::size_t(layer)], std::move(points), closed});
        return m_out.lines.size() - 1;
    }

    void addArc(const Entity &entity, const Affine &t, int layer)
    {
        const double cx = entity.p[0];
        const double cy = entity.p[1];
        const double r = entity.p[2];
        const bool circle = entity.type == EntityType::Circle;
        if (!(r > 0.0) || !std::isfinite(r))
            return;
        double start = circle ? 0.0 : entity.p[3] * Degree;
        double sweep = circle ? 2.0 * Pi : (entity.p[4] - entity.p[3]) * Degree;
        if (!std::isfinite(start) || !std::isfinite(sweep))
            return;
        sweep = std::fmod(sweep, 2.0 * Pi);
        if (sweep <= 0.0)
            sweep += 2.0 * Pi;
        const int n = arcSegments(sweep, ArcStep);
        QPolygonF points;
        points.reserve(n + 1);
        for (int i = 0; i <= n; ++i) {
            if (circle && i == n)
                break;
            const double a = start + sweep * i / n;
            points.append(t.map(cx + r * std::cos(a), cy + r * std::sin(a)));
        }
        addLine(layer, std::move(points), circle);
    }

    void addPolyline(const Entity &entity, const Affine &t, int layer)
    {
        const Vertex *v = m_drawing.vertices.data() + entity.first;
        std::size_t n = entity.count;
        if (n == 0)
            return;
        bool closed = entity.closed;
        // An open polyline whose last corner lies on its first is closed,
        // the repeat dropped.
        if (!closed && n > 2) {
            const QPointF first = t.map(v[0].x, v[0].y);
            const QPointF last = t.map(v[n - 1].x, v[n - 1].y);
            if (std::hypot(first.x() - last.x(), first.y() - last.y()) <= ClosingTolerance) {
                closed = true;
                --n;
            }
        }
        std::vector<QPointF> local;
        if (entity.bulges) {
            const std::size_t segments = closed ? n : n - 1;
            std::size_t needed = 0;
            for (std::size_t i = 0; i < segments; ++i)
                needed += std::size_t(arcSegments(4.0 * std::atan(v[i].bulge), ArcStep));
            const double step
                = needed > MaxArcPoints ? ArcStep * double(needed) / double(MaxArcPoints) : ArcStep;
            local.reserve(std::min(needed, MaxArcPoints) + 1);
            local.emplace_back(v[0].x, v[0].y);
            for (std::size_t i = 0; i < segments; ++i)
                appendBulge(local, v[i], v[(i + 1) % n], step);
            if (closed)
                local.pop_back(); // the first corner again
        } else {
            local.reserve(n);
            for (std::size_t i = 0; i < n; ++i)
                local.emplace_back(v[i].x, v[i].y);
        }
        QPolygonF points;
        points.reserve(qsizetype(local.size()));
        for (const QPointF &p : local)
            points.append(t.map(p.x(), p.y()));
        const std::optional<std::size_t> line = addLine(layer, std::move(points), closed);
        if (closed) {
            ++m_out.closedOnLayer[std::size_t(layer)];
            m_out.closed.push_back({layer, line.value_or(0), line.has_value()});
        } else {
            ++m_out.openOnLayer[std::size_t(layer)];
        }
    }

    const RawDrawing &m_drawing;
    const std::vector<QString> &m_layerNames;
    Affine m_root;
    Expanded m_out;
    std::unordered_map<std::string, int> m_blockIndex;
    std::vector<bool> m_active;
    int m_layerZero = -1;
    qint64 m_entities = 0;
    qint64 m_points = 0;
};

// ---------------------------------------------------------------- step 4: rooms and their names

// calc::checkOutline tests every pair of edges; outlines of more corners
// than this are tested through a grid of cells instead, to the same rules.
constexpr std::size_t DirectCheckCorners = 2000;
// An outline whose edges crowd the cells so that more pairs than this would
// be tested is taken as crossing itself.
constexpr qint64 MaxEdgePairs = 100000000;

double cross(QPointF a, QPointF b)
{
    return a.x() * b.y() - a.y() * b.x();
}

calc::OutlineFault gridCheck(const std::vector<QPointF> &outline)
{
    for (const QPointF &p : outline) {
        if (!usable(p))
            return calc::OutlineFault::NotFinite;
    }
    std::vector<QPointF> points;
    points.reserve(outline.size());
    for (const QPointF &p : outline) {
        if (points.empty() || points.back() != p)
            points.push_back(p);
    }
    while (points.size() > 1 && points.back() == points.front())
        points.pop_back();
    std::vector<QPointF> distinct = points;
    std::sort(distinct.begin(), distinct.end(),
              [](QPointF a, QPointF b) { return a.x() < b.x() || (a.x() == b.x() && a.y() < b.y()); });
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    if (distinct.size() < 3)
        return calc::OutlineFault::TooFewPoints;
    const std::size_t n = points.size();
    if (distinct.size() < n)
        return calc::OutlineFault::SelfCrossing;
    double left = points[0].x(), right = left, bottom = points[0].y(), top = bottom, total = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const QPointF a = points[i];
        const QPointF b = points[(i + 1) % n];
        const QPointF c = points[(i + 2) % n];
        if (cross(b - a, c - b) == 0.0 && (b - a).x() * (c - b).x() + (b - a).y() * (c - b).y() < 0.0)
            return calc::OutlineFault::SelfCrossing;
        left = std::min(left, a.x());
        right = std::max(right, a.x());
        bottom = std::min(bottom, a.y());
        top = std::max(top, a.y());
        total += std::hypot(b.x() - a.x(), b.y() - a.y());
    }
    // Cells about as large as an edge, grown until the edges' boxes cover
    // at most four cells each on the average.
    double cell = std::max(total / double(n), std::max(right - left, top - bottom) / 1e9);
    const auto cellsOf = [&](std::size_t i, double size) {
        const QPointF a = points[i];
        const QPointF b = points[(i + 1) % n];
        const double w = std::floor((std::max(a.x(), b.x()) - left) / size)
            - std::floor((std::min(a.x(), b.x()) - left) / size) + 1;
        const double h = std::floor((std::max(a.y(), b.y()) - bottom) / size)
            - std::floor((std::min(a.y(), b.y()) - bottom) / size) + 1;
        return w * h;
    };
    for (;;) {
        double cover = 0.0;
        for (std::size_t i = 0; i < n; ++i)
            cover += cellsOf(i, cell);
        if (cover <= 4.0 * double(n))
            break;
        cell *= 2.0;
    }
    struct Entry {
        quint64 key;
        quint32 edge;
    };
    std::vector<Entry> entries;
    entries.reserve(4 * n);
    for (std::size_t i = 0; i < n; ++i) {
        const QPointF a = points[i];
        const QPointF b = points[(i + 1) % n];
        const auto x0 = quint64(std::floor((std::min(a.x(), b.x()) - left) / cell));
        const auto x1 = quint64(std::floor((std::max(a.x(), b.x()) - left) / cell));
        const auto y0 = quint64(std::floor((std::min(a.y(), b.y()) - bottom) / cell));
        const auto y1 = quint64(std::floor((std::max(a.y(), b.y()) - bottom) / cell));
        for (quint64 x = x0; x <= x1; ++x) {
            for (quint64 y = y0; y <= y1; ++y)
                entries.push_back({(x << 32) | y, quint32(i)});
        }
    }
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        return a.key < b.key || (a.key == b.key && a.edge < b.edge);
    });
    qint64 pairs = 0;
    for (std::size_t s = 0, e = 0; s < entries.size(); s = e) {
        for (e = s; e < entries.size() && entries[e].key == entries[s].key; ++e) { }
        const qint64 k = qint64(e - s);
        pairs += k * (k - 1) / 2;
    }
    if (pairs > MaxEdgePairs)
        return calc::OutlineFault::SelfCrossing;
    for (std::size_t s = 0, e = 0; s < entries.size(); s = e) {
        for (e = s; e < entries.size() && entries[e].key == entries[s].key; ++e) { }
        for (std::size_t p = s; p < e; ++p) {
            for (std::size_t q = p + 1; q < e; ++q) {
                const std::size_t i = entries[p].edge;
                const std::size_t j = entries[q].edge;
                // Neighbours meet at their shared corner.
                if (j == i + 1 || (i == 0 && j == n - 1))
                    continue;
                if (calc::segmentsMeet(points[i], points[(i + 1) % n], points[j], points[(j + 1) % n]))
                    return calc::OutlineFault::SelfCrossing;
            }
        }
    }
    if (std::abs(calc::signedArea(points)) < calc::OutlineLeastArea)
        return calc::OutlineFault::TooSmall;
    return calc::OutlineFault::None;
}

calc::OutlineFault outlineFault(const std::vector<QPointF> &outline)
{
    return outline.size() <= DirectCheckCorners ? calc::checkOutline(outline) : gridCheck(outline);
}

// Texts in reading order: top to bottom in lines (a text within half a
// text's height of the line's first is on its line), each line left to right.
std::vector<std::size_t> readingOrder(const std::vector<TextPlace> &places, std::vector<std::size_t> which)
{
    std::stable_sort(which.begin(), which.end(), [&](std::size_t a, std::size_t b) {
        return places[a].at.y() > places[b].at.y()
            || (places[a].at.y() == places[b].at.y() && places[a].at.x() < places[b].at.x());
    });
    std::vector<std::size_t> ordered;
    ordered.reserve(which.size());
    for (std::size_t start = 0; start < which.size();) {
        const TextPlace &head = places[which[start]];
        std::size_t end = start + 1;
        while (end < which.size()) {
            const TextPlace &next = places[which[end]];
            if (head.at.y() - next.at.y() > 0.5 * std::max(head.height, next.height))
                break;
            ++end;
        }
        std::stable_sort(which.begin() + qsizetype(start), which.begin() + qsizetype(end),
                         [&](std::size_t a, std::size_t b) { return places[a].at.x() < places[b].at.x(); });
        ordered.insert(ordered.end(), which.begin() + qsizetype(start), which.begin() + qsizetype(end));
        start = end;
    }
    return ordered;
}

// For each text place, the room it stands in (the smallest where several
// hold it), or -1.
std::vector<int> roomsOfTexts(const std::vector<PlanRoom> &rooms, const std::vector<TextPlace> &places)
{
    std::vector<int> roomOf(places.size(), -1);
    if (rooms.empty())
        return roomOf;
    QRectF all = rooms.front().outline.bounds();
    std::vector<QRectF> bounds;
    bounds.reserve(rooms.size());
    for (const PlanRoom &room : rooms) {
        bounds.push_back(room.outline.bounds());
        all = all.united(bounds.back());
    }
    const int side = std::clamp(int(std::ceil(std::sqrt(double(rooms.size())))), 1, 64);
    const double w = std::max(all.width(), 1e-9) / side;
    const double h = std::max(all.height(), 1e-9) / side;
    const auto column
        = [&](double x) { return std::clamp(int(std::floor((x - all.left()) / w)), 0, side - 1); };
    const auto row = [&](double y) { return std::clamp(int(std::floor((y - all.top()) / h)), 0, side - 1); };
    std::vector<std::vector<int>> cells(std::size_t(side * side));
    for (std::size_t i = 0; i < rooms.size(); ++i) {
        for (int r = row(bounds[i].top()); r <= row(bounds[i].bottom()); ++r) {
            for (int c = column(bounds[i].left()); c <= column(bounds[i].right()); ++c)
                cells[std::size_t(r * side + c)].push_back(int(i));
        }
    }
    for (std::size_t t = 0; t < places.size(); ++t) {
        const QPointF p = places[t].at;
        if (p.x() < all.left() || p.x() > all.right() || p.y() < all.top() || p.y() > all.bottom())
            continue;
        double best = std::numeric_limits<double>::infinity();
        for (int i : cells[std::size_t(row(p.y()) * side + column(p.x()))]) {
            const QRectF &b = bounds[std::size_t(i)];
            if (p.x() < b.left() || p.x() > b.right() || p.y() < b.top() || p.y() > b.bottom())
                continue;
            const double area = rooms[std::size_t(i)].outline.area();
            if (area < best && rooms[std::size_t(i)].outline.contains(p)) {
                best = area;
                roomOf[t] = i;
            }
        }
    }
    return roomOf;
}

std::optional<PlanUnit> namedUnit(std::optional<int> insUnits)
{
    if (!insUnits)
        return std::nullopt;
    switch (*insUnits) {
    case 1: return PlanUnit::Inch;
    case 2: return PlanUnit::Foot;
    case 4: return PlanUnit::Millimetre;
    case 5: return PlanUnit::Centimetre;
    case 6: return PlanUnit::Metre;
    default: return std::nullopt;
    }
}

} // namespace

PlanReading readFloorPlanBytes(const QByteArray &bytes, const QString &fileName,
                               const PlanReadOptions &options)
{
    const auto refused = [&](const QString &reason) {
        return PlanReading{std::nullopt, notRead(fileName, reason)};
    };
    if (bytes.size() > MaxPlanFileBytes)
        return refused(tooLargeReason());
    if (bytes.startsWith("AutoCAD Binary DXF") || bytes.startsWith("AC10"))
        return PlanReading{std::nullopt, binaryRefusal(fileName)};

    CleanCopy clean = Cleaner(bytes).run();
    if (!clean.isDxf)
        return refused(notDxfReason());
    if (clean.tooMany)
        return refused(tooManyReason());

    std::optional<RawDrawing> read = readClean(clean);
    if (!read)
        return refused(notDxfReason());
    RawDrawing &raw = *read;
    clean.text = std::string();

    FloorPlanFile plan;
    plan.namedUnit = namedUnit(raw.insUnits);
    plan.unit = plan.namedUnit.value_or(options.unitWhenUnnamed);

    dxftext::Decoder decode(QString::fromLatin1(raw.acadVersion), QString::fromLatin1(raw.codePage));
    std::vector<QString> layerNames;
    layerNames.reserve(raw.layers.size());
    for (const std::string &name : raw.layers)
        layerNames.push_back(decode(name));

    Expanded expanded = Expander(raw, layerNames, metresPerUnit(plan.unit)).run();
    if (expanded.tooMany)
        return refused(tooManyReason());

    // The layers by name; layers of the same name (their bytes differing
    // only where the code page does not tell them apart) are one.
    std::map<QString, PlanLayer> layers;
    for (std::size_t i = 0; i < layerNames.size(); ++i) {
        if (expanded.entitiesOnLayer[i] == 0)
            continue;
        PlanLayer &layer = layers[layerNames[i]];
        layer.name = layerNames[i];
        layer.closedOutlines += expanded.closedOnLayer[i];
    }
    for (const auto &[name, layer] : layers)
        plan.layers.push_back(layer);

    if (!options.layer.isEmpty()) {
        if (!layers.count(options.layer))
            return PlanReading{std::nullopt, QStringLiteral("В плане нет слоя «%1».").arg(options.layer)};
        plan.layer = options.layer;
    } else {
        int most = -1;
        for (const PlanLayer &layer : plan.layers) {
            if (layer.closedOutlines > most) {
                most = layer.closedOutlines;
                plan.layer = layer.name;
            }
        }
    }

    for (std::size_t i = 0; i < layerNames.size(); ++i) {
        if (layerNames[i] == plan.layer)
            plan.skipped.open += expanded.openOnLayer[i];
    }
    for (const Outline &outline : expanded.closed) {
        if (layerNames[std::size_t(outline.layer)] != plan.layer || !outline.usable)
            continue;
        const QPolygonF &line = expanded.lines[outline.line].points;
        std::vector<QPointF> points(line.begin(), line.end());
        switch (outlineFault(points)) {
        case calc::OutlineFault::NotFinite: continue;
        case calc::OutlineFault::SelfCrossing: ++plan.skipped.selfCrossing; continue;
        case calc::OutlineFault::TooFewPoints:
        case calc::OutlineFault::TooSmall: ++plan.skipped.small; continue;
        case calc::OutlineFault::None: break;
        }
        if (std::abs(calc::signedArea(points)) < LeastRoomArea) {
            ++plan.skipped.small;
            continue;
        }
        plan.rooms.push_back(PlanRoom{calc::Shape::fromOutline(std::move(points)), QString()});
    }
    std::stable_sort(plan.rooms.begin(), plan.rooms.end(), [](const PlanRoom &a, const PlanRoom &b) {
        const QPointF ca = a.outline.bounds().center();
        const QPointF cb = b.outline.bounds().center();
        return ca.y() > cb.y() || (ca.y() == cb.y() && ca.x() < cb.x());
    });

    // The names.
    const std::vector<int> roomOf = roomsOfTexts(plan.rooms, expanded.texts);
    std::vector<std::vector<std::size_t>> textsOf(plan.rooms.size());
    for (std::size_t t = 0; t < roomOf.size(); ++t) {
        if (roomOf[t] >= 0)
            textsOf[std::size_t(roomOf[t])].push_back(t);
    }
    std::unordered_map<std::size_t, QString> plain;
    for (std::size_t r = 0; r < plan.rooms.size(); ++r) {
        QStringList parts;
        for (std::size_t t : readingOrder(expanded.texts, textsOf[r])) {
            const TextPlace &place = expanded.texts[t];
            auto found = plain.find(place.text);
            if (found == plain.end()) {
                const QString text = decode(raw.texts[place.text]);
                found = plain
                            .emplace(place.text,
                                     (place.mtext ? dxftext::plainMText(text) : dxftext::plainText(text))
                                         .simplified())
                            .first;
            }
            if (!found->second.isEmpty())
                parts.append(found->second);
        }
        plan.rooms[r].name = parts.join(u' ');
    }
    plan.background = std::move(expanded.lines);
    return PlanReading{std::move(plan), QString()};
}

PlanReading readFloorPlan(const QString &path, const PlanReadOptions &options)
{
    QFile file(path);
    if (!file.exists())
        return {std::nullopt, notRead(path, QStringLiteral("файла нет."))};
    if (file.size() > MaxPlanFileBytes)
        return {std::nullopt, notRead(path, tooLargeReason())};
    if (!file.open(QIODevice::ReadOnly))
        return {std::nullopt,
                notRead(path, QStringLiteral("файл не читается (%1).").arg(file.errorString()))};
    // Read whole rather than mapped: a file cut short by another program
    // while it is read must not stop this one.
    const QByteArray bytes = file.read(MaxPlanFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return {std::nullopt,
                notRead(path, QStringLiteral("файл не читается (%1).").arg(file.errorString()))};
    return readFloorPlanBytes(bytes, path, options);
}

QString planReport(const FloorPlanFile &plan)
{
    QString report = QStringLiteral("Найдено помещений: %1.").arg(plan.rooms.size());
    QStringList skipped;
    if (plan.skipped.open > 0)
        skipped.append(QStringLiteral("незамкнутых %1").arg(plan.skipped.open));
    if (plan.skipped.small > 0)
        skipped.append(QStringLiteral("меньше 1 м² %1").arg(plan.skipped.small));
    if (plan.skipped.selfCrossing > 0)
        skipped.append(QStringLiteral("с самопересечением %1").arg(plan.skipped.selfCrossing));
    if (!skipped.isEmpty())
        report += QStringLiteral(" Пропущено: ") + skipped.join(QStringLiteral(", ")) + u'.';
    return report;
}

} // namespace project
