// Runs the real program file to file on generated data of each format and
// reports records per second and peak memory; with --against, another build
// of the program on the same data, right after it, and its wall time as a
// multiple of this one's; with --runs, the fastest of that many runs of each
// (a busy machine slows some of them).
//
//   bench_quellatorix [--against PROGRAM] [--runs N] [records...]     (default: 1000 1000000)

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// A small deterministic generator: the same data every run.
struct Lcg {
  std::uint64_t x = 0x2545F4914F6CDD1DULL;
  std::uint32_t next() {
    x = x * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<std::uint32_t>(x >> 33);
  }
  int in(int lo, int hi) { return lo + static_cast<int>(next() % static_cast<std::uint32_t>(hi - lo + 1)); }
};

// Two in four records give two apparent dips, one a dip and a strike, and one
// a dip and a strike that must be turned (a warning frame and its pause each).
void generate(const fs::path& file, long n, bool numerical) {
  std::ofstream f(file, std::ios::binary);
  f << "'benchmark " << n << "'\n'dipa1 dipdir1 dipa2 dipdir2'\n";
  Lcg g;
  static const char* ew = "EW";
  static const char* ns = "NS";
  static const char* all = "EWNS";
  char buf[96];
  for (long i = 0; i < n; ++i) {
    const int d1 = g.in(1, 89);
    const int d2 = g.in(1, 89);
    const int kind = static_cast<int>(i % 4);
    if (numerical) {
      const int dd1 = g.in(0, 359);
      if (kind < 2) {
        std::snprintf(buf, sizeof buf, "%d %d %d.%d %d\n", d1, dd1, d2, g.in(0, 9), dd1 + g.in(20, 160));
      } else {
        const int strike = kind == 2 ? dd1 - g.in(20, 160) : dd1 + g.in(20, 160);  // right, then left
        std::snprintf(buf, sizeof buf, "%d.%d %d 0 %d\n", d1, g.in(0, 9), dd1, strike);
      }
    } else {
      if (kind < 2) {
        const char a = ew[g.in(0, 1)];
        std::snprintf(buf, sizeof buf, "%d '%c' %d '%c'\n", d1, a, d2, ns[g.in(0, 1)]);
      } else {
        const char a = all[g.in(0, 3)];
        const int az = a == 'N' ? 0 : a == 'E' ? 90 : a == 'S' ? 180 : 270;
        const int strike = kind == 2 ? az - g.in(20, 160) : az + g.in(20, 160);
        std::snprintf(buf, sizeof buf, "%d.%d '%c' %d 'A'\n", d1, g.in(0, 9), a, strike);
      }
    }
    f << buf;
  }
}

struct Measure {
  double seconds = 0;
  double cpu = 0;
  long peak_kib = 0;
  int status = -1;
  long lines = 0;
};

Measure run(const char* program, const fs::path& folder, bool numerical) {
  const fs::path answers = folder / "answers.txt";
  // RETURN for the header, file input, its name, the format, file output, its name.
  std::ofstream(answers) << "\n1\n\n" << (numerical ? "2" : "1") << "\n1\n\n";
  Measure m;
  const auto t0 = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(folder.c_str()) != 0) _exit(120);
    const int in = open(answers.c_str(), O_RDONLY);
    const int out = open("/dev/null", O_WRONLY);
    dup2(in, 0);
    dup2(out, 1);
    dup2(out, 2);
    execl(program, program, static_cast<char*>(nullptr));
    _exit(122);
  }
  int wstatus = 0;
  struct rusage ru {};
  wait4(pid, &wstatus, 0, &ru);
  m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  m.cpu = static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
          static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
  m.peak_kib = ru.ru_maxrss;
  m.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
  std::ifstream results(folder / "quelta_out.txt");
  std::string line;
  while (std::getline(results, line)) ++m.lines;
  return m;
}

bool failed(const Measure& m, long n) { return m.status != 0 || m.lines != n + 2; }

// The fastest run so far; a failed run is kept, to be reported.
void keep_fastest(Measure& best, const Measure& m, long n, int r) {
  if (r == 0 || (!failed(best, n) && (failed(m, n) || m.seconds < best.seconds))) best = m;
}

bool report(const char* label, long n, const Measure& m, const char* note = "") {
  std::printf("%-15s %10ld %9.3f %9.3f %14.0f %10.1f%s\n", label, n, m.seconds, m.cpu,
              static_cast<double>(n) / m.seconds, static_cast<double>(m.peak_kib) / 1024.0, note);
  if (failed(m, n)) {
    std::printf("  run failed: status %d, %ld result lines for %ld records\n", m.status, m.lines, n);
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const char* against = nullptr;
  int runs = 1;
  std::vector<long> sizes;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--against" && i + 1 < argc) {
      against = argv[++i];
    } else if (std::string(argv[i]) == "--runs" && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else {
      sizes.push_back(std::atol(argv[i]));
    }
  }
  if (sizes.empty()) sizes = {1000, 1000000};
  std::printf("%-15s %10s %9s %9s %14s %10s\n", "format", "records", "wall s", "cpu s", "records/s", "peak MiB");
  bool ok = true;
  for (long n : sizes) {
    for (bool numerical : {false, true}) {
      const fs::path folder = fs::temp_directory_path() / ("qx-bench-" + std::to_string(getpid()));
      fs::create_directories(folder);
      generate(folder / "quelta_in.txt", n, numerical);
      Measure m, a;
      for (int r = 0; r < runs; ++r) {
        fs::remove(folder / "quelta_out.txt");  // never overwritten: it would ask for another name
        keep_fastest(m, run(QX_BINARY, folder, numerical), n, r);
        if (against == nullptr) continue;
        fs::remove(folder / "quelta_out.txt");
        keep_fastest(a, run(against, folder, numerical), n, r);
      }
      ok = report(numerical ? "numerical" : "alphanumerical", n, m) && ok;
      if (against != nullptr) {
        char times[32];
        std::snprintf(times, sizeof times, "   x%.2f", a.seconds / m.seconds);
        ok = report("  against", n, a, times) && ok;
      }
      fs::remove_all(folder);
    }
  }
  return ok ? 0 : 1;
}
