// The program people start. It answers --help and --version and runs the search without a
// window on the net engine itself; it links neither the window's libraries nor Qt WebEngine,
// so that it starts in milliseconds. The window and the Chromium engine are the full
// program's, which it replaces itself with, the command line unchanged.

#include "app/headless/run_without_window.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace {

// Beside this program in the build tree; where the package puts it once installed.
std::filesystem::path fullProgram(const std::filesystem::path& self)
{
    const std::filesystem::path beside = self.parent_path() / QUORVANE_FULL_PROGRAM_BESIDE;
    if (access(beside.c_str(), X_OK) == 0)
        return beside;
    return (self.parent_path() / QUORVANE_FULL_PROGRAM_INSTALLED).lexically_normal();
}

// Gives the exit status when the full program cannot be started.
int startFullProgram(char** argv)
{
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        std::fprintf(stderr, "quorvane: cannot find the window's program: /proc/self/exe: %s\n",
                     error.message().c_str());
        return 2;
    }
    const std::filesystem::path program = fullProgram(self);
    execv(program.c_str(), argv);
    std::fprintf(stderr, "quorvane: cannot start the window's program %s: %s\n", program.c_str(),
                 std::strerror(errno));
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (const std::optional<int> status = runWithoutWindow(argc, argv))
        return *status;
    return startFullProgram(argv);
}
