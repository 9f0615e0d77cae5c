#include "bench/progress_bench.h"

namespace ormix::bench {

void PrintProgressBench(double (*)()) {}

}  // namespace ormix::bench
