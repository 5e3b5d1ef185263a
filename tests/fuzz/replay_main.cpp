// Feeds a harness every file of the folders (or the files) named on the command line, as the
// fuzzer would; a folder that does not exist holds nothing. Any failed check aborts.
#include "tests/fuzz/fuzz_input.h"
#include "tests/fuzz/scratch_folder.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <vector>

int main(int argc, char** argv)
{
    std::vector<std::filesystem::path> inputs;
    for (int k = 1; k < argc; ++k) {
        const std::filesystem::path path(argv[k]);
        if (std::filesystem::is_directory(path)) {
            for (const auto& entry : std::filesystem::directory_iterator(path))
                if (entry.is_regular_file())
                    inputs.push_back(entry.path());
        } else if (std::filesystem::exists(path)) {
            inputs.push_back(path);
        }
    }
    std::sort(inputs.begin(), inputs.end());
    for (const auto& path : inputs) {
        std::cout << path.string() << std::endl;
        const std::vector<uint8_t> bytes = ScratchFolder::Read(path);
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
    std::cout << inputs.size() << " inputs replayed" << std::endl;
    return 0;
}
