// A small timing harness: each figure is the median of several runs, and every figure is
// printed beside the floor it is compared with, measured in the same run.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace qvm::bench {

inline double NowMs() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

// Median of `runs` timings of `work`, in milliseconds; `setup` runs untimed before each.
inline double MedianMs(int runs, const std::function<void()>& work,
                       const std::function<void()>& setup = {}) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    if (setup) setup();
    double start = NowMs();
    work();
    times.push_back(NowMs() - start);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

struct Row {
  std::string figure;
  double value;
  std::string unit;
  std::string floorName;  // empty: no floor
  double floor = 0;
  std::string goal;
};

class Table {
 public:
  void Add(Row row) { rows_.push_back(std::move(row)); }
  std::string Markdown() const {
    std::string out = "| figure | value | floor | ratio | goal |\n|---|---:|---|---:|---|\n";
    char buf[512];
    for (const Row& r : rows_) {
      std::string floor = r.floorName.empty() ? "" : r.floorName + " " + Fmt(r.floor) + " " + r.unit;
      std::string ratio = r.floorName.empty() || r.floor <= 0 ? "" : Fmt(r.value / r.floor) + "x";
      std::snprintf(buf, sizeof buf, "| %s | %s %s | %s | %s | %s |\n", r.figure.c_str(),
                    Fmt(r.value).c_str(), r.unit.c_str(), floor.c_str(), ratio.c_str(),
                    r.goal.c_str());
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

}  // namespace qvm::bench
