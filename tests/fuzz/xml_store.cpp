// Fuzz entry point: scnf/SSTConf.xml of arbitrary bytes through XmlSettingsStore.
// Besides not crashing, a value that was set must read back.
#include "config/XmlSettingsStore.h"

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
    marlune::fuzz::Check(condition, "xml_store", what);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ScratchFile file("SSTConf.xml");
    {
        std::ofstream out(file.path(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        if (!out)
            return 0;
    }

    marlune::XmlSettingsStore store;
    store.SetPath(file.path());
    if (!store.IsOpenable())
        return 0;
    std::string topMost = store.GetValue("TopMost");
    (void)store.GetValue("ColorBK");
    if (store.SetValue("UpdateTime", "1700000000"))
        Check(store.GetValue("UpdateTime") == "1700000000", "a value that was set does not read back");
    if (store.SetValue("LoginPd", "a<b>&c"))
        Check(store.GetValue("LoginPd") == "a<b>&c", "markup in a value does not read back");
    (void)store.AddKey("ProxyUser", "用户");
    if (!topMost.empty())
        Check(!store.GetValue("TopMost").empty(), "a readable document became unreadable");
    return 0;
}
