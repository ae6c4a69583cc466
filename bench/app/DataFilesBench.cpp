// Save all of a long run: 1,000,000 rows of cycle-like values into a fresh folder; one
// autosave; one row into the crash journal, made durable, as after every cycle.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>

#include "app/DataFiles.h"
#include "app/Journal.h"

namespace {

struct Run {
  TRtDoubleVector time, seconds, sensor, setpoint, pumpV, pumpI, temperature;
  TDataColumns Columns() const {
    return {&time, &seconds, &sensor, &setpoint, &pumpV, &pumpI, &temperature};
  }
  explicit Run(int rows) {
    std::mt19937_64 rng(1);
    std::normal_distribution<double> noise(0, 1);
    const TDateTime start = EncodeDateTime(2024, 5, 17, 9, 0, 0);
    for (int i = 0; i < rows; ++i) {
      const double s = i * 1.487 + 0.001 * noise(rng);
      time.Add(start + s / 86400);
      seconds.Add(s);
      sensor.Add(0.0250 + 1e-5 * noise(rng));
      setpoint.Add(0.025);
      pumpV.Add(-0.31 + 1e-3 * noise(rng));
      pumpI.Add(1.2e-4 + 1e-7 * noise(rng));
      temperature.Add(i % 10 == 0 ? 701.3 + noise(rng) : 0);
      if (i % 10 != 0) temperature.AddOutlier(i);
    }
  }
};

void BM_SaveAll(benchmark::State& state) {
  const int rows = int(state.range(0));
  const Run run(rows);
  char tmpl[] = "/tmp/zk_bench_XXXXXX";
  if (::mkdtemp(tmpl) == nullptr) {
    state.SkipWithError("no temporary folder");
    return;
  }
  const std::string dir = tmpl;
  const TDateTime now = EncodeDateTime(2024, 5, 24, 9, 0, 0);
  int progress = 0;
  std::uintmax_t bytes = 0;
  for (auto _ : state) {
    const TSaveResult r = SaveAll(dir, run.Columns(), now, [&](const std::string&) { ++progress; });
    if (!r.ok) {
      state.SkipWithError(r.message.c_str());
      break;
    }
    bytes = std::filesystem::file_size(r.path);
  }
  state.counters["rows"] = rows;
  state.counters["MB"] = double(bytes) / 1e6;
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(bytes));
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_SaveAll)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(5);

// One autosave of 100 new rows appended to an hour file.
void BM_Autosave100(benchmark::State& state) {
  const Run run(200000);
  char tmpl[] = "/tmp/zk_bench_XXXXXX";
  if (::mkdtemp(tmpl) == nullptr) return;
  const std::string dir = tmpl;
  const TDateTime now = EncodeDateTime(2024, 5, 24, 9, 0, 0);
  for (auto _ : state) {
    state.PauseTiming();
    int start = 199900;
    state.ResumeTiming();
    const TSaveResult r = Autosave(dir, run.Columns(), start, now, {});
    if (!r.ok) state.SkipWithError(r.message.c_str());
  }
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_Autosave100)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

// One presented row appended to the journal with write + fdatasync, in a folder on the build
// disk (not /tmp, which may be memory).
void BM_JournalRow(benchmark::State& state) {
  const Run run(20000);
  const std::string dir = std::filesystem::current_path().string() + "/zk_bench_journal";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directory(dir);
  TRtDoubleVector time, seconds, sensor, setpoint, pumpV, pumpI, temperature;
  const TDataColumns c{&time, &seconds, &sensor, &setpoint, &pumpV, &pumpI, &temperature};
  TRunJournal journal(dir, EncodeDateTime(2024, 5, 24, 9, 0, 0), {});
  int i = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const int k = i++ % 20000;
    for (auto [to, from] : {std::pair{&time, &run.time},
                            {&seconds, &run.seconds},
                            {&sensor, &run.sensor},
                            {&setpoint, &run.setpoint},
                            {&pumpV, &run.pumpV},
                            {&pumpI, &run.pumpI},
                            {&temperature, &run.temperature}})
      to->Add(from->GetValue(k));
    state.ResumeTiming();
    journal.Keep(c);
  }
  if (journal.Failing()) state.SkipWithError("journal not written");
  journal.Remove();
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_JournalRow)->Unit(benchmark::kMicrosecond)->Iterations(2000);
