#include "runtime/runtime_url.h"

#include <string_view>

#include "common/ascii.h"
#include "common/text_format.h"

namespace ormix {

int ChooseRuntimeUrl(const char* base, const char* slot, char* out, std::size_t capacity) {
  if (out == nullptr || capacity == 0)
    return -1;
  out[0] = '\0';
  std::string_view base_text = base != nullptr ? base : "";

  std::string_view suffix;
  if (slot != nullptr) {
    std::string_view slot_text = slot;
    std::size_t dash = slot_text.rfind('-');
    if (dash != std::string_view::npos)
      suffix = Tail(slot_text, dash);
  }
  if (suffix == "-dev")
    return -1;

  constexpr std::string_view kLatest = "/runtime-latest/";
  std::size_t at = base_text.find(kLatest);
  if (suffix == "-beta" && at != std::string_view::npos) {
    Format(out, capacity, "%.*s/runtime-beta/%s", static_cast<int>(at), base_text.data(),
           base_text.data() + at + kLatest.size());
    return 0;
  }
  Format(out, capacity, "%s", base_text.data());
  return 0;
}

}  // namespace ormix
