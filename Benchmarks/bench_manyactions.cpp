// GUI-thread time with a configuration of 10,000 actions against the 13 default ones: the Actions tab
// appearing, one action run in the playground, the floating bar shown and an action run from it. Each
// case runs a few times and its mean is shown; the machine's load shows less in the median of a few
// runs: --benchmark_repetitions=5.
#include "QuorBenchSupport.h"

#include "QuorZubAppTests/StudioViewModel/FakeStudioEnvironment.h"

#include "QuorZubApp/App/ZubStudioWindow.h"
#include "QuorZubApp/ViewModels/ZubStudioViewModel.h"
#include "QuorZubApp/Views/ZubFloatingBarController.h"
#include "QuorZubApp/Views/ZubFloatingBarState.h"
#include "QuorZubCore/Services/ZubConfigStore.h"
#include "QuorZubCore/Services/ZubTranslationAndAIService.h"

#include <QAbstractButton>
#include <QTemporaryDir>
#include <QUuid>

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <algorithm>
#include <map>
#include <memory>

namespace {

using namespace quor_bench;

// The history cap of the store that writes the configuration; no history is written here.
constexpr int kHistoryCap = 250;


// ---- A configuration of many actions ----

// The default actions and, up to `count`, custom AI actions after them, all enabled.
ZubConfig configWithActions(int count)
{
    ZubConfig config = ZubConfig::defaultConfig();
    for (qsizetype i = config.actions.size(); i < count; ++i) {
        ZubActionDefinition action = ZubActionDefinition::make(
            QUuid::createUuid(), ZubActionKind::customAI, QStringLiteral("Custom %1").arg(i),
            QStringLiteral("Özel %1").arg(i), QStringLiteral("sparkles"), true,
            QStringLiteral("Rewrite the text as reply number %1, keeping every date and name.").arg(i), static_cast<int>(i));
        config.actions.append(action);
    }
    return config;
}

// A data folder whose config.json holds `count` actions, made once per count.
QString folderWithActions(int count)
{
    static std::map<int, std::unique_ptr<QTemporaryDir>> folders;
    auto& folder = folders[count];
    if (!folder) {
        folder = std::make_unique<QTemporaryDir>();
        ZubConfigStore(folder->path(), kHistoryCap).saveConfig(configWithActions(count));
    }
    return folder->path();
}

// The studio's desktop with the real action service (offline actions need nothing more).
class ServiceEnvironment : public FakeStudioEnvironment {
public:
    QCoro::Task<ZubExecutionResult> execute(ZubActionDefinition action, QString inputText, ZubConfig config,
                                            QuorLanguage language, QuorCancellationToken cancel) override
    {
        return m_service.execute(std::move(action), std::move(inputText), std::move(config), language, std::move(cancel));
    }

private:
    ZubTranslationAndAIService m_service{nullptr, nullptr, QUrl(), nullptr};
};

std::unique_ptr<ZubStudioViewModel> actionsViewModel(int count)
{
    auto vm = std::make_unique<ZubStudioViewModel>(std::make_unique<ServiceEnvironment>(), folderWithActions(count));
    runUntil([&] { return vm->config().actions.size() == count; });
    return vm;
}

// Clicking the Actions tab in the studio window until the tab is laid out and painted; MB is how
// much resident memory it took.
void BM_ActionsTabAppears(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    auto vm = actionsViewModel(count);
    double grown = 0;
    for (auto _ : state) {
        state.PauseTiming();
        vm->setSelectedTab(ZubStudioTab::history);
        auto window = std::make_unique<ZubStudioWindow>(vm.get(), accent());
        present(*window);
        ::malloc_trim(0);
        const double before = residentMegabytes();
        state.ResumeTiming();
        vm->setSelectedTab(ZubStudioTab::actions);
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(window->grab());
        state.PauseTiming();
        grown = residentMegabytes() - before;
        window.reset();
        state.ResumeTiming();
    }
    state.counters["MB"] = grown;
    state.SetLabel(QStringLiteral("%1 actions").arg(count).toStdString());
}
BENCHMARK(BM_ActionsTabAppears)->Arg(13)->Arg(10'000)->Unit(benchmark::kMillisecond)->Iterations(5);

// One Calculate in the playground of the studio window, from the click to its result on screen;
// service_ms is the run's own duration as its result reports it.
void BM_ActionRunAmongMany(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    auto vm = actionsViewModel(count);
    vm->setSelectedTab(ZubStudioTab::playground);
    ZubStudioWindow window(vm.get(), accent());
    present(window);
    vm->setPlaygroundText(QStringLiteral("4250 + 20%"));
    QCoreApplication::processEvents();
    const QList<ZubActionDefinition> actions = vm->config().actions;
    const auto calculate = std::find_if(actions.cbegin(), actions.cend(), [](const ZubActionDefinition& action) {
        return action.kind == ZubActionKind::calculate;
    });
    double service = 0;
    for (auto _ : state) {
        state.PauseTiming();
        vm->setPlaygroundResult(std::nullopt);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        vm->runPlaygroundAction(*calculate);
        runUntil([&] { return !vm->isPlaygroundBusy() && vm->playgroundResult().has_value(); });
        benchmark::DoNotOptimize(window.grab());
        state.PauseTiming();
        service = static_cast<double>(vm->playgroundResult()->durationMs);
        state.ResumeTiming();
    }
    state.counters["service_ms"] = service;
    if (!vm->playgroundResult() || vm->playgroundResult()->outputText != QStringLiteral("5100")) {
        state.SkipWithError("the calculation did not reach the playground");
    }
    state.SetLabel(QStringLiteral("%1 actions").arg(count).toStdString());
}
BENCHMARK(BM_ActionRunAmongMany)->Arg(13)->Arg(10'000)->Unit(benchmark::kMillisecond)->Iterations(10);

// ---- The floating bar with many actions ----

// The floating bar for a selection, as the selection road shows it: first_show_ms is the GUI
// thread's time from the selection to the bar painted the first time after the action list changed
// (an action turned off or back on), repeat_show_ms the same for the next selection, run_ms a
// click on its Calculate pill until the result card is painted, and MB the resident memory the
// first showing took. Means of the runs.
void BM_FloatingBarAmongMany(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    auto vm = actionsViewModel(count);
    ZubFloatingBarController* bar = vm->floatingBarController();
    const QString selection = QStringLiteral("4250 + 20%");
    const QUuid last = vm->config().actions.last().id;
    const QList<ZubActionDefinition> actions = vm->config().actions;
    const auto calculate = std::find_if(actions.cbegin(), actions.cend(), [](const ZubActionDefinition& action) {
        return action.kind == ZubActionKind::calculate;
    });
    const QString calculatePill = QStringLiteral("pill:") + calculate->id.toString(QUuid::WithoutBraces);
    // Until the bar has sprung in and is painted.
    const auto showBar = [&] {
        vm->presentFloatingBar(selection, QPoint(600, 400), true);
        runUntil([&] { return bar->state()->isPresented(); });
        benchmark::DoNotOptimize(bar->panel()->grab());
    };
    // The panel exists from the first showing on, as after the first selection of a session.
    showBar();
    bar->hide(false);
    double firstShow = 0;
    double repeatShow = 0;
    double run = 0;
    double grown = 0;
    bool enabled = true;
    bool calculated = true;
    for (auto _ : state) {
        state.PauseTiming();
        enabled = !enabled;
        vm->toggleActionEnabled(last, enabled);
        // The configuration's save is not the bar's.
        vm->flushConfig();
        settle(std::chrono::milliseconds(50));
        ::malloc_trim(0);
        const double before = residentMegabytes();
        QElapsedTimer clock;
        state.ResumeTiming();
        clock.start();
        showBar();
        firstShow += static_cast<double>(clock.nsecsElapsed()) / 1e6;
        state.PauseTiming();
        grown += residentMegabytes() - before;
        bar->hide(false);
        QCoreApplication::processEvents();
        clock.start();
        showBar();
        repeatShow += static_cast<double>(clock.nsecsElapsed()) / 1e6;
        auto* pill = bar->panel()->findChild<QAbstractButton*>(calculatePill);
        clock.start();
        if (pill != nullptr) {
            pill->click();
        }
        runUntil([&] { return bar->state()->result().has_value(); });
        benchmark::DoNotOptimize(bar->panel()->grab());
        run += static_cast<double>(clock.nsecsElapsed()) / 1e6;
        calculated = calculated && bar->state()->result() && bar->state()->result()->outputText == QStringLiteral("5100");
        bar->hide(false);
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["first_show_ms"] = firstShow / runs;
    state.counters["repeat_show_ms"] = repeatShow / runs;
    state.counters["run_ms"] = run / runs;
    state.counters["MB"] = grown / runs;
    if (!calculated) {
        state.SkipWithError("the bar's Calculate did not show its result");
    }
    state.SetLabel(QStringLiteral("%1 actions").arg(count).toStdString());
}
BENCHMARK(BM_FloatingBarAmongMany)->Arg(13)->Arg(10'000)->Unit(benchmark::kMillisecond)->Iterations(4);

} // namespace

int main(int argc, char** argv)
{
    return quor_bench::runStudioBenchmarks(argc, argv);
}