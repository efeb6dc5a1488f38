#pragma once
// Runs a piece of a test in a forked child process, so that a file-size limit, lost file
// permissions or a kill reach only the child. The child hands its findings back as text through
// a pipe; the parent makes the assertions (a failed expectation inside the child would be lost).
#include <functional>
#include <string>
#include <vector>
#include <sys/resource.h>
#include <sys/types.h>

namespace reliability {

struct ChildSetup {
    // RLIMIT_FSIZE for the child: no file can grow beyond this many bytes (a full disk).
    rlim_t fileSizeLimit = RLIM_INFINITY;
    // Give up the superuser's right to ignore file permissions, so that read-only files and
    // folders are read-only for the child even when the tests run as root.
    bool honourPermissions = false;
};

struct ChildOutcome {
    bool exited = false;  // ended by _exit, not by a signal
    int exitCode = -1;
    int signal = 0;
    std::string output;  // what the body returned (or "exception: ..." when it threw)
};

// The body runs in the child with a recording desktop installed; the texts of its message
// boxes are appended to the output as lines "box: <caption>|<text>" (UTF-8).
ChildOutcome runInChild(const std::function<std::string()>& body, const ChildSetup& setup = {});

// The message-box lines of an output, in order.
std::vector<std::string> messageBoxes(const std::string& output);

// Drops the capabilities that let root ignore file permissions, in this process only.
void honourFilePermissions();

}  // namespace reliability
