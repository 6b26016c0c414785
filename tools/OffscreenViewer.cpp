#include "OffscreenViewer.h"

#include "JvImagesViewer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFont>
#include <QTimer>
#include <algorithm>

namespace {
constexpr int ThumbSize = 100;
constexpr int ThumbPadding = 4;
} // namespace

void SetUpLikeMainWindow(TJvImagesViewer& viewer) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(11);
    viewer.setFont(font);
    viewer.Options().SetWidth(ThumbSize + 2 * ThumbPadding);
    viewer.Options().SetHeight(ThumbSize + 2 * ThumbPadding);
    viewer.Options().SetImagePadding(ThumbPadding);
    viewer.Options().SetReduceMemoryUsage(true);
}

std::vector<int> CellsInView(const TJvImagesViewer& viewer) {
    std::vector<int> indexes;
    const QRect client = viewer.viewport()->rect();
    for (int i = 0; i < viewer.Count(); ++i)
        if (viewer.ItemRect(i).intersects(client))
            indexes.push_back(i);
    return indexes;
}

TJvPictureItem* ExistingItem(const TJvImagesViewer& viewer, int index) {
    return static_cast<TJvPictureItem*>(viewer.ItemList().Existing(index));
}

bool AllInViewRead(const TJvImagesViewer& viewer) {
    const std::vector<int> indexes = CellsInView(viewer);
    return std::all_of(indexes.begin(), indexes.end(), [&](int i) {
        const TJvPictureItem* item = ExistingItem(viewer, i);
        return item && item->CellState() != TJvPictureItem::TCellState::csWaiting;
    });
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    // Wakes the loop when the time is up.
    QTimer wake;
    wake.setSingleShot(true);
    wake.start(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return condition();
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

QImage PaintWhenAllInViewRead(TJvImagesViewer& viewer) {
    for (;;) {
        // Each paint hands the cells still without a picture to the loader.
        QImage shot = viewer.grab().toImage();
        if (AllInViewRead(viewer))
            return shot;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

QStringList FailuresInView(const TJvImagesViewer& viewer) {
    QStringList reasons;
    for (const int i : CellsInView(viewer))
        if (const TJvPictureItem* item = ExistingItem(viewer, i);
            item && item->CellState() == TJvPictureItem::TCellState::csFailed)
            reasons << item->CellError();
    return reasons;
}
