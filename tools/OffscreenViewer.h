#pragma once
// The thumbnail viewer run outside the main window, by the tools and benchmarks: set up as the
// main window sets it up, and asked which cells a paint draws and whether their pictures are in.
// The cell pictures arrive from worker threads through the event loop.

#include <QImage>
#include <QStringList>
#include <functional>
#include <vector>

class TJvImagesViewer;
class TJvPictureItem;

// Gives the viewer the main window's font (11-pixel Arial) and its thumbnail options with the
// settings' defaults: cells of 100 pixels plus 4 of padding on each side, memory reduction on.
// The picture formats must be registered before the viewer is made (its mask comes from them).
void SetUpLikeMainWindow(TJvImagesViewer& viewer);

// The indexes of the items whose cells meet the client area: those a paint draws.
std::vector<int> CellsInView(const TJvImagesViewer& viewer);
// The item at index if it has been made, else null; never makes one.
TJvPictureItem* ExistingItem(const TJvImagesViewer& viewer, int index);
// True when every item in view has its cell picture or the reason it could not be read.
bool AllInViewRead(const TJvImagesViewer& viewer);
// Handles events until condition holds or timeoutMs have passed, sleeping while none comes, so
// that waiting takes no core from the viewer's workers; gives condition's last answer.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs);
// Paints the viewer, and again as cell pictures arrive, until every cell in view has its picture
// or its failure; gives back the last paint. Waits as long as a read takes.
QImage PaintWhenAllInViewRead(TJvImagesViewer& viewer);
// The reasons, naming the files, of the cells in view whose pictures could not be read.
QStringList FailuresInView(const TJvImagesViewer& viewer);
