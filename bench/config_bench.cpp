// A configuration load of the shipped atmosphere.ini through the profile
// reader: a reload runs inside one frame, so it must stay well under a
// millisecond (target 0.5 ms). Run with --benchmark_repetitions for a median.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>

#include "config/configuration.h"
#include "config/configuration_reads.h"
#include "config/setting_keys.h"
#include "config/settings.h"
#include "config/text_copy.h"
#include "platform/profile_reader.h"

namespace {

// The whole load as the module does it: open, parse, store every field.
void LoadShippedFile(benchmark::State& state) {
    CopyText(ModuleDirectory, ATMOSPHERE_SOURCE_DIR "/");
    for (auto _ : state) {
        LoadConfiguration("atmosphere.ini", true);
        benchmark::DoNotOptimize(Settings);
    }
}
BENCHMARK(LoadShippedFile)->Unit(benchmark::kMicrosecond);

// The parse alone, from memory, for every key a load asks for.
void ParseShippedFileInMemory(benchmark::State& state) {
    std::ifstream in(ATMOSPHERE_SOURCE_DIR "/atmosphere.ini", std::ios::binary);
    const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    static ConfigurationReads batch;
    PrepareConfigurationReads(batch);
    for (auto _ : state) {
        platform::ReadProfileFromMemory(reinterpret_cast<const unsigned char*>(file.data()), file.size(), batch.reads,
                                        ConfigurationReadCount);
        benchmark::DoNotOptimize(batch);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.size()));
}
BENCHMARK(ParseShippedFileInMemory)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
