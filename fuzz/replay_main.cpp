// Runs a fuzzer's LLVMFuzzerTestOneInput over every file of the folders and files given, once each, without
// libFuzzer: the ordinary build's regression test over the seed corpus. Fails when nothing was found to run.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

std::vector<std::filesystem::path> inputsUnder(const std::filesystem::path &start) {
    std::vector<std::filesystem::path> inputs;
    if (std::filesystem::is_regular_file(start)) {
        inputs.push_back(start);
    } else if (std::filesystem::is_directory(start)) {
        for (const auto &entry : std::filesystem::recursive_directory_iterator(start))
            if (entry.is_regular_file())
                inputs.push_back(entry.path());
    }
    return inputs;
}

void replay(const std::filesystem::path &input) {
    std::ifstream file(input, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    std::fprintf(stderr, "replaying %s (%zu bytes)\n", input.u8string().c_str(), bytes.size());
    // The data pointer may not be null, even for an empty input, as under libFuzzer.
    static const uint8_t empty = 0;
    const auto *data = bytes.empty() ? &empty : reinterpret_cast<const uint8_t *>(bytes.data());
    LLVMFuzzerTestOneInput(data, bytes.size());
}

}  // namespace

int main(int argc, char **argv) {
    size_t replayed = 0;
    for (int i = 1; i < argc; ++i) {
        for (const auto &input : inputsUnder(argv[i])) {
            replay(input);
            ++replayed;
        }
    }
    if (replayed == 0) {
        std::fprintf(stderr, "no input found\n");
        return 1;
    }
    std::fprintf(stderr, "%zu inputs replayed\n", replayed);
    return 0;
}
