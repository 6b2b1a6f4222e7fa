#include "UXmlDoc.h"

#include "UGbCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringDecoder>

#include <libxml/encoding.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlsave.h>

#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <mutex>

namespace {

// One iconv converter per direction, opened on first use.
class Iconv {
public:
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Iconv() {
        if (cd_ != reinterpret_cast<iconv_t>(-1))
            iconv_close(cd_);
    }
    bool Ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    // Converts as much as it can; returns errno of the stop (0 when all of the
    // input was converted).
    int Convert(const unsigned char* in, int* inlen, unsigned char* out, int* outlen) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(reinterpret_cast<const char*>(in));
        char* dst = reinterpret_cast<char*>(out);
        size_t srcLeft = size_t(*inlen);
        size_t dstLeft = size_t(*outlen);
        const size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
        *inlen -= int(srcLeft);
        *outlen -= int(dstLeft);
        return r == size_t(-1) ? errno : 0;
    }

private:
    iconv_t cd_;
};

// libxml2 converter conventions: the result is the number of bytes written, -2
// for a character that cannot be converted (with *inlen telling how far the
// input was taken), and input left over (a character split at the end of a
// chunk, or no room for its output) is simply not consumed.
int convert(Iconv& cd, unsigned char* out, int* outlen, const unsigned char* in, int* inlen) {
    if (in == nullptr || inlen == nullptr) { // initialisation / flush call
        *outlen = 0;
        if (inlen)
            *inlen = 0;
        return 0;
    }
    const int err = cd.Convert(in, inlen, out, outlen);
    if (err == EILSEQ)
        return -2;
    return *outlen;
}

// Files declaring GB2312 are read as GB18030, so files written with the GBK
// code page of Windows load too.
int gb2312Input(unsigned char* out, int* outlen, const unsigned char* in, int* inlen) {
    thread_local Iconv cd("UTF-8", "GB18030");
    return convert(cd, out, outlen, in, inlen);
}

// Written strictly as GB2312; libxml2 writes a character reference for every
// character this refuses.
int gb2312Output(unsigned char* out, int* outlen, const unsigned char* in, int* inlen) {
    return GbCodec::Utf8ToGb2312(in, inlen, out, outlen);
}

xmlParserInputPtr refuseExternal(const char* url, const char*, xmlParserCtxtPtr ctxt) {
    // Nothing beyond the file's own bytes is ever read: no external entity, no
    // external DTD, no network.
    (void)url;
    (void)ctxt;
    return nullptr;
}

void ensureLibxml() {
    static std::once_flag once;
    std::call_once(once, [] {
        xmlInitParser();
        // Registered under the declared name, so the parser and the writer
        // find it before iconv's own (strict, both ways) GB2312. An encoding
        // alias GB2312 -> GB18030 would make the writer write GB18030 bytes
        // under a GB2312 declaration, which is why there is none.
        xmlNewCharEncodingHandler("GB2312", gb2312Input, gb2312Output);
        xmlSetExternalEntityLoader(refuseExternal);
    });
}

QString fromXml(const xmlChar* text) {
    return text ? QString::fromUtf8(reinterpret_cast<const char*>(text)) : QString();
}

QByteArray toXml(const QString& text) {
    return text.toUtf8();
}

const xmlChar* bytes(const QByteArray& utf8) {
    return reinterpret_cast<const xmlChar*>(utf8.constData());
}

bool isXmlWhitespace(const xmlChar* text) {
    if (!text)
        return true;
    for (; *text; ++text) {
        if (*text != ' ' && *text != '\t' && *text != '\r' && *text != '\n')
            return false;
    }
    return true;
}

bool isTextNode(const xmlNode* n) {
    return n->type == XML_TEXT_NODE || n->type == XML_CDATA_SECTION_NODE;
}

// Whitespace-only text that stands between markup (elements, comments,
// processing instructions) is layout, not content: drop it.
void dropLayoutWhitespace(xmlNode* parent) {
    for (xmlNode* n = parent; n; n = n->next) {
        if (n->type != XML_ELEMENT_NODE || !n->children)
            continue;
        bool hasMarkup = false;
        for (xmlNode* c = n->children; c; c = c->next) {
            if (!isTextNode(c)) {
                hasMarkup = true;
                break;
            }
        }
        if (hasMarkup) {
            for (xmlNode* c = n->children; c;) {
                xmlNode* next = c->next;
                if (c->type == XML_TEXT_NODE && isXmlWhitespace(c->content)) {
                    xmlUnlinkNode(c);
                    xmlFreeNode(c);
                }
                c = next;
            }
        }
        dropLayoutWhitespace(n->children);
    }
}

bool isXmlChar(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

void requireXmlText(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        char32_t c = ch.unicode();
        if (ch.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(ch, text.at(i + 1));
            ++i;
        } else if (ch.isSurrogate()) {
            c = 0xFFFF; // an unpaired surrogate is no character at all
        }
        if (!isXmlChar(c))
            throw XmlError(QStringLiteral("文字中含有 XML 文件无法保存的字符 U+%1。")
                               .arg(QString::number(uint(c), 16)
                                        .toUpper()
                                        .rightJustified(4, QLatin1Char('0'))));
    }
}

bool encodable(const QByteArray& utf8, const QByteArray& encoding) {
    const QByteArray upper = encoding.toUpper();
    if (upper.startsWith("UTF") || upper.startsWith("UCS"))
        return true;
    if (upper == "GB2312")
        return GbCodec::FitsGb2312(utf8.constData(), utf8.size());
    Iconv cd(upper == "GB2312" ? "GB2312" : encoding.constData(), "UTF-8");
    if (!cd.Ok())
        return true; // libxml2 itself will refuse an unknown encoding
    QByteArray out(utf8.size() * 4 + 16, Qt::Uninitialized);
    int inlen = int(utf8.size());
    int outlen = int(out.size());
    return cd.Convert(reinterpret_cast<const unsigned char*>(utf8.constData()), &inlen,
                      reinterpret_cast<unsigned char*>(out.data()), &outlen) == 0;
}

void requireEncodable(const xmlChar* raw, const char* what, const QByteArray& encoding) {
    if (!raw)
        return;
    // Markup that is all ASCII fits every encoding a notes file may declare.
    bool ascii = true;
    for (const xmlChar* c = raw; *c && ascii; ++c)
        ascii = *c < 0x80;
    if (ascii)
        return;
    const QByteArray utf8(reinterpret_cast<const char*>(raw));
    if (!encodable(utf8, encoding))
        throw XmlError(QStringLiteral("%1“%2”无法用 %3 编码写入文件，文件未作改动。")
                           .arg(QString::fromUtf8(what), QString::fromUtf8(utf8),
                                QString::fromLatin1(encoding)));
}

// Names, namespace prefixes, comments, processing instructions and
// character-data sections cannot carry character references: a character the
// encoding cannot hold there would make the file unreadable. A character-data
// section becomes plain text (the same text; only its spelling in the file
// changes), everything else stops the save. Element names are shared by the
// parser's dictionary, so each distinct one is checked once (Known).
void requireWritable(xmlNode* n, const QByteArray& encoding, QSet<const xmlChar*>& Known) {
    for (; n; n = n->next) {
        switch (n->type) {
        case XML_ELEMENT_NODE:
            if (!Known.contains(n->name)) {
                requireEncodable(n->name, "元素名", encoding);
                Known.insert(n->name);
            }
            if (n->ns)
                requireEncodable(n->ns->prefix, "命名空间前缀", encoding);
            for (xmlNs* ns = n->nsDef; ns; ns = ns->next)
                requireEncodable(ns->prefix, "命名空间前缀", encoding);
            for (xmlAttr* a = n->properties; a; a = a->next) {
                requireEncodable(a->name, "属性名", encoding);
                if (a->ns)
                    requireEncodable(a->ns->prefix, "命名空间前缀", encoding);
            }
            requireWritable(n->children, encoding, Known);
            break;
        case XML_COMMENT_NODE:
            requireEncodable(n->content, "注释", encoding);
            break;
        case XML_PI_NODE:
            requireEncodable(n->name, "处理指令", encoding);
            requireEncodable(n->content, "处理指令", encoding);
            break;
        case XML_CDATA_SECTION_NODE:
            if (n->content &&
                !encodable(QByteArray(reinterpret_cast<const char*>(n->content)), encoding))
                n->type = XML_TEXT_NODE;
            break;
        case XML_DTD_NODE:
        case XML_ENTITY_REF_NODE:
            throw XmlError(
                QStringLiteral("文档含有文档类型声明或实体引用，便签文件不能这样保存。"));
        default:
            break;
        }
    }
}

// The shapes that make libxml2 slow on purpose, found in one pass over the
// bytes before it sees them: a document type declaration (entity tricks and
// attribute defaults live there), an element with very many attributes
// (libxml2's duplicate check is quadratic in their number) and very many
// namespace declarations (every prefix lookup walks them). The input is
// UTF-8 or another encoding in which the markup characters are ASCII.
// Returns why the file is refused, or an empty text. Malformed markup is left
// to the parser, which reports it with its line.
QString refusedShape(const QByteArray& data) {
    const char* p = data.constData();
    const char* const end = p + data.size();
    auto find = [&](const char* from, const char* what) -> const char* {
        const qsizetype at = data.indexOf(what, from - data.constData());
        return at < 0 ? nullptr : data.constData() + at;
    };
    auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    int namespaces = 0;
    while (p < end) {
        p = static_cast<const char*>(std::memchr(p, '<', size_t(end - p)));
        if (!p)
            break;
        ++p;
        if (p >= end)
            break;
        if (*p == '!') {
            if (end - p >= 3 && p[1] == '-' && p[2] == '-') {
                p = find(p + 3, "-->");
                if (!p)
                    break;
                p += 3;
            } else if (end - p >= 8 && std::memcmp(p, "![CDATA[", 8) == 0) {
                p = find(p + 8, "]]>");
                if (!p)
                    break;
                p += 3;
            } else {
                return QStringLiteral(
                    "文件含有文档类型声明（<!DOCTYPE>），便签文件不会有这样的内容");
            }
            continue;
        }
        if (*p == '?') {
            p = find(p + 1, "?>");
            if (!p)
                break;
            p += 2;
            continue;
        }
        if (*p == '/') {
            p = static_cast<const char*>(std::memchr(p, '>', size_t(end - p)));
            if (!p)
                break;
            continue;
        }
        // A start tag: its name, then its attributes.
        while (p < end && !isSpace(*p) && *p != '>' && *p != '/')
            ++p;
        int attributes = 0;
        while (p < end) {
            while (p < end && isSpace(*p))
                ++p;
            if (p >= end || *p == '>')
                break;
            if (*p == '/') {
                ++p;
                continue;
            }
            const char* name = p;
            while (p < end && !isSpace(*p) && *p != '=' && *p != '>' && *p != '/')
                ++p;
            if (p - name >= 5 && std::memcmp(name, "xmlns", 5) == 0 &&
                (p - name == 5 || name[5] == ':'))
                ++namespaces;
            if (++attributes > XmlDocument::MaxAttributesPerElement)
                return QStringLiteral(
                           "文件中有一个元素带有 %1 个以上的属性，便签文件不会有这样的内容")
                    .arg(XmlDocument::MaxAttributesPerElement);
            if (namespaces > XmlDocument::MaxNamespaceDeclarations)
                return QStringLiteral("文件中有 %1 个以上的命名空间声明，便签文件不会有这样的内容")
                    .arg(XmlDocument::MaxNamespaceDeclarations);
            while (p < end && isSpace(*p))
                ++p;
            if (p >= end || *p != '=')
                return QString(); // malformed: the parser says where
            ++p;
            while (p < end && isSpace(*p))
                ++p;
            if (p >= end || (*p != '"' && *p != '\''))
                return QString();
            p = static_cast<const char*>(std::memchr(p + 1, *p, size_t(end - p - 1)));
            if (!p)
                return QString();
            ++p;
        }
    }
    return QString();
}

// A file in UTF-16 (by its byte order mark, or by "<?" spelt in UTF-16) as
// UTF-8, so that the screening above sees its markup; empty when it is not
// UTF-16.
bool utf16ToUtf8(const QByteArray& data, QByteArray& utf8) {
    auto startsWith = [&](std::initializer_list<unsigned char> bytes) {
        if (data.size() < qsizetype(bytes.size()))
            return false;
        qsizetype i = 0;
        for (unsigned char b : bytes)
            if (static_cast<unsigned char>(data[i++]) != b)
                return false;
        return true;
    };
    QStringConverter::Encoding encoding;
    if (startsWith({0xFF, 0xFE}) || startsWith({'<', 0, '?', 0}))
        encoding = QStringConverter::Utf16LE;
    else if (startsWith({0xFE, 0xFF}) || startsWith({0, '<', 0, '?'}))
        encoding = QStringConverter::Utf16BE;
    else
        return false;
    QStringDecoder decode(encoding, QStringConverter::Flag::Stateless);
    const QString text = decode(data);
    utf8 = text.toUtf8();
    if (utf8.startsWith("\xEF\xBB\xBF"))
        utf8.remove(0, 3);
    return !decode.hasError();
}

// True when the bytes start with an XML declaration whose encoding is GB2312.
bool declaresGb2312(const QByteArray& data) {
    if (!data.startsWith("<?xml"))
        return false;
    const qsizetype end = data.indexOf("?>");
    if (end < 0 || end > 200)
        return false;
    const QByteArray decl = data.left(end);
    const qsizetype at = decl.indexOf("encoding");
    if (at < 0)
        return false;
    QByteArray rest = decl.mid(at + 8).trimmed();
    if (!rest.startsWith('='))
        return false;
    rest = rest.mid(1).trimmed();
    if (rest.isEmpty() || (rest[0] != '"' && rest[0] != '\''))
        return false;
    const char quote = rest[0];
    const qsizetype close = rest.indexOf(quote, 1);
    return close > 0 && rest.mid(1, close - 1).toUpper() == "GB2312";
}

// Decodes the whole file as GB18030 (the superset of GB2312 and GBK).
bool gb18030ToUtf8(const QByteArray& data, QByteArray& utf8, qsizetype& badOffset) {
    return GbCodec::Gb18030ToUtf8(data, utf8, badOffset);
}

} // namespace

// ---- XmlNode ---------------------------------------------------------------

void XmlNode::Require() const {
    if (!node_)
        throw XmlError(QStringLiteral("XML 节点不存在。"));
}

bool XmlNode::IsElement() const {
    return node_ && node_->type == XML_ELEMENT_NODE;
}

QString XmlNode::Name() const {
    Require();
    switch (node_->type) {
    case XML_TEXT_NODE:
        return QStringLiteral("#text");
    case XML_CDATA_SECTION_NODE:
        return QStringLiteral("#cdata-section");
    case XML_COMMENT_NODE:
        return QStringLiteral("#comment");
    default:
        return fromXml(node_->name);
    }
}

bool XmlNode::NameIs(const QByteArray& utf8Name) const {
    Require();
    if (node_->type != XML_ELEMENT_NODE && node_->type != XML_PI_NODE)
        return QString::fromUtf8(utf8Name) == Name();
    return xmlStrEqual(node_->name, bytes(utf8Name));
}

XmlNode XmlNode::NextSibling() const {
    Require();
    return XmlNode(node_->next, owner_);
}

XmlNode XmlNode::Parent() const {
    Require();
    xmlNode* p = node_->parent;
    if (!p || p->type != XML_ELEMENT_NODE)
        return XmlNode();
    return XmlNode(p, owner_);
}

XmlNode XmlNode::FirstChild() const {
    Require();
    return XmlNode(node_->children, owner_);
}

int XmlNode::ChildCount() const {
    Require();
    int count = 0;
    for (xmlNode* c = node_->children; c; c = c->next)
        ++count;
    return count;
}

xmlNode* XmlNode::ChildAt(int index) const {
    Require();
    if (index >= 0) {
        int i = 0;
        for (xmlNode* c = node_->children; c; c = c->next, ++i) {
            if (i == index)
                return c;
        }
    }
    throw XmlError(QStringLiteral("序号 %1 超出了 <%3> 的 %2 个子节点。")
                       .arg(index)
                       .arg(ChildCount())
                       .arg(Name()));
}

XmlNode XmlNode::Child(int index) const {
    return XmlNode(ChildAt(index), owner_);
}

int XmlNode::IndexOf(const XmlNode& child) const {
    Require();
    int i = 0;
    for (xmlNode* c = node_->children; c; c = c->next, ++i) {
        if (c == child.node_)
            return i;
    }
    return -1;
}

void XmlNode::RemoveChild(int index) const {
    xmlNode* c = ChildAt(index);
    xmlUnlinkNode(c);
    xmlFreeNode(c);
}

XmlNode XmlNode::FindChild(const QString& name) const {
    Require();
    const QByteArray utf8 = toXml(name);
    for (xmlNode* c = node_->children; c; c = c->next) {
        if (c->type == XML_ELEMENT_NODE && xmlStrEqual(c->name, bytes(utf8)))
            return XmlNode(c, owner_);
    }
    return XmlNode();
}

QString XmlNode::Text() const {
    Require();
    if (node_->type != XML_ELEMENT_NODE)
        return fromXml(node_->content);
    xmlNode* c = node_->children;
    if (!c)
        return QString();
    if (!c->next && isTextNode(c))
        return fromXml(c->content);
    throw XmlError(QStringLiteral("元素 <%1> 的内容不是一段文字。").arg(Name()));
}

void XmlNode::SetText(const QString& text) const {
    Require();
    requireXmlText(text);
    const QByteArray utf8 = toXml(text);
    if (utf8.size() > XmlDocument::MaxTextBytes)
        throw XmlError(QStringLiteral("文字太长（%1 字节），文件最多只能读回 %2 字节的一段文字。")
                           .arg(utf8.size())
                           .arg(XmlDocument::MaxTextBytes));
    if (node_->type != XML_ELEMENT_NODE) {
        xmlNodeSetContentLen(node_, bytes(utf8), int(utf8.size()));
        return;
    }
    while (xmlNode* c = node_->children) {
        xmlUnlinkNode(c);
        xmlFreeNode(c);
    }
    if (!utf8.isEmpty())
        xmlAddChild(node_, xmlNewDocTextLen(node_->doc, bytes(utf8), int(utf8.size())));
}

namespace {
xmlNode* newElement(xmlNode* parent, const QString& name) {
    const QByteArray utf8 = toXml(name);
    if (parent->type != XML_ELEMENT_NODE)
        throw XmlError(QStringLiteral("只有元素才能含有子元素。"));
    if (xmlValidateName(bytes(utf8), 0) != 0)
        throw XmlError(QStringLiteral("“%1”不是合法的元素名。").arg(name));
    return xmlNewDocNode(parent->doc, nullptr, bytes(utf8), nullptr);
}
} // namespace

XmlNode XmlNode::AddChild(const QString& name) const {
    Require();
    xmlNode* c = newElement(node_, name);
    xmlAddChild(node_, c);
    return XmlNode(c, owner_);
}

XmlNode XmlNode::InsertChildAfter(const XmlNode& after, const QString& name) const {
    Require();
    if (!after.IsNull() && after.node_->parent != node_)
        throw XmlError(QStringLiteral("节点不是 <%1> 的子节点。").arg(Name()));
    xmlNode* c = newElement(node_, name);
    if (after.IsNull()) {
        if (node_->children)
            xmlAddPrevSibling(node_->children, c);
        else
            xmlAddChild(node_, c);
    } else {
        xmlAddNextSibling(after.node_, c);
    }
    return XmlNode(c, owner_);
}

bool XmlNode::HasAttributes() const {
    Require();
    return node_->type == XML_ELEMENT_NODE && node_->properties != nullptr;
}

QString XmlNode::Attribute(const QString& name) const {
    Require();
    if (node_->type != XML_ELEMENT_NODE)
        return QString();
    const QByteArray utf8 = toXml(name);
    xmlAttr* a = xmlHasNsProp(node_, bytes(utf8), nullptr);
    if (!a)
        return QString();
    xmlChar* value = xmlNodeGetContent(reinterpret_cast<xmlNode*>(a));
    QString result = value ? fromXml(value) : QStringLiteral("");
    xmlFree(value);
    return result;
}

void XmlNode::SetAttribute(const QString& name, const QString& value) const {
    Require();
    if (node_->type != XML_ELEMENT_NODE)
        throw XmlError(QStringLiteral("只有元素才能带有属性。"));
    const QByteArray utf8 = toXml(name);
    if (xmlValidateName(bytes(utf8), 0) != 0)
        throw XmlError(QStringLiteral("“%1”不是合法的属性名。").arg(name));
    if (value.isEmpty()) {
        if (xmlAttr* a = xmlHasNsProp(node_, bytes(utf8), nullptr))
            xmlRemoveProp(a);
        return;
    }
    requireXmlText(value);
    xmlSetProp(node_, bytes(utf8), bytes(toXml(value)));
}

// ---- XmlDocument -----------------------------------------------------------

XmlDocument::XmlDocument() {
    ensureLibxml();
}

XmlDocument::~XmlDocument() {
    Free();
}

void XmlDocument::Free() {
    if (doc_)
        xmlFreeDoc(doc_);
    doc_ = nullptr;
}

void XmlDocument::Adopt(_xmlDoc* doc) {
    Free();
    doc_ = doc;
}

void XmlDocument::RequireDoc() const {
    if (!doc_)
        throw XmlError(QStringLiteral("XML 文档是空的。"));
}

bool XmlDocument::IsEmpty() const {
    return doc_ == nullptr;
}

void XmlDocument::Load(const QString& path) {
    Free();
    fileName_.clear();
    if (!QFileInfo::exists(path))
        throw XmlError(QStringLiteral("文件 %1 不存在。").arg(QDir::toNativeSeparators(path)));
    if (QFileInfo(path).size() > MaxFileBytes)
        throw XmlError(QStringLiteral("文件 %1 太大（超过 %2 MB），不是便签文件。")
                           .arg(QDir::toNativeSeparators(path))
                           .arg(MaxFileBytes / (1024 * 1024)));
    QByteArray data;
    try {
        data = FileIO::ReadWholeFile(path);
    } catch (const FileError& e) {
        throw XmlError(e.Message());
    }
    LoadFromBytes(data, path);
    fileName_ = path;
}

void XmlDocument::LoadFromBytes(const QByteArray& data, const QString& sourceName) {
    Free();
    fileName_.clear();
    const QString source =
        sourceName.isEmpty() ? QStringLiteral("XML 文字")
                             : QStringLiteral("文件 %1").arg(QDir::toNativeSeparators(sourceName));
    auto refuse = [&](int line, const QString& why) -> XmlError {
        return XmlError(
            line > 0 ? QStringLiteral("%1 已损坏（第 %2 行：%3）。").arg(source).arg(line).arg(why)
                     : QStringLiteral("%1 已损坏（%2）。").arg(source, why));
    };
    if (data.size() > MaxFileBytes)
        throw refuse(0, QStringLiteral("超过 %1 MB").arg(MaxFileBytes / (1024 * 1024)));
    if (data.isEmpty())
        throw refuse(0, QStringLiteral("文件是空的"));
    std::unique_ptr<xmlParserCtxt, void (*)(xmlParserCtxtPtr)> ctxt(xmlNewParserCtxt(),
                                                                    xmlFreeParserCtxt);
    if (!ctxt)
        throw XmlError(QStringLiteral("内存不足，无法读取 XML。"));
    // No entity substitution, no DTD loading, no network: libxml2 keeps entity
    // expansion bounded on its own (its amplification checks stay on without
    // XML_PARSE_HUGE, and so do its limits on the length of a text and a name
    // and on the depth of nesting).
    const int options = XML_PARSE_NONET | XML_PARSE_NOWARNING | XML_PARSE_COMPACT;
    // The first error tells where the file goes wrong; libxml2 may report
    // follow-up errors after it. Collecting them also keeps them off stderr.
    struct FirstError {
        bool seen = false;
        int line = 0;
        QString message;
    } first;
    // libxml2 decodes through converters in small chunks, several times slower
    // than parsing itself; a GB2312 file (the notes file) is decoded here in
    // one pass instead and parsed as UTF-8. UTF-16 is decoded here too, so
    // that the screening below sees its markup.
    int parseOptions = options;
    QByteArray utf8;
    const QByteArray* input = &data;
    QByteArray declaredEncoding;
    if (declaresGb2312(data)) {
        qsizetype badOffset = -1;
        if (!gb18030ToUtf8(data, utf8, badOffset)) {
            const int line = int(data.left(badOffset).count('\n')) + 1;
            throw refuse(line, QStringLiteral("有不是 GB2312/GB18030 文字的字节"));
        }
        input = &utf8;
        parseOptions |= XML_PARSE_IGNORE_ENC;
        declaredEncoding = "GB2312";
    } else if (utf16ToUtf8(data, utf8)) {
        input = &utf8;
        parseOptions |= XML_PARSE_IGNORE_ENC;
        declaredEncoding = "UTF-16";
    } else if (data.contains('\0') || data.startsWith(QByteArray("\x4C\x6F\xA7\x94", 4))) {
        // UCS-4 or EBCDIC: not a notes file, and not screened above.
        throw refuse(0, QStringLiteral("文件的编码无法识别"));
    }
    const QString shape = refusedShape(*input);
    if (!shape.isEmpty())
        throw refuse(0, shape);

    xmlSetStructuredErrorFunc(&first, [](void* user, xmlErrorPtr error) {
        auto* f = static_cast<FirstError*>(user);
        if (f->seen || !error || error->level < XML_ERR_ERROR)
            return;
        f->seen = true;
        f->line = error->line;
        f->message = QString::fromUtf8(error->message ? error->message : "").trimmed();
    });
    xmlDoc* doc = xmlCtxtReadMemory(ctxt.get(), input->constData(), int(input->size()), nullptr,
                                    nullptr, parseOptions);
    xmlSetStructuredErrorFunc(nullptr, nullptr);
    if (doc && !declaredEncoding.isEmpty()) {
        if (doc->encoding)
            xmlFree(const_cast<xmlChar*>(doc->encoding));
        doc->encoding = xmlStrdup(bytes(declaredEncoding));
    }
    if (!doc || !ctxt->wellFormed) {
        if (doc)
            xmlFreeDoc(doc);
        const xmlError* err = xmlCtxtGetLastError(ctxt.get());
        const QString detail = first.seen            ? first.message
                               : err && err->message ? QString::fromUtf8(err->message).trimmed()
                                                     : QStringLiteral("未知错误");
        const int line = first.seen ? first.line : err ? err->line : 0;
        throw refuse(line, detail);
    }
    if (doc->intSubset || doc->extSubset) {
        xmlFreeDoc(doc);
        throw refuse(
            0, QStringLiteral("文件含有文档类型声明（<!DOCTYPE>），便签文件不会有这样的内容"));
    }
    if (!xmlDocGetRootElement(doc)) {
        xmlFreeDoc(doc);
        throw XmlError(QStringLiteral("%1 没有根元素。").arg(source));
    }
    dropLayoutWhitespace(xmlDocGetRootElement(doc));
    Adopt(doc);
}

void XmlDocument::New() {
    Free();
    fileName_.clear();
    doc_ = xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0"));
}

void XmlDocument::SetVersion(const QString& version) {
    RequireDoc();
    if (doc_->version)
        xmlFree(const_cast<xmlChar*>(doc_->version));
    doc_->version = xmlStrdup(bytes(toXml(version)));
}

void XmlDocument::SetEncoding(const QString& encoding) {
    RequireDoc();
    if (doc_->encoding)
        xmlFree(const_cast<xmlChar*>(doc_->encoding));
    doc_->encoding = encoding.isEmpty() ? nullptr : xmlStrdup(bytes(toXml(encoding)));
}

QString XmlDocument::Version() const {
    return doc_ ? fromXml(doc_->version) : QString();
}
QString XmlDocument::Encoding() const {
    return doc_ ? fromXml(doc_->encoding) : QString();
}

XmlNode XmlDocument::DocumentElement() const {
    if (!doc_)
        return XmlNode();
    return XmlNode(xmlDocGetRootElement(doc_), const_cast<XmlDocument*>(this));
}

XmlNode XmlDocument::AddRoot(const QString& name) {
    RequireDoc();
    if (xmlDocGetRootElement(doc_))
        throw XmlError(QStringLiteral("XML 文档已经有根元素。"));
    const QByteArray utf8 = toXml(name);
    if (xmlValidateName(bytes(utf8), 0) != 0)
        throw XmlError(QStringLiteral("“%1”不是合法的元素名。").arg(name));
    xmlNode* root = xmlNewDocNode(doc_, nullptr, bytes(utf8), nullptr);
    xmlDocSetRootElement(doc_, root);
    return XmlNode(root, this);
}

QByteArray XmlDocument::ToBytes() const {
    RequireDoc();
    if (!xmlDocGetRootElement(doc_))
        throw XmlError(QStringLiteral("XML 文档没有根元素。"));
    const QByteArray encoding = doc_->encoding
                                    ? QByteArray(reinterpret_cast<const char*>(doc_->encoding))
                                    : QByteArray("UTF-8");
    if (doc_->intSubset || doc_->extSubset)
        throw XmlError(QStringLiteral("文档含有文档类型声明，便签文件不能这样保存。"));
    QSet<const xmlChar*> known;
    requireWritable(doc_->children, encoding, known);
    xmlChar* mem = nullptr;
    int size = 0;
    xmlDocDumpMemoryEnc(doc_, &mem, &size, encoding.constData());
    if (!mem)
        throw XmlError(
            QStringLiteral("XML 文档无法用 %1 编码写入。").arg(QString::fromLatin1(encoding)));
    QByteArray out(reinterpret_cast<const char*>(mem), size);
    xmlFree(mem);
    return out;
}

namespace {

bool sameText(const xmlChar* a, const xmlChar* b) {
    return xmlStrEqual(a ? a : bytes(""), b ? b : bytes("")) != 0;
}

bool sameNs(const xmlNs* a, const xmlNs* b) {
    if (!a || !b)
        return a == b;
    return sameText(a->prefix, b->prefix) && sameText(a->href, b->href);
}

bool sameNodes(const xmlNode* a, const xmlNode* b) {
    for (; a && b; a = a->next, b = b->next) {
        if (a->type != b->type || !sameText(a->name, b->name) || !sameNs(a->ns, b->ns))
            return false;
        if (a->type == XML_ELEMENT_NODE) {
            const xmlNs* na = a->nsDef;
            const xmlNs* nb = b->nsDef;
            for (; na && nb; na = na->next, nb = nb->next)
                if (!sameNs(na, nb))
                    return false;
            if (na || nb)
                return false;
            const xmlAttr* pa = a->properties;
            const xmlAttr* pb = b->properties;
            for (; pa && pb; pa = pa->next, pb = pb->next) {
                if (!sameText(pa->name, pb->name) || !sameNs(pa->ns, pb->ns) ||
                    !sameNodes(pa->children, pb->children))
                    return false;
            }
            if (pa || pb || !sameNodes(a->children, b->children))
                return false;
        } else if (!sameText(a->content, b->content)) {
            return false;
        }
    }
    return !a && !b;
}

} // namespace

bool XmlDocument::SameContent(const XmlDocument& Other) const {
    if (!doc_ || !Other.doc_)
        return doc_ == Other.doc_;
    return sameText(doc_->version, Other.doc_->version) &&
           sameText(doc_->encoding, Other.doc_->encoding) &&
           sameNodes(doc_->children, Other.doc_->children);
}

void XmlDocument::Save(const QString& path) {
    FileIO::WriteFileAtomically(path, ToBytes());
}
