#include "GifSamples.h"

#include <algorithm>
#include <bit>
#include <vector>

namespace {

constexpr int MaxCodes = 4096;

class TBitWriter {
public:
    void Put(int code, int width) {
        FBits |= quint32(code) << FCount;
        FCount += width;
        while (FCount >= 8) {
            FBytes.append(char(FBits & 0xFF));
            FBits >>= 8;
            FCount -= 8;
        }
    }
    QByteArray Finish() {
        if (FCount > 0)
            FBytes.append(char(FBits & 0xFF));
        return FBytes;
    }

private:
    QByteArray FBytes;
    quint32 FBits = 0;
    int FCount = 0;
};

// The code width the decoder uses after the k-th code since the last clear: its table then
// holds clear + 1 + k entries (it adds one per code from the second on).
int WidthAfter(int clearCode, int codeSize, int k) {
    const int decoderNext = std::min(MaxCodes, clearCode + 1 + k);
    return std::clamp(int(std::bit_width(unsigned(decoderNext))), codeSize + 1, 12);
}

void PutWord(QByteArray& bytes, int value) {
    bytes.append(char(value & 0xFF));
    bytes.append(char((value >> 8) & 0xFF));
}

int TableBits(int count) {
    int bits = 1;
    while ((1 << bits) < count)
        ++bits;
    return bits;
}

void PutTable(QByteArray& bytes, const QList<QRgb>& table) {
    for (QRgb colour : table) {
        bytes.append(char(qRed(colour)));
        bytes.append(char(qGreen(colour)));
        bytes.append(char(qBlue(colour)));
    }
}

QByteArray StoredOrder(const TGifSampleFrame& frame) {
    if (!frame.Interlaced)
        return frame.Indexes;
    static constexpr int Passes[4][2] = {{0, 8}, {4, 8}, {2, 4}, {1, 2}};
    QByteArray stored;
    for (const auto& pass : Passes)
        for (int row = pass[0]; row < frame.Height; row += pass[1])
            stored.append(frame.Indexes.mid(qsizetype(row) * frame.Width, frame.Width));
    return stored;
}

} // namespace

QByteArray EncodeGifLzw(const QByteArray& indexes, int codeSize, bool freezeWhenFull) {
    const int clearCode = 1 << codeSize;
    std::vector<int> codeOf(size_t(MaxCodes) * 256, -1);
    std::vector<int> generationOf(codeOf.size(), -1);
    int generation = 0;
    int next = clearCode + 2;
    int emitted = 0;
    TBitWriter writer;
    writer.Put(clearCode, codeSize + 1);

    auto put = [&](int code) { writer.Put(code, WidthAfter(clearCode, codeSize, emitted++)); };
    int current = -1;
    for (char c : indexes) {
        const int index = uchar(c);
        if (current < 0) {
            current = index;
            continue;
        }
        const size_t slot = size_t(current) * 256 + size_t(index);
        if (generationOf[slot] == generation) {
            current = codeOf[slot];
            continue;
        }
        put(current);
        if (next < MaxCodes) {
            codeOf[slot] = next++;
            generationOf[slot] = generation;
        }
        if (next == MaxCodes && !freezeWhenFull) {
            put(clearCode);
            ++generation;
            next = clearCode + 2;
            emitted = 0;
        }
        current = index;
    }
    if (current >= 0)
        put(current);
    put(clearCode + 1);
    return writer.Finish();
}

QByteArray GifSubBlocks(const QByteArray& data) {
    QByteArray blocks;
    for (qsizetype pos = 0; pos < data.size(); pos += 255) {
        const QByteArray block = data.mid(pos, 255);
        blocks.append(char(block.size()));
        blocks.append(block);
    }
    blocks.append(char(0));
    return blocks;
}

TGifSampleWriter::TGifSampleWriter(int screenWidth, int screenHeight,
                                   const QList<QRgb>& globalTable, const QByteArray& version) {
    FBytes = "GIF" + version;
    PutWord(FBytes, screenWidth);
    PutWord(FBytes, screenHeight);
    FBytes.append(
        char(globalTable.isEmpty() ? 0 : 0x80 | (TableBits(int(globalTable.size())) - 1)));
    FBytes.append(char(0));
    FBytes.append(char(0));
    PutTable(FBytes, globalTable);
}

void TGifSampleWriter::AddExtension(uchar label, const QByteArray& body) {
    FBytes.append(char(0x21));
    FBytes.append(char(label));
    FBytes.append(GifSubBlocks(body));
}

void TGifSampleWriter::AddFrame(const TGifSampleFrame& frame) {
    int codeSize = frame.CodeSize;
    if (codeSize == 0) {
        int largest = 1;
        for (char index : frame.Indexes)
            largest = std::max(largest, int(uchar(index)));
        codeSize = std::max(2, TableBits(largest + 1));
    }
    TGifSampleFrame sized = frame;
    sized.CodeSize = codeSize;
    AddRawFrame(sized, GifSubBlocks(EncodeGifLzw(StoredOrder(frame), codeSize)));
}

void TGifSampleWriter::AddRawFrame(const TGifSampleFrame& frame, const QByteArray& lzwData) {
    if (frame.TransparentIndex >= 0) {
        QByteArray control(4, char(0));
        control[0] = char(0x01);
        control[3] = char(frame.TransparentIndex);
        AddExtension(0xF9, control);
    }
    FBytes.append(char(0x2C));
    PutWord(FBytes, frame.Left);
    PutWord(FBytes, frame.Top);
    PutWord(FBytes, frame.Width);
    PutWord(FBytes, frame.Height);
    char packed = frame.Interlaced ? 0x40 : 0;
    if (!frame.LocalTable.isEmpty())
        packed = char(packed | 0x80 | (TableBits(int(frame.LocalTable.size())) - 1));
    FBytes.append(packed);
    PutTable(FBytes, frame.LocalTable);
    FBytes.append(char(frame.CodeSize));
    FBytes.append(lzwData);
}

QByteArray TGifSampleWriter::Bytes(bool withTrailer) const {
    return withTrailer ? FBytes + char(0x3B) : FBytes;
}

QByteArray RedBlueGif(int width, int height, const QByteArray& indexes) {
    TGifSampleWriter writer(width, height, {qRgb(255, 0, 0), qRgb(0, 0, 255)});
    TGifSampleFrame frame;
    frame.Width = width;
    frame.Height = height;
    frame.Indexes = indexes;
    writer.AddFrame(frame);
    return writer.Bytes();
}
