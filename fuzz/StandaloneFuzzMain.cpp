// The replay of a fuzz target outside libFuzzer, for the ordinary builds and their tests:
//   <name>_fuzz FILE-OR-FOLDER...
// feeds every file given, and every file under every folder given (in name order, names that
// begin with a dot left out), to the target once, naming each, and tells how many it fed. A crash
// ends the process there, through the sanitizers or the target's own abort; a path that cannot be
// read fails the run too, so that a replay never passes on an empty set by mistake.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

namespace fs = std::filesystem;

bool Hidden(const fs::path& path) {
    const std::string name = path.filename().string();
    return !name.empty() && name.front() == '.';
}

// The inputs a path names: the file itself, or the regular files below the folder.
bool CollectInputs(const fs::path& path, std::vector<fs::path>& inputs) {
    std::error_code error;
    if (fs::is_regular_file(path, error)) {
        inputs.push_back(path);
        return true;
    }
    if (!fs::is_directory(path, error)) {
        return false;
    }
    std::vector<fs::path> found;
    for (auto it = fs::recursive_directory_iterator(path, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        if (Hidden(it->path())) {
            if (it->is_directory(error)) {
                it.disable_recursion_pending();
            }
            continue;
        }
        if (it->is_regular_file(error)) {
            found.push_back(it->path());
        }
    }
    if (error) {
        return false;
    }
    std::sort(found.begin(), found.end());
    inputs.insert(inputs.end(), found.begin(), found.end());
    return true;
}

bool ReadWhole(const fs::path& path, std::vector<std::uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

}  // namespace

int main(int argc, char** argv) {
    if (LLVMFuzzerInitialize != nullptr) {
        LLVMFuzzerInitialize(&argc, &argv);
    }
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        if (!CollectInputs(argv[i], inputs)) {
            std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[i]);
            return 2;
        }
    }
    std::size_t replayed = 0;
    for (const fs::path& input : inputs) {
        std::vector<std::uint8_t> bytes;
        if (!ReadWhole(input, bytes)) {
            std::fprintf(stderr, "%s: cannot read %s\n", argv[0], input.string().c_str());
            return 2;
        }
        // Named before it runs: a crash shows which input it was.
        std::printf("%s\n", input.string().c_str());
        std::fflush(stdout);
        // A block of exactly the input's size, so that a read past its end is caught.
        const std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[bytes.size()]);
        std::copy(bytes.begin(), bytes.end(), copy.get());
        LLVMFuzzerTestOneInput(copy.get(), bytes.size());
        ++replayed;
    }
    std::printf("%zu inputs replayed\n", replayed);
    return 0;
}
