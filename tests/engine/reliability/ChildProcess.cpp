#include "tests/engine/reliability/ChildProcess.h"

#include <csignal>
#include <exception>
#include <linux/capability.h>
#include <sstream>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "tests/support/RecordingDesktop.h"
#include "text/CodePages.h"

namespace reliability {

namespace {

constexpr char kBoxPrefix[] = "box: ";

bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string readAll(int fd) {
    std::string bytes;
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0) bytes.append(buffer, static_cast<std::size_t>(n));
    return bytes;
}

}  // namespace

void honourFilePermissions() {
    if (::geteuid() != 0) return;
    __user_cap_header_struct header{};
    header.version = _LINUX_CAPABILITY_VERSION_3;
    __user_cap_data_struct data[2]{};
    if (::syscall(SYS_capget, &header, data) != 0) return;
    for (int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH})
        data[cap / 32].effective &= ~(1u << (cap % 32));
    ::syscall(SYS_capset, &header, data);
}

ChildOutcome runInChild(const std::function<std::string()>& body, const ChildSetup& setup) {
    int fds[2];
    ChildOutcome outcome;
    if (::pipe(fds) != 0) return outcome;
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return outcome;
    }
    if (pid == 0) {
        ::close(fds[0]);
        // A write beyond the limit must fail with EFBIG, as on a full disk, not kill the child.
        std::signal(SIGXFSZ, SIG_IGN);
        if (setup.fileSizeLimit != RLIM_INFINITY) {
            const rlimit limit{setup.fileSizeLimit, setup.fileSizeLimit};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(90);
        }
        if (setup.honourPermissions) honourFilePermissions();
        std::string output;
        {
            testing_support::RecordingDesktop desktop;
            try {
                output = body();
            } catch (const std::exception& error) {
                output = "exception: " + text::cp1251ToUtf8(error.what());
            } catch (...) {
                output = "exception: unknown";
            }
            for (const auto& message : desktop.messages)
                output += "\n" + std::string(kBoxPrefix) + text::cp1251ToUtf8(message.caption) + "|" +
                          text::cp1251ToUtf8(message.text);
        }
        ::_exit(writeAll(fds[1], output) ? 0 : 91);
    }
    ::close(fds[1]);
    outcome.output = readAll(fds[0]);
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
    }
    outcome.exited = WIFEXITED(status);
    outcome.exitCode = outcome.exited ? WEXITSTATUS(status) : -1;
    outcome.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return outcome;
}

std::vector<std::string> messageBoxes(const std::string& output) {
    std::vector<std::string> boxes;
    std::istringstream lines(output);
    std::string line;
    const std::string prefix = kBoxPrefix;
    // A box text may hold line breaks: the lines after a box line belong to it until the next.
    bool inBox = false;
    while (std::getline(lines, line)) {
        if (line.rfind(prefix, 0) == 0) {
            boxes.push_back(line.substr(prefix.size()));
            inBox = true;
        } else if (inBox) {
            boxes.back() += "\n" + line;
        }
    }
    return boxes;
}

}  // namespace reliability
