// The Xvfb server of a test process: it picks a free display itself
// (-displayfd), is up before the first test and dies with the process.
#include "Harness.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string display;
pid_t xvfbPid = -1;

// Starts an Xvfb of w x h and makes it this process's display.
void startXvfb(int w, int h)
{
    int fds[2];
    ASSERT_EQ(0, pipe(fds));
    xvfbPid = fork();
    ASSERT_GE(xvfbPid, 0);
    if (xvfbPid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        close(fds[0]);
        int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, 1);
        dup2(quiet, 2);
        std::string fd = std::to_string(fds[1]);
        std::string size = std::to_string(w) + "x" + std::to_string(h) + "x24";
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", size.c_str(),
               "-nolisten", "tcp", "-noreset", (char *)nullptr);
        _exit(127);
    }
    close(fds[1]);
    std::string number;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(fds[0]);
    ASSERT_FALSE(number.empty()) << "Xvfb did not start";
    display = ":" + number;
    setenv("DISPLAY", display.c_str(), 1);
    system("xset r off >/dev/null 2>&1");  // no auto-repeat filling the key buffer
}

void stopXvfb()
{
    if (xvfbPid > 0) {
        kill(xvfbPid, SIGTERM);
        waitpid(xvfbPid, nullptr, 0);
        xvfbPid = -1;
    }
}

class Xvfb : public ::testing::Environment {
  public:
    void SetUp() override { startXvfb(rootWidth, rootHeight); }
    void TearDown() override { stopXvfb(); }
};

::testing::Environment *const xvfb = ::testing::AddGlobalTestEnvironment(new Xvfb);

}  // namespace

const std::string &testDisplay()
{
    return display;
}

void useDesktopOfSize(int w, int h)
{
    stopXvfb();
    startXvfb(w, h);
}
