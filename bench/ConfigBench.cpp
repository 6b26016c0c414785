// The configuration file on the sizes a user may meet: the usual small file, and a hand-grown
// 50 MB one (open, one read, one change, save), plus the program's settings cycle.
#include "LxConfigFiles.h"
#include "LxConfiguration.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {
QByteArray FileOf(qint64 bytes) {
    QByteArray text = "[LXS:CONFIG:HEADER]\r\nSchemaVersion=1\r\n\r\n[Bulk]\r\n";
    const QByteArray line = "Key=" + QByteArray(96, 'v') + "\r\n";
    while (text.size() < bytes)
        text += line;
    return text + "[Velloria]\r\nThumb-Size=150\r\nLastFolder=\"/home/me/My Pictures\"\r\n";
}

void OpenChangeSave(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.path() + "/velloria.ini";
    const QByteArray text = FileOf(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(text);
        file.close();
        state.ResumeTiming();
        TLxConfigFile config(path, false);
        benchmark::DoNotOptimize(config.ReadInteger("Velloria", "Thumb-Size", 100));
        config.WriteInteger("Velloria", "Thumb-Size", 120);
        config.UpdateFile();
    }
    state.SetBytesProcessed(state.iterations() * text.size());
}
BENCHMARK(OpenChangeSave)->Arg(1024)->Arg(50 << 20)->Unit(benchmark::kMillisecond);

// Load and save of the five settings through the registry, as one start and exit do.
void SettingsCycle(benchmark::State& state) {
    QTemporaryDir dir;
    qint32 size = 100;
    qint32 padding = 4;
    bool cleanup = false;
    QString folder = "/home/me/Photos/Summer 2026";
    QByteArray session(28, '\1');
    for (auto _ : state) {
        TLXConfiguration config;
        config.OnGetFileName = [&](TLXConfiguration&, QString& name) {
            name = dir.path() + "/v.ini";
        };
        config.SetAppName("Velloria");
        config.Items.Add(MakeBinaryConfig("SessionInfo", session.data(), 28));
        config.Items.Add(MakeStringConfig("LastFolder", &folder));
        config.Items.Add(MakeIntConfig("Thumb-Size", &size));
        config.Items.Add(MakeIntConfig("Thumb-Padding", &padding));
        config.Items.Add(MakeBoolConfig("Exit-Cleanup", &cleanup));
        config.Load();
        ++size;
        config.Save();
    }
}
BENCHMARK(SettingsCycle)->Unit(benchmark::kMicrosecond);
} // namespace

BENCHMARK_MAIN();
