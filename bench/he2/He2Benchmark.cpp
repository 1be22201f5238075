// SPDX-License-Identifier: Apache-2.0
// HE2 encode and decode on 8 MiB of mixed text and 8 MiB of random bytes, and on strings of
// 256 B and 1 KiB of the text, next to zlib's Huffman-only deflate (raw, Z_HUFFMAN_ONLY) and
// inflate on the same data. After the usual benchmark table it prints one line per pair:
// "he2 NAME: RATIO (OURS vs ZLIB)", CPU time per call, RATIO = HE2's time / zlib's.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdio>
#include <map>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "velpack/he2/HuffmanCoding.h"

namespace {

constexpr std::size_t kSize = 8u << 20;

// Deterministic text with the mix the codec meets: German and English prose with umlauts,
// numbers, paths, registry lines and script commands.
std::string mixedText() {
    static const char* const words[] = {
        "der",    "die",         "das",      "und",    "ist",           "nicht",       "Update",  "Datei",
        "wird",   "installiert", "für",      "über",   "Größe",         "Verzeichnis", "Fehler",  "the",
        "of",     "and",         "to",       "file",   "version",       "server",      "Produkt", "können",
        "müssen", "Schlüssel",   "Software", "Orvane", "Einstellungen", "gelöscht",    "kopiert"};
    static const char* const lines[] = {
        "COPY %installtemp%\\bin\\tool.dll %app%\\bin\\tool.dll\r\n",
        "[HKEY_LOCAL_MACHINE\\Software\\Orvane\\Software Updates\\Products\\Quillon]\r\n",
        "\"VerMaj\"=\"1\"\r\n\"VerMin\"=\"0\"\r\n\"VerRev\"=\"19\"\r\n",
        "2024-05-17 12:34:56 INFO transfer of update.zip complete (1048576 bytes)\n",
    };
    std::mt19937 random(2024);
    std::vector<double> zipf;
    for (std::size_t i = 0; i < std::size(words); ++i) zipf.push_back(1.0 / static_cast<double>(i + 1));
    std::discrete_distribution<int> word(zipf.begin(), zipf.end());
    std::string text;
    text.reserve(kSize + 128);
    while (text.size() < kSize) {
        const unsigned pick = random() % 100;
        if (pick < 4) {
            text += lines[random() % std::size(lines)];
        } else if (pick < 10) {
            text += std::to_string(random() % 100000);
            text += (pick < 7) ? ", " : ". ";
        } else {
            text += words[word(random)];
            text += (pick % 23 == 0) ? ".\n" : " ";
        }
    }
    text.resize(kSize);
    return text;
}

std::string randomBytes() {
    std::mt19937_64 random(8);
    std::string bytes(kSize, '\0');
    for (std::size_t i = 0; i < kSize; i += 8) {
        std::uint64_t v = random();
        for (int k = 0; k < 8; ++k) bytes[i + k] = static_cast<char>(v >> (8 * k));
    }
    return bytes;
}

const std::string& input(int which) {
    static const std::string text = mixedText();
    static const std::string random = randomBytes();
    return which == 0 ? text : random;
}

std::string zlibDeflate(const std::string& in) {
    z_stream s{};
    if (deflateInit2(&s, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -15, 8, Z_HUFFMAN_ONLY) != Z_OK)
        throw std::runtime_error("deflateInit2");
    std::string out(deflateBound(&s, in.size()), '\0');
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    s.avail_in = static_cast<uInt>(in.size());
    s.next_out = reinterpret_cast<Bytef*>(out.data());
    s.avail_out = static_cast<uInt>(out.size());
    if (deflate(&s, Z_FINISH) != Z_STREAM_END) throw std::runtime_error("deflate");
    out.resize(s.total_out);
    deflateEnd(&s);
    return out;
}

std::string zlibInflate(const std::string& in, std::size_t size) {
    z_stream s{};
    if (inflateInit2(&s, -15) != Z_OK) throw std::runtime_error("inflateInit2");
    std::string out(size, '\0');
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    s.avail_in = static_cast<uInt>(in.size());
    s.next_out = reinterpret_cast<Bytef*>(out.data());
    s.avail_out = static_cast<uInt>(out.size());
    if (inflate(&s, Z_FINISH) != Z_STREAM_END) throw std::runtime_error("inflate");
    inflateEnd(&s);
    return out;
}

// Sizes of the coded forms, for the summary.
std::map<std::string, std::size_t>& codedSizes() {
    static std::map<std::string, std::size_t> sizes;
    return sizes;
}

const char* inputName(int which) {
    return which == 0 ? "text" : "random";
}

void He2Encode(benchmark::State& state) {
    const std::string& in = input(static_cast<int>(state.range(0)));
    const auto force = state.range(1) ? velpack::Force::Yes : velpack::Force::No;
    std::string out;
    for (auto _ : state) {
        out = velpack::HuffmanEncode(in, force);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
    codedSizes()[std::string("he2 ") + (state.range(1) ? "forced " : "") + inputName(state.range(0))] = out.size();
}

void He2Decode(benchmark::State& state) {
    const std::string& in = input(static_cast<int>(state.range(0)));
    const auto force = state.range(1) ? velpack::Force::Yes : velpack::Force::No;
    const std::string encoded = velpack::HuffmanEncode(in, force);
    for (auto _ : state) {
        std::string out = velpack::HuffmanDecode(encoded);
        benchmark::DoNotOptimize(out.data());
        if (out.size() != in.size()) state.SkipWithError("wrong size");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}

void ZlibDeflate(benchmark::State& state) {
    const std::string& in = input(static_cast<int>(state.range(0)));
    std::string out;
    for (auto _ : state) {
        out = zlibDeflate(in);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
    codedSizes()[std::string("zlib ") + inputName(state.range(0))] = out.size();
}

void ZlibInflate(benchmark::State& state) {
    const std::string& in = input(static_cast<int>(state.range(0)));
    const std::string deflated = zlibDeflate(in);
    for (auto _ : state) {
        std::string out = zlibInflate(deflated, in.size());
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}

// range(0): 0 text, 1 random; range(1): forced
BENCHMARK(He2Encode)
    ->ArgNames({"random", "forced"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ZlibDeflate)->ArgName("random")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(He2Decode)
    ->ArgNames({"random", "forced"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ZlibInflate)->ArgName("random")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Short strings: the first range(0) bytes of the mixed text, forced to HE2 (the table would
// make 256 B longer than the text), where building the lookup counts as much as decoding.
void He2DecodeShort(benchmark::State& state) {
    const std::string in = input(0).substr(0, static_cast<std::size_t>(state.range(0)));
    const std::string encoded = velpack::HuffmanEncode(in, velpack::Force::Yes);
    for (auto _ : state) {
        std::string out = velpack::HuffmanDecode(encoded);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}

void ZlibInflateShort(benchmark::State& state) {
    const std::string in = input(0).substr(0, static_cast<std::size_t>(state.range(0)));
    const std::string deflated = zlibDeflate(in);
    for (auto _ : state) {
        std::string out = zlibInflate(deflated, in.size());
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}

void He2EncodeShort(benchmark::State& state) {
    const std::string in = input(0).substr(0, static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        std::string out = velpack::HuffmanEncode(in, velpack::Force::Yes);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}

void ZlibDeflateShort(benchmark::State& state) {
    const std::string in = input(0).substr(0, static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        std::string out = zlibDeflate(in);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}

BENCHMARK(He2EncodeShort)->ArgName("bytes")->Arg(256)->Arg(1024);
BENCHMARK(ZlibDeflateShort)->ArgName("bytes")->Arg(256)->Arg(1024);
BENCHMARK(He2DecodeShort)->ArgName("bytes")->Arg(256)->Arg(1024);
BENCHMARK(ZlibInflateShort)->ArgName("bytes")->Arg(256)->Arg(1024);

// Keeps the console table and remembers each benchmark's CPU time per iteration: the median
// when the runs are repeated, else the one run.
class CollectingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type == Run::RT_Iteration || median)
                seconds[run.run_name.str()] =
                    run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
        }
    }
    std::map<std::string, double> seconds;
};

std::string shown(double seconds) {
    char text[32];
    if (seconds >= 1e-3)
        std::snprintf(text, sizeof text, "%.2f ms", seconds * 1e3);
    else if (seconds >= 1e-6)
        std::snprintf(text, sizeof text, "%.2f us", seconds * 1e6);
    else
        std::snprintf(text, sizeof text, "%.0f ns", seconds * 1e9);
    return text;
}

// One line in the form of the other benches: NAME: RATIO (OURS vs ZLIB), RATIO = our time / zlib's.
void printPair(const CollectingReporter& r, const char* label, const std::string& ours, const std::string& theirs) {
    if (!r.seconds.count(ours) || !r.seconds.count(theirs)) return;  // filtered out
    const double a = r.seconds.at(ours);
    const double b = r.seconds.at(theirs);
    std::printf("he2 %s: %.2f (%s vs %s)\n", label, a / b, shown(a).c_str(), shown(b).c_str());
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    CollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\nHE2 against zlib Huffman-only (raw deflate), CPU time per call, ratio = HE2 / zlib\n");
    auto name = [](const char* base, int random, int forced) {
        return std::string(base) + "/random:" + std::to_string(random) + "/forced:" + std::to_string(forced);
    };
    printPair(reporter, "encode 8 MiB text", name("He2Encode", 0, 0), "ZlibDeflate/random:0");
    printPair(reporter, "encode 8 MiB random (HE0)", name("He2Encode", 1, 0), "ZlibDeflate/random:1");
    printPair(reporter, "encode 8 MiB random (forced HE2)", name("He2Encode", 1, 1), "ZlibDeflate/random:1");
    printPair(reporter, "decode 8 MiB text", name("He2Decode", 0, 0), "ZlibInflate/random:0");
    printPair(reporter, "decode 8 MiB random (HE0)", name("He2Decode", 1, 0), "ZlibInflate/random:1");
    // zlib keeps random bytes in stored blocks, so its inflate is a copy there.
    printPair(reporter, "decode 8 MiB random (forced HE2)", name("He2Decode", 1, 1), "ZlibInflate/random:1");
    printPair(reporter, "encode 256 B text", "He2EncodeShort/bytes:256", "ZlibDeflateShort/bytes:256");
    printPair(reporter, "encode 1 KiB text", "He2EncodeShort/bytes:1024", "ZlibDeflateShort/bytes:1024");
    printPair(reporter, "decode 256 B text", "He2DecodeShort/bytes:256", "ZlibInflateShort/bytes:256");
    printPair(reporter, "decode 1 KiB text", "He2DecodeShort/bytes:1024", "ZlibInflateShort/bytes:1024");
    std::printf("\ncoded sizes of %zu input bytes:\n", kSize);
    for (const auto& [what, size] : codedSizes())
        std::printf("  %-20s %9zu bytes (%.1f%%)\n", what.c_str(), size, 100.0 * static_cast<double>(size) / kSize);
    return 0;
}
