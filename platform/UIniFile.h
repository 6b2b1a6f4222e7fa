// A small INI-file reader and writer that behaves like the classic desktop
// INI functions: section and key names compare without regard to case, a
// missing file, section or key reads as the caller's default, and writing one
// key keeps every other line of the file (comments, blank lines, other
// sections and keys) byte for byte. The file is not held open between calls;
// every read looks at the file as it is now.
//
// Encodings: a file that starts with a UTF-8 byte order mark is read without
// it and written with it; a UTF-16 file (by its byte order mark) is read and
// written as UTF-16; any other file is taken as bytes in which the markup
// (brackets, '=', line ends) is ASCII, so lines in a local code page stay as
// they were. A file the reader cannot understand (NUL bytes without a byte
// order mark, broken UTF-16) reads as defaults and is never written to.
//
// Writes hold the file's lock (FileIO::TFileLock) for their read-modify-write
// and replace the file atomically (FileIO::WriteFileAtomically): a failed
// write leaves the file byte for byte as it was. They throw FileError.
#pragma once

#include <QList>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>
#include <utility>

class TIniFile {
public:
    explicit TIniFile(QString FileName);

    const QString& FileName() const { return FFileName; }

    // The value text of Section/Key, surrounding blanks (and one pair of
    // matching quotes) removed, or Default when the file, the section or
    // the key is missing or unreadable.
    QString ReadString(const QString& Section, const QString& Key, const QString& Default) const;
    // The whole number under Section/Key, or Default when it is missing or is
    // not a whole number. Decimal text and hexadecimal text with a 0x or $
    // prefix are accepted (see ParseInteger).
    int32_t ReadInteger(const QString& Section, const QString& Key, int32_t Default) const;

    // Writes Key=Value into Section, creating the file, the section or the
    // key line as needed. FileError when the file cannot be written (missing
    // folder, read-only file, no permission, full disk, an encoding the
    // reader does not understand); the file is then unchanged.
    void WriteString(const QString& Section, const QString& Key, const QString& Value);
    // Writes the number as decimal text.
    void WriteInteger(const QString& Section, const QString& Key, int32_t Value);
    // Writes several keys of one section, in the order given, in one
    // replacement of the file: either all of them are written or none.
    void WriteValues(const QString& Section, const QList<std::pair<QString, QString>>& Values);

    // Text to number: optional sign, then decimal digits, or hexadecimal
    // digits after "0x"/"0X"/"$" (at most 8, read as a 32-bit pattern, so
    // $FFFFFFFF is -1). Decimal values must fit into 32 bits. Blanks around
    // the number are allowed; anything else gives no value.
    static std::optional<int32_t> ParseInteger(QStringView Text);

private:
    QString FFileName;
};
