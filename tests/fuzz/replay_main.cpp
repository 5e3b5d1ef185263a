// Feeds a harness every file of the folders named on the command line, as the fuzzer would; a
// folder that does not exist holds nothing. Any failed check aborts.
#include "tests/fuzz/fuzz_input.h"
#include "tests/recordfiles/record_test_files.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <vector>

int main(int argc, char** argv)
{
    std::vector<std::filesystem::path> inputs;
    for (int k = 1; k < argc; ++k)
        if (std::filesystem::is_directory(argv[k]))
            for (const auto& entry : std::filesystem::directory_iterator(argv[k]))
                inputs.push_back(entry.path());
    std::sort(inputs.begin(), inputs.end());
    for (const auto& path : inputs) {
        std::cout << path.string() << std::endl;
        const recordtest::Bytes bytes = recordtest::ReadBytes(path);
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
    std::cout << inputs.size() << " inputs replayed" << std::endl;
    return 0;
}
