#include "model/messages.h"

#include <cfenv>

namespace meltsim {

void MessageSink::ShowMessage(const std::string& text) {
  std::fexcept_t saved;
  std::fegetexceptflag(&saved, FE_ALL_EXCEPT);
  Display(text);
  std::fesetexceptflag(&saved, FE_ALL_EXCEPT);
}

}  // namespace meltsim
