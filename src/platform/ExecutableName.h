#pragma once
// How the system names a program file: "SUpdate" is "SUpdate.exe" on Windows and
// "SUpdate" elsewhere.

#include <string>
#include <string_view>

namespace marlune::platform {

std::string ExecutableFileName(std::string_view stem);

} // namespace marlune::platform
