#include "errors.h"

namespace talvesa {

MathError::MathError() : Error("Invalid floating point operation") {}

}  // namespace talvesa
