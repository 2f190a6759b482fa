// libFuzzer target for the floor plan reader: any bytes give a plan or a
// refusal with its reason, never a crash, a hang or unbounded memory; a
// plan's rooms are outlines of at least 1 m2 with finite corners.
#include "project/dxfplan.h"

#include <QByteArray>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    project::PlanReadOptions options;
    options.unitWhenUnnamed = project::PlanUnit::Metre;
    const project::PlanReading reading
        = project::readFloorPlanBytes(bytes, QStringLiteral("fuzz.dxf"), options);
    if (!reading.plan) {
        if (reading.refusal.isEmpty()) {
            std::fprintf(stderr, "refused without a reason\n");
            std::abort();
        }
        return 0;
    }
    for (const project::PlanRoom &room : reading.plan->rooms) {
        if (!(room.outline.area() >= project::LeastRoomArea)) {
            std::fprintf(stderr, "a room of %g m2\n", room.outline.area());
            std::abort();
        }
        for (const QPointF &p : room.outline.outline()) {
            if (!std::isfinite(p.x()) || !std::isfinite(p.y())) {
                std::fprintf(stderr, "a corner not finite\n");
                std::abort();
            }
        }
    }
    if (project::planReport(*reading.plan).isEmpty())
        std::abort();
    return 0;
}
