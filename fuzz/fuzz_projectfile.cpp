// libFuzzer target for the project file reader: any bytes are read without
// a crash, and a project that is read, written, read again and written
// again gives the same bytes both times.
#include "project/projectfile.h"

#include <QByteArray>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const project::ReadResult read = project::parseProject(bytes);
    if (!read.project) {
        if (read.reason.isEmpty()) {
            std::fprintf(stderr, "refused without a reason\n");
            std::abort();
        }
        return 0;
    }
    const QByteArray written = project::projectBytes(*read.project, {});
    const project::ReadResult again = project::parseProject(written);
    if (!again.project) {
        std::fprintf(stderr, "its own file refused: %s\n", again.reason.toUtf8().constData());
        std::abort();
    }
    if (project::projectBytes(*again.project, {}) != written) {
        std::fprintf(stderr, "written again differently\n");
        std::abort();
    }
    return 0;
}
