// A small timing harness: each figure is the median of several runs, and every figure is
// printed beside the floor it is compared with, measured in the same run.
//
// The benchmark programs print their rows as tab-separated lines (Table::Tsv), so that
// scripts/run-bench can put the rows of every program into one table.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qvm::bench {

inline double NowMs() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

inline double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Median of `runs` timings of `work`, in milliseconds; `setup` and `teardown` run untimed
// before and after each.
inline double MedianMs(int runs, const std::function<void()>& work,
                       const std::function<void()>& setup = {},
                       const std::function<void()>& teardown = {}) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    if (setup) setup();
    double start = NowMs();
    work();
    times.push_back(NowMs() - start);
    if (teardown) teardown();
  }
  return Median(times);
}

// Medians of a figure and its floor, their runs taken in turns, so that a busy moment of a
// shared machine weighs on both alike. `setup` runs untimed before each run of `work`.
struct Pair {
  double floor;
  double value;
};
inline Pair MedianPairMs(int runs, const std::function<void()>& floorWork,
                         const std::function<void()>& work,
                         const std::function<void()>& setup = {}) {
  std::vector<double> floors, values;
  for (int i = 0; i < runs; ++i) {
    double start = NowMs();
    floorWork();
    floors.push_back(NowMs() - start);
    if (setup) setup();
    start = NowMs();
    work();
    values.push_back(NowMs() - start);
  }
  return {Median(floors), Median(values)};
}

struct Row {
  std::string figure;
  double value;
  std::string unit;
  std::string floorName;  // empty: no floor
  double floor = 0;
  std::string goal;         // as the issue words it; empty: no goal
  std::optional<bool> met;  // empty: nothing to judge
};

class Table {
 public:
  void Add(Row row) { rows_.push_back(std::move(row)); }
  const std::vector<Row>& Rows() const { return rows_; }

  // One line per row: figure, value, unit, floor name, floor, goal, met (yes/no/empty).
  // Tabs and newlines never occur in the texts.
  std::string Tsv() const {
    std::string out;
    char buf[64];
    for (const Row& r : rows_) {
      std::snprintf(buf, sizeof buf, "%.4f", r.value);
      out += r.figure + "\t" + buf + "\t" + r.unit + "\t" + r.floorName + "\t";
      std::snprintf(buf, sizeof buf, "%.4f", r.floor);
      out += buf;
      out += "\t" + r.goal + "\t" + (r.met ? (*r.met ? "yes" : "no") : "") + "\n";
    }
    return out;
  }

  std::string Markdown() const {
    std::string out =
        "| figure | value | floor | ratio | goal | met |\n|---|---:|---|---:|---|---|\n";
    char buf[1024];
    for (const Row& r : rows_) {
      std::string floor =
          r.floorName.empty() ? "" : r.floorName + " " + Fmt(r.floor) + " " + r.unit;
      std::string ratio = r.floorName.empty() || r.floor <= 0 ? "" : Fmt(r.value / r.floor) + "x";
      std::snprintf(buf, sizeof buf, "| %s | %s %s | %s | %s | %s | %s |\n", r.figure.c_str(),
                    Fmt(r.value).c_str(), r.unit.c_str(), floor.c_str(), ratio.c_str(),
                    r.goal.c_str(), r.met ? (*r.met ? "yes" : "**no**") : "");
      out += buf;
    }
    return out;
  }

 private:
  static std::string Fmt(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, v >= 100 ? "%.0f" : (v >= 10 ? "%.1f" : "%.2f"), v);
    return buf;
  }
  std::vector<Row> rows_;
};

// Keeps a result alive so that the compiler cannot drop the work that made it.
template <class T>
inline void KeepAlive(const T& value) {
  asm volatile("" : : "g"(&value) : "memory");
}

}  // namespace qvm::bench
