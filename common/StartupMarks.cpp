// Built into bench builds only (see StartupMarks.h).
#include "StartupMarks.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace startup {
namespace {

struct Noted {
  const char* phase;
  double seconds;  // since the Unix epoch, as the bench's own clock counts
};

Noted noted[16];
int count = 0;

double Now() {
  // Microseconds under Wine, which is where the bench runs.
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  const unsigned long long ticks =
      (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  constexpr unsigned long long kUnixEpoch = 116444736000000000ULL;  // 1970 in 100 ns ticks
  return static_cast<double>(ticks - kUnixEpoch) / 1e7;
}

void Write() {
  char path[MAX_PATH]{};
  if (!GetEnvironmentVariableA("WANDREL_STARTUP_MARKS_FILE", path, sizeof path)) return;
  FILE* file = std::fopen(path, "w");
  if (!file) return;
  for (int i = 0; i < count; ++i) std::fprintf(file, "%.6f %s\n", noted[i].seconds, noted[i].phase);
  std::fclose(file);
}

}  // namespace

void Mark(const char* phase) noexcept {
  const double now = Now();
  for (int i = 0; i < count; ++i) {
    if (std::strcmp(noted[i].phase, phase) == 0) return;
  }
  if (count == static_cast<int>(sizeof noted / sizeof noted[0])) return;
  noted[count++] = {phase, now};
  if (std::strcmp(phase, kFirstPaint) == 0) Write();
}

}  // namespace startup
