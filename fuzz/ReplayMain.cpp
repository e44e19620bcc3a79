// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// Runs a fuzz target's entry point over every file of its corpus, in an ordinary build, so that
// each input that once crashed or hung a parser is tried again on every test run. A crash fails
// the run by itself; a hang is caught by a per-input alarm that names the input.
#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

// Set before each input so the alarm handler can name it without allocating.
char g_current[4096];

void onAlarm(int)
{
    static const char prefix[] = "replay: input did not finish in time: ";
    (void)!::write(2, prefix, sizeof prefix - 1);
    (void)!::write(2, g_current, std::char_traits<char>::length(g_current));
    (void)!::write(2, "\n", 1);
    ::_exit(1);
}

}  // namespace

int main(int argc, char** argv)
{
    namespace fs = std::filesystem;
    unsigned seconds = 20;
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--timeout=", 0) == 0) {
            seconds = unsigned(std::strtoul(arg.c_str() + 10, nullptr, 10));
            continue;
        }
        const fs::path p(arg);
        if (fs::is_directory(p)) {
            for (const auto& e : fs::recursive_directory_iterator(p))
                if (e.is_regular_file())
                    inputs.push_back(e.path());
        } else {
            inputs.push_back(p);
        }
    }
    std::sort(inputs.begin(), inputs.end());
    if (inputs.empty()) {
        std::fprintf(stderr, "replay: no inputs found\n");
        return 1;
    }
    std::signal(SIGALRM, onAlarm);
    for (const fs::path& p : inputs) {
        std::ifstream in(p, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "replay: cannot read %s\n", p.c_str());
            return 1;
        }
        const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::snprintf(g_current, sizeof g_current, "%s", p.c_str());
        std::fprintf(stderr, "replay: %s (%zu bytes)\n", p.c_str(), bytes.size());
        ::alarm(seconds);
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        ::alarm(0);
    }
    std::printf("replay: %zu inputs ran without a crash or hang\n", inputs.size());
    return 0;
}
