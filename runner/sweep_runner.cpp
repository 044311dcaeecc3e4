#include "runner/sweep_runner.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <filesystem>
#include <mutex>
#include <thread>

#include "engine/engine.h"
#include "io/input_reading.h"
#include "io/number_text.h"
#include "model/messages.h"
#include "runner/run_command.h"

namespace meltsim {

namespace {

CaseResults ResultsOf(const InputData& in, const SimState& s, bool withProfile) {
  CaseResults r;
  r.NSTEP = s.NSTEP;
  r.end = s.marchEnd;
  if (s.NSTEP > 0 && s.StepResults.size() >= static_cast<std::size_t>(s.NSTEP)) {
    r.FLIGHT = s.StepResults[s.NSTEP - 1].RFLIGHT;
  }
  if (withProfile && s.NSTEP > 0 && s.StepResults.size() >= static_cast<std::size_t>(s.NSTEP)) {
    r.solidProfile.reserve(static_cast<std::size_t>(s.NSTEP));
    for (int i = 0; i < s.NSTEP; ++i)
      r.solidProfile.emplace_back(s.StepResults[i].RFLIGHT, s.StepResults[i].RQSQT);
  }
  r.summary = SummaryOf(in, s);
  return r;
}

void FillRow(const RunOutcome& out, bool withProfile, CaseRow& row) {
  row.status = StatusOf(out);
  row.notices = out.notices;
  row.warnings = out.warnings;
  row.notes = out.notes;
  row.accounting = out.accounting;
  if (out.status == RunStatus::Done) {
    row.results = ResultsOf(out.inputs, out.state, withProfile);
    return;
  }
  row.message = out.message;
  // A result file that could not be completed after a finished march.
  if (out.status == RunStatus::FileError && out.state.marchEnd != MarchEnd::NotRun) {
    row.results = ResultsOf(out.inputs, out.state, withProfile);
  }
}

// Read and check like GO, then the simulation; no file is touched.
void RunInMemory(const FieldTexts& texts, SeriesMode mode, bool withProfile, CaseRow& row) {
  InputData in;
  if (const Expected<void> checked = ReadAndCheck(texts, kDefaultSaveFileName, in); !checked) {
    row.status = CaseStatus::InputError;
    row.message = checked.error().message;
    return;
  }
  RecordingMessageSink messages;
  FillRow(SimulateInputs(in, messages, mode), withProfile, row);
}

// The run command of `meltsim-cli run`, with the case's result file.
void RunWithResultFile(const FieldTexts& texts, const std::string& path, SeriesMode mode,
                       bool withProfile, CaseRow& row) {
  RecordingMessageSink messages;
  FillRow(RunCommand(texts, path, messages, mode), withProfile, row);
}

// Holds the rows that are finished ahead of the next one to be written, in
// a ring of `window` slots: a worker may start case position p only when
// p is less than `window` ahead of the writer, so the ring never overflows
// and memory stays flat however many cases there are.
class ReorderBuffer {
 public:
  explicit ReorderBuffer(std::size_t window) : slots_(window) {}

  // Blocks until `position` fits in the window; false when the sweep stopped.
  bool WaitForRoom(std::uint64_t position) {
    std::unique_lock lock(mutex_);
    room_.wait(lock, [&] { return stopped_ || position < next_ + slots_.size(); });
    return !stopped_;
  }

  void Put(std::uint64_t position, CaseRow row) {
    bool isNext = false;
    {
      std::lock_guard lock(mutex_);
      slots_[position % slots_.size()] = std::move(row);
      isNext = position == next_;
    }
    if (isNext) ready_.notify_one();
  }

  // The next row in order, once it is there; nothing when the sweep stopped.
  std::optional<CaseRow> TakeNext() {
    std::unique_lock lock(mutex_);
    std::optional<CaseRow>& slot = slots_[next_ % slots_.size()];
    ready_.wait(lock, [&] { return stopped_ || slot.has_value(); });
    if (!slot) return std::nullopt;
    std::optional<CaseRow> row = std::move(slot);
    slot.reset();
    ++next_;
    lock.unlock();
    room_.notify_all();
    return row;
  }

  void Stop() {
    {
      std::lock_guard lock(mutex_);
      stopped_ = true;
    }
    room_.notify_all();
    ready_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable room_;   // a slot became free
  std::condition_variable ready_;  // the next row arrived
  std::vector<std::optional<CaseRow>> slots_;
  std::uint64_t next_ = 0;  // position of the next row to write
  bool stopped_ = false;
};

// The worker threads: each takes the next case position from a shared
// counter, runs it with its own inputs and state, and files the row.
class Workers {
 public:
  Workers(const SweepPlan& plan, const CaseFunction& runCase, std::uint64_t total,
          ReorderBuffer& buffer)
      : plan_(plan), runCase_(runCase), total_(total), buffer_(buffer) {}
  ~Workers() { Join(); }

  void Start(unsigned jobs) {
    for (unsigned j = 0; j < jobs; ++j) threads_.emplace_back([this] { Work(); });
  }
  void Join() {
    for (std::thread& t : threads_) {
      if (t.joinable()) t.join();
    }
  }
  // The exception that ended a worker, if any (rethrown after the join).
  std::exception_ptr Error() {
    std::lock_guard lock(errorMutex_);
    return error_;
  }

 private:
  void Work() {
    try {
      for (;;) {
        const std::uint64_t position = nextPosition_.fetch_add(1);
        if (position >= total_ || !buffer_.WaitForRoom(position)) return;
        const std::uint64_t index = plan_.shardIndex + position * plan_.shardCount;
        buffer_.Put(position, runCase_(plan_, index));
      }
    } catch (...) {  // out of memory or the like: the sweep cannot go on
      {
        std::lock_guard lock(errorMutex_);
        if (!error_) error_ = std::current_exception();
      }
      buffer_.Stop();
    }
  }

  const SweepPlan& plan_;
  const CaseFunction& runCase_;
  const std::uint64_t total_;
  ReorderBuffer& buffer_;
  std::atomic<std::uint64_t> nextPosition_{0};
  std::vector<std::thread> threads_;
  std::mutex errorMutex_;
  std::exception_ptr error_;
};

}  // namespace

std::uint64_t ShardSize(const SweepPlan& plan) {
  const std::uint64_t size = plan.grid.Size();
  if (plan.shardCount == 0 || plan.shardIndex >= size) return 0;
  return (size - plan.shardIndex - 1) / plan.shardCount + 1;
}

std::string CaseFileName(std::uint64_t caseNumber, std::uint64_t gridSize) {
  const std::size_t digits = std::max<std::size_t>(5, IntegerText(gridSize).size());
  std::string number = IntegerText(caseNumber);
  if (number.size() < digits) number.insert(0, digits - number.size(), '0');
  return "case_" + number + ".txt";
}

CaseRow RunSweepCase(const SweepPlan& plan, std::uint64_t index) {
  CaseRow row;
  row.caseNumber = index + 1;
  row.values = plan.grid.ValuesAt(index);
  row.seriesMode = plan.seriesMode;
  try {
    const FieldTexts texts = plan.grid.TextsAt(plan.base, index);
    if (plan.resultsDir.empty()) {
      RunInMemory(texts, plan.seriesMode, plan.keepSolidProfile, row);
    } else {
      const std::filesystem::path file =
          std::filesystem::path(plan.resultsDir) / CaseFileName(row.caseNumber, plan.grid.Size());
      RunWithResultFile(texts, file.string(), plan.seriesMode, plan.keepSolidProfile, row);
    }
  } catch (const std::exception& e) {  // e.g. a check of the model's own consistency
    row.status = CaseStatus::CalculationError;
    row.message = e.what();
    row.results.reset();
  }
  return row;
}

unsigned DefaultJobs() { return std::clamp(std::thread::hardware_concurrency(), 1u, MaxJobs()); }

namespace {

// One job: every case on the calling thread, in order, with no thread at all
// (a platform without threads runs sweeps this way).
void RunSweepHere(const SweepPlan& plan, const SweepSettings& settings, CaseRowSink& sink,
                  const CaseFunction& runCase, std::uint64_t total) {
  for (std::uint64_t position = 0; position < total; ++position) {
    sink.Write(runCase(plan, plan.shardIndex + position * plan.shardCount));
    if (settings.progress) settings.progress(position + 1, total);
  }
}

}  // namespace

void RunSweep(const SweepPlan& plan, const SweepSettings& settings, CaseRowSink& sink) {
  RunSweep(plan, settings, sink, RunSweepCase);
}

void RunSweep(const SweepPlan& plan, const SweepSettings& settings, CaseRowSink& sink,
              const CaseFunction& runCase) {
  const std::uint64_t total = ShardSize(plan);
  if (total == 0) return;
  const unsigned jobs = static_cast<unsigned>(
      std::clamp<std::uint64_t>(std::min(settings.jobs, MaxJobs()), 1, total));
  if (jobs == 1) return RunSweepHere(plan, settings, sink, runCase, total);
  const std::size_t window =
      settings.window > 0 ? settings.window : std::max<std::size_t>(256, 64 * std::size_t{jobs});
  ReorderBuffer buffer(std::max<std::size_t>(window, 1));
  Workers workers(plan, runCase, total, buffer);
  try {
    workers.Start(jobs);
    for (std::uint64_t written = 0; written < total; ++written) {
      std::optional<CaseRow> row = buffer.TakeNext();
      if (!row) break;  // a worker failed; its error is rethrown below
      sink.Write(*row);
      if (settings.progress) settings.progress(written + 1, total);
    }
  } catch (...) {
    buffer.Stop();
    workers.Join();
    throw;
  }
  workers.Join();
  if (const std::exception_ptr error = workers.Error()) std::rethrow_exception(error);
}

}  // namespace meltsim
