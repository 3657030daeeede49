// Fuzz entry point: config/base.ini of arbitrary bytes, read and written through the
// profile functions. Besides not crashing, a write that succeeds must read back, and
// must not change what another key reads.
#include "config/Profile.h"

#include "fuzz/support/FuzzScratchFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

using marlune::fuzz::ScratchFile;

void Check(bool condition, const char* what) {
    marlune::fuzz::Check(condition, "profile_file", what);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ScratchFile file("base.ini");
    const std::string& path = file.path();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        if (!out)
            return 0;
    }

    using marlune::ProfileRead;
    using marlune::ProfileWrite;
    std::string freshSec = ProfileRead(path, "sys", "FreshSec");
    std::string colorUp = ProfileRead(path, "Color", "ColorUp");
    Check(freshSec.size() <= 127 * 3 && colorUp.size() <= 127 * 3, "a value longer than 127 characters");
    (void)marlune::ProfileReadInt(path, "sys", "LastX");

    if (ProfileWrite(path, "sys", "HotKey", " A")) {
        Check(ProfileRead(path, "SYS", "hotkey") == "A", "written key does not read back");
        Check(ProfileRead(path, "sys", "FreshSec") == freshSec, "a write changed another key");
        Check(ProfileRead(path, "Color", "ColorUp") == colorUp, "a write changed another section");
    }
    if (ProfileWrite(path, "Color", "ColorBK", "e6ffff"))
        Check(ProfileRead(path, "color", "colorbk") == "e6ffff", "written colour does not read back");
    if (ProfileWrite(path, "新", "ReSoft", "/opt/交易软件"))
        Check(ProfileRead(path, "新", "ReSoft") == "/opt/交易软件", "GBK value does not read back");
    Check(ProfileRead(path, "sys", "FreshSec") == freshSec, "writes changed another key");
    return 0;
}
