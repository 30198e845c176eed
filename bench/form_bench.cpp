// Building the window and painting it the first time, offscreen.
#include "quanvik_form.h"

#include <QApplication>
#include <QPixmap>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

void constructAndPaint(benchmark::State& state)
{
    for (auto _ : state) {
        auto form = std::make_unique<Quanvik>();
        form->show();
        QCoreApplication::processEvents();
        const QPixmap picture = form->grab();
        benchmark::DoNotOptimize(picture.cacheKey());
        state.PauseTiming();
        form.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
// The first form of the process also loads the fonts, as at start-up; it is
// registered first so that it runs first.
BENCHMARK(constructAndPaint)->Name("firstConstructAndPaint")->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(constructAndPaint)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    const QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
