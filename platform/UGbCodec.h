// The notes file's encodings, fast: GB18030 (which reads GB2312 and GBK files)
// to UTF-8, and UTF-8 to strict GB2312. Both go through tables made once from
// the system's iconv, so they give exactly what iconv gives, at a small part
// of its cost per character (iconv costs more than parsing the whole file).
#pragma once

#include <QByteArray>

namespace GbCodec {

// Decodes GB18030 bytes to UTF-8. False when a byte sequence is not GB18030,
// with BadOffset the offset of the first such byte.
bool Gb18030ToUtf8(const QByteArray& In, QByteArray& Out, qsizetype& BadOffset);

// Encodes UTF-8 as GB2312 after the converter convention of libxml2: as much
// of In as fits is converted, *InLength and *OutLength are set to the bytes
// read and written, and the result is the bytes written, or -2 when the
// character at *InLength has no GB2312 code (or In is not UTF-8 there).
int Utf8ToGb2312(const unsigned char* In, int* InLength, unsigned char* Out, int* OutLength);

// True when every character of the UTF-8 text has a GB2312 code.
bool FitsGb2312(const char* Utf8, qsizetype Length);

} // namespace GbCodec
