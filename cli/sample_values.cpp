#include "sample_values.h"

namespace thalwen {

std::string whatIsWrong(std::string_view text, const char* reason) {
    return trimBlanks(text).empty() ? std::string(reason) : std::string("is ") + reason;
}

}  // namespace thalwen
