// The text pane's layout: a 20 MB Shift_JIS text laid out at width 80, the
// same rows written out without an index (kestrel-tool view), and a live
// console's byte-by-byte appends.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "widgets/TextLayout.h"

namespace {

// Japanese prose with ASCII words, punctuation and addresses; paragraphs of
// up to a few hundred bytes, CR LF line ends.
const std::string& Corpus() {
  static const std::string text = [] {
    std::mt19937 rng(20240607);
    std::string out;
    out.reserve(21 << 20);
    const char* punct[] = {"\x81\x41", "\x81\x42", "\x81\x75", "\x81\x76"};  // 、。「」
    const char* words[] = {" Palm ", " HotSync ", " http://example.jp/palm/ ", " 2024 ", " taro@example.jp "};
    while (out.size() < (20u << 20)) {
      int chars = 5 + static_cast<int>(rng() % 200);
      for (int i = 0; i < chars; ++i) {
        unsigned p = rng() % 100;
        if (p < 40) {  // kanji, rows 0x88-0x9F
          out += static_cast<char>(0x88 + rng() % 0x18);
          out += static_cast<char>(0x40 + rng() % 0x3F);
        } else if (p < 80) {  // hiragana
          out += '\x82';
          out += static_cast<char>(0x9F + rng() % 0x52);
        } else if (p < 90) {
          out += punct[rng() % 4];
        } else if (p < 95) {
          out += words[rng() % 5];
        } else {  // half-width katakana
          out += static_cast<char>(0xB1 + rng() % 0x2C);
        }
      }
      out += "\r\n";
    }
    return out;
  }();
  return text;
}

void BM_LayoutWidth80(benchmark::State& state) {
  const std::string& text = Corpus();
  for (auto _ : state) {
    kestrel::TextLayout t;
    t.setWrapWidth(80);
    t.setText(text);
    benchmark::DoNotOptimize(t.rowCount());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_LayoutWidth80)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Opening: only the first screen is laid out.
void BM_OpenAndShowFirstScreen(benchmark::State& state) {
  const std::string& text = Corpus();
  for (auto _ : state) {
    kestrel::TextLayout t;
    t.setWrapWidth(80);
    t.setText(text);
    benchmark::DoNotOptimize(t.row(40));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_OpenAndShowFirstScreen)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_WrappedRowsWidth80(benchmark::State& state) {
  const std::string& text = Corpus();
  std::string out;
  for (auto _ : state) {
    out.clear();
    kestrel::AppendWrappedRows(text, 80, true, out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_WrappedRowsWidth80)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// A console's last line growing one byte at a time, laid out after each.
void BM_AppendSingleBytes(benchmark::State& state) {
  const std::string& text = Corpus();
  const std::size_t n = 1 << 20;
  for (auto _ : state) {
    kestrel::TextLayout t;
    t.setWrapWidth(80);
    t.appendLine("Connected");
    for (std::size_t i = 0; i < n; ++i) {
      char c = text[i];
      if (c == '\r' || c == '\n') c = '.';
      t.appendToLastLine(std::string_view(&c, 1));
      benchmark::DoNotOptimize(t.rowCount());
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(n));
}
BENCHMARK(BM_AppendSingleBytes)->Unit(benchmark::kMillisecond);

}  // namespace
