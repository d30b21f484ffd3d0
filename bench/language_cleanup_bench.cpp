// The start-up clean-up of a language file: 16,000 keys in its applied
// section (a quarter of them stale, some repeated) against windows of 150
// components each, read from memory, cleaned and laid out again. It runs on
// the user-interface thread before any window shows, so it must stay well
// under 100 ms.
#include <benchmark/benchmark.h>

#include <string>

#include "i18n/languages.h"
#include "platform/ansi_codec.h"
#include "tests/fakes/fake_components.h"

using namespace vandrel;

namespace {

void BM_CleanLanguageFile(benchmark::State& state) {
  const int keys = static_cast<int>(state.range(0));
  testing::FakeWindow form1("Form1"), form8("Form8"), form10("Form10");
  for (int i = 0; i < 150; ++i) {
    form1.Add("Component" + std::to_string(i), ComponentKind::kButton);
    form8.Add("Component" + std::to_string(i), ComponentKind::kButton);
    form10.Add("Component" + std::to_string(i), ComponentKind::kButton);
  }
  const std::vector<ComponentOwner*> windows = {&form1, &form8, &form10};
  std::string text = "[Language information]\r\nLANGNAME=Bench\r\n[Vandrel]\r\n";
  const char* forms[] = {"Form1", "Form8", "Form10", "Form99"};  // Form99: stale
  // Every key its own, but each tenth repeats the one before it.
  for (int i = 0; i < keys; ++i) {
    const int k = i % 10 == 9 ? i - 1 : i;
    text += std::string(forms[k % 4]) + ".Component" + std::to_string(k % 150) + ".Prop" + std::to_string(k) +
            "=Text " + std::to_string(i) + "\r\n";
  }
  const std::unique_ptr<AnsiCodec> ansi = MakeWindows1252Codec();
  const auto bytes = std::as_bytes(std::span(text.data(), text.size()));
  std::size_t left = 0;
  for (auto _ : state) {
    IniStore file = IniStore::Parse(bytes, *ansi);
    CleanLanguageFile(file, windows);
    const std::string out = file.Layout();
    left = file.EntryNames("Vandrel").size();
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["keys_left"] = static_cast<double>(left);
}
BENCHMARK(BM_CleanLanguageFile)->Arg(1000)->Arg(16000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
