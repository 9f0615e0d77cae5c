#include "common/unique_file.h"

namespace ormix {

UniqueFile OpenForReading(const char* path) {
  return UniqueFile(std::fopen(path, "rb"));
}

}  // namespace ormix
