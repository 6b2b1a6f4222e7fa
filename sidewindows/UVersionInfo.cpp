#include "UVersionInfo.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
// A version resource is small; anything larger is not one.
constexpr qint64 kMaxVersionInfoBytes = 256 * 1024;
} // namespace

QString TVersionInfo::BlockName(quint16 Language, quint16 CodePage) {
    return QStringLiteral("%1%2")
        .arg(Language, 4, 16, QLatin1Char('0'))
        .arg(CodePage, 4, 16, QLatin1Char('0'))
        .toUpper();
}

// Looks up a "\A\B\C" path, comparing names without regard to case as the
// platform's version functions do. "\" is the root.
QJsonValue TVersionInfo::query(const QString& SubBlock) const {
    QJsonValue node = FRoot;
    const QStringList names = SubBlock.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    for (const QString& name : names) {
        if (!node.isObject())
            return QJsonValue(QJsonValue::Undefined);
        const QJsonObject o = node.toObject();
        QJsonValue next(QJsonValue::Undefined);
        for (auto it = o.begin(); it != o.end(); ++it)
            if (it.key().compare(name, Qt::CaseInsensitive) == 0) {
                next = it.value();
                break;
            }
        if (next.isUndefined())
            return next;
        node = next;
    }
    return node;
}

TVersionInfo::TVersionInfo(const QString& Path) {
    QString* fields[] = {&CompanyName,    &FileDescription, &FileVersion,      &InternalName,
                         &LegalCopyright, &LegalTrademarks, &OriginalFilename, &ProductName,
                         &ProductVersion, &Comments};
    for (QString* f : fields)
        *f = kNoInformation;

    // The size first: none means no version information at all.
    QFile file(Path);
    if (!file.exists() || file.size() <= 0 || file.size() > kMaxVersionInfoBytes ||
        !file.open(QIODevice::ReadOnly))
        return;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return; // unreadable: as good as none
    FRoot = doc.object();

    // The first (language, code page) pair of the translation table names
    // the string table. Without one there is no table to read, and every
    // field keeps the placeholder.
    const QJsonValue translation = query(QStringLiteral("\\VarFileInfo\\Translation"));
    const QJsonArray pair = translation.toArray();
    if (pair.size() < 2)
        return;
    const QJsonValue language = pair.at(0), codePage = pair.at(1);
    auto isWord = [](const QJsonValue& v) {
        if (!v.isDouble())
            return false;
        const double d = v.toDouble();
        return d >= 0 && d <= 0xFFFF && d == static_cast<int>(d);
    };
    if (!isWord(language) || !isWord(codePage))
        return;
    FBlock =
        BlockName(static_cast<quint16>(language.toInt()), static_cast<quint16>(codePage.toInt()));

    struct Key {
        const char* Name;
        QString* Field;
    };
    const Key keys[] = {
        {"CompanyName", &CompanyName},           {"FileDescription", &FileDescription},
        {"FileVersion", &FileVersion},           {"InternalName", &InternalName},
        {"LegalCopyright", &LegalCopyright},     {"LegalTrademarks", &LegalTrademarks},
        {"OriginalFilename", &OriginalFilename}, {"ProductName", &ProductName},
        {"ProductVersion", &ProductVersion},     {"Comments", &Comments}};
    for (const Key& k : keys) {
        const QJsonValue v = query(QStringLiteral("\\StringFileInfo\\") + FBlock +
                                   QLatin1Char('\\') + QLatin1String(k.Name));
        if (!v.isString()) {
            k.Field->clear(); // a missing key: an empty text
            continue;
        }
        // The text up to its terminating zero.
        QString text = v.toString();
        const qsizetype zero = text.indexOf(QChar(0));
        if (zero >= 0)
            text.truncate(zero);
        *k.Field = text;
    }
}
