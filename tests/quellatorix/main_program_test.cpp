// Whole runs through the library where nothing needs masking: the host
// services are fakes with known answers.

#include <gtest/gtest.h>

#include <string>

#include "platform/memory_console.hpp"
#include "platform/memory_file_system.hpp"
#include "platform/units.hpp"
#include "quellatorix/main_program.hpp"
#include "testkit/test_session.hpp"

namespace qx::program {
namespace {

using testkit::TestSession;

// The worked example of the results file, header line and all: the input
// file data.txt titled test, a MacOS_12.6 system on a Core i5, and the
// header written on 2026-01-15 at 10:20:30.
TEST(WholeRun, WorkedExampleResultsFileByteForByte) {
  for (const char format : {'1', '2'}) {
    TestSession ts(std::string("\n1\ndata.txt\n") + format + "\n1\n\n");
    ts.services.emulate_probes(ts.dir.path(), "Intel(R) Core(TM) i5", "12.6");
    ts.services.date = "20260115";
    ts.services.time = "102030.000";
    ts.dir.write("data.txt", format == '1' ? "test\nheader\n16 E 50 N\n16 W 200 A\n16 E 50 W\n"
                                           : "test\nheader\n16 90 50 0\n16 180 0 200\n16 90 95 200\n");
    EXPECT_EQ(0, run_quellatorix(ts.s));
    const std::string head =
        "'test'\tinput file = data.txt   quellatorix_5.1   MacOS_12.6 Core i5   Run on 2026-01-15 at 10:20:30\n"
        "'dipa1'\t'dipdir1'\t'dipa2'\t'dipdir2'\t'strike'\t'dip'\t'comment'\n";
    const std::string records =
        format == '1'
            ? "  16.0\t'E'\t  50.0\t'N'\t 283.5\t  50.8\t \n"
              "  16.0\t'W'\t 200.0\t'A'\t 200.0\t  17.0\t \n"
              "  16.0\t'E'\t  50.0\t'W'\t      \t      \terror: same dip direction [modulo 180], early detection\n"
            : "  16.0\t  90.0\t  50.0\t   0.0\t 283.5\t  50.8\t \n"
              "  16.0\t 180.0\t   0.0\t  20.0\t  20.0\t  40.0\toutput strike = input strike + 180\n"
              "  16.0\t  90.0\t  95.0\t 200.0\t      \t      \terror: 2nd app dip out of [0,90]\n";
    EXPECT_EQ(head + records, ts.dir.read("quelta_out.txt")) << "format " << format;
    EXPECT_FALSE(ts.dir.exists("cpu_info_tmp_001.txt"));
    EXPECT_FALSE(ts.dir.exists("sys_version_tmp_001.txt"));
  }
}

// The run header names who ran it and where, from the start snapshot.
TEST(WholeRun, HeaderShowsTheSnapshot) {
  TestSession ts("\n2\n\n1\n2\ny\n");
  ts.services.emulate_probes(ts.dir.path(), "Intel(R) Core(TM) i7-8700B CPU @ 3.20GHz", "10.15.7");
  ts.services.login = "geologist";
  ts.services.host = "fieldbook.local";
  EXPECT_EQ(0, run_quellatorix(ts.s));
  const std::string out = ts.take();
  EXPECT_NE(std::string::npos, out.find(" @      User: geologist                           @\n"));
  EXPECT_NE(std::string::npos, out.find(" @      Host: fieldbook.local                     @\n"));
  EXPECT_NE(std::string::npos, out.find(" @    System: MacOS_10.15.7                       @\n"));
  EXPECT_NE(std::string::npos, out.find(" @       CPU: Core i7-8700B CPU @ 3.20GHz         @\n"));
  EXPECT_NE(std::string::npos, out.find(" @       Starting on 2025-03-04 at 09:05:03       @\n"));
  EXPECT_NE(std::string::npos, out.find(" Read          0 DATA\n"));
}

// A disk that fills up: the run says which file, fails with status 1, never
// reports the file closed, and keeps only complete lines in it.
TEST(WholeRun, AFullDiskIsReportedAndFailsTheRun) {
  platform::MemoryConsole console("\n1\n\n1\n1\n\n");
  platform::MemoryFileSystem files;
  files.files["quelta_in.txt"] = "t\nh\n16 E 50 N\n16 W 200 A\n";
  files.space = 200;
  testkit::FakeServices services;
  platform::Units units(console, files);
  Session s(units, services);
  EXPECT_EQ(1, run_quellatorix(s));
  const std::string& out = console.output();
  EXPECT_NE(std::string::npos, out.find(" ===> COULD NOT WRITE FILE quelta_out.txt: No space left on device\n"));
  EXPECT_EQ(std::string::npos, out.find("output file quelta_out.txt closed"));
  const std::string& results = files.files["quelta_out.txt"];
  EXPECT_LE(results.size(), 200u);
  ASSERT_FALSE(results.empty());
  EXPECT_EQ('\n', results.back());
}

}  // namespace
}  // namespace qx::program
