#include "platform/ExecutableName.h"

namespace marlune::platform {

std::string ExecutableFileName(std::string_view stem) {
#if defined(_WIN32)
    return std::string(stem) + ".exe";
#else
    return std::string(stem);
#endif
}

} // namespace marlune::platform
