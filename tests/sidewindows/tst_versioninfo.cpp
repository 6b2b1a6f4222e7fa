// The version-information reader: the block name made from the first
// translation, the string table it names, an empty text for a missing key
// and the placeholder when there is no version information to read.
#include "UVersionInfo.h"

#include <QtTest>

namespace {

QString fixture(const char* Name) {
    return QStringLiteral(VORN_TEST_DATA "/version/") + QLatin1String(Name);
}

const QString kPlaceholder = QStringLiteral("Updated at run-time");

} // namespace

class TestVersionInfo : public QObject {
    Q_OBJECT
private slots:
    void blockName_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("codePage");
        QTest::addColumn<QString>("block");
        QTest::newRow("Chinese, PRC, GBK") << 2052 << 936 << QStringLiteral("080403A8");
        QTest::newRow("US English, Unicode") << 0x0409 << 1200 << QStringLiteral("040904B0");
        QTest::newRow("neutral, no code page") << 0 << 0 << QStringLiteral("00000000");
        QTest::newRow("leading zeros kept") << 7 << 1 << QStringLiteral("00070001");
        QTest::newRow("largest words") << 0xFFFF << 0xFFFF << QStringLiteral("FFFFFFFF");
        QTest::newRow("upper-case digits") << 0xabcd << 0x0ef0 << QStringLiteral("ABCD0EF0");
    }
    void blockName() {
        QFETCH(int, language);
        QFETCH(int, codePage);
        QFETCH(QString, block);
        QCOMPARE(TVersionInfo::BlockName(quint16(language), quint16(codePage)), block);
    }

    void programResource() {
        // The program's own version information, compiled in.
        const TVersionInfo info;
        QCOMPARE(info.Block(), QStringLiteral("080403A8"));
        QCOMPARE(info.FileVersion, QStringLiteral("1.0.0.1"));
        QCOMPARE(info.ProductVersion, QStringLiteral("1.0.0.1"));
        QCOMPARE(info.ProductName, QStringLiteral("VORN 万年历"));
        QCOMPARE(info.FileDescription, info.ProductName);
        QCOMPARE(info.InternalName, info.ProductName);
        QCOMPARE(info.CompanyName, QStringLiteral("VORN 工作室"));
        QCOMPARE(info.Comments, QStringLiteral("www.vorn.example"));
        // The two legal notices and the file name are present and empty.
        QCOMPARE(info.LegalCopyright, QString());
        QCOMPARE(info.LegalTrademarks, QString());
        QCOMPARE(info.OriginalFilename, QString());
    }

    void readsTheNamedBlock_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("block");
        QTest::addColumn<QString>("productName");
        QTest::addColumn<QString>("productVersion");
        QTest::addColumn<QString>("companyName");
        QTest::addColumn<QString>("comments");
        QTest::newRow("another translation")
            << fixture("us-english.json") << QStringLiteral("040904B0") << QStringLiteral("Sample")
            << QStringLiteral("2.3.4.5") << QStringLiteral("Sample Works")
            << QStringLiteral("sample.example");
        QTest::newRow("missing keys are empty")
            << fixture("missing-keys.json") << QStringLiteral("080403A8")
            << QStringLiteral("只有名称") << QStringLiteral("1.0.0.1") << QString() << QString();
        QTest::newRow("no table under the block's name")
            << fixture("no-matching-block.json") << QStringLiteral("080403A8") << QString()
            << QString() << QString() << QString();
        QTest::newRow("only the first translation counts")
            << fixture("first-translation-wins.json") << QStringLiteral("00070001")
            << QStringLiteral("first, with leading zeros") << QString() << QString() << QString();
        QTest::newRow("names compare without case")
            << fixture("names-any-case.json") << QStringLiteral("080403A8")
            << QStringLiteral("lower-case names") << QStringLiteral("3.0.0.0") << QString()
            << QString();
        QTest::newRow("text up to its zero; non-texts are missing")
            << fixture("odd-values.json") << QStringLiteral("080403A8")
            << QStringLiteral("up to here") << QString() << QString() << QString();
    }
    void readsTheNamedBlock() {
        QFETCH(QString, file);
        QFETCH(QString, block);
        QFETCH(QString, productName);
        QFETCH(QString, productVersion);
        QFETCH(QString, companyName);
        QFETCH(QString, comments);
        const TVersionInfo info(file);
        QCOMPARE(info.Block(), block);
        QCOMPARE(info.ProductName, productName);
        QCOMPARE(info.ProductVersion, productVersion);
        QCOMPARE(info.CompanyName, companyName);
        QCOMPARE(info.Comments, comments);
        // A key the fixture never has is empty, never the placeholder.
        QCOMPARE(info.LegalTrademarks, QString());
    }

    void noInformation_data() {
        QTest::addColumn<QString>("file");
        QTest::newRow("no such file") << fixture("absent.json");
        QTest::newRow("empty file") << fixture("empty.json");
        QTest::newRow("not readable as version information") << fixture("truncated.json");
        QTest::newRow("no translation table") << fixture("no-translation.json");
        QTest::newRow("translation not two words") << fixture("bad-translation.json");
        QTest::newRow("a folder") << QStringLiteral(VORN_TEST_DATA);
    }
    void noInformation() {
        QFETCH(QString, file);
        const TVersionInfo info(file);
        QCOMPARE(info.Block(), QString());
        for (const QString& field :
             {info.CompanyName, info.FileDescription, info.FileVersion, info.InternalName,
              info.LegalCopyright, info.LegalTrademarks, info.OriginalFilename, info.ProductName,
              info.ProductVersion, info.Comments})
            QCOMPARE(field, kPlaceholder);
    }
};

QTEST_GUILESS_MAIN(TestVersionInfo)
#include "tst_versioninfo.moc"
