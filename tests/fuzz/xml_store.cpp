// Fuzz entry point: scnf/SSTConf.xml of arbitrary bytes through XmlSettingsStore.
// Besides not crashing, a value that was set must read back.
#include "config/XmlSettingsStore.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

// The file the input is written to, in memory when possible (every write is flushed
// to disk, which would make the fuzzer crawl). Removed after each input, so that
// nothing is left behind however the fuzzer ends.
class ScratchFile {
public:
    explicit ScratchFile(const char* name) {
        std::error_code error;
        std::filesystem::path base = std::filesystem::is_directory("/dev/shm", error)
                                         ? std::filesystem::path("/dev/shm")
                                         : std::filesystem::temp_directory_path();
        m_path = (base / ("marlune-fuzz-" + std::to_string(::getpid()) + "-" + name)).string();
    }
    ~ScratchFile() { std::remove(m_path.c_str()); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "xml_store: %s\n", what);
        std::abort();
    }
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
