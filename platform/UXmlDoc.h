// A small XML document object model on libxml2: exactly what the notes file
// needs (load, new document, declaration, root, child lists, name, next
// sibling and parent, element text, append child, save) and nothing more.
//
// Failures are thrown as XmlError (a FileError), whose text is meant for the
// user: Chinese, naming the file and what went wrong.
//
// Loading is safe for files from anywhere and costs time in proportion to the
// file's size: only the file's own bytes are read (no network, no external
// entity), a document type declaration is refused (the notes file never has
// one, and it is where entity bombs and attribute defaults come from), and so
// are shapes that would make the parser slow on purpose: more than
// MaxAttributesPerElement attributes on one element, more than
// MaxNamespaceDeclarations namespace declarations in the file, a file larger
// than MaxFileBytes. Whitespace-only text between markup is dropped, so an
// indented file reads like an unindented one.
//
// Encodings: a file that declares "GB2312" is decoded as GB18030 (the superset
// that GBK files from Windows need); a document whose encoding is "GB2312" is
// written in strict GB2312 bytes, every character GB2312 cannot hold as a
// numeric character reference. Other declared encodings are read as declared.
//
// Saves are atomic (FileIO::WriteFileAtomically): a failed or interrupted
// save leaves the old file whole. A document that cannot be written as a file
// this loader reads back (a name, comment or instruction the encoding cannot
// hold, a text longer than the loader takes) is refused before anything is
// written.
#pragma once

#include "UFileIO.h"

#include <QString>

struct _xmlNode;
struct _xmlDoc;

class XmlError : public FileError {
public:
    using FileError::FileError;
};

class XmlDocument;

// A handle on one node of a document. It stays valid while the node belongs to
// the document it came from (until that document is loaded again, started
// anew or destroyed). A null handle stands for "none".
class XmlNode {
public:
    XmlNode() = default;

    bool IsNull() const { return node_ == nullptr; }
    explicit operator bool() const { return node_ != nullptr; }
    bool operator==(const XmlNode& other) const { return node_ == other.node_; }

    bool IsElement() const;
    // Element name; "#text", "#cdata-section", "#comment" or the target of a
    // processing instruction for the other kinds of node.
    QString Name() const;
    // Name() == the name given in UTF-8, without building a QString: for walks
    // that ask it of every node.
    bool NameIs(const QByteArray& utf8Name) const;
    XmlNode NextSibling() const; // null after the last child
    XmlNode Parent() const;      // null for the root element

    // The child list, in document order, indexes from 0. Text, character data,
    // comments and processing instructions count as children like elements.
    XmlNode FirstChild() const;
    int ChildCount() const;
    XmlNode Child(int index) const;               // XmlError outside 0 .. ChildCount()-1
    int IndexOf(const XmlNode& child) const;      // -1 when it is not a child
    void RemoveChild(int index) const;            // XmlError outside the list
    XmlNode FindChild(const QString& name) const; // first child element of that name, or null

    // An element's text: its one piece of text or one character-data section,
    // empty when it has no content; anything else (child elements, comments,
    // several pieces) is an XmlError. For a text, comment or processing
    // instruction node: its content.
    QString Text() const;
    // Replaces the content with the one text. XmlError for a character that
    // XML 1.0 cannot hold (control characters other than tab, CR and LF) and
    // for a text longer than the loader reads back (XmlDocument::MaxTextBytes).
    void SetText(const QString& text) const;

    // Appends a new child element after the last child and returns it.
    XmlNode AddChild(const QString& name) const;
    // Puts a new child element right after the child After (at the front when
    // After is null) and returns it.
    XmlNode InsertChildAfter(const XmlNode& after, const QString& name) const;

    // The value of an attribute, or a null string when the element has none
    // of that name.
    QString Attribute(const QString& name) const;
    bool HasAttributes() const;
    // Sets an attribute (an empty Value removes it).
    void SetAttribute(const QString& name, const QString& value) const;

private:
    friend class XmlDocument;
    XmlNode(_xmlNode* node, XmlDocument* owner) : node_(node), owner_(owner) {}
    void Require() const;
    _xmlNode* ChildAt(int index) const;

    _xmlNode* node_ = nullptr;
    XmlDocument* owner_ = nullptr;
};

class XmlDocument {
public:
    // What the loader takes: libxml2's own limit on one text (without its
    // "huge" option), and the bounds that keep hostile files cheap.
    static constexpr qsizetype MaxTextBytes = 10'000'000;
    static constexpr qsizetype MaxFileBytes = 256 * 1024 * 1024;
    static constexpr int MaxAttributesPerElement = 64;
    static constexpr int MaxNamespaceDeclarations = 64;

    XmlDocument();
    ~XmlDocument();
    XmlDocument(const XmlDocument&) = delete;
    XmlDocument& operator=(const XmlDocument&) = delete;

    // Parses the whole file and replaces what the document held. A missing
    // or not well-formed file is an XmlError (its text names the file and, for
    // a syntax error, the line), and the document then holds nothing.
    void Load(const QString& path);
    // Parses XML text given as bytes (same rules as Load).
    void LoadFromBytes(const QByteArray& bytes, const QString& sourceName = QString());

    // Drops whatever the document held (tree and file name) and starts a new
    // empty one, without declaration or root.
    void New();
    // True when the document holds no tree at all (never loaded, or its last
    // load failed).
    bool IsEmpty() const;
    // The file the document was last loaded from; empty after New().
    QString FileName() const { return fileName_; }

    // The declaration; setting either creates the declaration when the
    // document has none. Version "1.0" is the default.
    void SetVersion(const QString& version);
    void SetEncoding(const QString& encoding);
    QString Version() const;
    QString Encoding() const;

    XmlNode DocumentElement() const; // null when there is none
    // Adds the root element; XmlError when the document already has one.
    XmlNode AddRoot(const QString& name);

    // Writes the declaration and the tree, without indentation, in the
    // declared encoding (UTF-8 when none is declared), replacing the file
    // atomically. XmlError (or FileError) when the document holds nothing, has
    // no root, holds a name, comment or instruction the encoding cannot write,
    // or the file cannot be written; the file on disk is then left as it was.
    void Save(const QString& path);
    // The bytes Save would write (the same checks, nothing written).
    QByteArray ToBytes() const;

    // True when Other holds the same declaration and the same tree: the same
    // nodes in the same order, with the same names, namespaces, attributes
    // and texts. Two such documents give every reader the same answers.
    bool SameContent(const XmlDocument& Other) const;

private:
    friend class XmlNode;
    void Free();
    void Adopt(_xmlDoc* doc);
    void RequireDoc() const;

    _xmlDoc* doc_ = nullptr;
    QString fileName_;
};
