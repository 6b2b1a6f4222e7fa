#include "UXmlDoc.h"

#include <QFile>
#include <QSaveFile>

#include <libxml/encoding.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlsave.h>

#include <cerrno>
#include <iconv.h>
#include <mutex>

namespace {

std::function<void()>& beforeCommitHook() {
    static std::function<void()> hook;
    return hook;
}

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
    thread_local Iconv cd("GB2312", "UTF-8");
    return convert(cd, out, outlen, in, inlen);
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
            throw XmlError(
                QStringLiteral("The text holds the character U+%1, which an XML file cannot store.")
                    .arg(QString::number(uint(c), 16)
                             .toUpper()
                             .rightJustified(4, QLatin1Char('0'))));
    }
}

bool encodable(const QByteArray& utf8, const QByteArray& encoding) {
    const QByteArray upper = encoding.toUpper();
    if (upper.startsWith("UTF") || upper.startsWith("UCS"))
        return true;
    Iconv cd(upper == "GB2312" ? "GB2312" : encoding.constData(), "UTF-8");
    if (!cd.Ok())
        return true; // libxml2 itself will refuse an unknown encoding
    QByteArray out(utf8.size() * 4 + 16, Qt::Uninitialized);
    int inlen = int(utf8.size());
    int outlen = int(out.size());
    return cd.Convert(reinterpret_cast<const unsigned char*>(utf8.constData()), &inlen,
                      reinterpret_cast<unsigned char*>(out.data()), &outlen) == 0;
}

// Names, comments and processing instructions cannot carry character
// references: a character the encoding cannot hold there would make the file
// unreadable, so such a document is not saved at all.
void requireWritable(const xmlNode* n, const QByteArray& encoding) {
    for (; n; n = n->next) {
        const xmlChar* raw = nullptr;
        const char* what = nullptr;
        switch (n->type) {
        case XML_ELEMENT_NODE:
            raw = n->name;
            what = "element name";
            break;
        case XML_COMMENT_NODE:
            raw = n->content;
            what = "comment";
            break;
        case XML_PI_NODE:
            raw = n->content;
            what = "processing instruction";
            break;
        default:
            break;
        }
        if (raw) {
            const QByteArray utf8(reinterpret_cast<const char*>(raw));
            if (!encodable(utf8, encoding))
                throw XmlError(QStringLiteral("The %1 \"%2\" cannot be written in the encoding %3.")
                                   .arg(QLatin1String(what), QString::fromUtf8(utf8),
                                        QString::fromLatin1(encoding)));
        }
        if (n->type == XML_ELEMENT_NODE)
            requireWritable(n->children, encoding);
    }
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
    Iconv cd("UTF-8", "GB18030");
    if (!cd.Ok())
        return false;
    utf8.resize(data.size() * 2 + 16);
    int inlen = int(data.size());
    int outlen = int(utf8.size());
    const int err = cd.Convert(reinterpret_cast<const unsigned char*>(data.constData()), &inlen,
                               reinterpret_cast<unsigned char*>(utf8.data()), &outlen);
    if (err != 0) {
        badOffset = inlen;
        return false;
    }
    utf8.resize(outlen);
    return true;
}

} // namespace

XmlError::XmlError(const QString& message) : std::runtime_error(message.toStdString()) {}

// ---- XmlNode ---------------------------------------------------------------

void XmlNode::Require() const {
    if (!node_)
        throw XmlError(QStringLiteral("The node does not exist."));
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
    throw XmlError(QStringLiteral("The index %1 lies outside the %2 children of <%3>.")
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
    throw XmlError(
        QStringLiteral("The element <%1> holds more than one piece of text.").arg(Name()));
}

void XmlNode::SetText(const QString& text) const {
    Require();
    requireXmlText(text);
    const QByteArray utf8 = toXml(text);
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

XmlNode XmlNode::AddChild(const QString& name) const {
    Require();
    const QByteArray utf8 = toXml(name);
    if (node_->type != XML_ELEMENT_NODE)
        throw XmlError(QStringLiteral("Only an element can hold child elements."));
    if (xmlValidateName(bytes(utf8), 0) != 0)
        throw XmlError(QStringLiteral("\"%1\" is not a valid element name.").arg(name));
    xmlNode* c = xmlNewDocNode(node_->doc, nullptr, bytes(utf8), nullptr);
    xmlAddChild(node_, c);
    return XmlNode(c, owner_);
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
        throw XmlError(QStringLiteral("The XML document is empty."));
}

bool XmlDocument::IsEmpty() const {
    return doc_ == nullptr;
}

void XmlDocument::Load(const QString& path) {
    Free();
    fileName_.clear();
    QFile file(path);
    if (!file.exists())
        throw XmlError(QStringLiteral("The file \"%1\" does not exist.").arg(path));
    if (!file.open(QIODevice::ReadOnly))
        throw XmlError(
            QStringLiteral("The file \"%1\" cannot be read: %2").arg(path, file.errorString()));
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw XmlError(
            QStringLiteral("The file \"%1\" cannot be read: %2").arg(path, file.errorString()));
    LoadFromBytes(data, path);
    fileName_ = path;
}

void XmlDocument::LoadFromBytes(const QByteArray& data, const QString& sourceName) {
    Free();
    fileName_.clear();
    const QString source = sourceName.isEmpty() ? QStringLiteral("The XML text")
                                                : QStringLiteral("The file \"%1\"").arg(sourceName);
    std::unique_ptr<xmlParserCtxt, void (*)(xmlParserCtxtPtr)> ctxt(xmlNewParserCtxt(),
                                                                    xmlFreeParserCtxt);
    if (!ctxt)
        throw XmlError(QStringLiteral("Out of memory while reading XML."));
    // No entity substitution, no DTD loading, no network: libxml2 keeps entity
    // expansion bounded on its own (its amplification checks stay on without
    // XML_PARSE_HUGE).
    const int options = XML_PARSE_NONET | XML_PARSE_NOWARNING;
    // The first error tells where the file goes wrong; libxml2 may report
    // follow-up errors after it. Collecting them also keeps them off stderr.
    struct FirstError {
        bool seen = false;
        int line = 0;
        QString message;
    } first;
    xmlSetStructuredErrorFunc(&first, [](void* user, xmlErrorPtr error) {
        auto* f = static_cast<FirstError*>(user);
        if (f->seen || !error || error->level < XML_ERR_ERROR)
            return;
        f->seen = true;
        f->line = error->line;
        f->message = QString::fromUtf8(error->message ? error->message : "").trimmed();
    });
    // libxml2 decodes through converters in small chunks, several times slower
    // than parsing itself; a GB2312 file (the notes file) is decoded here in
    // one pass instead and parsed as UTF-8.
    int parseOptions = options;
    QByteArray utf8;
    const QByteArray* input = &data;
    if (declaresGb2312(data)) {
        qsizetype badOffset = -1;
        if (!gb18030ToUtf8(data, utf8, badOffset)) {
            xmlSetStructuredErrorFunc(nullptr, nullptr);
            const int line = int(data.left(badOffset).count('\n')) + 1;
            throw XmlError(QStringLiteral("%1 is not well-formed XML at line %2: bytes that are "
                                          "not GB2312/GB18030 text")
                               .arg(source)
                               .arg(line));
        }
        input = &utf8;
        parseOptions |= XML_PARSE_IGNORE_ENC;
    }
    xmlDoc* doc = xmlCtxtReadMemory(ctxt.get(), input->constData(), int(input->size()), nullptr,
                                    nullptr, parseOptions);
    if (doc && input == &utf8) {
        if (doc->encoding)
            xmlFree(const_cast<xmlChar*>(doc->encoding));
        doc->encoding = xmlStrdup(reinterpret_cast<const xmlChar*>("GB2312"));
    }
    xmlSetStructuredErrorFunc(nullptr, nullptr);
    if (!doc || !ctxt->wellFormed) {
        if (doc)
            xmlFreeDoc(doc);
        const xmlError* err = xmlCtxtGetLastError(ctxt.get());
        QString detail = first.seen            ? first.message
                         : err && err->message ? QString::fromUtf8(err->message).trimmed()
                                               : QStringLiteral("unknown error");
        const int line = first.seen ? first.line : err ? err->line : 0;
        if (data.isEmpty())
            detail = QStringLiteral("the file is empty");
        throw XmlError(QStringLiteral("%1 is not well-formed XML at line %2: %3")
                           .arg(source)
                           .arg(line)
                           .arg(detail));
    }
    if (!xmlDocGetRootElement(doc)) {
        xmlFreeDoc(doc);
        throw XmlError(QStringLiteral("%1 has no root element.").arg(source));
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
        throw XmlError(QStringLiteral("The XML document already has a root element."));
    const QByteArray utf8 = toXml(name);
    if (xmlValidateName(bytes(utf8), 0) != 0)
        throw XmlError(QStringLiteral("\"%1\" is not a valid element name.").arg(name));
    xmlNode* root = xmlNewDocNode(doc_, nullptr, bytes(utf8), nullptr);
    xmlDocSetRootElement(doc_, root);
    return XmlNode(root, this);
}

QByteArray XmlDocument::ToBytes() const {
    RequireDoc();
    if (!xmlDocGetRootElement(doc_))
        throw XmlError(QStringLiteral("The XML document has no root element."));
    const QByteArray encoding = doc_->encoding
                                    ? QByteArray(reinterpret_cast<const char*>(doc_->encoding))
                                    : QByteArray("UTF-8");
    requireWritable(xmlDocGetRootElement(doc_), encoding);
    xmlChar* mem = nullptr;
    int size = 0;
    xmlDocDumpMemoryEnc(doc_, &mem, &size, encoding.constData());
    if (!mem)
        throw XmlError(QStringLiteral("The XML document cannot be written in the encoding %1.")
                           .arg(QString::fromLatin1(encoding)));
    QByteArray out(reinterpret_cast<const char*>(mem), size);
    xmlFree(mem);
    return out;
}

void XmlDocument::Save(const QString& path) {
    const QByteArray content = ToBytes();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw XmlError(
            QStringLiteral("The file \"%1\" cannot be written: %2").arg(path, file.errorString()));
    if (file.write(content) != content.size()) {
        const QString why = file.errorString();
        file.cancelWriting();
        throw XmlError(QStringLiteral("The file \"%1\" cannot be written: %2").arg(path, why));
    }
    if (const auto& hook = beforeCommitHook())
        hook();
    if (!file.commit())
        throw XmlError(
            QStringLiteral("The file \"%1\" cannot be written: %2").arg(path, file.errorString()));
}

namespace XmlTesting {
void SetBeforeCommitHook(std::function<void()> hook) {
    beforeCommitHook() = std::move(hook);
}
} // namespace XmlTesting
