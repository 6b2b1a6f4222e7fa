#include "UIniFile.h"

#include "UFileIO.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace {

enum class Encoding { Plain, Utf8Bom, Utf16LE, Utf16BE, Unknown };

// The file's text as bytes in which the markup is ASCII, and how to write
// it back.
struct Decoded {
    Encoding How = Encoding::Plain;
    QByteArray Text;
};

Decoded decode(const QByteArray& Raw) {
    auto fromUtf16 = [&](QStringConverter::Encoding E) -> Decoded {
        QStringDecoder decoder(E, QStringConverter::Flag::Stateless);
        const QString text = decoder(QByteArrayView(Raw).sliced(2));
        if (decoder.hasError())
            return {Encoding::Unknown, {}};
        return {E == QStringConverter::Utf16LE ? Encoding::Utf16LE : Encoding::Utf16BE,
                text.toUtf8()};
    };
    if (Raw.startsWith("\xEF\xBB\xBF"))
        return {Encoding::Utf8Bom, Raw.mid(3)};
    if (Raw.startsWith("\xFF\xFE"))
        return fromUtf16(QStringConverter::Utf16LE);
    if (Raw.startsWith("\xFE\xFF"))
        return fromUtf16(QStringConverter::Utf16BE);
    if (Raw.contains('\0'))
        return {Encoding::Unknown, {}};
    return {Encoding::Plain, Raw};
}

QByteArray encode(Encoding How, const QByteArray& Text) {
    switch (How) {
    case Encoding::Utf8Bom:
        return "\xEF\xBB\xBF" + Text;
    case Encoding::Utf16LE:
    case Encoding::Utf16BE: {
        const bool le = How == Encoding::Utf16LE;
        QStringEncoder encoder(le ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        return QByteArray(le ? "\xFF\xFE" : "\xFE\xFF") +
               QByteArray(encoder(QString::fromUtf8(Text)));
    }
    default:
        return Text;
    }
}

// The file's text, or nothing when it is missing, unreadable or not understood.
std::optional<QByteArray> readText(const QString& Path) {
    QFile file(Path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    Decoded d = decode(file.readAll());
    if (d.How == Encoding::Unknown)
        return std::nullopt;
    return d.Text;
}

// One line of the file with its line end as it was read.
struct Line {
    QByteArray Text; // without the line end
    QByteArray End;  // "\n", "\r\n" or empty for a last line without a line end
};

QList<Line> splitLines(const QByteArray& Data) {
    QList<Line> lines;
    qsizetype start = 0;
    while (start < Data.size()) {
        const qsizetype nl = Data.indexOf('\n', start);
        if (nl < 0) {
            lines.append({Data.mid(start), {}});
            break;
        }
        qsizetype end = nl;
        if (end > start && Data[end - 1] == '\r')
            --end;
        lines.append({Data.mid(start, end - start), Data.mid(end, nl + 1 - end)});
        start = nl + 1;
    }
    return lines;
}

enum class Kind { Other, Section, Key };

struct Parsed {
    Kind What = Kind::Other;
    QByteArray Name;  // section or key name, trimmed
    QByteArray Value; // key value, trimmed
};

Parsed parseLine(const QByteArray& Text) {
    const QByteArray t = Text.trimmed();
    if (t.isEmpty() || t.startsWith(';') || t.startsWith('#'))
        return {};
    if (t.startsWith('[')) {
        const qsizetype close = t.indexOf(']');
        return {Kind::Section, (close < 0 ? t.mid(1) : t.mid(1, close - 1)).trimmed(), {}};
    }
    const qsizetype eq = t.indexOf('=');
    if (eq <= 0)
        return {};
    return {Kind::Key, t.left(eq).trimmed(), t.mid(eq + 1).trimmed()};
}

bool sameName(const QByteArray& A, const QByteArray& B) {
    return A.compare(B, Qt::CaseInsensitive) == 0;
}

QByteArray unquote(const QByteArray& Value) {
    if (Value.size() >= 2 && (Value.front() == '"' || Value.front() == '\'') &&
        Value.back() == Value.front())
        return Value.mid(1, Value.size() - 2);
    return Value;
}

std::optional<QByteArray> findValue(const QByteArray& Data, const QByteArray& Section,
                                    const QByteArray& Key) {
    bool inSection = false;
    bool sectionSeen = false;
    for (const Line& line : splitLines(Data)) {
        const Parsed p = parseLine(line.Text);
        if (p.What == Kind::Section) {
            // Only the first section of a name counts, as with the classic functions.
            if (inSection)
                return std::nullopt;
            inSection = !sectionSeen && sameName(p.Name, Section);
            sectionSeen = sectionSeen || inSection;
        } else if (p.What == Kind::Key && inSection && sameName(p.Name, Key)) {
            return p.Value;
        }
    }
    return std::nullopt;
}

} // namespace

TIniFile::TIniFile(QString FileName) : FFileName(std::move(FileName)) {}

QString TIniFile::ReadString(const QString& Section, const QString& Key,
                             const QString& Default) const {
    const auto text = readText(FFileName);
    if (!text)
        return Default;
    const auto value = findValue(*text, Section.toUtf8(), Key.toUtf8());
    return value ? QString::fromUtf8(unquote(*value)) : Default;
}

int32_t TIniFile::ReadInteger(const QString& Section, const QString& Key, int32_t Default) const {
    const auto text = readText(FFileName);
    if (!text)
        return Default;
    const auto value = findValue(*text, Section.toUtf8(), Key.toUtf8());
    if (!value)
        return Default;
    return ParseInteger(QString::fromUtf8(unquote(*value))).value_or(Default);
}

void TIniFile::WriteInteger(const QString& Section, const QString& Key, int32_t Value) {
    WriteString(Section, Key, QString::number(Value));
}

void TIniFile::WriteString(const QString& Section, const QString& Key, const QString& Value) {
    WriteValues(Section, {{Key, Value}});
}

namespace {

// Key=Value set into Section of the lines, as the classic functions do.
void setValue(QList<Line>& lines, const QByteArray& section, const QByteArray& key,
              const QByteArray& value) {

    QByteArray eol = "\n";
    for (const Line& line : lines) {
        if (!line.End.isEmpty()) {
            eol = line.End;
            break;
        }
    }

    qsizetype sectionLine = -1; // header of the first matching section
    qsizetype lastContent = -1; // last non-blank line inside that section
    qsizetype keyLine = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const Parsed p = parseLine(lines[i].Text);
        if (p.What == Kind::Section) {
            if (sectionLine >= 0)
                break;
            if (sameName(p.Name, section)) {
                sectionLine = i;
                lastContent = i;
            }
            continue;
        }
        if (sectionLine < 0)
            continue;
        if (!lines[i].Text.trimmed().isEmpty())
            lastContent = i;
        if (p.What == Kind::Key && sameName(p.Name, key)) {
            keyLine = i;
            break;
        }
    }

    if (keyLine >= 0) {
        // Keep the key as it was spelt and whatever stood before it on the line.
        const QByteArray& text = lines[keyLine].Text;
        lines[keyLine].Text = text.left(text.indexOf('=')).trimmed() + '=' + value;
        if (lines[keyLine].End.isEmpty())
            lines[keyLine].End = eol;
    } else if (sectionLine >= 0) {
        if (lines[lastContent].End.isEmpty())
            lines[lastContent].End = eol;
        lines.insert(lastContent + 1, {key + '=' + value, eol});
    } else {
        if (!lines.isEmpty() && lines.back().End.isEmpty())
            lines.back().End = eol;
        lines.append({'[' + section + ']', eol});
        lines.append({key + '=' + value, eol});
    }
}

} // namespace

void TIniFile::WriteValues(const QString& Section,
                           const QList<std::pair<QString, QString>>& Values) {
    FileIO::TFileLock lock(FFileName);
    Decoded file;
    if (QFile::exists(FFileName)) {
        file = decode(FileIO::ReadWholeFile(FFileName));
        if (file.How == Encoding::Unknown)
            throw FileError(QStringLiteral("无法写入文件 %1：文件的编码无法识别，未作改动")
                                .arg(QDir::toNativeSeparators(FFileName)));
    }
    QList<Line> lines = splitLines(file.Text);
    for (const auto& [Key, Value] : Values)
        setValue(lines, Section.toUtf8(), Key.toUtf8(), Value.toUtf8());
    QByteArray out;
    out.reserve(file.Text.size() + 64);
    for (const Line& line : lines)
        out += line.Text + line.End;
    FileIO::WriteFileAtomically(FFileName, encode(file.How, out));
}

std::optional<int32_t> TIniFile::ParseInteger(QStringView Text) {
    const QStringView t = Text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) {
        negative = t[i] == u'-';
        ++i;
    }
    int base = 10;
    if (i < t.size() && t[i] == u'$') {
        base = 16;
        ++i;
    } else if (i + 1 < t.size() && t[i] == u'0' && (t[i + 1] == u'x' || t[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    if (i >= t.size())
        return std::nullopt;
    const QStringView digits = t.mid(i);
    if (base == 16) {
        if (digits.size() > 8)
            return std::nullopt;
        uint32_t v = 0;
        for (QChar c : digits) {
            const char16_t u = c.unicode();
            uint32_t d = 0;
            if (u >= u'0' && u <= u'9')
                d = u - u'0';
            else if (u >= u'a' && u <= u'f')
                d = u - u'a' + 10;
            else if (u >= u'A' && u <= u'F')
                d = u - u'A' + 10;
            else
                return std::nullopt;
            v = v * 16 + d;
        }
        const uint32_t result = negative ? uint32_t(0) - v : v;
        return static_cast<int32_t>(result);
    }
    int64_t v = 0;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        v = v * 10 + (c.unicode() - u'0');
        if (v > int64_t(INT32_MAX) + 1)
            return std::nullopt;
    }
    if (negative)
        v = -v;
    if (v < INT32_MIN || v > INT32_MAX)
        return std::nullopt;
    return static_cast<int32_t>(v);
}
