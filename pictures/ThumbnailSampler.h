#pragma once
// Reduces a picture to a thumbnail one source row at a time, picking rows and columns as a
// stretched drawing without smoothing does, so a cell looks as if it drew the whole picture.

#include <QImage>
#include <QSize>

#include <vector>

class TThumbnailSampler {
public:
    // A sampler from source (the rows handed in) to a target of target's size, in format
    // (any format of whole bytes per pixel). Raises nothing; a target Qt cannot allocate
    // leaves Image() null, which callers check.
    TThumbnailSampler(const QSize& source, const QSize& target, QImage::Format format);

    // The source rows (0 = top) the target takes, ascending; a row comes once per target row
    // that takes it.
    const std::vector<int>& SourceRows() const { return FRows; }
    // Copies the picked pixels of source row y (width source pixels) into every target row
    // that takes it; a row nobody wants is ignored.
    void AddRow(int y, const uchar* pixels);

    QImage& Image() { return FImage; }

private:
    int FBytesPerPixel;
    std::vector<int> FColumns; // source column per target column
    std::vector<int> FRows;    // source row per target row, ascending
    QImage FImage;
};
