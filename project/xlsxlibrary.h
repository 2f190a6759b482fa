#pragma once

#include <QString>
#include <xlsxwriter.h>

// libxlsxwriter, loaded when the first workbook is written rather than when
// the program starts: with it come libcrypto and minizip, whose loading and
// relocation would otherwise delay the main window's first paint for a
// format most sessions never write. Only the functions the workbook uses
// are looked up, by their C names, from the library the build found.
namespace project {

struct XlsxLibrary {
    decltype(&::workbook_new_opt) workbook_new_opt = nullptr;
    decltype(&::workbook_set_properties) workbook_set_properties = nullptr;
    decltype(&::workbook_add_format) workbook_add_format = nullptr;
    decltype(&::workbook_add_worksheet) workbook_add_worksheet = nullptr;
    decltype(&::workbook_close) workbook_close = nullptr;
    decltype(&::format_set_bold) format_set_bold = nullptr;
    decltype(&::format_set_bottom) format_set_bottom = nullptr;
    decltype(&::format_set_num_format) format_set_num_format = nullptr;
    decltype(&::worksheet_write_string) worksheet_write_string = nullptr;
    decltype(&::worksheet_write_number) worksheet_write_number = nullptr;
    decltype(&::worksheet_set_column) worksheet_set_column = nullptr;
    decltype(&::worksheet_freeze_panes) worksheet_freeze_panes = nullptr;
};

// The library's functions, loaded on the first call and kept for the
// process; nullptr when the library or one of its functions is missing,
// with the reason (in Russian, for the user) in reason.
const XlsxLibrary *xlsxLibrary(QString &reason);

} // namespace project
