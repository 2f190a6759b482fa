#include "projectfile.h"

#include "jsonwriter.h"
#include "validation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QLocale>
#include <algorithm>
#include <cmath>
#include <iterator>
#include <utility>

namespace project {

namespace {

// The input keys in file order, with the member each one holds. A number
// typed in the main window keeps a decimal point, whatever the locale: a
// comma there is read as one, as that window turns a typed comma into a
// point.
struct InputKey {
    const char *key;
    QString RoomInputs::*member;
    bool number = false;
};

// clang-format off
const InputKey TextInputsBeforeTap[] = {
    {"model", &RoomInputs::model},
};
const InputKey TextInputsAfterTap[] = {
    {"power", &RoomInputs::power, true},
    {"sensitivity", &RoomInputs::sensitivity, true},
    {"directivity", &RoomInputs::directivity},
    {"verticalDirectivity", &RoomInputs::verticalDirectivity},
    {"tilt", &RoomInputs::tilt},
    {"margin", &RoomInputs::margin},
    {"listeningHeight", &RoomInputs::listeningHeight},
    {"roomType", &RoomInputs::roomType},
    {"noise", &RoomInputs::noise, true},
    {"height", &RoomInputs::height, true},
    {"length", &RoomInputs::length, true},
    {"width", &RoomInputs::width, true},
    {"area", &RoomInputs::area, true},
};
// clang-format on

void writeInputs(JsonWriter &json, const RoomInputs &in)
{
    json.beginObject(QStringLiteral("inputs"));
    for (const InputKey &k : TextInputsBeforeTap)
        json.string(QLatin1String(k.key), in.*k.member);
    json.boolean(QStringLiteral("modelFromList"), in.modelFromList);
    json.string(QStringLiteral("mounting"), mountingKey(in.mounting));
    json.string(QStringLiteral("tap"), tapText(in.tap));
    for (const InputKey &k : TextInputsAfterTap)
        json.string(QLatin1String(k.key), in.*k.member);
    json.boolean(QStringLiteral("areaFromSides"), in.areaFromSides);
    json.endObject();
}

void writeResults(JsonWriter &json, const ResultTexts &r)
{
    json.beginObject(QStringLiteral("results"));
    json.string(QStringLiteral("spl"), r.spl);
    json.string(QStringLiteral("range"), r.range);
    json.string(QStringLiteral("area"), r.area);
    json.string(QStringLiteral("count"), r.count);
    json.string(QStringLiteral("power"), r.power);
    json.string(QStringLiteral("covered"), r.covered);
    json.string(QStringLiteral("note"), r.note);
    json.endObject();
}

// The plan's count: "calculated", "level" or the number set.
void writeCount(JsonWriter &json, const PlanCount &count)
{
    const QString key = QStringLiteral("count");
    switch (count.kind) {
    case PlanCount::Kind::Calculated: json.string(key, QStringLiteral("calculated")); return;
    case PlanCount::Kind::Level: json.string(key, QStringLiteral("level")); return;
    case PlanCount::Kind::Fixed: json.number(key, count.number); return;
    }
}

// The room's surfaces and typed reverberation time: each only where the
// room has other than the defaults (the default materials, a computed
// time), so that a file written before they were kept stays as it was.
const std::pair<const char *, QString Room::*> SurfaceKeys[]
    = {{"floor", &Room::floorSurface}, {"walls", &Room::wallsSurface}, {"ceiling", &Room::ceilingSurface}};

void writeAcoustics(JsonWriter &json, const Room &room)
{
    const Room defaults;
    if (std::any_of(std::begin(SurfaceKeys), std::end(SurfaceKeys),
                    [&](const auto &k) { return room.*k.second != defaults.*k.second; })) {
        json.beginObject(QStringLiteral("surfaces"));
        for (const auto &[key, member] : SurfaceKeys)
            json.string(QLatin1String(key), room.*member);
        json.endObject();
    }
    if (const std::optional<double> seconds = reverberationSeconds(room.reverberation))
        json.real(QStringLiteral("reverberation"), *seconds);
}

void writeRoom(JsonWriter &json, const Room &room, const ResultTexts &results)
{
    json.beginObject();
    json.string(QStringLiteral("name"), room.name);
    json.string(QStringLiteral("floor"), room.floor);
    json.string(QStringLiteral("line"), room.line);
    if (!room.inputs.outline.empty()) {
        json.beginArray(QStringLiteral("outline"));
        for (const QPointF &corner : room.inputs.outline)
            json.realsInline(QString(), {corner.x(), corner.y()});
        json.endArray();
    }
    writeInputs(json, room.inputs);
    json.string(QStringLiteral("layout"), room.layout);
    writeCount(json, room.count);
    writeAcoustics(json, room);
    writeResults(json, results);
    json.endObject();
}

// Why a file is refused. A room's or a line's fault names it by its number
// (1-based): owner is "у помещения № N", "у линии № N", or empty for the
// file's own keys.
QString roomOwner(int number)
{
    return QStringLiteral("у помещения № %1").arg(number);
}

QString lineOwner(int number)
{
    return QStringLiteral("у линии № %1").arg(number);
}

QString keyMissing(const QString &key, const QString &owner)
{
    if (!owner.isEmpty())
        return QStringLiteral("%1 нет поля «%2»").arg(owner, key);
    return QStringLiteral("нет поля «%1»").arg(key);
}

QString wrongType(const QString &key, const QString &what, const QString &owner)
{
    if (!owner.isEmpty())
        return QStringLiteral("%1 поле «%2» должно быть %3").arg(owner, key, what);
    return QStringLiteral("поле «%1» должно быть %2").arg(key, what);
}

const QString AString = QStringLiteral("строкой");
const QString AnObject = QStringLiteral("объектом");
const QString AList = QStringLiteral("списком");
const QString ANumber = QStringLiteral("числом");
const QString ABoolean = QStringLiteral("true или false");

// Reads the members of one JSON object, keeping the first fault.
class Fields {
public:
    Fields(const QJsonObject &object, QString owner, QString &fault)
        : m_object(object),
          m_owner(std::move(owner)),
          m_fault(fault)
    { }

    QJsonValue take(const QString &key, QJsonValue::Type type, const QString &what)
    {
        if (!m_fault.isEmpty())
            return {};
        const auto it = m_object.constFind(key);
        if (it == m_object.constEnd()) {
            m_fault = keyMissing(key, m_owner);
            return {};
        }
        if (it->type() != type) {
            m_fault = wrongType(key, what, m_owner);
            return {};
        }
        return *it;
    }

    QString text(const QString &key) { return take(key, QJsonValue::String, AString).toString(); }
    QJsonObject object(const QString &key) { return take(key, QJsonValue::Object, AnObject).toObject(); }
    bool boolean(const QString &key) { return take(key, QJsonValue::Bool, ABoolean).toBool(); }
    // A key that a file written before it may lack: fallback then.
    bool optionalBoolean(const QString &key, bool fallback)
    {
        return m_object.contains(key) ? boolean(key) : fallback;
    }
    // A JSON number that is a finite double: a number too large for one
    // could not be written back.
    double number(const QString &key)
    {
        const double value = take(key, QJsonValue::Double, ANumber).toDouble();
        if (!failed() && !std::isfinite(value))
            m_fault = wrongType(key, ANumber, m_owner);
        return value;
    }

    void refuse(const QString &reason)
    {
        if (m_fault.isEmpty())
            m_fault = reason;
    }
    bool failed() const { return !m_fault.isEmpty(); }

private:
    const QJsonObject &m_object;
    QString m_owner;
    QString &m_fault;
};

RoomInputs readInputs(Fields &fields, int number)
{
    RoomInputs in;
    const auto read = [&fields, &in](const InputKey &k) {
        QString text = fields.text(QLatin1String(k.key));
        if (k.number)
            text.replace(u',', u'.');
        in.*k.member = text;
    };
    for (const InputKey &k : TextInputsBeforeTap)
        read(k);
    // A file written before the key was kept: a catalogue designation was
    // then always taken as chosen from the list.
    in.modelFromList = fields.optionalBoolean(QStringLiteral("modelFromList"), true);
    const QString mounting = fields.text(QStringLiteral("mounting"));
    const QString tap = fields.text(QStringLiteral("tap"));
    for (const InputKey &k : TextInputsAfterTap)
        read(k);
    in.areaFromSides = fields.boolean(QStringLiteral("areaFromSides"));
    if (fields.failed())
        return in;
    if (const auto type = mountingFromKey(mounting))
        in.mounting = *type;
    else
        fields.refuse(QStringLiteral("у помещения № %1 поле «mounting» должно быть одним из: "
                                     "ceiling, wall, round, square")
                          .arg(number));
    if (const auto member = tapFromText(tap))
        in.tap = *member;
    else
        fields.refuse(
            QStringLiteral("у помещения № %1 поле «tap» должно быть одним из: 1, 1/2, 1/3").arg(number));
    return in;
}

// The room's outline, if it has one: a list of [x, y] pairs of numbers
// that make a floor, which then gives the room its length, width and area.
bool readOutline(const QJsonObject &room, int number, RoomInputs &inputs, QString &fault)
{
    const QString key = QStringLiteral("outline");
    const QJsonValue value = room.value(key);
    if (value.isUndefined())
        return true;
    // Refusals of an outline name the room as its own message does:
    // "Помещение 7: контур пересекает сам себя".
    const QString owner = QStringLiteral("Помещение %1:").arg(number);
    const QString malformed = wrongType(key, QStringLiteral("списком пар чисел [x, y]"), owner);
    if (!value.isArray()) {
        fault = malformed;
        return false;
    }
    const QJsonArray corners = value.toArray();
    if (corners.size() > MaxOutlinePoints) {
        fault = QStringLiteral("%1 в контуре больше %2 точек").arg(owner).arg(MaxOutlinePoints);
        return false;
    }
    std::vector<QPointF> outline;
    outline.reserve(std::size_t(corners.size()));
    for (const QJsonValue &corner : corners) {
        const QJsonArray pair = corner.toArray();
        if (!corner.isArray() || pair.size() != 2 || !pair.at(0).isDouble() || !pair.at(1).isDouble()) {
            fault = malformed;
            return false;
        }
        outline.emplace_back(pair.at(0).toDouble(), pair.at(1).toDouble());
    }
    // An empty list is no rectangle but an outline of no corners.
    const calc::OutlineFault problem
        = outline.empty() ? calc::OutlineFault::TooFewPoints : setOutline(inputs, outline);
    if (problem != calc::OutlineFault::None) {
        fault = QStringLiteral("%1 %2").arg(owner, calc::outlineFaultText(problem));
        return false;
    }
    return true;
}

// The plan's count; a file written before it was kept has the
// calculation's.
bool readCount(const QJsonObject &room, int number, PlanCount &count, QString &fault)
{
    const QJsonValue value = room.value(QStringLiteral("count"));
    if (value.isUndefined())
        return true;
    if (value == QJsonValue(QStringLiteral("calculated")))
        count = {};
    else if (value == QJsonValue(QStringLiteral("level")))
        count = {PlanCount::Kind::Level, 0};
    else if (const double n = value.toDouble();
             value.isDouble() && n >= 1.0 && n <= double(MaxPlanCount) && n == std::floor(n))
        count = PlanCount::fixed(int(n));
    else {
        fault = QStringLiteral("Помещение %1: поле «count» должно быть «calculated», «level» или целым "
                               "числом от 1 до %2")
                    .arg(number)
                    .arg(MaxPlanCount);
        return false;
    }
    return true;
}

// The room's surfaces, each a material of the list (one the file leaves
// out keeps the default), and its typed reverberation time, a number of
// seconds above 0: none where the file has none.
bool readAcoustics(const QJsonObject &object, int number, Room &room, QString &fault)
{
    const QString owner = QStringLiteral("Помещение %1:").arg(number);
    const QJsonValue surfaces = object.value(QStringLiteral("surfaces"));
    if (!surfaces.isUndefined() && !surfaces.isObject()) {
        fault = wrongType(QStringLiteral("surfaces"), AnObject, owner);
        return false;
    }
    for (const auto &[key, member] : SurfaceKeys) {
        const QJsonValue material = surfaces.toObject().value(QLatin1String(key));
        if (material.isUndefined())
            continue;
        if (!material.isString()) {
            fault = wrongType(QLatin1String(key), AString, owner);
            return false;
        }
        if (!calc::isMaterial(material.toString())) {
            fault = QStringLiteral("%1 неизвестный материал «%2» в поле «%3»")
                        .arg(owner, material.toString(), QLatin1String(key));
            return false;
        }
        room.*member = material.toString();
    }
    const QJsonValue seconds = object.value(QStringLiteral("reverberation"));
    if (seconds.isUndefined())
        return true;
    if (!seconds.isDouble() || !std::isfinite(seconds.toDouble()) || seconds.toDouble() <= 0.0) {
        fault = QStringLiteral("%1 поле «reverberation» должно быть числом больше 0").arg(owner);
        return false;
    }
    room.reverberation = QString::number(seconds.toDouble(), 'g', QLocale::FloatingPointShortest);
    return true;
}

std::optional<Room> readRoom(const QJsonValue &value, int number, int version,
                             const LayoutCheck &layoutAllowed, QString &fault)
{
    if (!value.isObject()) {
        fault = QStringLiteral("помещение № %1 должно быть объектом").arg(number);
        return std::nullopt;
    }
    const QJsonObject object = value.toObject();
    Fields fields(object, roomOwner(number), fault);
    Room room;
    room.name = fields.text(QStringLiteral("name"));
    room.floor = fields.text(QStringLiteral("floor"));
    room.line = fields.text(QStringLiteral("line"));
    const QJsonObject inputs = fields.object(QStringLiteral("inputs"));
    room.layout = fields.text(QStringLiteral("layout"));
    if (fields.failed())
        return std::nullopt;
    if (const QString problem = roomNameProblem(room.name); !problem.isEmpty()) {
        fault = QStringLiteral("%1 поле «name» %2").arg(roomOwner(number), problem);
        return std::nullopt;
    }
    Fields inputFields(inputs, roomOwner(number), fault);
    room.inputs = readInputs(inputFields, number);
    if (inputFields.failed())
        return std::nullopt;
    // A version-1 file has no outlines: a key of that name is another
    // tool's, ignored as every unknown key.
    if (version >= 2 && !readOutline(object, number, room.inputs, fault))
        return std::nullopt;
    if (!readCount(object, number, room.count, fault))
        return std::nullopt;
    if (version >= 2 && !readAcoustics(object, number, room, fault))
        return std::nullopt;
    if (layoutAllowed && !layoutAllowed(room.inputs.mounting, room.layout)) {
        fault = QStringLiteral("у помещения № %1 расстановка «%2» не подходит к установке «%3»")
                    .arg(number)
                    .arg(room.layout, mountingKey(room.inputs.mounting));
        return std::nullopt;
    }
    return room;
}

void writeLine(JsonWriter &json, const Line &line)
{
    json.beginObject();
    json.string(QStringLiteral("name"), line.name);
    json.real(QStringLiteral("voltage"), line.voltage);
    json.real(QStringLiteral("firstLength"), line.firstLength);
    json.real(QStringLiteral("lastLength"), line.lastLength);
    json.real(QStringLiteral("section"), line.section);
    json.real(QStringLiteral("allowedLoss"), line.allowedLoss);
    json.real(QStringLiteral("headroom"), line.headroom);
    json.endObject();
}

std::optional<Line> readLine(const QJsonValue &value, int number, QString &fault)
{
    if (!value.isObject()) {
        fault = QStringLiteral("линия № %1 должна быть объектом").arg(number);
        return std::nullopt;
    }
    const QJsonObject object = value.toObject();
    Fields fields(object, lineOwner(number), fault);
    Line line;
    line.name = fields.text(QStringLiteral("name"));
    line.voltage = fields.number(QStringLiteral("voltage"));
    line.firstLength = fields.number(QStringLiteral("firstLength"));
    line.lastLength = fields.number(QStringLiteral("lastLength"));
    line.section = fields.number(QStringLiteral("section"));
    line.allowedLoss = fields.number(QStringLiteral("allowedLoss"));
    line.headroom = fields.number(QStringLiteral("headroom"));
    if (fields.failed())
        return std::nullopt;
    if (line.name.trimmed().isEmpty()) {
        fault = QStringLiteral("%1 поле «name» пустое").arg(lineOwner(number));
        return std::nullopt;
    }
    if (const std::optional<LineProblem> problem = lineProblem(line)) {
        fault = QStringLiteral("%1 поле «%2» %3")
                    .arg(lineOwner(number), lineKey(problem->field), problem->reason);
        if (problem->other)
            fault += QStringLiteral(" поля «%1»").arg(lineKey(problem->other));
        return std::nullopt;
    }
    return line;
}

// The lines of the file; a file written before lines were kept has none.
bool readLines(const QJsonObject &top, std::vector<Line> &lines, QString &fault)
{
    const QJsonValue value = top.value(QStringLiteral("lines"));
    if (value.isUndefined())
        return true;
    if (!value.isArray()) {
        fault = wrongType(QStringLiteral("lines"), AList, QString());
        return false;
    }
    const QJsonArray array = value.toArray();
    if (array.size() > MaxRooms) {
        fault = QStringLiteral("в нем больше 100 000 линий");
        return false;
    }
    QHash<QString, int> numbers;
    for (qsizetype i = 0; i < array.size(); ++i) {
        const int number = int(i + 1);
        std::optional<Line> line = readLine(array.at(i), number, fault);
        if (!line)
            return false;
        if (const auto it = numbers.constFind(line->name); it != numbers.constEnd()) {
            fault = QStringLiteral("у линий № %1 и № %2 одно имя «%3»").arg(*it).arg(number).arg(line->name);
            return false;
        }
        numbers.insert(line->name, number);
        lines.push_back(std::move(*line));
    }
    return true;
}

// The cable allowance, %: DefaultCableAllowance when the file has none.
bool readCableAllowance(const QJsonObject &top, double &allowance, QString &fault)
{
    const QString key = QStringLiteral("cableAllowance");
    const QJsonValue value = top.value(key);
    if (value.isUndefined())
        return true;
    if (!value.isDouble() || !std::isfinite(value.toDouble())) {
        fault = wrongType(key, ANumber, QString());
        return false;
    }
    if (value.toDouble() < 0.0) {
        fault = QStringLiteral("поле «%1» не может быть меньше 0").arg(key);
        return false;
    }
    allowance = value.toDouble();
    return true;
}

// The share of the floor a plan must reach, %: DefaultTargetShare when the
// file has none.
bool readTargetShare(const QJsonObject &top, double &share, QString &fault)
{
    const QString key = QStringLiteral("targetShare");
    const QJsonValue value = top.value(key);
    if (value.isUndefined())
        return true;
    if (!value.isDouble() || !std::isfinite(value.toDouble())) {
        fault = wrongType(key, ANumber, QString());
        return false;
    }
    if (value.toDouble() < MinTargetShare || value.toDouble() > MaxTargetShare) {
        fault = QStringLiteral("поле «%1» должно быть от 50 до 100").arg(key);
        return false;
    }
    share = value.toDouble();
    return true;
}

void writePlan(JsonWriter &json, const FloorPlan &plan)
{
    json.beginObject();
    json.string(QStringLiteral("floor"), plan.floor);
    json.string(QStringLiteral("file"), plan.file);
    json.string(QStringLiteral("units"), plan.units);
    json.string(QStringLiteral("layer"), plan.layer);
    json.endObject();
}

// The floors' plans: none when the file has no "plans" (as every file
// written before floors had plans).
bool readPlans(const QJsonObject &top, std::vector<FloorPlan> &plans, QString &fault)
{
    const QString key = QStringLiteral("plans");
    const QJsonValue value = top.value(key);
    if (value.isUndefined())
        return true;
    if (!value.isArray()) {
        fault = wrongType(key, AList, QString());
        return false;
    }
    const QJsonArray list = value.toArray();
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QString owner = QStringLiteral("у плана № %1").arg(i + 1);
        if (!list.at(i).isObject()) {
            fault = QStringLiteral("план № %1 должен быть объектом").arg(i + 1);
            return false;
        }
        const QJsonObject object = list.at(i).toObject();
        Fields fields(object, owner, fault);
        FloorPlan plan;
        plan.floor = fields.text(QStringLiteral("floor"));
        plan.file = fields.text(QStringLiteral("file"));
        plan.units = fields.text(QStringLiteral("units"));
        plan.layer = fields.text(QStringLiteral("layer"));
        if (fields.failed())
            return false;
        if (!PlanUnitKeys.contains(plan.units)) {
            fault = QStringLiteral("%1 неизвестная единица «%2»").arg(owner, plan.units);
            return false;
        }
        for (const FloorPlan &earlier : plans) {
            if (earlier.floor == plan.floor) {
                fault = QStringLiteral("план этажа «%1» записан дважды").arg(plan.floor);
                return false;
            }
        }
        plans.push_back(std::move(plan));
    }
    return true;
}

ReadResult refused(const QString &reason)
{
    return {std::nullopt, reason};
}

} // namespace

QString mountingKey(calc::Mounting mounting)
{
    switch (mounting) {
    case calc::Mounting::Ceiling: return QStringLiteral("ceiling");
    case calc::Mounting::Wall: return QStringLiteral("wall");
    case calc::Mounting::RoundHorn: return QStringLiteral("round");
    case calc::Mounting::SquareHorn: break;
    }
    return QStringLiteral("square");
}

std::optional<calc::Mounting> mountingFromKey(const QString &key)
{
    for (const calc::Mounting type : {calc::Mounting::Ceiling, calc::Mounting::Wall,
                                      calc::Mounting::RoundHorn, calc::Mounting::SquareHorn}) {
        if (key == mountingKey(type))
            return type;
    }
    return std::nullopt;
}

QString tapText(int tap)
{
    return tap == 2 ? QStringLiteral("1/2") : tap == 3 ? QStringLiteral("1/3") : QStringLiteral("1");
}

std::optional<int> tapFromText(const QString &text)
{
    for (int tap = 1; tap <= 3; ++tap) {
        if (text == tapText(tap))
            return tap;
    }
    return std::nullopt;
}

QByteArray projectBytes(const Project &project, const std::vector<ResultTexts> &results)
{
    JsonWriter json;
    json.beginObject();
    json.string(QStringLiteral("format"), FormatName);
    json.number(QStringLiteral("version"), FormatVersion);
    json.string(QStringLiteral("name"), project.name);
    json.beginArray(QStringLiteral("lines"));
    for (const Line &line : project.lines)
        writeLine(json, line);
    json.endArray();
    json.real(QStringLiteral("cableAllowance"), project.cableAllowance);
    json.real(QStringLiteral("targetShare"), project.targetShare);
    if (!project.plans.empty()) {
        json.beginArray(QStringLiteral("plans"));
        for (const FloorPlan &plan : project.plans)
            writePlan(json, plan);
        json.endArray();
    }
    json.beginArray(QStringLiteral("rooms"));
    for (std::size_t i = 0; i < project.rooms.size(); ++i)
        writeRoom(json, project.rooms[i], i < results.size() ? results[i] : ResultTexts{});
    json.endArray();
    json.endObject();
    return json.bytes();
}

ReadResult parseProject(const QByteArray &bytes, const LayoutCheck &layoutAllowed)
{
    if (bytes.size() > MaxFileBytes)
        return refused(QStringLiteral("файл больше 64 МБ"));
    // The parser would stop at the first byte that is not UTF-8, with no
    // word that the file is in another encoding.
    if (!QByteArrayView(bytes).isValidUtf8())
        return refused(QStringLiteral("файл не в кодировке UTF-8"));
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        return refused(QStringLiteral("это не текст JSON (ошибка около байта %1)").arg(error.offset + 1));
    const QString notOurs = QStringLiteral("это не файл объекта программы");
    if (!document.isObject())
        return refused(notOurs);
    const QJsonObject top = document.object();
    if (top.value(QStringLiteral("format")).toString() != FormatName)
        return refused(notOurs);

    const QJsonValue version = top.value(QStringLiteral("version"));
    if (version.isUndefined())
        return refused(keyMissing(QStringLiteral("version"), QString()));
    if (!version.isDouble())
        return refused(wrongType(QStringLiteral("version"), ANumber, QString()));
    const double v = version.toDouble();
    if (v > FormatVersion)
        return refused(QStringLiteral("файл записан более новой версией программы (версия формата %1)")
                           .arg(QString::number(v)));
    if (v != FormatVersion && v != OldestFormatVersion)
        return refused(QStringLiteral("неизвестная версия формата %1").arg(QString::number(v)));

    QString fault;
    Fields fields(top, QString(), fault);
    Project project;
    project.name = fields.text(QStringLiteral("name"));
    if (fields.failed() || !readLines(top, project.lines, fault)
        || !readCableAllowance(top, project.cableAllowance, fault)
        || !readTargetShare(top, project.targetShare, fault) || !readPlans(top, project.plans, fault))
        return refused(fault);
    const QJsonArray rooms = fields.take(QStringLiteral("rooms"), QJsonValue::Array, AList).toArray();
    if (fields.failed())
        return refused(fault);
    if (rooms.size() > MaxRooms)
        return refused(QStringLiteral("в нем больше 100 000 помещений"));
    project.rooms.reserve(std::size_t(rooms.size()));
    for (qsizetype i = 0; i < rooms.size(); ++i) {
        std::optional<Room> room = readRoom(rooms.at(i), int(i + 1), int(v), layoutAllowed, fault);
        if (!room)
            return refused(fault);
        project.rooms.push_back(std::move(*room));
    }
    return {std::move(project), QString()};
}

ReadResult readProjectFile(const QString &path, const LayoutCheck &layoutAllowed)
{
    QFile file(path);
    if (!file.exists())
        return refused(QStringLiteral("файла нет"));
    if (file.size() > MaxFileBytes)
        return refused(QStringLiteral("файл больше 64 МБ"));
    if (!file.open(QIODevice::ReadOnly))
        return refused(QStringLiteral("файл не читается (%1)").arg(file.errorString()));
    const QByteArray bytes = file.read(MaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return refused(QStringLiteral("файл не читается (%1)").arg(file.errorString()));
    return parseProject(bytes, layoutAllowed);
}

QString notOpenedMessage(const QString &path, const QString &reason)
{
    return QStringLiteral("Файл «%1» не открыт: %2").arg(QDir::toNativeSeparators(path), reason);
}

} // namespace project
