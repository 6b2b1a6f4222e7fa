#include "UGbCodec.h"

#include <cerrno>
#include <cstdint>
#include <iconv.h>
#include <vector>

namespace {

constexpr int TrailCount = 0xFF - 0x40; // trail bytes 0x40 .. 0xFE

struct Tables {
    // Two-byte GB18030 (GBK) codes: [lead - 0x81][trail - 0x40] -> code point, 0 for none.
    std::vector<char32_t> Decode = std::vector<char32_t>(126 * TrailCount, 0);
    // Code point of the Basic Multilingual Plane -> GB2312 code (lead << 8 | trail), 0 for none.
    std::vector<uint16_t> Encode = std::vector<uint16_t>(0x10000, 0);
    iconv_t FourByte = reinterpret_cast<iconv_t>(-1);

    Tables() {
        // Every two-byte code of a range in one buffer, converted by as few
        // iconv calls as the codes that have no character allow.
        auto fill = [](const char* Encoding, int FirstLead, int LastLead, int FirstTrail,
                       int LastTrail, auto&& Store) {
            iconv_t cd = iconv_open("UTF-32LE", Encoding);
            if (cd == reinterpret_cast<iconv_t>(-1))
                return;
            std::vector<unsigned char> codes;
            for (int lead = FirstLead; lead <= LastLead; ++lead)
                for (int trail = FirstTrail; trail <= LastTrail; ++trail)
                    if (trail != 0x7F) {
                        codes.push_back(static_cast<unsigned char>(lead));
                        codes.push_back(static_cast<unsigned char>(trail));
                    }
            std::vector<char32_t> chars(codes.size() / 2);
            size_t at = 0; // pair index
            while (at < chars.size()) {
                char* src = reinterpret_cast<char*>(codes.data() + 2 * at);
                size_t srcLeft = codes.size() - 2 * at;
                char* dst = reinterpret_cast<char*>(chars.data() + at);
                size_t dstLeft = (chars.size() - at) * sizeof(char32_t);
                iconv(cd, nullptr, nullptr, nullptr, nullptr);
                const size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
                const size_t done = (codes.size() - srcLeft) / 2;
                // Each pair gives one character; a pair without one stops the call.
                for (size_t k = at; k < done; ++k)
                    Store(codes[2 * k], codes[2 * k + 1], chars[k]);
                if (r != size_t(-1) || (done <= at && srcLeft == 0))
                    break;
                at = done + 1; // skip the pair that has no character
            }
            iconv_close(cd);
        };
        fill("GB18030", 0x81, 0xFE, 0x40, 0xFE, [this](int lead, int trail, char32_t cp) {
            Decode[(lead - 0x81) * TrailCount + (trail - 0x40)] = cp;
        });
        fill("GB2312", 0xA1, 0xF7, 0xA1, 0xFE, [this](int lead, int trail, char32_t cp) {
            if (cp < 0x10000 && Encode[cp] == 0)
                Encode[cp] = uint16_t(lead << 8 | trail);
        });
        FourByte = iconv_open("UTF-32LE", "GB18030");
    }
};

const Tables& tables() {
    static const Tables t;
    return t;
}

char* putUtf8(char* Out, char32_t C) {
    if (C < 0x80) {
        *Out++ = char(C);
    } else if (C < 0x800) {
        *Out++ = char(0xC0 | (C >> 6));
        *Out++ = char(0x80 | (C & 0x3F));
    } else if (C < 0x10000) {
        *Out++ = char(0xE0 | (C >> 12));
        *Out++ = char(0x80 | ((C >> 6) & 0x3F));
        *Out++ = char(0x80 | (C & 0x3F));
    } else {
        *Out++ = char(0xF0 | (C >> 18));
        *Out++ = char(0x80 | ((C >> 12) & 0x3F));
        *Out++ = char(0x80 | ((C >> 6) & 0x3F));
        *Out++ = char(0x80 | (C & 0x3F));
    }
    return Out;
}

// The code point of the UTF-8 sequence at P (Left bytes available) and its
// length; length 0 for a sequence cut off by the end, -1 for one that is not
// UTF-8.
char32_t nextUtf8(const unsigned char* P, qsizetype Left, int& Length) {
    const unsigned char b = P[0];
    int n = b < 0x80             ? 1
            : (b & 0xE0) == 0xC0 ? 2
            : (b & 0xF0) == 0xE0 ? 3
            : (b & 0xF8) == 0xF0 ? 4
                                 : -1;
    if (n < 0 || (n == 2 && b < 0xC2)) {
        Length = -1;
        return 0;
    }
    if (Left < n) {
        Length = 0;
        return 0;
    }
    char32_t c = n == 1 ? b : n == 2 ? (b & 0x1F) : n == 3 ? (b & 0x0F) : (b & 0x07);
    for (int i = 1; i < n; ++i) {
        if ((P[i] & 0xC0) != 0x80) {
            Length = -1;
            return 0;
        }
        c = (c << 6) | (P[i] & 0x3F);
    }
    Length = n;
    return c;
}

} // namespace

namespace GbCodec {

bool Gb18030ToUtf8(const QByteArray& In, QByteArray& Out, qsizetype& BadOffset) {
    const Tables& t = tables();
    const auto* p = reinterpret_cast<const unsigned char*>(In.constData());
    const qsizetype size = In.size();
    // One byte gives at most one, two at most three, four at most four.
    Out.resize(size + size / 2 + 4);
    char* const begin = Out.data();
    char* o = begin;
    auto bad = [&](qsizetype At) {
        BadOffset = At;
        Out.clear();
        return false;
    };
    for (qsizetype i = 0; i < size;) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            *o++ = char(b);
            ++i;
            continue;
        }
        if (b == 0x80 || b == 0xFF || i + 1 >= size)
            return bad(i);
        const unsigned char n = p[i + 1];
        if (n >= 0x30 && n <= 0x39) {
            // A four-byte sequence (characters beyond GBK): rare, left to iconv.
            char32_t cp = 0;
            char* src = const_cast<char*>(In.constData() + i);
            size_t srcLeft = 4;
            char* dst = reinterpret_cast<char*>(&cp);
            size_t dstLeft = sizeof(cp);
            if (t.FourByte == reinterpret_cast<iconv_t>(-1) || size - i < 4)
                return bad(i);
            iconv(t.FourByte, nullptr, nullptr, nullptr, nullptr);
            if (iconv(t.FourByte, &src, &srcLeft, &dst, &dstLeft) == size_t(-1) || srcLeft != 0)
                return bad(i);
            o = putUtf8(o, cp);
            i += 4;
            continue;
        }
        const char32_t cp = (n >= 0x40 && n != 0x7F && n != 0xFF)
                                ? t.Decode[(b - 0x81) * TrailCount + (n - 0x40)]
                                : 0;
        if (cp == 0)
            return bad(i);
        o = putUtf8(o, cp);
        i += 2;
    }
    Out.resize(o - begin);
    return true;
}

int Utf8ToGb2312(const unsigned char* In, int* InLength, unsigned char* Out, int* OutLength) {
    if (!In || !InLength) { // libxml2's start and flush calls
        *OutLength = 0;
        if (InLength)
            *InLength = 0;
        return 0;
    }
    const Tables& t = tables();
    const int inSize = *InLength;
    const int outSize = *OutLength;
    int in = 0;
    int out = 0;
    int result = 0;
    while (in < inSize) {
        if (In[in] < 0x80) {
            if (out >= outSize)
                break;
            Out[out++] = In[in++];
            continue;
        }
        int length = 0;
        const char32_t c = nextUtf8(In + in, inSize - in, length);
        if (length == 0)
            break; // cut off: the rest comes with the next call
        const uint16_t code = (length > 0 && c < 0x10000) ? t.Encode[c] : 0;
        if (code == 0) {
            result = -2;
            break;
        }
        if (out + 2 > outSize)
            break;
        Out[out++] = static_cast<unsigned char>(code >> 8);
        Out[out++] = static_cast<unsigned char>(code & 0xFF);
        in += length;
    }
    *InLength = in;
    *OutLength = out;
    return result == -2 ? -2 : out;
}

bool FitsGb2312(const char* Utf8, qsizetype Length) {
    const Tables& t = tables();
    const auto* p = reinterpret_cast<const unsigned char*>(Utf8);
    for (qsizetype i = 0; i < Length;) {
        if (p[i] < 0x80) {
            ++i;
            continue;
        }
        int length = 0;
        const char32_t c = nextUtf8(p + i, Length - i, length);
        if (length <= 0 || c >= 0x10000 || t.Encode[c] == 0)
            return false;
        i += length;
    }
    return true;
}

} // namespace GbCodec
