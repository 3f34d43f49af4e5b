// Runs a fuzz target once over every file of its corpus, without libFuzzer:
// the test suite's replay of the corpora, built with any compiler.
//   <target>_replay CORPUS_DIR|FILE ...
// A crash or sanitizer report fails the run; otherwise it prints how many
// inputs ran and exits 0.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

std::vector<std::filesystem::path> Inputs(const std::filesystem::path& at) {
    std::vector<std::filesystem::path> inputs;
    if (std::filesystem::is_directory(at)) {
        for (const auto& entry : std::filesystem::directory_iterator(at))
            if (entry.is_regular_file()) inputs.push_back(entry.path());
        std::sort(inputs.begin(), inputs.end());
    } else {
        inputs.push_back(at);
    }
    return inputs;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: " << argv[0] << " CORPUS_DIR|FILE ...\n";
        return 2;
    }
    std::size_t ran = 0;
    for (int i = 1; i < argc; ++i) {
        for (const std::filesystem::path& input : Inputs(argv[i])) {
            std::ifstream file(input, std::ios::binary);
            if (!file) {
                std::cerr << "cannot read " << input << '\n';
                return 1;
            }
            const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file),
                                                  std::istreambuf_iterator<char>()};
            // An empty vector's data() may be null; the fuzzer hands a valid pointer.
            static const std::uint8_t kNothing = 0;
            LLVMFuzzerTestOneInput(bytes.empty() ? &kNothing : bytes.data(), bytes.size());
            ++ran;
        }
    }
    if (ran == 0) {
        std::cerr << "no inputs found\n";
        return 1;
    }
    std::cout << ran << " inputs replayed\n";
    return 0;
}
