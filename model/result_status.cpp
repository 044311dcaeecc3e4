#include "model/result_status.h"

namespace meltsim {

const char* ResultStatusText(ResultStatus status) {
  switch (status) {
    case ResultStatus::Ok:
      return "ok";
    case ResultStatus::Warning:
      return "warning";
    case ResultStatus::InputError:
      return "input error";
    case ResultStatus::CalculationError:
      return "calculation error";
    case ResultStatus::FileError:
      break;
  }
  return "file error";
}

}  // namespace meltsim
