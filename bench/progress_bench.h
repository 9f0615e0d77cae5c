// The progress-window part of the benchmark: many download notifications against a real window.
#pragma once

namespace ormix::bench {

// Prints one table row; now() returns milliseconds.
void PrintProgressBench(double (*now)());

}  // namespace ormix::bench
