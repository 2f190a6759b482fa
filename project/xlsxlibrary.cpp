#include "xlsxlibrary.h"

#include <dlfcn.h>
#include <mutex>

namespace project {

namespace {

struct Loaded {
    XlsxLibrary functions;
    bool ok = false;
    QString reason;
};

template <typename Function>
bool resolve(void *handle, Function &function, const char *name, QString &reason)
{
    function = reinterpret_cast<Function>(dlsym(handle, name));
    if (!function)
        reason = QStringLiteral("в библиотеке %1 нет функции %2")
                     .arg(QString::fromLatin1(PLANNER_XLSXWRITER_LIBRARY), QString::fromLatin1(name));
    return function != nullptr;
}

Loaded load()
{
    Loaded loaded;
    void *handle = dlopen(PLANNER_XLSXWRITER_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        loaded.reason
            = QStringLiteral("не удалось загрузить библиотеку %1: %2")
                  .arg(QString::fromLatin1(PLANNER_XLSXWRITER_LIBRARY), QString::fromLocal8Bit(dlerror()));
        return loaded;
    }
    XlsxLibrary &f = loaded.functions;
    QString &why = loaded.reason;
    // The library stays loaded for the rest of the process.
    loaded.ok = resolve(handle, f.workbook_new_opt, "workbook_new_opt", why)
        && resolve(handle, f.workbook_set_properties, "workbook_set_properties", why)
        && resolve(handle, f.workbook_add_format, "workbook_add_format", why)
        && resolve(handle, f.workbook_add_worksheet, "workbook_add_worksheet", why)
        && resolve(handle, f.workbook_close, "workbook_close", why)
        && resolve(handle, f.format_set_bold, "format_set_bold", why)
        && resolve(handle, f.format_set_bottom, "format_set_bottom", why)
        && resolve(handle, f.format_set_num_format, "format_set_num_format", why)
        && resolve(handle, f.worksheet_write_string, "worksheet_write_string", why)
        && resolve(handle, f.worksheet_write_number, "worksheet_write_number", why)
        && resolve(handle, f.worksheet_set_column, "worksheet_set_column", why)
        && resolve(handle, f.worksheet_freeze_panes, "worksheet_freeze_panes", why);
    return loaded;
}

} // namespace

const XlsxLibrary *xlsxLibrary(QString &reason)
{
    static const Loaded loaded = load();
    if (!loaded.ok) {
        reason = loaded.reason;
        return nullptr;
    }
    return &loaded.functions;
}

} // namespace project
