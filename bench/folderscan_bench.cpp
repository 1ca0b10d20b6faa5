// Times the folder scan: sub-folder collection, wildcard listing and the file
// tests, over a generated tree of 20 x 20 folders with 12 files each (4,800
// files, a quarter of them presentations), and over one whose folders also
// hold a Keynote package folder and a plain folder named *.key.
#include "cli/CliOptions.h"
#include "filelist/AddFolder.h"
#include "filelist/Wildcard.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

namespace {

class NullReporter : public orv::ErrorReporter {
public:
    void report(std::string_view, std::int32_t, const std::string&) override {}
};

bool g_treeMade = false;

const fs::path& tree() {
    static const fs::path root = [] {
        g_treeMade = true;
        const auto path =
            fs::temp_directory_path() / ("orvandel-scan-bench-" + std::to_string(std::random_device{}()));
        const char* extensions[] = {"pptx", "txt", "docx", "png"};
        for (int a = 0; a < 20; ++a) {
            for (int b = 0; b < 20; ++b) {
                const auto folder = path / ("group" + std::to_string(a)) / ("part" + std::to_string(b));
                fs::create_directories(folder);
                for (int f = 0; f < 12; ++f)
                    std::ofstream(folder / ("file" + std::to_string(f) + "." + extensions[f % 4])) << "x";
            }
        }
        return path;
    }();
    return root;
}

// The same tree with a Keynote package folder (an Index.zip and five media
// files) and a plain folder named *.key in each folder: the package is one
// file, the plain folder is entered.
bool g_packageTreeMade = false;

const fs::path& packageTree() {
    static const fs::path root = [] {
        g_packageTreeMade = true;
        const auto path =
            fs::temp_directory_path() / ("orvandel-scan-bench-" + std::to_string(std::random_device{}()));
        for (int a = 0; a < 20; ++a) {
            for (int b = 0; b < 20; ++b) {
                const auto folder = path / ("group" + std::to_string(a)) / ("part" + std::to_string(b));
                fs::create_directories(folder / "deck.key" / "Data");
                fs::create_directories(folder / "plain.key");
                std::ofstream(folder / "deck.key" / "Index.zip") << "x";
                for (int f = 0; f < 5; ++f)
                    std::ofstream(folder / "deck.key" / "Data" / ("image" + std::to_string(f) + ".png"))
                        << "x";
                for (int f = 0; f < 6; ++f)
                    std::ofstream(folder / ("file" + std::to_string(f) + (f % 2 ? ".txt" : ".pptx"))) << "x";
                std::ofstream(folder / "plain.key" / "inside.pptx") << "x";
            }
        }
        return path;
    }();
    return root;
}

struct Cleanup {
    ~Cleanup() {
        std::error_code ec;
        if (g_treeMade)
            fs::remove_all(tree(), ec);
        if (g_packageTreeMade)
            fs::remove_all(packageTree(), ec);
    }
};

void BM_CollectOneExtension(benchmark::State& state) {
    NullReporter reporter;
    const auto root = tree().string();
    std::size_t rows = 0;
    for (auto _ : state) {
        rows = orv::CollectFolderFiles(root, "pptx", reporter, {}).size();
        benchmark::DoNotOptimize(rows);
    }
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["files/s"] = benchmark::Counter(4800.0, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_CollectOneExtension)->Unit(benchmark::kMillisecond);

void BM_CollectPresentationExtensions(benchmark::State& state) {
    NullReporter reporter;
    const auto root = tree().string();
    for (auto _ : state)
        benchmark::DoNotOptimize(
            orv::CollectFolderFiles(root, orv::DefaultPresentationExtensions(), reporter, {}));
    state.counters["files/s"] = benchmark::Counter(4800.0, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_CollectPresentationExtensions)->Unit(benchmark::kMillisecond);

void BM_CollectWithPackageFolders(benchmark::State& state) {
    NullReporter reporter;
    const auto root = packageTree().string();
    std::size_t rows = 0;
    for (auto _ : state) {
        rows = orv::CollectFolderFiles(root, orv::DefaultPresentationExtensions(), reporter, {}).size();
        benchmark::DoNotOptimize(rows);
    }
    state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_CollectWithPackageFolders)->Unit(benchmark::kMillisecond);

void BM_Wildcard(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(orv::MatchesWildcard("Quarterly results 2021 final.pptx", "*.ppt"));
        benchmark::DoNotOptimize(orv::MatchesWildcard("Quarterly results 2021 final.docx", "*.ppt"));
    }
}
BENCHMARK(BM_Wildcard);

} // namespace

int main(int argc, char** argv) {
    Cleanup cleanup;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
