// Runs a libFuzzer entry point without libFuzzer: over every file named on the command
// line (folders are walked), then over a fixed set of hostile inputs.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

void RunOne(const std::string& bytes) {
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

void RunFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    RunOne(bytes);
    // Every prefix of a seed: truncated replies are the commonest damage.
    for (std::size_t cut = 0; cut < bytes.size(); cut += 1 + bytes.size() / 64)
        RunOne(bytes.substr(0, cut));
}

} // namespace

int main(int argc, char** argv) {
    int files = 0;
    for (int i = 1; i < argc; ++i) {
        std::filesystem::path path(argv[i]);
        std::error_code error;
        if (std::filesystem::is_directory(path, error)) {
            for (const auto& entry : std::filesystem::recursive_directory_iterator(path)) {
                if (entry.is_regular_file()) {
                    RunFile(entry.path());
                    ++files;
                }
            }
        } else if (std::filesystem::is_regular_file(path, error)) {
            RunFile(path);
            ++files;
        }
    }
    std::vector<std::string> hostile = {"",
                                        std::string(1, '\0'),
                                        std::string(64, '\xff'),
                                        std::string(100000, '|'),
                                        std::string(100000, '"'),
                                        std::string(1 << 20, 'a')};
    std::mt19937 random(12345);
    for (int i = 0; i < 200; ++i) {
        std::string bytes(random() % 512, '\0');
        for (char& c : bytes)
            c = static_cast<char>(random());
        hostile.push_back(bytes);
    }
    for (const std::string& bytes : hostile)
        RunOne(bytes);
    std::printf("ran %d seed files and %zu hostile inputs\n", files, hostile.size());
    return 0;
}
