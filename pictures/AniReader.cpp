#include "AniReader.h"

#include "Exception.h"
#include "LittleEndian.h"

namespace {

constexpr int ChunkHeaderSize = 8;
constexpr int AniHeaderSize = 36;
constexpr quint32 IconFrames = 1; // frames are icon or cursor files, not raw bitmaps

[[noreturn]] void Damaged() {
    throw EReadError(QStringLiteral("Stream read error"));
}

struct TChunk {
    QByteArray Id;
    qint64 Data = 0; // offset of the chunk's data
    qint64 Size = 0;
};

// Walks the chunks in [begin, end), calling visit for each; a chunk past end is damage.
template <typename Visit>
void ForEachChunk(const QByteArray& data, qint64 begin, qint64 end, Visit visit) {
    qint64 at = begin;
    while (at + ChunkHeaderSize <= end) {
        const TChunk chunk{data.mid(at, 4), at + ChunkHeaderSize, PeekU32(data, at + 4)};
        if (chunk.Size > end - chunk.Data)
            Damaged();
        visit(chunk);
        at = chunk.Data + chunk.Size + (chunk.Size & 1);
    }
}

QList<int> ReadNumbers(const QByteArray& data, const TChunk& chunk) {
    QList<int> numbers;
    for (qint64 i = 0; i + 4 <= chunk.Size; i += 4)
        numbers.append(int(std::min<quint32>(PeekU32(data, chunk.Data + i), INT_MAX)));
    return numbers;
}

QString ReadText(const QByteArray& data, const TChunk& chunk) {
    const QByteArray bytes = data.mid(chunk.Data, chunk.Size);
    const qsizetype end = bytes.indexOf('\0');
    return QString::fromLocal8Bit(end < 0 ? bytes : bytes.left(end));
}

void ReadList(const QByteArray& data, const TChunk& list, TAniFile& ani) {
    if (list.Size < 4)
        Damaged();
    const QByteArray type = data.mid(list.Data, 4);
    ForEachChunk(data, list.Data + 4, list.Data + list.Size, [&](const TChunk& chunk) {
        if (type == "fram" && chunk.Id == "icon")
            ani.Frames.append(data.mid(chunk.Data, chunk.Size));
        else if (type == "INFO" && chunk.Id == "INAM")
            ani.Title = ReadText(data, chunk);
        else if (type == "INFO" && chunk.Id == "IART")
            ani.Author = ReadText(data, chunk);
    });
}

} // namespace

TAniFile ReadAni(const QByteArray& data) {
    if (data.size() < 12 || !data.startsWith("RIFF") || data.mid(8, 4) != "ACON")
        Damaged();
    const qint64 riffEnd = qint64(PeekU32(data, 4)) + ChunkHeaderSize;
    if (riffEnd > data.size())
        Damaged();
    TAniFile ani;
    bool haveHeader = false;
    quint32 flags = 0;
    int displayRate = 0;
    ForEachChunk(data, 12, riffEnd, [&](const TChunk& chunk) {
        if (chunk.Id == "anih") {
            if (chunk.Size < AniHeaderSize)
                Damaged();
            haveHeader = true;
            const quint32 bitCount = PeekU32(data, chunk.Data + 20);
            ani.ColorCount = bitCount == 0 ? 0 : qint64(1) << std::min<quint32>(bitCount, 32);
            displayRate = int(std::min<quint32>(PeekU32(data, chunk.Data + 28), INT_MAX));
            flags = PeekU32(data, chunk.Data + 32);
        } else if (chunk.Id == "rate") {
            ani.Rates = ReadNumbers(data, chunk);
        } else if (chunk.Id == "seq ") {
            ani.Sequence = ReadNumbers(data, chunk);
        } else if (chunk.Id == "LIST") {
            ReadList(data, chunk, ani);
        }
    });
    if (!haveHeader || (!(flags & IconFrames) && !ani.Frames.isEmpty()))
        Damaged();
    if (ani.Sequence.isEmpty()) {
        for (int i = 0; i < ani.Frames.size(); ++i)
            ani.Sequence.append(i);
    }
    for (int frame : ani.Sequence)
        if (frame >= ani.Frames.size())
            Damaged();
    while (ani.Rates.size() < ani.Sequence.size())
        ani.Rates.append(displayRate);
    ani.Rates.resize(ani.Sequence.size());
    return ani;
}
