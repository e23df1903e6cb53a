// The benchmark's count: the instructions of a pass of each program's loop against its
// reference loop's, counted by callgrind.
#include "bench_support.h"

#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sys/wait.h>

namespace {
// The last line written to a file: what a failed helper said.
std::string last_line(const std::string &path) {
  std::ifstream in(path);
  std::string line, last;
  while (std::getline(in, line))
    if (!line.empty())
      last = line;
  return last;
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

} // namespace

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
