// The AppList catalogue at the size of a full download: 50,000 lines in
// Shift_JIS over 20 categories, read, sorted and categorised, and 50,000
// look-ups of its file names.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "applist/AppListCatalogue.h"
#include "applist/AppListFile.h"
#include "platform/Codepage.h"

namespace {

constexpr int kLines = 50000;

struct Sample {
  std::string folder;
  std::vector<std::string> names;  // UTF-8, as the file lists ask
};

// Lines like those of a catalogue on the web: names, types, descriptions
// (some quoted, many Japanese), addresses, 20 categories, dates; in random
// order.
const Sample& TheSample() {
  static Sample sample = [] {
    Sample s;
    std::string dir = std::filesystem::temp_directory_path().string() + "/kestrel-bench-XXXXXX";
    if (!mkdtemp(dir.data())) std::abort();
    s.folder = dir + "/";
    const char* cats[] = {"ゲーム", "ユーティリティ", "辞書", "スケジュール", "ドキュメント",
                          "通信", "日本語化", "標準", "Games", "Utility", "Reference", "Finance",
                          "Graphics", "Hacks", "Music", "Sports", "Travel", "Medical",
                          "Education", "Database"};
    const char* words[] = {"高機能", "シンプルな", "無料の", "日本語対応", "スケジューラ", "電卓",
                           "時計", "辞書", "ビューア", "パズル", "fast", "small", "free", "viewer"};
    const char* prefixes[] = {"Palm", "Pocket", "Mini", "Super", "Easy", "Kanji", "Hand", "Quick"};
    std::mt19937 rng(20001);
    std::string text;
    for (int i = 0; i < kLines; ++i) {
      char name[64];
      std::snprintf(name, sizeof name, "%s%05u.%s", prefixes[i % 8],
                    static_cast<unsigned>(rng() % 100000), i % 3 ? "prc" : "pdb");
      std::string note;
      for (unsigned k = 0, n = 1 + rng() % 4; k < n; ++k) note += words[rng() % 14];
      if (i % 3 == 0) note = "\"" + note + " ver." + std::to_string(1 + rng() % 9) + "\"";
      char date[16];
      std::snprintf(date, sizeof date, "%04u/%02u/%02u", 1998 + static_cast<unsigned>(rng() % 6),
                    1 + static_cast<unsigned>(rng() % 12), 1 + static_cast<unsigned>(rng() % 28));
      text += std::string(name) + ",appl," + note + ",http://www.example.com/palm/" +
              std::to_string(i) + "/," + cats[rng() % 20] + "," + date + "\r\n";
      s.names.push_back(name);
    }
    std::string sjis = kestrel::Utf8ToCp932(text);
    std::FILE* f = std::fopen((s.folder + kestrel::kAppListFileName).c_str(), "wb");
    std::fwrite(sjis.data(), 1, sjis.size(), f);
    std::fclose(f);
    std::shuffle(s.names.begin(), s.names.end(), rng);
    return s;
  }();
  return sample;
}

void LoadSortCategorise(benchmark::State& state) {
  const Sample& s = TheSample();
  for (auto _ : state) {
    kestrel::AppListCatalogue catalogue(s.folder);
    catalogue.SortAppLists(true);  // reads both files and builds the categories first
    if (catalogue.categories().size() != 20) state.SkipWithError("not 20 categories");
    benchmark::DoNotOptimize(catalogue.lines(kestrel::AppListId::AppList).data());
  }
  state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(LoadSortCategorise)->Unit(benchmark::kMillisecond);

void ReadLines(benchmark::State& state) {
  const Sample& s = TheSample();
  for (auto _ : state) {
    std::vector<std::string> lines;
    kestrel::ReadLinesFile(s.folder + kestrel::kAppListFileName, lines);
    benchmark::DoNotOptimize(lines.data());
  }
}
BENCHMARK(ReadLines)->Unit(benchmark::kMillisecond);

void SortLines(benchmark::State& state) {
  const Sample& s = TheSample();
  std::vector<std::string> lines;
  kestrel::ReadLinesFile(s.folder + kestrel::kAppListFileName, lines);
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<std::string> copy = lines;
    state.ResumeTiming();
    kestrel::SortLinesUpper(copy);
    benchmark::DoNotOptimize(copy.data());
  }
}
BENCHMARK(SortLines)->Unit(benchmark::kMillisecond);

void BuildCategories(benchmark::State& state) {
  const Sample& s = TheSample();
  kestrel::AppListCatalogue catalogue(s.folder);
  catalogue.LoadAppLists();
  for (auto _ : state) catalogue.BuildCategories();
}
BENCHMARK(BuildCategories)->Unit(benchmark::kMillisecond);

// 50,000 look-ups by file name, as many as the list has lines.
void FindAppListEntry(benchmark::State& state) {
  const Sample& s = TheSample();
  kestrel::AppListCatalogue catalogue(s.folder);
  catalogue.SortAppLists(true);
  for (auto _ : state) {
    int found = 0;
    for (const std::string& name : s.names) {
      found += catalogue.FindAppListEntry(kestrel::AppListId::AppList, name) >= 0;
    }
    if (found != kLines) state.SkipWithError("an entry was not found");
  }
  state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(FindAppListEntry)->Unit(benchmark::kMillisecond);

}  // namespace
