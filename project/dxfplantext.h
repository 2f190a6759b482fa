#pragma once

#include <QString>
#include <QStringDecoder>
#include <string>

// The texts of a DXF drawing: their bytes in the drawing's code page and
// the codes that TEXT and MTEXT entities write inside them.
namespace project::dxftext {

// The QStringDecoder name of a $DWGCODEPAGE ("ANSI_1251" is
// "windows-1251", "DOS866" is "IBM866"); empty where Qt has no decoder.
QByteArray decoderName(const QString &dwgCodePage);

// Whether a drawing of $ACADVER version keeps its texts in UTF-8 (AC1021,
// R2007, and later) rather than in its code page.
bool isUtf8Version(const QString &acadVersion);

// Turns a drawing's text bytes into text: UTF-8 from R2007 on, before it
// the code page that $DWGCODEPAGE names, windows-1251 where it names none
// or one that is unknown.
class Decoder {
public:
    Decoder(const QString &acadVersion, const QString &dwgCodePage);
    QString operator()(const std::string &bytes);
    // The decoder's name, "UTF-8" or "windows-1251" and the like.
    const QByteArray &name() const { return m_name; }

private:
    QByteArray m_name;
    QStringDecoder m_decoder;
};

// A TEXT entity's text: \U+XXXX escapes decoded, %%d, %%p and %%c as
// their signs, %%u, %%o and %%k (underline, overline, strike) left out.
QString plainText(const QString &text);

// An MTEXT entity's text without its formatting: \P is a space; font,
// height, colour, width, spacing, alignment and the like (\f..; \A..; and
// the others) and the braces go; \\, \{ and \} are the signs themselves;
// \U+XXXX escapes decoded; a stacked fraction \S1/2; is "1/2".
QString plainMText(const QString &text);

} // namespace project::dxftext
