// bench_runner: on an X display, compares each program with its reference loop (passes and
// motion steps a second, time to first frame, peak memory; the instructions of a pass, counted
// by callgrind; the size switch, timed), or soaks one program for minutes.
// Usage: bench_runner bench [PAIRS] | count [PROGRAM] |
//                     switch [PRESSES [xwayland]] | soak PROGRAM MINUTES
#include <X11/keysym.h>
#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "process_control.h"
#include "program_rows.h"
#include "screen_reading.h"

namespace {
// The reference loop built from a program's settings: reference_fit for bounce_fit.
std::string reference_path(const program_row &row) {
  std::string name = row.name;
  return REFERENCE_DIR "/reference_" + name.substr(name.find('_') + 1);
}

// Whole-second status readings a run collects.
const size_t readings_per_run = 3;
// Extra runs of each side, in each pair, that time only the first frame.
const int short_runs_per_pair = 2;

struct run_result {
  bool ok;
  std::vector<double> passes; // whole-second status readings
  double steps, first_frame, peak_mib;
};

// A kernel counter of the process, in MiB ("VmHWM" is the peak resident size).
double proc_mib(pid_t pid, const std::string &field) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line))
    if (line.compare(0, field.size() + 1, field + ":") == 0)
      return std::atof(line.c_str() + field.size() + 1) / 1024.0;
  return 0.0;
}

// The last line written to a file: what a failed helper said.
std::string last_line(const std::string &path) {
  std::ifstream in(path);
  std::string line, last;
  while (std::getline(in, line))
    if (!line.empty())
      last = line;
  return last;
}

// The pass count on the status line, or -1 while none can be read.
int status_passes(const x_screen &screen, const glyph_table &glyphs, std::string &text) {
  text = read_status_line(screen_grab(screen, 512, 32), glyphs);
  status_reading status = parse_status_line(text);
  return status.read ? status.passes : -1;
}

bool ends_on_escape(const x_screen &screen, running_program &program) {
  int status = end_with_escape(screen, program);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Starts the program once the last run's frame is gone; returns the seconds from its start to
// its first frame on the screen, or -1 (having ended it) if none came.
double start_to_first_frame(const x_screen &screen, const std::string &path,
                            const std::string &folder, running_program &program, double &start) {
  wait_until([&] { return picture_on_top_row(screen).left < 0; }, 2);
  start = seconds_now();
  program = start_program(path, folder);
  if (!wait_until([&] { return picture_on_top_row(screen).left >= 0; }, 15, 0.001)) {
    kill_program(program);
    return -1.0;
  }
  return seconds_now() - start;
}

// A short run: only the time to the first frame.
double first_frame_only(const x_screen &screen, const std::string &path,
                        const std::string &folder) {
  running_program program;
  double start;
  double first_frame = start_to_first_frame(screen, path, folder, program, start);
  return first_frame >= 0 && ends_on_escape(screen, program) ? first_frame : -1.0;
}

run_result measure(const x_screen &screen, const glyph_table &glyphs, const std::string &path,
                   const std::string &folder) {
  run_result result{false, {}, 0, 0, 0};
  running_program program;
  double start;
  result.first_frame = start_to_first_frame(screen, path, folder, program, start);
  if (result.first_frame < 0)
    return result;

  // One poll of the top rows every 20 ms: the picture's left edge, sighted twice a second
  // apart, gives the motion steps a second; each new status line seen from 2 s on counts a
  // whole second of passes (the program's clock starts after `start`: its first redraw shows
  // 0 and its second the part of a second after set-up, both before then).
  sighting first{-1, -1}, second{-1, -1};
  std::string last_text;
  wait_until(
      [&] {
        screen_image top = screen_grab(screen, 0, 32);
        double now = seconds_now();
        int left = find_colour_run(top, 0, picture_colour, colour_tolerance).left;
        if (first.time < 0 && now - start >= 0.3)
          first = {now, left};
        else if (first.time >= 0 && second.time < 0 && now - first.time >= 1.0)
          second = {now, left};
        std::string text = read_status_line(top, glyphs);
        status_reading status = parse_status_line(text);
        if (status.read && text != last_text && now - start >= 2.0)
          result.passes.push_back(status.passes);
        if (status.read)
          last_text = text;
        return second.time >= 0 && result.passes.size() >= readings_per_run;
      },
      10, 0.02);
  if (second.left > first.left && first.left >= 0)
    result.steps = (second.left - first.left) / (second.time - first.time);
  result.peak_mib = proc_mib(program.pid, "VmHWM");
  result.ok = ends_on_escape(screen, program) && result.passes.size() >= readings_per_run &&
              result.steps > 0;
  return result;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0.0 : (v[(v.size() - 1) / 2] + v[v.size() / 2]) / 2.0;
}

double mean(const std::vector<double> &v) {
  double sum = 0.0;
  for (double value : v)
    sum += value;
  return v.empty() ? 0.0 : sum / v.size();
}

// "centre (min–max)"; the centre is the median unless given.
std::string spread(const std::vector<double> &v, const char *format, double centre = -1.0) {
  auto text = [format](double value) {
    char number[32];
    std::snprintf(number, sizeof number, format, value);
    return std::string(number);
  };
  return text(centre >= 0 ? centre : median(v)) + " (" +
         text(*std::min_element(v.begin(), v.end())) + "–" +
         text(*std::max_element(v.begin(), v.end())) + ")";
}

struct goal {
  const char *text;
  double limit;
  bool at_most; // the ratio must stay at or below the limit, not at or above it
  std::string worst_program;
  double worst = 0.0;
  bool judged = true; // false: shown only, its verdict given by another figure
};

void judge(goal &g, const char *program, double ratio) {
  bool worse = g.worst_program.empty() || (g.at_most ? ratio > g.worst : ratio < g.worst);
  if (worse) {
    g.worst = ratio;
    g.worst_program = program;
  }
}

int bench(const x_screen &screen, const glyph_table &glyphs, const std::string &folder, int pairs) {
  // A second's pass count wanders by up to 15 % here: the verdict on passes a second is the
  // counted one (bench_runner count).
  goal goals[] = {
      {"passes a second at least 0.97 of the reference loop's", 0.97, false, "", 0, false},
      {"motion steps a second at least 0.97 of 1 / step_interval", 0.97, false, "", 0},
      {"time to first frame within 10 % of the reference loop's", 1.10, true, "", 0},
      {"peak memory within 10 % of the reference loop's", 1.10, true, "", 0}};
  std::printf("| program | passes/s | reference passes/s | ratio | steps/s | ratio to 1/interval "
              "| first frame, ms | reference, ms | peak RSS, MiB | reference, MiB |\n"
              "|---|---|---|---|---|---|---|---|---|---|\n");
  bool all_ok = true;
  for (const program_row &row : program_rows) {
    std::vector<double> passes[2], steps, first[2], peak[2];
    for (int pair = 0; pair < pairs; pair++) {
      std::string a_path = std::string(PROGRAM_DIR "/") + row.name;
      std::string b_path = reference_path(row);
      run_result a = measure(screen, glyphs, a_path, folder);
      run_result b = measure(screen, glyphs, b_path, folder);
      if (!a.ok || !b.ok) {
        std::fprintf(stderr, "bench_runner: a run of %s or %s failed\n", a_path.c_str(),
                     b_path.c_str());
        all_ok = false;
        continue;
      }
      passes[0].insert(passes[0].end(), a.passes.begin(), a.passes.end());
      passes[1].insert(passes[1].end(), b.passes.begin(), b.passes.end());
      steps.push_back(a.steps);
      first[0].push_back(a.first_frame * 1000), first[1].push_back(b.first_frame * 1000);
      peak[0].push_back(a.peak_mib), peak[1].push_back(b.peak_mib);
      // The first frame waits on the display's mode switch, which takes a varying number of
      // refreshes: short runs add samples of it.
      for (int run = 0; run < short_runs_per_pair; run++) {
        for (int side = 0; side < 2; side++) {
          double seconds = first_frame_only(screen, side == 0 ? a_path : b_path, folder);
          if (seconds >= 0)
            first[side].push_back(seconds * 1000);
        }
      }
    }
    if (steps.empty())
      continue;
    // Each ratio is of the program's and the reference's samples taken together: of their
    // medians, but of the means of the first frame's times, which come in steps of a refresh.
    double pass_ratio = median(passes[0]) / median(passes[1]);
    double step_ratio = median(steps) * row.step_interval; // to 1 / step_interval
    std::printf("| %s | %s | %s | %.3f | %s | %.3f | %s | %s | %s | %s |\n", row.name,
                spread(passes[0], "%.0f").c_str(), spread(passes[1], "%.0f").c_str(), pass_ratio,
                spread(steps, "%.1f").c_str(), step_ratio,
                spread(first[0], "%.0f", mean(first[0])).c_str(),
                spread(first[1], "%.0f", mean(first[1])).c_str(), spread(peak[0], "%.1f").c_str(),
                spread(peak[1], "%.1f").c_str());
    std::fflush(stdout);
    judge(goals[0], row.name, pass_ratio);
    judge(goals[1], row.name, step_ratio);
    judge(goals[2], row.name, mean(first[0]) / mean(first[1]));
    judge(goals[3], row.name, median(peak[0]) / median(peak[1]));
  }
  std::printf("\n");
  for (const goal &g : goals) {
    bool met = g.at_most ? g.worst <= g.limit : g.worst >= g.limit;
    std::printf("- %s: %s (least favourable: %s, %.3f)\n", g.text,
                !g.judged ? "not judged by the clock, see the instructions counted"
                : met     ? "met"
                          : "MISSED",
                g.worst_program.c_str(), g.worst);
    all_ok = all_ok && (met || !g.judged);
  }
  return all_ok ? 0 : 1;
}

// What callgrind counted of a loop function (`run_loop`, in the programs and the reference
// loops alike) over a stretch of passes: its own instructions, those of the library calls it
// makes itself (the polls of the keyboard, the clock and the events each pass), and the passes
// (one keyboard-state call each). What it calls of its own executable (the step, the frame,
// the status line, the size switch) is left out, and with it the drawing: the renderer's cost,
// the same on both sides.
struct loop_count {
  double passes = 0;
  std::map<unsigned long, double> own;                      // instruction's address: runs
  std::map<std::string, std::pair<double, double>> library; // callee: calls, cost
};

// The stretch counted begins and ends inside a pass, and some passes also step twice or redraw
// the status line: each instruction's runs and each callee's calls are rounded to what a pass
// makes of them.

// A pass's own instructions.
double own_a_pass(const loop_count &count) {
  double sum = 0;
  for (const auto &instruction : count.own)
    sum += std::round(instruction.second / count.passes);
  return sum;
}

// A pass's library instructions: each callee's cost a call times the calls a pass makes to it.
double library_a_pass(const loop_count &count) {
  double sum = 0;
  for (const auto &callee : count.library)
    sum +=
        std::round(callee.second.first / count.passes) * callee.second.second / callee.second.first;
  return sum;
}

// Where the function `name` lies in `executable`, from its symbols: [first, end), and the source
// file of each of its addresses (of the code inlined there too), from its line table.
struct code_range {
  unsigned long first = 0, end = 0;
  std::vector<std::string> files;
};

bool function_range(const std::string &executable, const std::string &name, code_range &range) {
  FILE *symbols = popen(("nm -SC --defined-only '" + executable + "'").c_str(), "r");
  if (!symbols)
    return false;
  char line[4096];
  bool found = false;
  while (!found && std::fgets(line, sizeof line, symbols)) {
    unsigned long address, size;
    char type;
    int used = 0;
    if (std::sscanf(line, "%lx %lx %c %n", &address, &size, &type, &used) < 3)
      continue;
    // "run_loop(...)", or in a namespace "(anonymous namespace)::run_loop(...)".
    std::string symbol = line + used;
    size_t at = symbol.find(name + "(");
    found = at != std::string::npos && (at == 0 || symbol[at - 1] == ':');
    range.first = address, range.end = address + size;
  }
  pclose(symbols);
  if (!found || range.end - range.first > 100000)
    return false;
  std::string command = "addr2line -e '" + executable + "'";
  for (unsigned long address = range.first; address < range.end; address++) {
    char hex[32];
    std::snprintf(hex, sizeof hex, " %lx", address);
    command += hex;
  }
  FILE *lines = popen(command.c_str(), "r");
  if (!lines)
    return false;
  // "FILE:LINE", or "FILE:LINE (discriminator N)".
  while (std::fgets(line, sizeof line, lines)) {
    std::string place(line, std::strcspn(line, " \n"));
    range.files.push_back(place.substr(0, place.rfind(':')));
  }
  pclose(lines);
  return range.files.size() == range.end - range.first;
}

// Reads a callgrind output file written with --dump-instr=yes --compress-strings=no
// --compress-pos=no, keeping the costs of the loop's instructions: those at an address in
// `range` and from the source file the loop has there. Callgrind, counting from inside the loop,
// files the loop's code under whatever function ran when counting began (its "ob=" and "fn=", in
// this executable or in a library such as Mesa's), while the addresses are each instruction's own
// object's and the source files ("fl=", "fi=", "fe=") each instruction's own: a library's
// instruction at the same offset has a file of its own, or none ("???"). "cob=", "cfn=" and
// "calls=" lines say what the cost line after them belongs to: the calls' inclusive cost.
loop_count read_callgrind(const std::string &path, const std::string &executable,
                          const code_range &range) {
  loop_count count;
  std::ifstream in(path);
  std::string line, object, callee_object, callee, function_file, file;
  bool callee_object_given = false, call_cost = false;
  double calls = 0;
  // Named by the path it was started by, or one that leads to the same file.
  std::string tail = executable.substr(executable.rfind('/'));
  auto ours = [&tail](const std::string &name) {
    return name.size() >= tail.size() &&
           name.compare(name.size() - tail.size(), tail.size(), tail) == 0;
  };
  while (std::getline(in, line)) {
    std::string key = line.substr(0, line.find('=') + 1);
    std::string value = line.substr(key.size());
    if (key == "ob=") {
      object = value;
    } else if (key == "fl=") {
      function_file = file = value;
    } else if (key == "fn=") {
      file = function_file;
    } else if (key == "fi=" || key == "fe=") {
      file = value;
    } else if (key == "cob=") {
      callee_object = value;
      callee_object_given = true;
    } else if (key == "cfn=") {
      callee = value;
      // Without cob=, the callee is in the object its caller's code is filed under.
      if (!callee_object_given)
        callee_object = object;
    } else if (key == "calls=") {
      calls = std::atof(value.c_str());
      call_cost = true;
    } else if (line.compare(0, 2, "0x") == 0) {
      char *rest = nullptr;
      unsigned long address = std::strtoul(line.c_str(), &rest, 16);
      std::strtol(rest, &rest, 10); // the source line
      double cost = std::strtod(rest, nullptr);
      bool in_loop = address >= range.first && address < range.end &&
                     file == range.files[address - range.first];
      if (in_loop && !call_cost)
        count.own[address] += cost;
      // A library call: into Allegro's interface, linked in or not, or another object.
      if (in_loop && call_cost && (callee.compare(0, 3, "al_") == 0 || !ours(callee_object))) {
        count.library[callee].first += calls;
        count.library[callee].second += cost;
      }
      if (in_loop && call_cost && callee == "al_get_keyboard_state")
        count.passes += calls;
      call_cost = callee_object_given = false;
    }
  }
  return count;
}

// One of the two loops counted at once, each on a display and in a folder of its own.
struct counted_run {
  std::string path, folder;
  const x_screen *screen;
  running_program program;
  loop_count count;
};

// Waits until the picture on `screen` has moved `moves` times, each a frame drawn by a pass.
bool picture_moves(const x_screen &screen, int moves) {
  int last = picture_on_top_row(screen).left, seen = 0;
  return wait_until(
      [&] {
        int left = picture_on_top_row(screen).left;
        seen += left >= 0 && left != last;
        last = left >= 0 ? left : last;
        return seen >= moves;
      },
      60);
}

// Runs a program and its reference loop at once under callgrind and counts a stretch of their
// loops' passes alone: nothing is counted (or slowed by counting) until each one's picture is
// on its screen; what is counted until both have drawn again is thrown away (the code
// translated again for counting, which takes seconds on a busy machine), and the next second
// and a half, with at least two frames of each, is written out while they run on, so that
// neither the start nor the end, nor a key event, falls in it.
bool count_loops(counted_run (&runs)[2]) {
  for (counted_run &run : runs) {
    std::string out = run.folder + "/callgrind.out";
    for (const char *part : {"", ".1", ".2"})
      std::remove((out + part).c_str());
    // Bound at start: a function's first call would otherwise pay the dynamic linker's lazy
    // binding (some 800 instructions) inside the loop.
    setenv("LD_BIND_NOW", "1", 1);
    // Counting starts inside whatever the loop was running, which callgrind then takes for the
    // outermost call: without --separate-recs=1, calls to that function from the loop are named
    // as a recursion ("al_get_keyboard_state'2") and went uncounted as passes.
    run.program = start_program("valgrind", run.folder,
                                {"--tool=callgrind", "--callgrind-out-file=" + out,
                                 "--instr-atstart=no", "--separate-recs=1", "--dump-instr=yes",
                                 "--compress-strings=no", "--compress-pos=no", run.path},
                                DisplayString(run.screen->display));
  }
  // Tells both callgrinds at once, after `seconds`, to start counting ("instrumentation on") or
  // to write what they have counted so far and start again from nothing ("dump"). Through vgdb,
  // which ends with 1 where it reaches no such process: callgrind_control ends with 0 whatever
  // came of its request.
  auto tell_both = [&runs](double seconds, const std::vector<std::string> &command) {
    sleep_seconds(seconds);
    running_program controls[2];
    for (int side = 0; side < 2; side++) {
      std::vector<std::string> args = {"--pid=" + std::to_string(runs[side].program.pid)};
      args.insert(args.end(), command.begin(), command.end());
      controls[side] = start_program("vgdb", runs[side].folder, args);
    }
    bool told = true;
    for (int side = 0; side < 2; side++) {
      int status = wait_for_exit(controls[side], 30);
      if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        continue;
      std::fprintf(stderr, "bench_runner: vgdb %s to %s failed (wait status %d): %s\n",
                   command.front().c_str(), runs[side].path.c_str(), status,
                   last_line(controls[side].err_path).c_str());
      told = false;
    }
    return told;
  };
  auto both_draw = [&runs](double after) {
    sleep_seconds(after);
    return picture_moves(*runs[0].screen, 2) && picture_moves(*runs[1].screen, 2);
  };
  bool counted =
      wait_until([&] { return picture_on_top_row(*runs[0].screen).left >= 0; }, 60, 0.05) &&
      wait_until([&] { return picture_on_top_row(*runs[1].screen).left >= 0; }, 60, 0.05) &&
      tell_both(0.0, {"instrumentation", "on"}) && both_draw(0.0) && tell_both(0.0, {"dump"}) &&
      both_draw(1.5) && tell_both(0.0, {"dump"});
  // What was counted is written: how the programs end does not matter to it. Ended by a
  // signal, valgrind still removes its control pipes.
  bool all_ok = counted;
  for (counted_run &run : runs) {
    kill(run.program.pid, SIGTERM);
    wait_for_exit(run.program, 30);
    code_range loop;
    if (!counted) {
      std::fprintf(stderr, "bench_runner: %s under callgrind showed no frame, or was not counted\n",
                   run.path.c_str());
    } else if (!function_range(run.path, "run_loop", loop)) {
      std::fprintf(stderr, "bench_runner: no run_loop, with its source lines, in %s\n",
                   run.path.c_str());
      all_ok = false;
    } else {
      run.count = read_callgrind(run.folder + "/callgrind.out.2", run.path, loop);
      if (run.count.passes == 0)
        std::fprintf(stderr, "bench_runner: no pass of %s's loop in %s/callgrind.out.2%s\n",
                     run.path.c_str(), run.folder.c_str(),
                     std::filesystem::exists(run.folder + "/callgrind.out.2") ? ""
                                                                              : ", not written");
      all_ok = all_ok && run.count.passes > 0;
    }
  }
  return all_ok;
}

// The instructions a pass of each program's loop and of its reference loop, and the verdict:
// a program's loop at most 3 % more than its reference's, its own code and its library calls
// together. The reference loop runs at the same time, on a second virtual display.
int count(const x_screen &screen, const std::string &folder, const std::string &only) {
  std::string second_state = folder + "/second_display";
  std::string second_name;
  FILE *started = popen(("'" DISPLAY_SCRIPT "' start '" + second_state + "'").c_str(), "r");
  char name[64] = "";
  if (started && std::fgets(name, sizeof name, started))
    second_name = std::string(name, std::strcspn(name, "\n"));
  x_screen second{};
  if (!(started && pclose(started) == 0 && screen_open(second, second_name.c_str()))) {
    std::fprintf(stderr, "bench_runner: no second virtual display for the reference loops\n");
    std::system(("'" DISPLAY_SCRIPT "' stop '" + second_state + "'").c_str());
    return 1;
  }
  std::string folders[2] = {folder + "/program", folder + "/reference"};
  for (const std::string &side : folders) {
    std::filesystem::create_directory(side);
    for (const char *picture : {"/bmp.jpg", "/bmp.png"})
      std::filesystem::copy_file(folder + picture, side + picture);
  }
  std::printf(
      "| program | own a pass | library calls a pass | passes | reference own | "
      "reference library | reference passes | ratio |\n|---|---|---|---|---|---|---|---|\n");
  bool all_ok = true;
  goal g{"instructions a pass at most 1.03 of the reference loop's", 1.03, true, "", 0};
  for (const program_row &row : program_rows) {
    if (!only.empty() && only != row.name)
      continue;
    counted_run runs[2] = {{std::string(PROGRAM_DIR "/") + row.name, folders[0], &screen, {}, {}},
                           {reference_path(row), folders[1], &second, {}, {}}};
    if (!count_loops(runs)) {
      std::fprintf(stderr, "bench_runner: no count of %s or its reference loop\n", row.name);
      all_ok = false;
      continue;
    }
    const loop_count &a = runs[0].count, &b = runs[1].count;
    double a_own = own_a_pass(a), a_library = library_a_pass(a);
    double b_own = own_a_pass(b), b_library = library_a_pass(b);
    double ratio = (a_own + a_library) / (b_own + b_library);
    std::printf("| %s | %.0f | %.1f | %.0f | %.0f | %.1f | %.0f | %.3f |\n", row.name, a_own,
                a_library, a.passes, b_own, b_library, b.passes, ratio);
    std::fflush(stdout);
    judge(g, row.name, ratio);
  }
  screen_close(second);
  std::system(("'" DISPLAY_SCRIPT "' stop '" + second_state + "'").c_str());
  bool met = !g.worst_program.empty() && g.worst <= g.limit;
  std::printf("\n- %s: %s (least favourable: %s, %.3f)\n", g.text, met ? "met" : "MISSED",
              g.worst_program.c_str(), g.worst);
  return all_ok && met ? 0 : 1;
}

// Where a switch is seen: on a bare X server, the screen and its mode; under Xwayland
// (`window` set), the program's window and its size, which the compositor makes the mode's
// (mutter does): there the root window shows no program, and a mode is its own client's alone.
struct switch_view {
  const x_screen *screen;
  Window window; // 0: the screen
};

video_mode view_size(const switch_view &view) {
  return view.window ? screen_window_size(*view.screen, view.window) : screen_mode(*view.screen);
}

bool view_at(const switch_view &view, video_mode size) {
  video_mode now = view_size(view);
  return now.width == size.width && now.height == size.height;
}

// Seconds from a Q key-down to the first frame at the other size: once the new size is seen,
// the picture seen at a new place (a frame drawn since).
double switch_seconds(const switch_view &view, video_mode to) {
  double pressed = seconds_now();
  screen_tap_key(*view.screen, XK_q, 5);
  int before = -2;
  double shown = -1.0;
  wait_until(
      [&] {
        if (!view_at(view, to))
          return false;
        int left = picture_on_top_row(*view.screen, view.window).left;
        if (before == -2)
          before = left;
        else if (left >= 0 && left != before)
          shown = seconds_now();
        return shown >= 0;
      },
      5, 0.0005);
  return shown < 0 ? -1.0 : shown - pressed;
}

// Each way's switch times of one run of `path`, `presses` each way, seen in its window under
// Xwayland.
bool time_switches(const x_screen &screen, const std::string &path, const std::string &folder,
                   const program_row &row, int presses, bool xwayland,
                   std::vector<double> times[2]) {
  running_program program = start_program(path, folder);
  switch_view view{&screen, 0};
  bool shown =
      (!xwayland ||
       wait_until([&] { return (view.window = screen_window_of(screen, program.pid)) != 0; },
                  15)) &&
      wait_until(
          [&] {
            return view_at(view, row.start) &&
                   picture_on_top_row(*view.screen, view.window).left >= 0;
          },
          15, 0.001);
  if (!shown) {
    kill_program(program);
    return false;
  }
  sleep_seconds(0.2);
  for (int press = 0; press < 2 * presses; press++) {
    int way = press % 2; // 0: to the alternate size, 1: back
    double seconds = switch_seconds(view, way == 0 ? row.alt : row.start);
    if (seconds < 0) {
      kill_program(program);
      return false;
    }
    times[way].push_back(seconds * 1000);
    sleep_seconds(0.1);
  }
  return ends_on_escape(screen, program);
}

// The server's own mode set alone, to the same mode, until it is seen: on a bare X server, the
// mode reported; under Xwayland, which reports no client's emulated mode, a fullscreen window
// of this client's own sized to it by the compositor. No program can switch faster there.
void time_mode_sets(const x_screen &screen, const program_row &row, int presses, bool xwayland,
                    std::vector<double> times[2]) {
  switch_view view{&screen, xwayland ? screen_show_fullscreen_window(screen) : 0};
  wait_until([&] { return view_at(view, screen_desktop(screen)); }, 5);
  for (int press = 0; press < 2 * presses; press++) {
    video_mode to = press % 2 == 0 ? row.alt : row.start;
    double start = seconds_now();
    screen_set_mode(screen, to.width, to.height);
    // mutter 43 sizes the window to its client's first emulated mode unasked, to later ones
    // only when the client asks for the size, as the library does; mutter 48 to the first
    // alone (the library's own switch, which also makes its window fullscreen again, is
    // shown both ways there): a set it does not show is reported as not seen.
    if (view.window)
      screen_resize_window(screen, view.window, to.width, to.height);
    if (wait_until([&] { return view_at(view, to); }, 5, 0.0005))
      times[press % 2].push_back((seconds_now() - start) * 1000);
    sleep_seconds(0.1);
  }
  if (view.window)
    screen_destroy_window(screen, view.window);
}

// The size switch timed both ways for each program, its reference loop and the bare mode
// set (under Xwayland, its emulation for this client); printed, never judged: wall-clock
// times on this machine wander.
int switches(const x_screen &screen, const std::string &folder, int presses, bool xwayland) {
  std::printf("| program | way | program, ms | reference, ms | ratio | bare mode set, ms |\n"
              "|---|---|---|---|---|---|\n");
  bool all_ok = true;
  for (const program_row &row : program_rows) {
    std::vector<double> program[2], reference[2], bare[2];
    if (!time_switches(screen, std::string(PROGRAM_DIR "/") + row.name, folder, row, presses,
                       xwayland, program) ||
        !time_switches(screen, reference_path(row), folder, row, presses, xwayland, reference)) {
      std::fprintf(stderr, "bench_runner: a switch of %s or its reference loop was not seen\n",
                   row.name);
      all_ok = false;
      continue;
    }
    time_mode_sets(screen, row, presses, xwayland, bare);
    for (int way = 0; way < 2; way++) {
      video_mode to = way == 0 ? row.alt : row.start;
      std::printf("| %s | to %dx%d | %s | %s | %.3f | %s |\n", row.name, to.width, to.height,
                  spread(program[way], "%.0f").c_str(), spread(reference[way], "%.0f").c_str(),
                  median(program[way]) / median(reference[way]),
                  bare[way].empty() ? "not seen" : spread(bare[way], "%.1f").c_str());
    }
    std::fflush(stdout);
  }
  return all_ok ? 0 : 1;
}

// One program for `minutes` with a size switch every second; each minute's peak of resident
// memory must stay within 1 MiB of the first minute's.
int soak(const x_screen &screen, const glyph_table &glyphs, const std::string &folder,
         const std::string &program_name, int minutes) {
  running_program program = start_program(PROGRAM_DIR "/" + program_name, folder);
  std::vector<double> peaks; // a minute's highest resident size
  double floor = 1e9, peak = 0.0;
  bool moving = true;
  double start = seconds_now();
  for (int second = 1; second <= minutes * 60 && still_running(program); second++) {
    wait_until([&] { return seconds_now() - start >= second; }, 2, 0.01);
    screen_tap_key(screen, XK_q, 20);
    // Every other second, always at the alternate size (after an odd number of switches) and
    // halfway between two. Whether a freed 1024x768 frame buffer (3 MiB) has gone back to the
    // system varies from sample to sample, so a minute is judged by its highest sample, which
    // a leak would raise.
    if (second % 2 == 1) {
      sleep_seconds(0.5);
      double resident = proc_mib(program.pid, "VmRSS");
      floor = std::min(floor, resident);
      peak = std::max(peak, resident);
    }
    if (second % 60 == 59) {
      // Still moving: the left edge is seen at two places a few frames apart.
      int x1 = picture_on_top_row(screen).left;
      sleep_seconds(0.1);
      int x2 = picture_on_top_row(screen).left;
      std::string text;
      moving = moving && x1 != x2 && status_passes(screen, glyphs, text) > 0;
      video_mode mode = screen_mode(screen);
      peaks.push_back(peak);
      std::printf("minute %2d: resident %.2f to %.2f MiB at %dx%d, status \"%s\"%s\n",
                  (second + 1) / 60, floor, peak, mode.width, mode.height, text.c_str(),
                  x1 != x2 ? "" : ", picture NOT moving");
      std::fflush(stdout);
      floor = 1e9, peak = 0.0;
    }
  }
  // A switch holds the loop for a quarter of a second, and Escape is polled, not queued: let
  // the last switch settle before pressing it.
  sleep_seconds(0.5);
  bool ended = ends_on_escape(screen, program);
  double drift = 0.0;
  for (double p : peaks)
    drift = std::max(drift, std::abs(p - peaks.front()));
  bool steady = peaks.size() == static_cast<size_t>(minutes) && drift <= 1.0;
  std::printf("%s: resident memory %s (its peak moved at most %.2f MiB from minute 1), %s, %s\n",
              program_name.c_str(), steady ? "steady" : "NOT steady", drift,
              moving ? "moving throughout" : "NOT moving throughout",
              ended ? "ended on Escape with status 0" : "did NOT end cleanly on Escape");
  return steady && moving && ended ? 0 : 1;
}
} // namespace

int main(int argc, char **argv) {
  std::string mode = argc > 1 ? argv[1] : "";
  if (mode != "bench" && mode != "count" && mode != "switch" && !(mode == "soak" && argc == 4)) {
    std::fprintf(stderr, "usage: bench_runner bench [PAIRS] | count [PROGRAM] | "
                         "switch [PRESSES [xwayland]] | soak PROGRAM MINUTES\n");
    return 2;
  }
  // Every kind of run uses one plain picture, easy to find on the screen, in both formats.
  x_screen screen{};
  char folder[] = "/tmp/bounce_bench_XXXXXX";
  if (!screen_open(screen, nullptr) || !mkdtemp(folder) ||
      !save_test_picture(std::string(folder) + "/bmp.jpg", 100, 60) ||
      !save_test_picture(std::string(folder) + "/bmp.png", 100, 60)) {
    std::fprintf(stderr, "bench_runner: no X display, or no scratch folder for the pictures\n");
    return 1;
  }
  glyph_table glyphs = builtin_glyphs();
  int number = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  int status = 0;
  if (mode == "bench")
    status = bench(screen, glyphs, folder, number);
  else if (mode == "count")
    status = count(screen, folder, argc > 2 ? argv[2] : "");
  else if (mode == "switch")
    status = switches(screen, folder, number, argc > 3 && std::string(argv[3]) == "xwayland");
  else
    status = soak(screen, glyphs, folder, argv[2], std::max(1, std::atoi(argv[3])));
  screen_close(screen);
  // What a failed run wrote (the programs' output, callgrind's counts) is kept to be read.
  if (status == 0)
    std::system(("rm -rf " + std::string(folder)).c_str());
  else
    std::fprintf(stderr, "bench_runner: what the run wrote is kept in %s\n", folder);
  return status;
}
