// A small INI-file reader and writer that behaves like the classic desktop
// INI functions: section and key names compare without regard to case, a
// missing file, section or key reads as the caller's default, and writing one
// key keeps every other line of the file (comments, blank lines, other
// sections and keys) byte for byte. The file is not held open between calls;
// every read looks at the file as it is now. Writes replace the file
// atomically (a temporary file beside it, then a rename), so a failed write
// leaves the previous file whole.
#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

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
    // key line as needed. False when the file cannot be written (missing
    // folder, read-only file, no permission); the file is then unchanged.
    [[nodiscard]] bool WriteString(const QString& Section, const QString& Key,
                                   const QString& Value);
    // Writes the number as decimal text.
    [[nodiscard]] bool WriteInteger(const QString& Section, const QString& Key, int32_t Value);

    // Text to number: optional sign, then decimal digits, or hexadecimal
    // digits after "0x"/"0X"/"$" (at most 8, read as a 32-bit pattern, so
    // $FFFFFFFF is -1). Decimal values must fit into 32 bits. Blanks around
    // the number are allowed; anything else gives no value.
    static std::optional<int32_t> ParseInteger(QStringView Text);

private:
    QString FFileName;
};
