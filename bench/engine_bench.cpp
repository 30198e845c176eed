// The analysis and its conversions on the figures a trader types, and on
// megabyte pastes that a reader must still get through in linear time.
#include "memory_fields.h"
#include "numeric_text.h"
#include "position_analysis.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

namespace {

using quanvik::FieldId;
using quanvik::MemoryFields;

constexpr std::size_t MEGABYTE = 1 << 20;
constexpr std::array<std::pair<FieldId, std::string_view>, 7> WORKED_RESULTS {{
    {FieldId::Text7, "12"},
    {FieldId::Text9, "2.424"},
    {FieldId::Text10, "0.9"},
    {FieldId::Text8, "26.676"},
    {FieldId::Text11, "51"},
    {FieldId::Text12, "540.67"},
    {FieldId::Text13, "49"},
}};

// A benchmark of a wrong answer is worthless: check the worked example's texts.
bool hasWorkedResults(const MemoryFields& fields)
{
    for (const auto& [field, text] : WORKED_RESULTS) {
        if (fields.text(field) != text) {
            return false;
        }
    }
    return true;
}

void benchRun(benchmark::State& state, const std::array<std::string, 6>& inputs)
{
    MemoryFields fields(inputs);
    const quanvik::PositionAnalysis analysis;
    for (auto _ : state) {
        analysis.run(fields);
    }
    if (!hasWorkedResults(fields)) {
        state.SkipWithError("the run did not give the worked example's results");
    }
}

void workedExample(benchmark::State& state)
{
    benchRun(state, {"950", "10", "50", "51", "2", "3"});
}
BENCHMARK(workedExample);

// Megabyte pastes that still mean the worked example's figures, so that the
// run goes through all nineteen steps and reads every input each time it is
// used: junk after the digits, digits spread by blanks, a long run of
// trailing zeros, leading zeros, an exponent of a megabyte of zeros, and
// blanks of every kind before the digits.
std::array<std::string, 6> megabytePastes()
{
    return {
        "950" + std::string(MEGABYTE, 'x'),
        "1" + std::string(MEGABYTE, ' ') + "0",
        "50." + std::string(MEGABYTE, '0'),
        std::string(MEGABYTE, '0') + "51",
        "2E" + std::string(MEGABYTE, '0'),
        std::string(MEGABYTE / 2, '\t') + std::string(MEGABYTE / 2, '\n') + "3",
    };
}

void megabyteRun(benchmark::State& state)
{
    benchRun(state, megabytePastes());
}
BENCHMARK(megabyteRun)->Unit(benchmark::kMillisecond);

void megabyteRead(benchmark::State& state)
{
    const std::string text = megabytePastes().at(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(quanvik::textToNumber(text));
    }
    state.SetBytesProcessed(
        static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(megabyteRead)->DenseRange(0, 5)->Unit(benchmark::kMicrosecond);

// What a Chinese input method pastes: a megabyte of ideographic spaces before
// a full-width digit, and a megabyte of full-width zeros after '50.'.
void megabyteFullWidth(benchmark::State& state)
{
    std::string text = state.range(0) == 0 ? "" : "５０．";
    while (text.size() < MEGABYTE) {
        text += state.range(0) == 0 ? "　" : "０";
    }
    text += state.range(0) == 0 ? "３" : "";
    const double expected = state.range(0) == 0 ? 3 : 50;
    for (auto _ : state) {
        if (quanvik::textToNumber(text) != expected) {
            state.SkipWithError("the text did not read as its number");
            break;
        }
    }
    state.SetBytesProcessed(
        static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(megabyteFullWidth)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// A megabyte of digits, with and without blanks: beyond the range, so the run
// stops at its first read.
void megabyteOfDigits(benchmark::State& state)
{
    std::string digits;
    digits.reserve(MEGABYTE);
    while (digits.size() < MEGABYTE) {
        digits += state.range(0) != 0 ? "1234567 " : "12345678";
    }
    for (auto _ : state) {
        bool overflowed = false;
        try {
            benchmark::DoNotOptimize(quanvik::textToNumber(digits));
        } catch (const quanvik::AnalysisError& error) {
            overflowed = error.kind() == quanvik::FaultKind::Overflow;
        }
        if (!overflowed) {
            state.SkipWithError("the digits did not read as an overflow");
            break;
        }
    }
}
BENCHMARK(megabyteOfDigits)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

constexpr std::array<std::string_view, 5> TYPED_TEXTS {
    "950", "10", "51", "12.6666666666667", "0.000929126239957016"};

void textToNumber(benchmark::State& state)
{
    const std::string_view text = TYPED_TEXTS.at(static_cast<std::size_t>(state.range(0)));
    state.SetLabel(std::string(text));
    for (auto _ : state) {
        benchmark::DoNotOptimize(quanvik::textToNumber(text));
    }
}
BENCHMARK(textToNumber)->DenseRange(0, TYPED_TEXTS.size() - 1);

// Values the worked example computes: short ones, a quotient with all 17
// digits, and the raw 0.8999999999999999 of step 6.
constexpr std::array<double, 5> COMPUTED {26.676, 2.424, 950.0 / 75, 648.8 / 1.2, 50 * 0.003 * 2 * 3};

void numberToText(benchmark::State& state)
{
    const double value = COMPUTED.at(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(quanvik::numberToText(value));
    }
}
BENCHMARK(numberToText)->DenseRange(0, COMPUTED.size() - 1);

void settle(benchmark::State& state)
{
    const double value = COMPUTED.at(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(quanvik::settle(value));
    }
}
BENCHMARK(settle)->DenseRange(0, COMPUTED.size() - 1);

void floorToInteger(benchmark::State& state)
{
    double value = 12.6666666666667;
    for (auto _ : state) {
        benchmark::DoNotOptimize(value);
        benchmark::DoNotOptimize(quanvik::floorToInteger(value));
    }
}
BENCHMARK(floorToInteger);

void roundTo2(benchmark::State& state)
{
    double value = 540.666666666667;
    for (auto _ : state) {
        benchmark::DoNotOptimize(value);
        benchmark::DoNotOptimize(quanvik::roundTo2(value));
    }
}
BENCHMARK(roundTo2);

} // namespace

BENCHMARK_MAIN();
