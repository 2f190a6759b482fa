#include "dxfplantext.h"

#include <QRegularExpression>
#include <vector>

namespace project::dxftext {

namespace {

const QByteArray Fallback = QByteArrayLiteral("windows-1251");

bool knownDecoder(const QByteArray &name)
{
    return !name.isEmpty() && QStringDecoder(name.constData()).isValid();
}

// The four hex digits of a \U+XXXX escape at text[at], or -1.
int escapedCode(const QString &text, qsizetype at)
{
    if (at + 7 > text.size() || text[at] != u'\\' || (text[at + 1] != u'U' && text[at + 1] != u'u')
        || text[at + 2] != u'+')
        return -1;
    int code = 0;
    for (qsizetype i = at + 3; i < at + 7; ++i) {
        const char16_t c = text[i].unicode();
        const int digit = c >= u'0' && c <= u'9' ? c - u'0'
            : c >= u'a' && c <= u'f'             ? c - u'a' + 10
            : c >= u'A' && c <= u'F'             ? c - u'A' + 10
                                                 : -1;
        if (digit < 0)
            return -1;
        code = code * 16 + digit;
    }
    return code;
}

} // namespace

QByteArray decoderName(const QString &dwgCodePage)
{
    const QString page = dwgCodePage.trimmed().toUpper();
    if (page.isEmpty())
        return QByteArray();
    std::vector<QByteArray> candidates;
    static const QRegularExpression ansi(QStringLiteral("^ANSI_(\\d+)$"));
    static const QRegularExpression dos(QStringLiteral("^DOS(\\d+)$"));
    static const QRegularExpression iso(QStringLiteral("^ISO8859[-_]?(\\d+)$"));
    const QRegularExpressionMatch ansiPage = ansi.match(page);
    const QRegularExpressionMatch dosPage = dos.match(page);
    const QRegularExpressionMatch isoPage = iso.match(page);
    if (ansiPage.hasMatch()) {
        candidates.push_back("windows-" + ansiPage.captured(1).toLatin1());
        candidates.push_back("cp" + ansiPage.captured(1).toLatin1());
    } else if (dosPage.hasMatch()) {
        candidates.push_back("IBM" + dosPage.captured(1).toLatin1());
        candidates.push_back("cp" + dosPage.captured(1).toLatin1());
    } else if (isoPage.hasMatch()) {
        candidates.push_back("ISO-8859-" + isoPage.captured(1).toLatin1());
    } else if (page == u"MACINTOSH") {
        candidates.push_back("macintosh");
    } else if (page == u"KSC5601") {
        candidates.push_back("EUC-KR");
    } else if (page == u"UTF8" || page == u"UTF-8") {
        candidates.push_back("UTF-8");
    } else {
        // BIG5, GB2312, JOHAB and the like, under their own names.
        candidates.push_back(page.toLatin1());
    }
    for (const QByteArray &name : candidates) {
        if (knownDecoder(name))
            return name;
    }
    return QByteArray();
}

bool isUtf8Version(const QString &acadVersion)
{
    const QString version = acadVersion.trimmed().toUpper();
    if (!version.startsWith(u"AC"))
        return false;
    bool ok = false;
    const int number = QStringView(version).mid(2).toInt(&ok);
    return ok && number >= 1021;
}

Decoder::Decoder(const QString &acadVersion, const QString &dwgCodePage)
{
    if (isUtf8Version(acadVersion)) {
        m_name = QByteArrayLiteral("UTF-8");
    } else {
        m_name = decoderName(dwgCodePage);
        if (m_name.isEmpty())
            m_name = Fallback;
    }
    m_decoder = QStringDecoder(m_name.constData());
    if (!m_decoder.isValid()) {
        m_name = Fallback;
        m_decoder = QStringDecoder(m_name.constData());
    }
}

QString Decoder::operator()(const std::string &bytes)
{
    m_decoder.resetState();
    QString text = m_decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    m_decoder.resetState();
    return text;
}

QString plainText(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text[i];
        if (c == u'\\') {
            if (const int code = escapedCode(text, i); code >= 0) {
                out += QChar(char16_t(code));
                i += 7;
                continue;
            }
        } else if (c == u'%' && i + 2 < text.size() && text[i + 1] == u'%') {
            const QChar code = text[i + 2].toLower();
            i += 3;
            if (code == u'd')
                out += QChar(0x00B0);
            else if (code == u'p')
                out += QChar(0x00B1);
            else if (code == u'c')
                out += QChar(0x2300);
            else if (code == u'%')
                out += u'%';
            else if (code != u'u' && code != u'o' && code != u'k')
                out += QStringView(text).mid(i - 3, 3);
            continue;
        }
        out += c;
        ++i;
    }
    return out;
}

QString plainMText(const QString &text)
{
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    // The index just past the ';' that ends a code's argument at from (or the end).
    const auto pastSemicolon = [&](qsizetype from) {
        const qsizetype end = text.indexOf(u';', from);
        return end < 0 ? n : end + 1;
    };
    for (qsizetype i = 0; i < n;) {
        const QChar c = text[i];
        if (c == u'{' || c == u'}') {
            ++i;
            continue;
        }
        if (c != u'\\' || i + 1 >= n) {
            out += c;
            ++i;
            continue;
        }
        if (const int code = escapedCode(text, i); code >= 0) {
            out += QChar(char16_t(code));
            i += 7;
            continue;
        }
        const QChar next = text[i + 1];
        switch (next.unicode()) {
        case u'\\':
        case u'{':
        case u'}':
            out += next;
            i += 2;
            break;
        case u'P':
        case u'~':
        case u'N':
            out += u' ';
            i += 2;
            break;
        case u'L':
        case u'l':
        case u'O':
        case u'o':
        case u'K':
        case u'k': i += 2; break;
        case u'S': {
            // A stacked fraction: its two parts with a slash between.
            const qsizetype end = pastSemicolon(i + 2);
            QString stacked = text.mid(i + 2, end - (i + 2));
            if (stacked.endsWith(u';'))
                stacked.chop(1);
            stacked.replace(u'^', u'/').replace(u'#', u'/');
            out += stacked;
            i = end;
            break;
        }
        case u'f':
        case u'F':
        case u'A':
        case u'H':
        case u'C':
        case u'c':
        case u'W':
        case u'Q':
        case u'T':
        case u'p': i = pastSemicolon(i + 2); break;
        default:
            // An unknown code: the sign after the backslash stays.
            out += next;
            i += 2;
            break;
        }
    }
    return out;
}

} // namespace project::dxftext
