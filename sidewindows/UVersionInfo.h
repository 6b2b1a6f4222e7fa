// The program's version information. It is a resource compiled into the
// program and laid out like a version resource: a fixed part, a translation
// table "\VarFileInfo\Translation" of (language, code page) pairs, and string
// tables under "\StringFileInfo\<block>", where the block name is the first
// translation's language and code page as eight upper-case hexadecimal digits
// ("080403A8" for language 2052 and code page 936).
#pragma once

#include <QJsonValue>
#include <QString>

class TVersionInfo {
public:
    // The text every field holds when there is no version information.
    static inline const QString kNoInformation = QStringLiteral("Updated at run-time");
    // Where the program's own version information lives.
    static inline const QString kProgramResource = QStringLiteral(":/version/version.json");

    // Reads the version information in the file or resource Path.
    explicit TVersionInfo(const QString& Path = kProgramResource);

    // "080403A8" for 2052 / 936.
    static QString BlockName(quint16 Language, quint16 CodePage);

    // The block name the strings were read from; empty when none was.
    QString Block() const { return FBlock; }

    QString CompanyName, FileDescription, FileVersion, InternalName, LegalCopyright,
        LegalTrademarks, OriginalFilename, ProductName, ProductVersion, Comments;

private:
    QJsonValue query(const QString& SubBlock) const;
    QJsonValue FRoot;
    QString FBlock;
};
