#pragma once
// The cases of the thumbnail benchmark, each run in a process of its own (RunInChild), each
// handing its figures to the parent with PutFigure. The viewer cases run the real viewer,
// offscreen, set up as the main window sets it up.

#include "JpegFloor.h"

#include <QSize>
#include <QString>

// The bare listing of the folder against the viewer's rescan of it, alternately, runs times
// each: "listing_*" and "rescan_*" figures (first, median), and "items".
void RescanCase(const QString& folder, int runs);

// Decodes the first count files of the folder in the viewer's order, each into fresh memory,
// freed right after or, with keep, all kept to the end as the viewer keeps the pictures in view:
// "total_ms", "cpu_ms" (processor time), "first_ms", "later_mean_ms", "peak_mib".
void FloorCase(const QString& folder, int count, int scaleDenom, TFloorMemory memory, bool keep);

// The first count files decoded at 1/8 on threads threads, each taking the next file not yet
// taken, each picture freed at once: "elapsed_ms", "cpu_ms", "peak_mib".
void ParallelFloorCase(const QString& folder, int count, int threads);

// A 433 x 470 viewer, shown: from setting Directory to the end of the first paint that drew
// every cell in view ("first_paint_ms", "cpu_ms", "visible"), then repaints of that screen with its
// pictures decoded ("repaint_median_ms", "repaint_min_ms"), and "peak_mib".
void FirstPaintCase(const QString& folder, int repaints);

// The same viewer scrolled a page at a time from top to bottom, each page painted, memory
// reduction on or off. Without it the scroll stops once the resident set passes capMiB (the
// pictures would not fit in memory). Figures: "pages", "seconds", "reads" (pictures read and
// decoded), "reached_bottom", "held_max" and "decoded_mib_max" (the most pictures held at once
// and their decoded size), "held_end", "first_page_peak_mib", "peak_mib", "base_mib" (before
// the first picture) and "mib_per_picture" (resident set per picture held at the end).
void ScrollCase(const QString& folder, bool reduceMemory, double capMiB);

// A viewer of the given outer size, shown: from setting Directory until every cell in view has
// its picture and is painted ("elapsed_ms", and "cpu_ms" of all threads), the longest the UI thread
// stayed away from its event loop meanwhile ("stall_ms", the worst lateness of a 10 ms timer), the
// longest paint
// ("paint_max_ms"), "visible" and "peak_mib".
void ScreenCase(const QString& folder, QSize size);
