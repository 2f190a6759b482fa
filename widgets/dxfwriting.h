#pragma once

#include <QByteArray>
#include <QString>

#include <dl_writer_ascii.h>

#include <string>

// What every DXF drawing the program writes shares: its strings in the
// code page the header names, and dxflib's writer collecting the bytes in
// memory so that the whole drawing goes to its file at once.
namespace dxfwriting {

// How a DXF string carries Cyrillic. An R2000 (AC1015) ASCII file has no
// encoding of its own: its strings are bytes in the code page its header
// names in $DWGCODEPAGE, and UTF-8 comes only with R2007 (AC1021), which
// dxflib does not write; dxflib passes the bytes it is given through
// unchanged. So the header names ANSI_1251 and every string is written in
// windows-1251. LibreCAD (libdxfrw) reads an AC1015 file in the code page
// of its $DWGCODEPAGE, for which it has the 1251 table, and AutoCAD and the
// programs that follow it do the same; UTF-8 bytes there would be read as
// ANSI_1252 and show as mojibake. A character the code page lacks is
// written as \U+XXXX, which those readers decode in any code page.
std::string windows1251(const QString &text);

// dxflib's ASCII writer with the bytes collected in memory rather than
// written to a file: dxflib composes the sections, tables and entities,
// and the whole drawing then goes to the file at once (writeWhole), so a
// failed write cannot leave half a drawing behind. The writer opens no
// file (its file name is empty); every value goes through the functions
// below. Reals are written in the shortest form that reads back the same
// double, always with "." whatever the C locale says.
class MemoryWriter : public DL_WriterA {
public:
    explicit MemoryWriter(DL_Codes::version dxfVersion) : DL_WriterA("", dxfVersion) { }

    QByteArray bytes;

    void dxfReal(int gc, double value) const override;
    void dxfInt(int gc, int value) const override;
    void dxfHex(int gc, int value) const override;
    void dxfString(int gc, const char *value) const override;
    void dxfString(int gc, const std::string &value) const override;
};

} // namespace dxfwriting
