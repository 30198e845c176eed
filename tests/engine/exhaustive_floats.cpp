// Every finite 32-bit float, both signs, widened to double, through the
// conversions of numeric_text.h, checked against the standard library's
// correctly rounded conversions and the rules the header documents:
//   numberToText   against referenceText (tests/support)
//   settle         against std::from_chars of that text, and applied twice
//   textToNumber   of the float's shortest text, against std::from_chars;
//                  of the double's 17-digit text, back to the double
//   floorToInteger and roundTo2 against their definitions, through modf and
//                  nearbyint instead of floor
//
//   exhaustive_floats [--slice | --from PATTERN --to PATTERN] [--threads N]
// Without --slice, all 4,278,190,080 finite floats, or those whose bit
// patterns lie in [--from, --to) (hexadecimal, to resume or split a run);
// --slice takes every 1021st bit pattern, which crosses every binade, and the
// 4096 floats around each power of ten, where the decades and the exponent
// form change.
#include "numeric_text.h"
#include "reference_text.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace {

constexpr std::uint32_t SLICE_STRIDE = 1021;
constexpr std::uint32_t SLICE_WINDOW = 2048; // floats each side of a power of ten
constexpr std::uint64_t CHUNK = 1 << 16;     // bit patterns a thread takes at a time
constexpr int EXAMPLES_KEPT = 5;
constexpr std::uint64_t ALL = std::uint64_t {1} << 32; // bit patterns

// A text of at most this many characters: the 17-digit form of a double.
constexpr std::size_t TEXT_SIZE = 40;

double fromChars(std::string_view text)
{
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// Doubles compared by their bits; a zero of either sign is +0.
bool same(double a, double b)
{
    return std::bit_cast<std::uint64_t>(a + 0.0) == std::bit_cast<std::uint64_t>(b + 0.0);
}

double floorByDefinition(double x)
{
    double whole = 0;
    const double fraction = std::modf(x, &whole);
    return fraction < 0 ? whole - 1 : whole;
}

struct Tally {
    std::mutex mutex;
    std::uint64_t mismatches = 0;
    std::map<std::string, std::uint64_t> byCheck;
    std::vector<std::string> examples;

    void report(const char* check, float f, const std::string& got, const std::string& expected)
    {
        const std::lock_guard lock(mutex);
        ++byCheck[check];
        if (++mismatches <= EXAMPLES_KEPT) {
            char line[200];
            std::snprintf(line, sizeof line, "%s of %.9g (0x%08x): %s, expected %s", check,
                static_cast<double>(f), std::bit_cast<std::uint32_t>(f), got.c_str(), expected.c_str());
            examples.emplace_back(line);
        }
    }
};

// Distinct for distinct doubles, and readable.
std::string shortestText(double value)
{
    std::array<char, 32> buffer {};
    return {buffer.data(), std::to_chars(buffer.data(), buffer.data() + buffer.size(), value).ptr};
}

void checkFloat(float f, Tally& tally)
{
    const double x = f;
    std::array<char, TEXT_SIZE> buffer {};
    const char* end =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), x, std::chars_format::scientific, 16).ptr;
    const std::string_view seventeen(buffer.data(), static_cast<std::size_t>(end - buffer.data()));
    const quanvik::ReferenceText reference = quanvik::referenceText(x);
    const std::string_view expected = reference.view();
    const std::string text = quanvik::numberToText(x);
    if (text != expected)
        tally.report("numberToText", f, text, std::string(expected));

    const double settled = quanvik::settle(x);
    if (!same(settled, fromChars(expected)))
        tally.report("settle", f, shortestText(settled), shortestText(fromChars(expected)));
    if (!same(quanvik::settle(settled), settled))
        tally.report("settle twice", f, shortestText(quanvik::settle(settled)), shortestText(settled));

    if (!same(quanvik::textToNumber(seventeen), x))
        tally.report("textToNumber of 17 digits", f, std::string(seventeen), shortestText(x));
    std::array<char, TEXT_SIZE> shortestBuffer {};
    end = std::to_chars(shortestBuffer.data(), shortestBuffer.data() + shortestBuffer.size(), f).ptr;
    const std::string_view shortest(
        shortestBuffer.data(), static_cast<std::size_t>(end - shortestBuffer.data()));
    if (!same(quanvik::textToNumber(shortest), fromChars(shortest)))
        tally.report(
            "textToNumber of the float's text", f, std::string(shortest), shortestText(fromChars(shortest)));

    if (!same(quanvik::floorToInteger(x), floorByDefinition(x)))
        tally.report("floorToInteger", f, shortestText(quanvik::floorToInteger(x)),
            shortestText(floorByDefinition(x)));
    if (!same(quanvik::roundTo2(x), quanvik::referenceRoundTo2(x)))
        tally.report(
            "roundTo2", f, shortestText(quanvik::roundTo2(x)), shortestText(quanvik::referenceRoundTo2(x)));
}

constexpr std::uint32_t SIGN_BIT = 0x80000000;
constexpr std::uint32_t LARGEST_FLOAT = 0x7F7FFFFF; // as a bit pattern
constexpr std::uint32_t EXPONENT_BITS = 0x7F800000;

bool isFinite(std::uint32_t pattern)
{
    return (pattern & EXPONENT_BITS) != EXPONENT_BITS;
}

// The bit patterns to check, in the order the threads take them: a function
// of an index, so that each thread can take chunks without a shared list.
struct Selection {
    std::vector<std::uint32_t> windows; // empty: the patterns from first on
    std::uint64_t first = 0;
    std::uint64_t count = 0;

    std::uint32_t at(std::uint64_t i) const
    {
        if (windows.empty())
            return static_cast<std::uint32_t>(first + i);
        const std::uint64_t strided = (std::uint64_t {1} << 32) / SLICE_STRIDE;
        if (i < strided)
            return static_cast<std::uint32_t>(i * SLICE_STRIDE);
        i -= strided;
        const std::uint64_t window = 2 * std::uint64_t {SLICE_WINDOW};
        return windows[i / window] - SLICE_WINDOW + static_cast<std::uint32_t>(i % window);
    }
};

Selection slice()
{
    Selection s;
    for (int power = -45; power <= 38; ++power) {
        const auto f = static_cast<float>(std::pow(10.0, power));
        if (f == 0 || std::isinf(f))
            continue;
        // Kept among the finite floats of the same sign.
        const std::uint32_t centre =
            std::clamp(std::bit_cast<std::uint32_t>(f), SLICE_WINDOW, LARGEST_FLOAT - SLICE_WINDOW + 1);
        s.windows.push_back(centre);
        s.windows.push_back(centre | SIGN_BIT);
    }
    s.count = (std::uint64_t {1} << 32) / SLICE_STRIDE + s.windows.size() * 2 * SLICE_WINDOW;
    return s;
}

} // namespace

int main(int argc, char** argv)
{
    bool sliceOnly = false;
    std::uint64_t from = 0;
    std::uint64_t to = ALL;
    unsigned threads = std::max(1U, std::thread::hardware_concurrency());
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--slice") {
            sliceOnly = true;
        } else if ((arg == "--from" || arg == "--to") && i + 1 < argc) {
            (arg == "--from" ? from : to) =
                std::min<std::uint64_t>(std::strtoull(argv[++i], nullptr, 16), ALL);
        } else if (arg == "--threads" && i + 1 < argc) {
            threads = static_cast<unsigned>(std::max(1, std::atoi(argv[++i])));
        } else {
            std::fprintf(
                stderr, "usage: exhaustive_floats [--slice | --from PATTERN --to PATTERN] [--threads N]\n");
            return 2;
        }
    }
    Selection selection = sliceOnly ? slice() : Selection {{}, from, to - std::min(from, to)};

    Tally tally;
    std::atomic<std::uint64_t> next {0};
    std::atomic<std::uint64_t> checked {0};
    std::vector<std::thread> workers;
    workers.reserve(threads);
    for (unsigned t = 0; t < threads; ++t) {
        workers.emplace_back([&] {
            for (std::uint64_t first = next.fetch_add(CHUNK); first < selection.count;
                first = next.fetch_add(CHUNK)) {
                std::uint64_t done = 0;
                for (std::uint64_t i = first; i < std::min(first + CHUNK, selection.count); ++i) {
                    const std::uint32_t pattern = selection.at(i);
                    if (isFinite(pattern)) {
                        checkFloat(std::bit_cast<float>(pattern), tally);
                        ++done;
                    }
                }
                checked += done;
            }
        });
    }

    // A progress line every half minute, so that a long run shows it is alive.
    const auto start = std::chrono::steady_clock::now();
    const auto seconds = [&] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    std::thread progress([&] {
        auto due = start;
        while (next.load() < selection.count) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            if (std::chrono::steady_clock::now() - due < std::chrono::seconds(30))
                continue;
            due = std::chrono::steady_clock::now();
            const std::lock_guard lock(tally.mutex);
            std::printf("%.1f%% of %llu patterns: %llu floats checked, %llu mismatches, %.0f s\n",
                100.0 * static_cast<double>(std::min(next.load(), selection.count))
                    / static_cast<double>(selection.count),
                static_cast<unsigned long long>(selection.count),
                static_cast<unsigned long long>(checked.load()),
                static_cast<unsigned long long>(tally.mismatches), seconds());
            std::fflush(stdout);
        }
    });
    for (std::thread& worker : workers)
        worker.join();
    progress.join();

    std::printf("%llu finite floats checked on %u threads in %.1f s: %llu mismatches\n",
        static_cast<unsigned long long>(checked.load()), threads, seconds(),
        static_cast<unsigned long long>(tally.mismatches));
    for (const auto& [check, count] : tally.byCheck)
        std::printf("  %s: %llu\n", check.c_str(), static_cast<unsigned long long>(count));
    for (const std::string& example : tally.examples)
        std::printf("  %s\n", example.c_str());
    return tally.mismatches == 0 ? 0 : 1;
}
