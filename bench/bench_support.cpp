// What the benchmark's modes share: the reference loops, the statistics and verdicts, the
// steps of a run.
#include "bench_support.h"

#include <algorithm>
#include <cstdio>
#include <sys/wait.h>

std::string reference_path(const program_row &row) {
  std::string name = row.name;
  return REFERENCE_DIR "/reference_" + name.substr(name.find('_') + 1);
}

bool ends_on_escape(const x_screen &screen, running_program &program) {
  int status = end_with_escape(screen, program);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0.0 : (v[(v.size() - 1) / 2] + v[v.size() / 2]) / 2.0;
}

std::string spread(const std::vector<double> &v, const char *format, double centre) {
  auto text = [format](double value) {
    char number[32];
    std::snprintf(number, sizeof number, format, value);
    return std::string(number);
  };
  return text(centre >= 0 ? centre : median(v)) + " (" +
         text(*std::min_element(v.begin(), v.end())) + "–" +
         text(*std::max_element(v.begin(), v.end())) + ")";
}

void judge(goal &g, const char *program, double ratio) {
  bool worse = g.worst_program.empty() || (g.at_most ? ratio > g.worst : ratio < g.worst);
  if (worse) {
    g.worst = ratio;
    g.worst_program = program;
  }
}
