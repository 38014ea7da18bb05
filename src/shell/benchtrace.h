#pragma once

#include <functional>

/// Time stamps for the benchmarks, written to standard error only when VESK_BENCH_TRACE=1:
/// `vesk-trace <event> <CLOCK_MONOTONIC nanoseconds>`, one line each (the panel module marks
/// "frame" for each frame its window puts on screen). With the trace on, a line
/// "refresh" on standard input reloads the feed, so a benchmark can drive reloads.
namespace BenchTrace {

bool enabled();
void mark(const char *event);
/// Calls `refresh` for each "refresh" line read from standard input.
void listenForCommands(std::function<void()> refresh);

} // namespace BenchTrace
