// The end-to-end tests' watchdog: the bound the build gives
// them. The report looks into every game this process started.
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "../common/Watchdog.h"

namespace {

namespace fs = std::filesystem;

// The games (and other programs) started by this process.
std::string childrenSeen()
{
    std::string report;
    for (const auto &entry : fs::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string pid, name, state;
        long parent = 0;
        if (!(stat >> pid >> name >> state >> parent) || parent != getpid())
            continue;
        std::error_code failed;
        std::string exe = fs::read_symlink(entry.path() / "exe", failed).string();
        report += "\n" + exe + " (" + pid + ")";
        if (exe.find("Xvfb") == std::string::npos)
            report += gameSeenByGdb(std::stoi(pid));
    }
    return report.empty() ? "no game running" : report;
}

const bool armed = (watchEveryTest(TEST_BOUND_SECONDS, childrenSeen), true);

}  // namespace
