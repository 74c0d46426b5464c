// The per-number work of a conversion: reading a field, writing a number text,
// building a point's records.
#include <benchmark/benchmark.h>

#include <charconv>
#include <random>
#include <string>
#include <vector>

#include "conversion/leading_number.h"
#include "conversion/point_line.h"
#include "iges/number_text.h"
#include "iges/point_entity.h"

namespace {

std::vector<double> Values() {
  std::mt19937_64 random(1);
  std::uniform_real_distribution<double> value(-1000, 1000);
  std::vector<double> values(4096);
  for (double& v : values)
    v = static_cast<long>(value(random) * 10000) / 10000.0;
  return values;
}

void BM_NumberText(benchmark::State& state) {
  const auto values = Values();
  char text[karvonel::iges::kMaxNumberText];
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(karvonel::iges::NumberTextTo(text, values[i++ & 4095]));
  }
}
BENCHMARK(BM_NumberText);

void BM_ParsePointLine(benchmark::State& state) {
  const std::string line = "123.4567,-89.0123,4.5678";
  for (auto _ : state)
    benchmark::DoNotOptimize(karvonel::conversion::ParsePointLine(line));
}
BENCHMARK(BM_ParsePointLine);

// The plain-decimal fields of a point list, read by the program's reader and,
// for comparison, by std::from_chars alone (which gives the value but not the
// digits the number text is then written from).
std::vector<std::string> Fields() {
  std::vector<std::string> fields;
  char text[32];
  for (double v : Values())
    fields.emplace_back(text, std::to_chars(text, text + sizeof text, v).ptr);
  return fields;
}

void BM_LeadingNumber(benchmark::State& state) {
  const auto fields = Fields();
  std::size_t i = 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(karvonel::conversion::LeadingNumber(fields[i++ & 4095]));
}
BENCHMARK(BM_LeadingNumber);

void BM_FromChars(benchmark::State& state) {
  const auto fields = Fields();
  std::size_t i = 0;
  double value = 0;
  for (auto _ : state) {
    const std::string& field = fields[i++ & 4095];
    benchmark::DoNotOptimize(std::from_chars(field.data(), field.data() + field.size(), value));
    benchmark::DoNotOptimize(value);
  }
}
BENCHMARK(BM_FromChars);

void BM_BuildPointEntity(benchmark::State& state) {
  karvonel::iges::PointRecords records;
  std::int32_t n = 1;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        karvonel::iges::BuildPointEntity(123.4567, -89.0123, 4.5678, 2 * n - 1, n, records)
            .has_value());
    n = n % 1000000 + 1;
  }
}
BENCHMARK(BM_BuildPointEntity);

}  // namespace
