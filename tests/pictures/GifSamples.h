#pragma once
// Makes GIF files for tests and benchmarks: a real LZW encoder and a block-by-block writer.

#include <QByteArray>
#include <QList>
#include <QRgb>

// Encodes colour indexes (each below 2^codeSize) as GIF LZW data with the given minimum code
// size, as one byte string (not yet cut into sub-blocks). A full table is cleared unless
// freezeWhenFull, which keeps using it unchanged to the end.
QByteArray EncodeGifLzw(const QByteArray& indexes, int codeSize, bool freezeWhenFull = false);

// Cuts data into sub-blocks of at most 255 bytes and the zero terminator.
QByteArray GifSubBlocks(const QByteArray& data);

struct TGifSampleFrame {
    int Width = 0;
    int Height = 0;
    QByteArray Indexes;        // Width x Height colour indexes, top row first
    QList<QRgb> LocalTable;    // written when not empty (2, 4, 8 ... 256 entries)
    bool Interlaced = false;   // the rows are then stored in the four-pass order
    int TransparentIndex = -1; // >= 0 writes a graphic control block before the frame
    int CodeSize = 0;          // 0: the bits of the largest index, at least 2
    int Left = 0;
    int Top = 0;
};

// Writes a GIF file block by block.
class TGifSampleWriter {
public:
    // Header with version ("87a" or "89a" or anything to test refusal) and logical screen.
    TGifSampleWriter(int screenWidth, int screenHeight, const QList<QRgb>& globalTable = {},
                     const QByteArray& version = "89a");
    // An extension block of the label with body as its one sub-block.
    void AddExtension(uchar label, const QByteArray& body);
    void AddFrame(const TGifSampleFrame& frame);
    // The image descriptor and colour table of frame followed by the given LZW data as is.
    void AddRawFrame(const TGifSampleFrame& frame, const QByteArray& lzwData);
    // The file so far, with the trailer when asked.
    QByteArray Bytes(bool withTrailer = true) const;

private:
    QByteArray FBytes;
};

// A one-frame GIF of the given size over the two-colour table red, blue.
QByteArray RedBlueGif(int width, int height, const QByteArray& indexes);
