#include "GifLzw.h"

#include "Graphics.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int MaxCodeBits = 12;
constexpr int MaxCodes = 1 << MaxCodeBits;

[[noreturn]] void RaiseCorrupt() {
    throw EInvalidGraphicOperation(QStringLiteral("GIF encoded data is corrupt"));
}

// Codes packed least significant bit first into consecutive bytes.
class TCodeReader {
public:
    TCodeReader(const uchar* data, qsizetype size) : FData(data), FEnd(data + size) {}

    // Gives the next code of width bits, or -1 when the data has run out.
    int Next(int width) {
        while (FBitCount < width) {
            if (FData == FEnd)
                return -1;
            FBits |= quint32(*FData++) << FBitCount;
            FBitCount += 8;
        }
        const int code = int(FBits & ((1u << width) - 1));
        FBits >>= width;
        FBitCount -= width;
        return code;
    }

private:
    const uchar* FData;
    const uchar* FEnd;
    quint32 FBits = 0;
    int FBitCount = 0;
};

} // namespace

// Every table entry after the literals is a string already written to out: it is kept as its
// position and length there, so expanding a code is one copy from earlier output.
void DecodeGifLzw(const uchar* data, qsizetype size, int codeSize, int colourCount, uchar* out,
                  qsizetype pixelCount) {
    const int clearCode = 1 << codeSize;
    const int endCode = clearCode + 1;
    qsizetype start[MaxCodes];
    int length[MaxCodes];
    TCodeReader reader(data, size);
    int width = codeSize + 1;
    int next = clearCode + 2;
    int previous = -1;
    qsizetype previousStart = 0;
    qsizetype pos = 0;

    while (pos < pixelCount) {
        const int code = reader.Next(width);
        if (code < 0 || code == endCode)
            return;
        if (code == clearCode) {
            width = codeSize + 1;
            next = clearCode + 2;
            previous = -1;
            continue;
        }
        if (code > next || (code == next && previous < 0))
            RaiseCorrupt();

        const qsizetype room = pixelCount - pos;
        if (code < clearCode) {
            out[pos] = code < colourCount ? uchar(code) : 0;
            length[code] = 1;
        } else if (code < next) {
            std::memcpy(out + pos, out + start[code],
                        size_t(std::min<qsizetype>(length[code], room)));
        } else {
            // The code being defined right now: the previous string and its own first index.
            const qsizetype count = std::min<qsizetype>(length[previous], room);
            std::memcpy(out + pos, out + previousStart, size_t(count));
            if (count < room)
                out[pos + count] = out[previousStart];
            length[code] = length[previous] + 1;
        }
        const int written = code < clearCode ? 1
                            : code == next   ? length[previous] + 1
                                             : length[code];

        if (previous >= 0 && next < MaxCodes) {
            start[next] = previousStart;
            length[next] = length[previous] + 1;
            ++next;
            if (next == (1 << width) && width < MaxCodeBits)
                ++width;
        }
        previous = code;
        previousStart = pos;
        pos += written;
    }
}
