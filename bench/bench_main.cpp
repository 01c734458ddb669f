// Benchmarks of the text work on generated shop pages. Every case is reported
// beside a plain copy of the same page measured in the same run, as a ratio.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/tool_window.hpp"
#include "conversion/convert.hpp"
#include "conversion/generate_action.hpp"
#include "conversion/text.hpp"
#include "height/height_detection.hpp"
#include "platform/gbk.hpp"
#include "platform/platform.hpp"
#include "shop_page.hpp"

namespace zarvo::bench {
namespace {

struct Page {
  std::string name;  // "shop-10MB", "noheight-1MB"
  std::string gbk;
  std::u16string utf16;
};

std::vector<Page>& Pages() {
  static std::vector<Page> pages = [] {
    std::vector<Page> made;
    const std::pair<const char*, size_t> sizes[] = {
        {"100KB", 100 * 1024}, {"1MB", 1024 * 1024}, {"10MB", 10 * 1024 * 1024}};
    for (const auto& [kind, heights] :
         {std::pair{"shop", Heights::Declared}, std::pair{"noheight", Heights::Absent}}) {
      for (const auto& [label, bytes] : sizes) {
        Page page{std::string(kind) + "-" + label, MakeShopPage(bytes, heights), {}};
        page.utf16 = GbkToUtf16(page.gbk);
        made.push_back(std::move(page));
      }
    }
    return made;
  }();
  return pages;
}

// The baseline: the same bytes copied into a fresh string.
void Copy(benchmark::State& state, const Page& page) {
  for (auto _ : state) {
    std::string copy(page.gbk.data(), page.gbk.size());
    benchmark::DoNotOptimize(copy.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.gbk.size()));
}

// The height token does not occur in the pages: a scan of the whole text.
void SubstituteGbkToken(benchmark::State& state, const Page& page) {
  for (auto _ : state) {
    std::string out = SubstituteText(page.gbk, kHeightToken, "580");
    benchmark::DoNotOptimize(out.data());
  }
}

// An ASCII word in either case: two candidate bytes; replaced wherever it
// occurs in the shop pages, absent from the pages without heights.
void SubstituteAsciiNoCase(benchmark::State& state, const Page& page) {
  for (auto _ : state) {
    std::string out = SubstituteText(page.gbk, "HEIGHT", "h");
    benchmark::DoNotOptimize(out.data());
  }
}

void Convert(benchmark::State& state, const Page& page) {
  const TemplateSet templates{MakeAreaTemplate(), MakeAreaTemplate(), {}};
  for (auto _ : state) {
    std::string out = ConvertCode(templates, 0, "-10", "580", "-200", page.gbk);
    benchmark::DoNotOptimize(out.data());
  }
}

void Decode(benchmark::State& state, const Page& page) {
  for (auto _ : state) {
    std::u16string out = GbkToUtf16(page.gbk);
    benchmark::DoNotOptimize(out.data());
  }
}

void Encode(benchmark::State& state, const Page& page) {
  for (auto _ : state) {
    std::string out = Utf16ToGbk(page.utf16);
    benchmark::DoNotOptimize(out.data());
  }
}

// Over the shop pages the first ten heights come early; over the pages without
// any the whole text is scanned.
void DetectHeight(benchmark::State& state, const Page& page) {
  for (auto _ : state) {
    std::string height = DetectModuleHeight(page.gbk);
    benchmark::DoNotOptimize(height.data());
  }
}

// Keeps its own copy of the text, as the system clipboard does.
class MemoryClipboard final : public Clipboard {
 public:
  bool SetText(std::string_view gbk) override {
    text_.assign(gbk);
    return true;
  }

 private:
  std::string text_;
};

// The whole generate button on the model: conversion, output box, clipboard
// and the preview page written to a real file.
void Generate(benchmark::State& state, const Page& page) {
  using enum ControlId;
  const std::filesystem::path directory = std::filesystem::temp_directory_path() / "zarvo-bench";
  std::filesystem::create_directories(directory);
  ToolWindow window;
  window.SetText(编辑框9, MakeAreaTemplate());
  window.SetText(编辑框8, MakePreviewTemplate());
  window.SetText(编辑框1, page.gbk);
  MemoryClipboard clipboard;
  NativeFiles files;
  for (auto _ : state) {
    GenerateAndCopy(window, clipboard, files, directory);
  }
  std::filesystem::remove_all(directory);
}

using CaseFunction = void (*)(benchmark::State&, const Page&);

struct Case {
  const char* name;
  CaseFunction run;
};

const Case kCases[] = {
    {"Copy", Copy},
    {"SubstituteText/gbk-token-absent", SubstituteGbkToken},
    {"SubstituteText/ascii-ignore-case", SubstituteAsciiNoCase},
    {"ConvertCode", Convert},
    {"GbkToUtf16", Decode},
    {"Utf16ToGbk", Encode},
    {"DetectModuleHeight", DetectHeight},
    {"GenerateAction", Generate},
};

// Prints one line per case while the run goes on, and at the end the table of
// every case beside the copy of its page. Each figure is the fastest
// repetition: on a shared machine the slower ones measure the neighbours.
class RatioReporter : public benchmark::BenchmarkReporter {
 public:
  bool ReportContext(const Context& context) override {
    std::fprintf(stderr, "%d CPUs at %.0f MHz\n", context.cpu_info.num_cpus,
                 context.cpu_info.cycles_per_second / 1e6);
    return true;
  }

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0) {
        continue;
      }
      const double ns = run.real_accumulated_time * 1e9 / static_cast<double>(run.iterations);
      const std::string& name = run.run_name.function_name;
      auto [it, added] = fastest_.emplace(name, ns);
      if (added) {
        order_.push_back(name);
      } else {
        it->second = std::min(it->second, ns);
      }
      std::fprintf(stderr, "  %-50s %14.0f ns\n", name.c_str(), ns);
    }
  }

  void Finalize() override {
    std::printf("\n%-50s %14s %10s\n", "case", "ns", "ratio to copy");
    for (const std::string& name : order_) {
      // "Case/detail/page": the page is the last part of the name.
      const std::string page = name.substr(name.rfind('/') + 1);
      const auto copy = fastest_.find("Copy/" + page);
      const double ns = fastest_.at(name);
      if (copy == fastest_.end()) {
        std::printf("%-50s %14.0f %10s\n", name.c_str(), ns, "-");
      } else {
        std::printf("%-50s %14.0f %9.2fx\n", name.c_str(), ns, ns / copy->second);
      }
    }
  }

 private:
  std::map<std::string, double> fastest_;
  std::vector<std::string> order_;
};

}  // namespace
}  // namespace zarvo::bench

int main(int argc, char** argv) {
  using namespace zarvo::bench;
  for (const Page& page : Pages()) {
    for (const Case& c : kCases) {
      benchmark::RegisterBenchmark((std::string(c.name) + "/" + page.name).c_str(), c.run,
                                   std::cref(page))
          ->Unit(benchmark::kMicrosecond)
          ->UseRealTime();
    }
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
