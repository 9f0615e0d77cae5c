// Owners for the launcher's only heap data: argument vectors of heap strings, and one heap text.
// Each owner frees everything it holds on destruction, so every path releases it.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <memory>

namespace ormix {

struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};

template <typename CharT>
using HeapText = std::unique_ptr<CharT, FreeDeleter>;

// A null-terminated vector of count heap strings; entries stay null until assigned.
template <typename CharT>
class HeapStringVector {
 public:
  HeapStringVector() = default;
  ~HeapStringVector() { Clear(); }
  HeapStringVector(const HeapStringVector&) = delete;
  HeapStringVector& operator=(const HeapStringVector&) = delete;

  // Allocates count + 1 zeroed entries. Returns false when the allocation fails.
  bool Allocate(std::size_t count) {
    Clear();
    items_ = static_cast<CharT**>(std::calloc(count + 1, sizeof(CharT*)));
    if (items_ == nullptr)
      return false;
    count_ = count;
    return true;
  }

  // Takes ownership of a heap string (from malloc, calloc or _strdup).
  void Set(std::size_t i, CharT* text) { items_[i] = text; }

  CharT* const* data() const { return items_; }
  CharT* operator[](std::size_t i) const { return items_[i]; }
  std::size_t size() const { return count_; }

  void Clear() {
    if (items_ != nullptr) {
      for (std::size_t i = 0; i < count_; ++i) std::free(items_[i]);
      std::free(items_);
    }
    items_ = nullptr;
    count_ = 0;
  }

 private:
  CharT** items_ = nullptr;
  std::size_t count_ = 0;
};

// Heap copy of a text, like _strdup, available on every platform.
char* DuplicateText(const char* text);

}  // namespace ormix
