// The XML document class: loading rules, the child-list and text operations,
// encodings, hostile files and atomic saves.
#include "UGbCodec.h"
#include "UXmlDoc.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <ctime>
#include <functional>
#include <iconv.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QString dataFile(const char* name) {
    return QStringLiteral(VORN_TEST_DATA "/") + QLatin1String(name);
}

QByteArray readBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

// True when the bytes are valid strict GB2312 (EUC-CN).
bool isStrictGb2312(const QByteArray& bytes) {
    iconv_t cd = iconv_open("UTF-8", "GB2312");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    QByteArray out(bytes.size() * 4 + 4, '\0');
    char* in = const_cast<char*>(bytes.constData());
    char* o = out.data();
    size_t inLeft = size_t(bytes.size()), outLeft = size_t(out.size());
    const size_t r = iconv(cd, &in, &inLeft, &o, &outLeft);
    iconv_close(cd);
    return r != size_t(-1) && inLeft == 0;
}

// Texts of the four children of every day node, in document order.
QStringList allTexts(const XmlDocument& doc) {
    QStringList texts;
    for (XmlNode day = doc.DocumentElement().FirstChild(); day; day = day.NextSibling()) {
        texts << day.Name();
        for (XmlNode c = day.FirstChild(); c; c = c.NextSibling())
            texts << c.Name() + QLatin1Char('=') + c.Text();
    }
    return texts;
}

// CPU time of this thread, in milliseconds: what a load costs, whatever else
// the machine is doing.
double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// About Size bytes: Head, then Unit repeated, then Tail.
QByteArray repeated(const QByteArray& Head, const std::function<QByteArray(int)>& Unit,
                    const QByteArray& Tail, qsizetype Size) {
    QByteArray b = Head;
    for (int i = 0; b.size() < Size; ++i)
        b += Unit(i);
    return b + Tail;
}

} // namespace

class TestXmlDoc : public QObject {
    Q_OBJECT

private slots:
    void indentedReadsLikeFlat();
    void whitespaceInsideLeafIsContent();
    void commentsAndInstructionsAreChildren();
    void indexOutsideListFails_data();
    void indexOutsideListFails();
    void elementText_data();
    void elementText();
    void navigation();
    void declarationAndSeedShape();
    void gbkInputLoads();
    void codecAgreesWithIconv();
    void foreignCharactersSurviveSave_data();
    void foreignCharactersSurviveSave();
    void otherDeclaredEncodings_data();
    void otherDeclaredEncodings();
    void billionLaughsFails();
    void hostileShapesStayCheap_data();
    void hostileShapesStayCheap();
    void noExternalEntityOrDtd();
    void brokenFileNamesLine();
    void missingFileFails();
    void controlCharacterRefused();
    void unwritableNameRefusedAndFileKept_data();
    void unwritableNameRefusedAndFileKept();
    void unencodableCdataSavedAsText();
    void attributesAndInsertion();
    void tooLongTextRefused();
    void interruptedSaveKeepsOldFile();
    void killedSaveKeepsOldFile();
    void saveIntoMissingFolderFails();
};

void TestXmlDoc::indentedReadsLikeFlat() {
    XmlDocument indented, flat;
    indented.Load(dataFile("indented.xml"));
    flat.Load(dataFile("flat.xml"));
    QCOMPARE(indented.DocumentElement().ChildCount(), 2);
    QCOMPARE(indented.DocumentElement().Child(0).ChildCount(), 4);
    QCOMPARE(allTexts(indented), allTexts(flat));
    QCOMPARE(indented.ToBytes(), flat.ToBytes());
}

void TestXmlDoc::whitespaceInsideLeafIsContent() {
    XmlDocument doc;
    doc.LoadFromBytes("<r>\n <a> </a>\n <b>\t x \t</b>\n</r>");
    QCOMPARE(doc.DocumentElement().ChildCount(), 2);
    QCOMPARE(doc.DocumentElement().Child(0).Text(), QStringLiteral(" "));
    QCOMPARE(doc.DocumentElement().Child(1).Text(), QStringLiteral("\t x \t"));
}

void TestXmlDoc::commentsAndInstructionsAreChildren() {
    XmlDocument doc;
    doc.LoadFromBytes("<r>\n  <!-- hand note -->\n  <?tidy keep?>\n  <e>t</e>\n</r>");
    const XmlNode root = doc.DocumentElement();
    QCOMPARE(root.ChildCount(), 3);
    QCOMPARE(root.Child(0).Name(), QStringLiteral("#comment"));
    QCOMPARE(root.Child(0).Text(), QStringLiteral(" hand note "));
    QCOMPARE(root.Child(1).Name(), QStringLiteral("tidy"));
    QCOMPARE(root.Child(2).Name(), QStringLiteral("e"));
    QCOMPARE(root.IndexOf(root.Child(2)), 2);
    QCOMPARE(root.FindChild(QStringLiteral("e")), root.Child(2));
    QVERIFY(root.FindChild(QStringLiteral("tidy")).IsNull()); // an instruction is no element
}

void TestXmlDoc::indexOutsideListFails_data() {
    QTest::addColumn<int>("index");
    QTest::newRow("minus one") << -1;
    QTest::newRow("count") << 3;
    QTest::newRow("far") << 100;
}

void TestXmlDoc::indexOutsideListFails() {
    QFETCH(int, index);
    XmlDocument doc;
    doc.LoadFromBytes("<r><a/><b/><c/></r>");
    XmlNode root = doc.DocumentElement();
    QVERIFY_THROWS_EXCEPTION(XmlError, root.Child(index));
    QVERIFY_THROWS_EXCEPTION(XmlError, root.RemoveChild(index));
    QCOMPARE(root.ChildCount(), 3);
    root.RemoveChild(1);
    QCOMPARE(root.ChildCount(), 2);
    QCOMPARE(root.Child(1).Name(), QStringLiteral("c"));
}

void TestXmlDoc::elementText_data() {
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<bool>("fails");
    QTest::addColumn<QString>("text");
    QTest::newRow("plain text") << QByteArray("<e>abc</e>") << false << QStringLiteral("abc");
    QTest::newRow("cdata") << QByteArray("<e><![CDATA[a<b>&c]]></e>") << false
                           << QStringLiteral("a<b>&c");
    QTest::newRow("empty element") << QByteArray("<e/>") << false << QString();
    QTest::newRow("start and end tag") << QByteArray("<e></e>") << false << QString();
    QTest::newRow("character references")
        << QByteArray("<e>&#x1F600;&amp;&#27979;</e>") << false << QStringLiteral("\U0001F600&测");
    QTest::newRow("child element") << QByteArray("<e><x>1</x></e>") << true << QString();
    QTest::newRow("text and cdata") << QByteArray("<e>a<![CDATA[b]]></e>") << true << QString();
    QTest::newRow("text around comment") << QByteArray("<e>a<!--c-->b</e>") << true << QString();
}

void TestXmlDoc::elementText() {
    QFETCH(QByteArray, xml);
    QFETCH(bool, fails);
    QFETCH(QString, text);
    XmlDocument doc;
    doc.LoadFromBytes("<r>" + xml + "</r>");
    const XmlNode e = doc.DocumentElement().Child(0);
    if (fails) {
        QVERIFY_THROWS_EXCEPTION(XmlError, e.Text());
    } else {
        QCOMPARE(e.Text(), text);
    }
}

void TestXmlDoc::navigation() {
    XmlDocument doc;
    doc.LoadFromBytes("<r><a><x/></a><b/></r>");
    const XmlNode root = doc.DocumentElement();
    const XmlNode a = root.FirstChild();
    QCOMPARE(a.Name(), QStringLiteral("a"));
    QCOMPARE(a.NextSibling().Name(), QStringLiteral("b"));
    QVERIFY(a.NextSibling().NextSibling().IsNull());
    QCOMPARE(a.FirstChild().Parent(), a);
    QVERIFY(root.Parent().IsNull());
    XmlNode added = a.AddChild(QStringLiteral("y"));
    QCOMPARE(a.IndexOf(added), 1);
    added.SetText(QStringLiteral("1 < 2 & 3"));
    XmlDocument again;
    again.LoadFromBytes(doc.ToBytes());
    QCOMPARE(again.DocumentElement().Child(0).Child(1).Text(), QStringLiteral("1 < 2 & 3"));
    QVERIFY_THROWS_EXCEPTION(XmlError, a.AddChild(QStringLiteral("no spaces")));
}

void TestXmlDoc::declarationAndSeedShape() {
    XmlDocument doc;
    doc.New();
    QVERIFY(!doc.IsEmpty());
    QVERIFY(doc.DocumentElement().IsNull());
    doc.SetVersion(QStringLiteral("1.0"));
    doc.SetEncoding(QStringLiteral("GB2312"));
    XmlNode root = doc.AddRoot(QStringLiteral("便签列表"));
    QVERIFY_THROWS_EXCEPTION(XmlError, doc.AddRoot(QStringLiteral("second")));
    root.AddChild(QStringLiteral("Date2000-01-01"))
        .AddChild(QStringLiteral("标题"))
        .SetText(QStringLiteral("测试"));
    const QByteArray expected =
        QStringLiteral("<?xml version=\"1.0\" encoding=\"GB2312\"?>\n"
                       "<便签列表><Date2000-01-01><标题>测试</标题></Date2000-01-01></便签列表>\n")
            .toUtf8();
    const QByteArray bytes = doc.ToBytes();
    QVERIFY(isStrictGb2312(bytes));
    // Compare as text after decoding the GB2312 bytes.
    iconv_t cd = iconv_open("UTF-8", "GB2312");
    QByteArray utf8(bytes.size() * 4, '\0');
    char* in = const_cast<char*>(bytes.constData());
    char* out = utf8.data();
    size_t inLeft = size_t(bytes.size()), outLeft = size_t(utf8.size());
    iconv(cd, &in, &inLeft, &out, &outLeft);
    iconv_close(cd);
    utf8.resize(utf8.size() - qsizetype(outLeft));
    QCOMPARE(utf8, expected);
}

void TestXmlDoc::gbkInputLoads() {
    QVERIFY(!isStrictGb2312(readBytes(dataFile("gbk.xml")))); // the fixture really is GBK
    XmlDocument doc;
    doc.Load(dataFile("gbk.xml"));
    const XmlNode day = doc.DocumentElement().Child(0);
    QCOMPARE(day.Child(0).Text(), QStringLiteral("朱镕基"));
    QCOMPARE(day.Child(3).Text(), QStringLiteral("堃喆"));
}

void TestXmlDoc::codecAgreesWithIconv() {
    // The fast tables give what iconv gives: every two-byte GB18030 code
    // decoded, every character of the Basic Multilingual Plane encoded as
    // strict GB2312 or refused, and the four-byte codes beyond GBK decoded.
    iconv_t decode = iconv_open("UTF-8", "GB18030");
    QVERIFY(decode != reinterpret_cast<iconv_t>(-1));
    auto viaIconv = [&](iconv_t cd, const QByteArray& in, QByteArray& out) {
        out = QByteArray(in.size() * 4 + 8, '\0');
        char* src = const_cast<char*>(in.constData());
        char* dst = out.data();
        size_t srcLeft = size_t(in.size()), dstLeft = size_t(out.size());
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        const bool ok = iconv(cd, &src, &srcLeft, &dst, &dstLeft) != size_t(-1) && srcLeft == 0;
        out.resize(out.size() - qsizetype(dstLeft));
        return ok;
    };
    int twoByte = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            const QByteArray code{char(lead), char(trail)};
            QByteArray expected, actual;
            qsizetype bad = -1;
            const bool ok = viaIconv(decode, code, expected);
            QCOMPARE(GbCodec::Gb18030ToUtf8(code, actual, bad), ok);
            if (ok) {
                QCOMPARE(actual, expected);
                ++twoByte;
            }
        }
    }
    QVERIFY(twoByte > 20000);
    for (const QByteArray& code : {QByteArray("\x81\x30\x81\x30"), QByteArray("\x95\x32\x82\x36"),
                                   QByteArray("\x84\x31\xA4\x39"), QByteArray("\x81\x30")}) {
        QByteArray expected, actual;
        qsizetype bad = -1;
        const bool ok = viaIconv(decode, code, expected);
        QCOMPARE(GbCodec::Gb18030ToUtf8(code, actual, bad), ok);
        if (ok)
            QCOMPARE(actual, expected);
    }
    iconv_close(decode);

    iconv_t encode = iconv_open("GB2312", "UTF-8");
    QVERIFY(encode != reinterpret_cast<iconv_t>(-1));
    int encodable = 0;
    for (char32_t c = 1; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        const QByteArray utf8 = QString::fromUcs4(&c, 1).toUtf8();
        QByteArray expected;
        const bool ok = viaIconv(encode, utf8, expected);
        QCOMPARE(GbCodec::FitsGb2312(utf8.constData(), utf8.size()), ok);
        unsigned char out[8];
        int inLength = int(utf8.size());
        int outLength = int(sizeof(out));
        const int written = GbCodec::Utf8ToGb2312(
            reinterpret_cast<const unsigned char*>(utf8.constData()), &inLength, out, &outLength);
        if (ok) {
            QCOMPARE(written, int(expected.size()));
            QCOMPARE(QByteArray(reinterpret_cast<char*>(out), outLength), expected);
            ++encodable;
        } else {
            QCOMPARE(written, -2);
            QCOMPARE(inLength, 0);
        }
    }
    QVERIFY(encodable > 7000);
    iconv_close(encode);
}

void TestXmlDoc::foreignCharactersSurviveSave_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("emoji") << QStringLiteral("早上好\U0001F600!");
    QTest::newRow("GBK only") << QStringLiteral("朱镕基 堃");
    QTest::newRow("Japanese and Latin") << QStringLiteral("かな café ß Ω");
    QTest::newRow("CJK extension B") << QStringLiteral("\U00020000\U0002A6D6");
    QTest::newRow("markup characters") << QStringLiteral("<a href=\"x\">&amp;</a> ]]>");
    QTest::newRow("tab and CR") << QStringLiteral("a\tb\rc");
    QTest::newRow("long text over chunk sizes")
        << QString(70000, QChar(0x20AC)) + QStringLiteral("测\U0001F600");
}

void TestXmlDoc::foreignCharactersSurviveSave() {
    QFETCH(QString, text);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Notes.xml"));
    XmlDocument doc;
    doc.New();
    doc.SetVersion(QStringLiteral("1.0"));
    doc.SetEncoding(QStringLiteral("GB2312"));
    doc.AddRoot(QStringLiteral("便签列表")).AddChild(QStringLiteral("标题")).SetText(text);
    doc.Save(path);
    const QByteArray bytes = readBytes(path);
    QVERIFY(bytes.startsWith("<?xml version=\"1.0\" encoding=\"GB2312\"?>"));
    QVERIFY2(isStrictGb2312(bytes), "the file must be strict GB2312 bytes");
    XmlDocument again;
    again.Load(path);
    QCOMPARE(again.DocumentElement().Child(0).Text(), text);
    QCOMPARE(again.Encoding(), QStringLiteral("GB2312"));
}

void TestXmlDoc::otherDeclaredEncodings_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("title");
    QTest::newRow("UTF-8") << QStringLiteral("utf8.xml") << QStringLiteral("UTF-8 \U0001F600 标题");
    QTest::newRow("UTF-16") << QStringLiteral("utf16.xml")
                            << QStringLiteral("UTF-16 \U0001F600 标题");
}

void TestXmlDoc::otherDeclaredEncodings() {
    QFETCH(QString, file);
    QFETCH(QString, title);
    XmlDocument doc;
    doc.Load(dataFile(file.toLatin1().constData()));
    QCOMPARE(doc.DocumentElement().Child(0).Child(0).Text(), title);
}

void TestXmlDoc::billionLaughsFails() {
    XmlDocument doc;
    QVERIFY_THROWS_EXCEPTION(XmlError, doc.Load(dataFile("billion_laughs.xml")));
    QVERIFY(doc.IsEmpty());
}

void TestXmlDoc::hostileShapesStayCheap_data() {
    // Files of about 2 MB in the shapes that make an XML parser slow: each is
    // read or refused at a cost linear in its size. The notes file never has
    // attributes of its own beyond a few, namespaces or a document type, so
    // refusing those shapes loses nothing.
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<bool>("loads");
    const qsizetype size = 2 * 1024 * 1024;
    const QByteArray head = "<?xml version=\"1.0\" encoding=\"GB2312\"?>";
    QTest::newRow("one element, 200000 attributes")
        << repeated(
               head + "<r", [](int i) { return " a" + QByteArray::number(i) + "=\"\""; }, "/>",
               size)
        << false;
    QTest::newRow("attributes spelt across lines")
        << repeated(
               head + "<r", [](int i) { return "\n\ta" + QByteArray::number(i) + " = '1'"; }, "/>",
               size)
        << false;
    QTest::newRow("many namespace declarations")
        << repeated(
               head + "<r>",
               [](int i) { return "<e xmlns:p" + QByteArray::number(i) + "=\"u\"/>"; }, "</r>",
               size)
        << false;
    QTest::newRow("document type with attribute defaults")
        << repeated(
               head + "<!DOCTYPE r [",
               [](int i) { return "<!ATTLIST r a" + QByteArray::number(i) + " CDATA 'x'>"; },
               "]><r/>", size)
        << false;
    QTest::newRow("long element name") << head + "<" + QByteArray(size, 'a') + "/>" << false;
    QTest::newRow("long attribute name")
        << head + "<r " + QByteArray(size, 'a') + "=\"1\"/>" << false;
    QTest::newRow("deep nesting") << repeated(
                                         head, [](int) { return QByteArray("<a>"); }, "", size)
                                  << false;
    QTest::newRow("many small elements")
        << repeated(
               head + "<r>", [](int) { return QByteArray("<a b=\"1\" c=\"2\"/>"); }, "</r>", size)
        << true;
    QTest::newRow("many day nodes with notes")
        << repeated(
               head + "<r>",
               [](int i) {
                   return "<Date" + QByteArray::number(i) +
                          "><a>t</a><b>t</b><c>t</c><d>t</d></Date" + QByteArray::number(i) + ">";
               },
               "</r>", size)
        << true;
    QTest::newRow("character references")
        << repeated(
               head + "<r><e>", [](int) { return QByteArray("&amp;&#x4E00;&lt;"); }, "</e></r>",
               size)
        << true;
    QTest::newRow("one long comment")
        << head + "<r><!--" + QByteArray(size, '-').replace("--", "- ") + "--></r>" << true;
    QTest::newRow("sixty-four attributes on every element")
        << repeated(
               head + "<r>",
               [](int) {
                   QByteArray e = "<e";
                   for (int k = 0; k < 64; ++k)
                       e += " a" + QByteArray::number(k) + "=\"\"";
                   return e + "/>";
               },
               "</r>", size)
        << true;
}

void TestXmlDoc::hostileShapesStayCheap() {
    QFETCH(QByteArray, source);
    QFETCH(bool, loads);
    XmlDocument doc;
    const double start = threadCpuMs();
    bool loaded = true;
    try {
        doc.LoadFromBytes(source);
    } catch (const XmlError&) {
        loaded = false;
    }
    const double spent = threadCpuMs() - start;
    QCOMPARE(loaded, loads);
    QVERIFY2(spent < 1000, qPrintable(QStringLiteral("%1 ms of CPU time").arg(spent)));
}

void TestXmlDoc::noExternalEntityOrDtd() {
    XmlDocument doc;
    QString texts;
    try {
        doc.Load(dataFile("external_entity.xml"));
        const XmlNode day = doc.DocumentElement().Child(0);
        for (int i = 0; i < day.ChildCount(); ++i) {
            try {
                texts += day.Child(i).Text();
            } catch (const XmlError&) {
                // an unexpanded entity reference is not one piece of text
            }
        }
    } catch (const XmlError&) {
        // refusing the file outright is fine too
    }
    QVERIFY(!texts.contains(QStringLiteral("TOP-SECRET-TEXT")));
    if (!doc.IsEmpty()) {
        const QByteArray saved = doc.ToBytes();
        QVERIFY(!saved.contains("TOP-SECRET-TEXT"));
        QVERIFY(!saved.contains("FROM-EXTERNAL-DTD"));
    }
}

void TestXmlDoc::brokenFileNamesLine() {
    XmlDocument doc;
    try {
        doc.Load(dataFile("broken.xml"));
        QFAIL("a broken file must not load");
    } catch (const XmlError& e) {
        QVERIFY2(e.Message().contains(QStringLiteral("已损坏（第 3 行")), qPrintable(e.Message()));
    }
    QVERIFY(doc.IsEmpty());
}

void TestXmlDoc::missingFileFails() {
    QTemporaryDir dir;
    XmlDocument doc;
    doc.LoadFromBytes("<r/>");
    QVERIFY_THROWS_EXCEPTION(XmlError, doc.Load(dir.filePath(QStringLiteral("none.xml"))));
    QVERIFY(doc.IsEmpty()); // the load replaced what it held
}

void TestXmlDoc::controlCharacterRefused() {
    XmlDocument doc;
    doc.New();
    XmlNode e = doc.AddRoot(QStringLiteral("r")).AddChild(QStringLiteral("e"));
    e.SetText(QStringLiteral("ok"));
    QVERIFY_THROWS_EXCEPTION(XmlError, e.SetText(QStringLiteral("bell\x07")));
    QCOMPARE(e.Text(), QStringLiteral("ok"));
}

void TestXmlDoc::unwritableNameRefusedAndFileKept_data() {
    // Markup that cannot carry a character reference, holding a character
    // that GB2312 lacks: written as "&#223;" it would make the file unreadable.
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QString>("what");
    QTest::newRow("element name") << QByteArray("<r><x\xC3\x9F/></r>") << QStringLiteral("元素名");
    QTest::newRow("attribute name")
        << QByteArray("<r><x a\xC3\x9F=\"1\"/></r>") << QStringLiteral("属性名");
    QTest::newRow("namespace declared on the root")
        << QByteArray("<r xmlns:\xC3\x9F=\"urn:x\"/>") << QStringLiteral("命名空间前缀");
    QTest::newRow("prefixed element") << QByteArray("<r xmlns:\xC3\x9F=\"urn:x\"><\xC3\x9F:x/></r>")
                                      << QStringLiteral("命名空间前缀");
    QTest::newRow("instruction target")
        << QByteArray("<r><?t\xC3\x9F data?></r>") << QStringLiteral("处理指令");
    QTest::newRow("instruction data")
        << QByteArray("<r><?t \xC3\x9F?></r>") << QStringLiteral("处理指令");
    QTest::newRow("comment") << QByteArray("<r><!--\xC3\x9F--></r>") << QStringLiteral("注释");
    QTest::newRow("comment before the root")
        << QByteArray("<!--\xC3\x9F--><r/>") << QStringLiteral("注释");
}

void TestXmlDoc::unwritableNameRefusedAndFileKept() {
    QFETCH(QByteArray, source);
    QFETCH(QString, what);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Notes.xml"));
    writeBytes(path, "<?xml version=\"1.0\"?>\n<old/>\n");
    XmlDocument doc;
    doc.LoadFromBytes(source);
    doc.SetEncoding(QStringLiteral("GB2312"));
    try {
        doc.Save(path);
        QFAIL("a document GB2312 cannot write must not be saved");
    } catch (const XmlError& e) {
        QVERIFY2(e.Message().contains(what), qPrintable(e.Message()));
        QVERIFY2(e.Message().contains(QStringLiteral("ß")), qPrintable(e.Message()));
    }
    QCOMPARE(readBytes(path), QByteArray("<?xml version=\"1.0\"?>\n<old/>\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("Notes.xml")});
    // The same document is fine where the encoding can hold it.
    doc.SetEncoding(QStringLiteral("UTF-8"));
    doc.Save(path);
    XmlDocument again;
    again.Load(path);
    QCOMPARE(again.ToBytes(), doc.ToBytes());
}

void TestXmlDoc::unencodableCdataSavedAsText() {
    XmlDocument doc;
    doc.LoadFromBytes("<r><e><![CDATA[a<b> \xC3\x9F]]></e><f><![CDATA[plain]]></f></r>");
    doc.SetEncoding(QStringLiteral("GB2312"));
    const QByteArray bytes = doc.ToBytes();
    QVERIFY(isStrictGb2312(bytes));
    QVERIFY(bytes.contains("<f><![CDATA[plain]]></f>"));
    XmlDocument again;
    again.LoadFromBytes(bytes);
    QCOMPARE(again.DocumentElement().Child(0).Text(), QStringLiteral("a<b> ß"));
    QCOMPARE(again.DocumentElement().Child(1).Text(), QStringLiteral("plain"));
}

void TestXmlDoc::attributesAndInsertion() {
    XmlDocument doc;
    doc.LoadFromBytes("<r><a/><c/></r>");
    const XmlNode root = doc.DocumentElement();
    root.InsertChildAfter(root.Child(0), QStringLiteral("b"));
    root.InsertChildAfter(XmlNode(), QStringLiteral("first"));
    QCOMPARE(allTexts(doc), (QStringList{QStringLiteral("first"), QStringLiteral("a"),
                                         QStringLiteral("b"), QStringLiteral("c")}));
    const XmlNode b = root.Child(2);
    QVERIFY(b.Attribute(QStringLiteral("重复")).isNull());
    b.SetAttribute(QStringLiteral("重复"), QStringLiteral("每年 & <\"x\">"));
    XmlDocument again;
    again.LoadFromBytes(doc.ToBytes());
    QCOMPARE(again.DocumentElement().Child(2).Attribute(QStringLiteral("重复")),
             QStringLiteral("每年 & <\"x\">"));
    b.SetAttribute(QStringLiteral("重复"), QString());
    QVERIFY(b.Attribute(QStringLiteral("重复")).isNull());
    QVERIFY_THROWS_EXCEPTION(XmlError,
                             root.InsertChildAfter(root.Child(2).Child(0), QStringLiteral("x")));
}

void TestXmlDoc::tooLongTextRefused() {
    // libxml2 reads back at most MaxTextBytes of one text: a longer one is
    // refused when it is set, not found out when the file no longer loads.
    XmlDocument doc;
    doc.LoadFromBytes("<r><e>old</e></r>");
    const XmlNode e = doc.DocumentElement().Child(0);
    const QString fits(int(XmlDocument::MaxTextBytes / 3), QChar(u'字'));
    e.SetText(fits);
    XmlDocument again;
    again.LoadFromBytes(doc.ToBytes());
    QCOMPARE(again.DocumentElement().Child(0).Text().size(), fits.size());
    QVERIFY_THROWS_EXCEPTION(XmlError, e.SetText(fits + QStringLiteral("字")));
    QCOMPARE(e.Text().size(), fits.size());
}

void TestXmlDoc::interruptedSaveKeepsOldFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Notes.xml"));
    writeBytes(path, "<?xml version=\"1.0\"?>\n<old/>\n");
    XmlDocument doc;
    doc.LoadFromBytes("<new>text</new>");
    FileIOTesting::SetBeforeCommitHook([] { throw XmlError(QStringLiteral("disk gone")); });
    QVERIFY_THROWS_EXCEPTION(XmlError, doc.Save(path));
    FileIOTesting::SetBeforeCommitHook({});
    QCOMPARE(readBytes(path), QByteArray("<?xml version=\"1.0\"?>\n<old/>\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("Notes.xml")});
    doc.Save(path);
    QVERIFY(readBytes(path).contains("<new>text</new>"));
}

void TestXmlDoc::killedSaveKeepsOldFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Notes.xml"));
    writeBytes(path, "<?xml version=\"1.0\"?>\n<old/>\n");
    XmlDocument doc;
    doc.LoadFromBytes("<new>" + QByteArray(200000, 'x') + "</new>");
    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        // The process dies in the middle of the save, after the new bytes are
        // written but before they replace the old file.
        FileIOTesting::SetBeforeCommitHook([] { _exit(7); });
        doc.Save(path);
        _exit(0);
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 7);
    QCOMPARE(readBytes(path), QByteArray("<?xml version=\"1.0\"?>\n<old/>\n"));
}

void TestXmlDoc::saveIntoMissingFolderFails() {
    QTemporaryDir dir;
    XmlDocument doc;
    doc.LoadFromBytes("<r/>");
    QVERIFY_THROWS_EXCEPTION(FileError,
                             doc.Save(dir.filePath(QStringLiteral("missing/Notes.xml"))));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("missing"))));
}

QTEST_GUILESS_MAIN(TestXmlDoc)
#include "tst_xmldoc.moc"
