#include "case_runner.hpp"

#include <algorithm>
#include <fstream>
#include <regex>
#include <sstream>

#include "testkit/test_session.hpp"

namespace qx::e2e {

namespace fs = std::filesystem;

std::string slurp(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::ostringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

namespace {

bool is_at_rule(const std::string& l) { return l == " " + std::string(50, '@'); }
bool is_hyphen_box(const std::string& l) { return l == " @" + std::string(48, '-') + "@"; }

}  // namespace

std::string mask(const std::string& text) {
  static const std::regex date(R"(\d{4}-\d\d-\d\d)");
  static const std::regex time(R"(\d\d:\d\d:\d\d)");
  static const std::regex sysinfo(R"((quellatorix_5\.1   ).*(   Run on ))");
  static const std::regex elapsed(R"(^( @ (ELAPSED TIME|CPU TIME    ) =) .*@$)");
  static const std::regex who(R"(^ @ *(User|Host|System|CPU): .*$)");

  std::vector<std::string> lines = testkit::lines_of(text);
  // The closing picture: between the last hyphen box line and the final rule.
  for (std::size_t end = 0; end < lines.size(); ++end) {
    if (!is_at_rule(lines[end]) || end == 0) continue;
    std::size_t begin = end;
    while (begin > 0 && !is_hyphen_box(lines[begin - 1]) && !is_at_rule(lines[begin - 1])) --begin;
    if (begin > 0 && is_hyphen_box(lines[begin - 1]) && begin < end && lines[begin] == "  ") {
      lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(begin),
                  lines.begin() + static_cast<std::ptrdiff_t>(end));
      lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(begin), "<picture>");
      end = begin + 1;
    }
  }
  std::string out;
  for (std::string l : lines) {
    std::smatch m;
    if (std::regex_match(l, m, who)) {
      l = " @<" + m[1].str() + ">";
    } else if (std::regex_match(l, m, elapsed)) {
      l = m[1].str() + " <time>";
    } else {
      l = std::regex_replace(l, date, "YYYY-MM-DD");
      l = std::regex_replace(l, time, "hh:mm:ss");
      l = std::regex_replace(l, sysinfo, "$1<system>$2");
    }
    out += l;
    out += '\n';
  }
  if (!text.empty() && text.back() != '\n') out.pop_back();
  return out;
}

std::string expected_console(const fs::path& case_dir) { return expand_includes(slurp(case_dir / "console")); }

std::string expand_includes(const std::string& transcript) {
  std::string out;
  for (const std::string& l : testkit::lines_of(transcript)) {
    if (l.rfind("#include ", 0) == 0) {
      out += slurp(fs::path(QX_CASES_DIR).parent_path() / "common" / l.substr(9));
    } else {
      out += l;
      out += '\n';
    }
  }
  return out;
}

std::vector<fs::path> case_dirs() {
  std::vector<fs::path> dirs;
  for (const auto& e : fs::directory_iterator(QX_CASES_DIR))
    if (e.is_directory()) dirs.push_back(e.path());
  std::sort(dirs.begin(), dirs.end());
  return dirs;
}

std::string first_difference(const std::string& expected, const std::string& actual) {
  const auto e = testkit::lines_of(expected);
  const auto a = testkit::lines_of(actual);
  for (std::size_t i = 0; i < std::max(e.size(), a.size()); ++i) {
    const std::string el = i < e.size() ? e[i] : "<no line>";
    const std::string al = i < a.size() ? a[i] : "<no line>";
    if (el != al)
      return "line " + std::to_string(i + 1) + ":\n  expected [" + el + "]\n  actual   [" + al + "]";
  }
  return expected == actual ? "no difference" : "line ends differ";
}

}  // namespace qx::e2e
