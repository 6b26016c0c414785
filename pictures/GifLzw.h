#pragma once
// The variable-length LZW code of GIF image data.

#include <QtGlobal>

#include <cstdint>

// Expands the LZW codes in data (the image's sub-blocks joined, codes read least significant bit
// first) with the given minimum code size (2..9), a piece at a time, so a frame can be taken row
// by row without its whole picture in memory. Literals at or above colourCount come out as 0.
// The data must outlive the decoder.
class TGifLzwDecoder {
public:
    TGifLzwDecoder(const uchar* data, qsizetype size, int codeSize, int colourCount);

    // Writes the next colour indexes at out, at most count; returns how many it wrote, fewer
    // only once the end code has come or the data has run out. Raises EInvalidGraphicOperation
    // "GIF encoded data is corrupt" for a code the table does not hold yet.
    qsizetype Read(uchar* out, qsizetype count);

private:
    static constexpr int MaxCodeBits = 12;
    static constexpr int MaxCodes = 1 << MaxCodeBits;

    // What changes with every code. Read works on a copy of its own, which the compiler can
    // keep in registers although the indexes it writes could alias any member.
    struct TCursor {
        const uchar* Data;
        const uchar* End;
        quint32 Bits = 0;
        int BitCount = 0;
        int Width;
        int Next;
        int Previous = -1;
        qint64 PreviousStart = 0; // where the previous code's string was handed out
    };

    // The next code of the current width, or -1 when the data has run out.
    static int NextCode(TCursor& cursor);
    // Reads codes up to the next that stands for a string, keeping the table up to date; -1 at
    // the end of the image data.
    int NextString(TCursor& cursor);
    // Puts the string of code into FString by walking its prefixes, ready to be handed out.
    void Expand(int code);
    // Hands out code's string into buffer (which starts at position bufferAt of the output) from
    // written on, at most up to count; gives how many indexes it handed out.
    qsizetype Emit(int code, uchar* buffer, qsizetype written, qsizetype count, qint64 bufferAt);

    TCursor FCursor;
    int FCodeSize;
    int FColourCount;
    bool FEnded = false;
    // The table: each string is its prefix's string followed by its last index.
    std::uint16_t FPrefix[MaxCodes];
    uchar FLast[MaxCodes];
    uchar FFirst[MaxCodes];
    std::uint16_t FLength[MaxCodes];
    // Where in the output a copy of each string was handed out: a string handed out within the
    // same Read is one copy from earlier in the caller's buffer, which is what makes a whole
    // frame fast; the prefix walk serves the strings of earlier Reads.
    qint64 FStart[MaxCodes];
    qint64 FPosition = 0; // indexes handed out so far
    // The string of the last code read, from FPending on still to be handed out.
    uchar FString[MaxCodes];
    int FPending = 0;
    int FStringLength = 0;
};

// Expands the whole of data into at most pixelCount colour indexes at out, leaving pixels never
// reached as they were (see TGifLzwDecoder).
void DecodeGifLzw(const uchar* data, qsizetype size, int codeSize, int colourCount, uchar* out,
                  qsizetype pixelCount);
