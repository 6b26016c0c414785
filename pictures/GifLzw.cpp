#include "GifLzw.h"

#include "Graphics.h"

#include <algorithm>
#include <cstring>

namespace {
[[noreturn]] void RaiseCorrupt() {
    throw EInvalidGraphicOperation(QStringLiteral("GIF encoded data is corrupt"));
}
} // namespace

TGifLzwDecoder::TGifLzwDecoder(const uchar* data, qsizetype size, int codeSize, int colourCount)
    : FCursor{data, data + size, 0, 0, codeSize + 1, (1 << codeSize) + 2}, FCodeSize(codeSize),
      FColourCount(colourCount) {}

inline int TGifLzwDecoder::NextCode(TCursor& cursor) {
    while (cursor.BitCount < cursor.Width) {
        if (cursor.Data == cursor.End)
            return -1;
        cursor.Bits |= quint32(*cursor.Data++) << cursor.BitCount;
        cursor.BitCount += 8;
    }
    const int code = int(cursor.Bits & ((1u << cursor.Width) - 1));
    cursor.Bits >>= cursor.Width;
    cursor.BitCount -= cursor.Width;
    return code;
}

void TGifLzwDecoder::Expand(int code) {
    FStringLength = FLength[code];
    for (int i = FStringLength - 1; i > 0; --i) {
        FString[i] = FLast[code];
        code = FPrefix[code];
    }
    FString[0] = FLast[code];
    FPending = 0;
}

inline int TGifLzwDecoder::NextString(TCursor& cursor) {
    const int clearCode = 1 << FCodeSize;
    for (;;) {
        const int code = NextCode(cursor);
        if (code < 0 || code == clearCode + 1)
            return -1;
        if (code == clearCode) {
            cursor.Width = FCodeSize + 1;
            cursor.Next = clearCode + 2;
            cursor.Previous = -1;
            continue;
        }
        const int next = cursor.Next;
        const int previous = cursor.Previous;
        if (code > next || (code == next && previous < 0))
            RaiseCorrupt();
        if (code < clearCode) {
            FLast[code] = FFirst[code] = code < FColourCount ? uchar(code) : 0;
            FLength[code] = 1;
        }
        // A new string: the previous one and the first index of this one, which for the code
        // being defined right now is the previous string's own first index.
        if (previous >= 0 && next < MaxCodes) {
            FPrefix[next] = std::uint16_t(previous);
            FLast[next] = code == next ? FFirst[previous] : FFirst[code];
            FFirst[next] = FFirst[previous];
            FLength[next] = std::uint16_t(FLength[previous] + 1);
            FStart[next] = cursor.PreviousStart;
            cursor.Next = next + 1;
            if (cursor.Next == (1 << cursor.Width) && cursor.Width < MaxCodeBits)
                ++cursor.Width;
        }
        cursor.Previous = code;
        return code;
    }
}

inline qsizetype TGifLzwDecoder::Emit(int code, uchar* buffer, qsizetype written, qsizetype count,
                                      qint64 bufferAt) {
    uchar* out = buffer + written;
    const qint64 at = bufferAt + written;
    const int length = FLength[code];
    if (length == 1) {
        *out = FLast[code];
        return 1;
    }
    const qint64 start = FStart[code];
    FStart[code] = at;
    if (length <= count - written && start >= bufferAt) {
        const uchar* copy = buffer + (start - bufferAt);
        // The string defined by its own use ends where it starts being handed out: its last
        // index is its first.
        if (start + length - 1 == at) {
            std::memcpy(out, copy, size_t(length - 1));
            out[length - 1] = FFirst[code];
        } else {
            std::memcpy(out, copy, size_t(length));
        }
        return length;
    }
    Expand(code);
    FPending = int(std::min<qsizetype>(length, count - written));
    std::memcpy(out, FString, size_t(FPending));
    return FPending;
}

qsizetype TGifLzwDecoder::Read(uchar* out, qsizetype count) {
    if (count <= 0)
        return 0; // a frame no pixel wide has no row buffer either
    const qint64 outAt = FPosition;
    qsizetype written = std::min<qsizetype>(FStringLength - FPending, count);
    std::memcpy(out, FString + FPending, size_t(written));
    FPending += int(written);
    TCursor cursor = FCursor;
    while (written < count && !FEnded) {
        const int code = NextString(cursor);
        if (code < 0) {
            FEnded = true;
        } else {
            cursor.PreviousStart = outAt + written;
            written += Emit(code, out, written, count, outAt);
        }
    }
    FCursor = cursor;
    FPosition = outAt + written;
    return written;
}

void DecodeGifLzw(const uchar* data, qsizetype size, int codeSize, int colourCount, uchar* out,
                  qsizetype pixelCount) {
    TGifLzwDecoder(data, size, codeSize, colourCount).Read(out, pixelCount);
}
