#pragma once
// Shared pieces of the database benchmarks: a seeded SQLite file in a temporary folder, the raw
// handle behind the service, and the ratio of a benchmark to its raw baseline of the same run.
#include "host/db/DbService.h"
#include "host/admin/DemoData.h"
#include "host/db/Schema.h"
#include "host/db/engines/SqliteConnection.h"

#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sqlite3.h>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace jxcbench {

// The raw baselines' libsqlite3 calls, with errors turned into exceptions and nothing added.
namespace raw {

inline sqlite3_stmt* Prepare(sqlite3* h, const char* sql)
{
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v3(h, sql, -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(h));
    return s;
}

inline void Exec(sqlite3* h, const char* sql)
{
    if (sqlite3_exec(h, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(h));
}

// Runs a statement that returns no rows and makes it ready for the next run.
inline void Step(sqlite3* h, sqlite3_stmt* s)
{
    const int rc = sqlite3_step(s);
    sqlite3_reset(s);
    if (rc != SQLITE_DONE)
        throw std::runtime_error(sqlite3_errmsg(h));
}

} // namespace raw

class SeededSqlite {
public:
    explicit SeededSqlite(const host::db::DemoOptions& options)
    {
        if (!dir_.isValid())
            throw std::runtime_error("no temporary folder");
        auto c = host::db::Open(QStringLiteral("sqlite:") + dir_.filePath(QStringLiteral("bench.sqlite")));
        host::db::CreateSchema(*c);
        const auto t0 = std::chrono::steady_clock::now();
        summary_ = host::db::SeedDemo(*c, options);
        seedSeconds_ = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        svc_ = plugin::IntfPtr<host::db::DbService>(new host::db::DbService(std::move(c)));
    }
    host::db::DbService& Service() { return *svc_; }
    sqlite3* Raw() { return dynamic_cast<host::db::SqliteConnection&>(svc_->GetConnection()).Handle(); }
    const host::db::DemoSummary& Summary() const { return summary_; }
    double SeedSeconds() const { return seedSeconds_; }

private:
    QTemporaryDir dir_;
    plugin::IntfPtr<host::db::DbService> svc_;
    host::db::DemoSummary summary_;
    double seedSeconds_ = 0;
};

class IterationClock;

// Mean wall time per iteration of a benchmark, kept so that its counterpart can report a ratio.
class Ratios {
public:
    static std::map<std::string, double>& Means()
    {
        static std::map<std::string, double> m;
        return m;
    }
    static void Record(const std::string& name, const IterationClock& clock);
    static double Get(const std::string& name)
    {
        auto it = Means().find(name);
        return it == Means().end() ? 0 : it->second;
    }
    // Sets the counters x_raw (wall time) and x_raw_cpu (process CPU time, steadier when the
    // machine is busy) of a benchmark against its baseline.
    static void Counters(benchmark::State& state, const IterationClock& clock, const std::string& baseline);
    // "what: 2.10 x the raw baseline (...)", after the run.
    static void Print(const char* what, const std::string& measured, const std::string& baseline)
    {
        const double a = Get(measured), b = Get(baseline);
        const double ac = Get(measured + "/cpu"), bc = Get(baseline + "/cpu");
        if (a > 0 && b > 0)
            std::printf("%s: %.2f x the raw baseline in wall time (%.3f ms vs %.3f ms), %.2f x in CPU time\n", what,
                        a / b, a * 1e3, b * 1e3, bc > 0 ? ac / bc : 0.0);
    }
};

// Times the measured part of each iteration on the wall clock and in process CPU time.
class IterationClock {
public:
    void Start()
    {
        t0_ = std::chrono::steady_clock::now();
        c0_ = std::clock();
    }
    void Stop()
    {
        total_ += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0_).count();
        cpu_ += double(std::clock() - c0_) / CLOCKS_PER_SEC;
        ++n_;
    }
    double Mean() const { return n_ ? total_ / double(n_) : 0; }
    double CpuMean() const { return n_ ? cpu_ / double(n_) : 0; }

private:
    std::chrono::steady_clock::time_point t0_;
    std::clock_t c0_ = 0;
    double total_ = 0, cpu_ = 0;
    long n_ = 0;
};

inline void Ratios::Record(const std::string& name, const IterationClock& clock)
{
    Means()[name] = clock.Mean();
    Means()[name + "/cpu"] = clock.CpuMean();
}

inline void Ratios::Counters(benchmark::State& state, const IterationClock& clock, const std::string& baseline)
{
    if (const double raw = Get(baseline); raw > 0)
        state.counters["x_raw"] = clock.Mean() / raw;
    if (const double raw = Get(baseline + "/cpu"); raw > 0)
        state.counters["x_raw_cpu"] = clock.CpuMean() / raw;
}

// The middle of the ratios of runs taken in pairs, one of each way in turn: a busy machine
// slows both of a pair alike, so this is steadier than the ratio of two separate runs.
inline double Median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// The value at fraction q (0..1) of the sorted values, between neighbours.
inline double Quantile(std::vector<double> v, double q)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const double at = q * double(v.size() - 1);
    const size_t lo = size_t(at);
    const size_t hi = std::min(lo + 1, v.size() - 1);
    return v[lo] + (v[hi] - v[lo]) * (at - double(lo));
}

// How many pairs a paired figure takes: $JXC_BENCH_PAIRS, at least 15 unless it says fewer
// (a profiler run takes one or two).
inline int PairCount(int fallback = 15)
{
    const char* env = std::getenv("JXC_BENCH_PAIRS");
    const int n = env ? std::atoi(env) : 0;
    return n > 0 ? n : fallback;
}

// The ratios of runs taken in pairs, one of each way in turn, and their medians.
class Pairs {
public:
    void Add(const IterationClock& way, const IterationClock& raw)
    {
        if (raw.Mean() > 0)
            wall_.push_back(way.Mean() / raw.Mean());
        if (raw.CpuMean() > 0)
            cpu_.push_back(way.CpuMean() / raw.CpuMean());
    }
    size_t Count() const { return wall_.size(); }
    // Runs the next pair's two ways, the first of them alternating from pair to pair: neither
    // always meets the caches the other left.
    template <class Way, class Raw>
    void InTurn(Way&& way, Raw&& raw) const
    {
        if (Count() % 2 == 0) {
            raw();
            way();
        } else {
            way();
            raw();
        }
    }
    void Print() const
    {
        if (!wall_.empty())
            std::printf("The same in pairs, one of each in turn: median %.2f x the raw baseline in wall time, %.2f x "
                        "in CPU time (%zu pairs)\n",
                        Median(wall_), Median(cpu_), wall_.size());
    }
    // The line scripts/bench.sh reads, one per figure:
    //   ratio NAME=WALL cpu=CPU pairs=N wall_q=P25..P75 cpu_q=P25..P75
    // medians of the paired ratios, and the middle half of them as their spread.
    void Report(const char* name) const
    {
        if (wall_.empty())
            return;
        std::printf("ratio %s=%.3f cpu=%.3f pairs=%zu wall_q=%.3f..%.3f cpu_q=%.3f..%.3f\n", name, Median(wall_),
                    Median(cpu_), wall_.size(), Quantile(wall_, 0.25), Quantile(wall_, 0.75), Quantile(cpu_, 0.25),
                    Quantile(cpu_, 0.75));
        std::fflush(stdout);
    }

private:
    std::vector<double> wall_, cpu_;
};

// A figure that is not timed (bytes held against raw bytes), on the same kind of line.
inline void ReportRatio(const char* name, double ratio)
{
    std::printf("ratio %s=%.3f pairs=1\n", name, ratio);
    std::fflush(stdout);
}

// Runs both ways in turn, `pairs` times, and reports the figure. Each way is called with a clock
// it starts and stops around the work it measures, so that setting up stays out.
template <class Way, class Raw>
Pairs RunPairs(const char* name, int pairs, Way&& way, Raw&& raw)
{
    Pairs result;
    for (int i = 0; i < pairs; ++i) {
        IterationClock wayClock, rawClock;
        result.InTurn([&] { way(wayClock); }, [&] { raw(rawClock); });
        result.Add(wayClock, rawClock);
    }
    result.Report(name);
    return result;
}

} // namespace jxcbench
