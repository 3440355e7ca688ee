// SPDX-License-Identifier: GPL-2.0-or-later
// Reading and writing a 64 KiB image (the 24C512) as Intel HEX and as a raw binary file.
// BM_HexReadWrite64K is the in-process cost of a HEX round trip: reading the file (from the
// page cache) and building the text a save writes; target_us is the most it may take. The other
// writes include the flush to disk that makes a save safe against a crash, which is the disk's
// time, not the program's.
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "files/BinaryFile.h"
#include "files/HexRead.h"
#include "files/HexWrite.h"

namespace {

constexpr std::int32_t ImageSize = 65536;
constexpr double HexTargetUs = 500.0;

class Scratch {
public:
    Scratch() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tarpel-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        root_ = pattern;
        std::mt19937 generator(1);
        image.resize(ImageSize);
        for (auto& b : image) b = static_cast<std::uint8_t>(generator());
        if (!tarpel::files::HexWrite(Path("image.hex"), image, ImageSize)) std::abort();
        if (!tarpel::files::WriteBinaryFile(Path("image.bin"), image)) std::abort();
    }
    ~Scratch() { std::filesystem::remove_all(root_); }
    std::string Path(const char* name) const { return (root_ / name).string(); }

    std::vector<std::uint8_t> image;

private:
    std::filesystem::path root_;
};

Scratch& Files() {
    static Scratch scratch;
    return scratch;
}

void BM_HexWrite64K(benchmark::State& state) {
    const auto name = Files().Path("out.hex");
    for (auto _ : state) benchmark::DoNotOptimize(tarpel::files::HexWrite(name, Files().image, ImageSize));
    state.SetBytesProcessed(state.iterations() * ImageSize);
}

void BM_HexRead64K(benchmark::State& state) {
    std::vector<std::uint8_t> buffer(ImageSize + 255, 0xFF);
    const auto name = Files().Path("image.hex");
    for (auto _ : state) {
        benchmark::DoNotOptimize(tarpel::files::HexRead(name, ImageSize - 1, buffer));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * ImageSize);
}

void BM_HexReadWrite64K(benchmark::State& state) {
    std::vector<std::uint8_t> buffer(ImageSize + 255, 0xFF);
    const auto name = Files().Path("image.hex");
    for (auto _ : state) {
        benchmark::DoNotOptimize(tarpel::files::HexRead(name, ImageSize - 1, buffer));
        benchmark::ClobberMemory();
        benchmark::DoNotOptimize(tarpel::files::HexText(std::span(buffer).first(ImageSize)));
    }
    state.SetBytesProcessed(state.iterations() * ImageSize);
    state.counters["target_us"] = HexTargetUs;
}

void BM_BinaryWrite64K(benchmark::State& state) {
    const auto name = Files().Path("out.bin");
    for (auto _ : state) benchmark::DoNotOptimize(tarpel::files::WriteBinaryFile(name, Files().image));
    state.SetBytesProcessed(state.iterations() * ImageSize);
}

void BM_BinaryRead64K(benchmark::State& state) {
    std::vector<std::uint8_t> buffer(100000, 0xFF);
    const auto name = Files().Path("image.bin");
    for (auto _ : state) {
        benchmark::DoNotOptimize(tarpel::files::ReadBinaryFile(name, buffer));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * ImageSize);
}

BENCHMARK(BM_HexWrite64K)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HexRead64K)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HexReadWrite64K)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BinaryWrite64K)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BinaryRead64K)->Unit(benchmark::kMicrosecond);

}  // namespace
