// The folder list on a folder with 20,000 sub-folders, against a bare QDir listing of the same
// folder: going there (listing, sorting ignoring case, replacing the lines) and drawing the list
// once shown. The goal is no more than twice the bare listing.
#include "JvDirectoryListBox.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {
constexpr int SubFolders = 20000;

// The tree, made once: big/ with the sub-folders (mixed case, as people name them) and an empty
// small/ beside it.
const QString& Tree() {
    static QTemporaryDir dir;
    static const QString root = [] {
        QDir(dir.path()).mkpath("small");
        QDir big(dir.path() + "/big");
        big.mkpath(".");
        for (int i = 0; i < SubFolders; ++i)
            big.mkdir(QStringLiteral("%1 Folder %2")
                          .arg(i % 2 ? "holiday" : "Trip")
                          .arg(i * 7919 % SubFolders));
        return dir.path();
    }();
    return root;
}

void BareQDirListing(benchmark::State& state) {
    const QDir big(Tree() + "/big");
    const QDir::SortFlags sort = state.range(0) ? QDir::Name | QDir::IgnoreCase : QDir::NoSort;
    for (auto _ : state) {
        const QStringList names = big.entryList(QDir::Dirs | QDir::NoDotAndDotDot, sort);
        benchmark::DoNotOptimize(names.size());
    }
}
BENCHMARK(BareQDirListing)->ArgName("sorted")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Going to the big folder from the small one beside it (the small one's listing is empty).
void ListBoxEntersFolder(benchmark::State& state) {
    TJvDirectoryListBox list;
    const bool shown = state.range(0) != 0;
    if (shown) {
        list.resize(300, 500);
        list.show();
    }
    for (auto _ : state) {
        list.SetDirectory(Tree() + "/small");
        list.SetDirectory(Tree() + "/big");
        if (shown)
            benchmark::DoNotOptimize(list.viewport()->grab());
        if (list.Lines().size() < SubFolders)
            state.SkipWithError("sub-folders missing");
    }
    QDir::setCurrent(QDir::tempPath());
}
BENCHMARK(ListBoxEntersFolder)->ArgName("shown")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Tree();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
