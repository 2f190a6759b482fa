#include "report.h"

#include "calc/textrules.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace output {

namespace {

// One code point in Windows-1251, or "?" when the code page has no byte for
// it. The encoder substitutes its own control byte (0x1A) for such
// characters, so both its error flag and a decode of the byte are checked:
// only a character that comes back unchanged is written as itself.
char codePointByte(QStringView piece)
{
    QStringEncoder encoder("windows-1251", QStringConverter::Flag::Stateless);
    if (!encoder.isValid())
        return '?';
    const QByteArray bytes = encoder.encode(piece);
    if (encoder.hasError() || bytes.size() != 1)
        return '?';
    QStringDecoder decoder("windows-1251", QStringConverter::Flag::Stateless);
    const QString back = decoder.decode(bytes);
    if (decoder.hasError() || back != piece)
        return '?';
    return bytes.front();
}

// A name on one report line: each control character (CR, LF, tab and the
// rest) becomes one space, so that a pasted name cannot break the lines.
QString oneLine(const QString &name)
{
    QString line = name;
    for (QChar &c : line) {
        if (c.category() == QChar::Other_Control)
            c = u' ';
    }
    return line;
}

} // namespace

QStringList reportLines(const calc::CalcState &state, calc::Mounting mounting, const QString &model,
                        const QString &roomType, QChar decimalPoint)
{
    const auto number = [decimalPoint](double value) { return calc::formatGeneral(value, decimalPoint); };
    const QString underscores(63, u'_');

    QStringList lines;
    lines << InputHeading << underscores << label::Model + oneLine(model)
          << label::Type + calc::mountingWord(mounting) << label::Power + number(state.powerW)
          << label::Sensitivity + number(state.sens);
    if (mounting == calc::Mounting::SquareHorn) {
        lines << label::Horizontal + number(state.dirDeg) << label::Vertical + number(state.vDirDeg);
    } else {
        lines << label::Directivity + number(state.dirDeg);
    }
    lines << label::Margin + number(state.margin) << label::ListenHeight + number(state.listenH)
          << label::RoomType + oneLine(roomType) << label::Noise + number(state.noise)
          << (mounting == calc::Mounting::Ceiling ? label::Ceiling : label::InstallHeight)
            + number(state.mountH)
          << label::Length + number(state.roomL) << label::Width + number(state.roomW)
          << label::Area + number(state.roomArea) << QString() << OutputHeading << underscores
          << label::Spl + number(state.splTotal) << label::Range + number(state.range)
          << label::Cover + number(state.coverS) << label::Count + number(state.count) << QString()
          << QString(64, u'-') << QString();
    return lines;
}

QByteArray reportBlock(const calc::CalcState &state, calc::Mounting mounting, const QString &model,
                       const QString &roomType, QChar decimalPoint)
{
    QByteArray block;
    const QStringList lines = reportLines(state, mounting, model, roomType, decimalPoint);
    for (const QString &line : lines) {
        block += toWindows1251(line);
        block += "\r\n";
    }
    return block;
}

QByteArray toWindows1251(QStringView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        if (c.unicode() < 0x80) {
            bytes += char(c.unicode());
            ++i;
            continue;
        }
        // A surrogate pair is one character and becomes one byte.
        qsizetype length = 1;
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            length = 2;
        bytes += codePointByte(text.mid(i, length));
        i += length;
    }
    return bytes;
}

} // namespace output
