#ifndef BENCH_REPORT_H
#define BENCH_REPORT_H

// The closing table of `make bench`: each benchmark adds its figures, each
// beside a baseline measured in the same run, to the file ZEL_BENCH_REPORT
// names (nothing without it).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

// One row: what, our figure, the baseline's name and figure, their unit;
// the ratio is figure / baseline.
inline void reportFigure(const std::string& what, double figure, const std::string& baselineName,
                         double baseline, const char* unit) {
  const char* path = getenv("ZEL_BENCH_REPORT");
  if (path == nullptr) return;
  if (FILE* f = fopen(path, "a")) {
    fprintf(f, "%s\t%.3g %s\t%s %.3g %s\t%.3f\n", what.c_str(), figure, unit, baselineName.c_str(), baseline,
            unit, baseline != 0 ? figure / baseline : 0.0);
    fclose(f);
  }
}

// The value at fraction p (0.5: the median) of the sorted samples.
inline double percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5)];
}

// The console report, keeping the median of one counter per benchmark, so
// that figures can be set beside their baselines once all have run.
class MedianReporter : public benchmark::ConsoleReporter {
 public:
  explicit MedianReporter(std::string counter) : counter_(std::move(counter)) {}

  void ReportRuns(const std::vector<Run>& reports) override {
    ConsoleReporter::ReportRuns(reports);
    for (const Run& r : reports) {
      if (r.aggregate_name != "median") continue;
      const auto c = r.counters.find(counter_);
      if (c != r.counters.end()) medians_[r.run_name.function_name] = c->second.value;
    }
  }

  // Prints ours / baseline and adds the row to the table; silent when either is missing.
  void compare(const std::string& what, const std::string& ours, const std::string& baselineName,
               const std::string& baseline, const char* unit) {
    if (medians_.count(ours) == 0 || medians_.count(baseline) == 0 || medians_[baseline] <= 0) return;
    printf("  %-44s %7.3f  (%.3g vs %.3g %s)\n", what.c_str(), medians_[ours] / medians_[baseline],
           medians_[ours], medians_[baseline], unit);
    reportFigure(what, medians_[ours], baselineName, medians_[baseline], unit);
  }

 private:
  std::string counter_;
  std::map<std::string, double> medians_;
};

#endif
