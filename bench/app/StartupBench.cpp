// Start-up time of the program as the suite starts it: from the moment the process is spawned
// to the first price record of its first table reaching the output file (the output is the
// template's copy; the first write after that copy is closed is the first posted record), and
// to the end of the process. The program folder is laid out as installed, with the sample
// units tables and the template, the sample price file and the answers for its unknown codes,
// so no question is asked. Qt runs offscreen. Several runs; the median counts.
//
// Usage: startup_bench [RUNS]   (default 9)
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

pid_t spawn(std::vector<std::string> arguments, const std::vector<std::string>& extraEnvironment) {
    std::vector<char*> argv;
    for (std::string& a : arguments) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> env(extraEnvironment);
    for (char** e = environ; *e != nullptr; ++e) env.emplace_back(*e);
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", 1 /* O_WRONLY */, 0);
    pid_t child = -1;
    if (posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) child = -1;
    posix_spawn_file_actions_destroy(&actions);
    return child;
}

bool runTool(const std::vector<std::string>& arguments) {
    const pid_t child = spawn(arguments, {});
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

struct Run {
    double firstRecordMs = -1;
    double totalMs = -1;
    bool ok = false;
};

Run runOnce(const fs::path& root) {
    Run run;
    const fs::path out = root / "out";
    fs::remove_all(out);
    fs::create_directories(out);
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watch < 0 || inotify_add_watch(watch, out.c_str(), IN_MODIFY | IN_CLOSE_WRITE) < 0) return run;
    const std::string argument = "40?" + (root / "sample/prices.txt").string() + "?" +
                                 (out / "prices.dbf").string() + "??" + (root / "sample/units").string() + "?";

    const auto start = Clock::now();
    const pid_t child = spawn({(root / "konvika").string(), argument}, {"QT_QPA_PLATFORM=offscreen"});
    if (child <= 0) return run;
    bool copied = false;
    int status = 0;
    bool exited = false;
    while (!exited) {
        if (millisecondsSince(start) > 20000) {
            kill(child, SIGKILL);  // a question or a hang: never wait for ever
        }
        pollfd p{watch, POLLIN, 0};
        if (poll(&p, 1, 1) > 0) {
            alignas(inotify_event) char buffer[4096];
            const ssize_t n = read(watch, buffer, sizeof buffer);
            for (ssize_t at = 0; at < n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                const bool output = event->len > 0 && std::strcmp(event->name, "prices.dbf") == 0;
                if (output && (event->mask & IN_CLOSE_WRITE)) copied = true;
                else if (output && copied && (event->mask & IN_MODIFY) && run.firstRecordMs < 0)
                    run.firstRecordMs = millisecondsSince(start);
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        const pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child) exited = true;
    }
    run.totalMs = millisecondsSince(start);
    close(watch);
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 && run.firstRecordMs >= 0;
    return run;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    const fs::path root = fs::temp_directory_path() / ("konvika-startup-bench-" + std::to_string(getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "DLL");
    fs::create_directories(root / "sample");
    fs::copy_file(KONVIKA_PROGRAM, root / "konvika");
    fs::copy_file(GVREAD_LIBRARY, root / "DLL/gvread.so");
    fs::copy_file(KONVIKA_SAMPLE_PRICES, root / "sample/prices.txt");
    if (!runTool({KONVIKA_TABLES_TOOL, root.string()}) || !runTool({KONVIKA_ANSWERS_TOOL, root.string()})) {
        std::fprintf(stderr, "startup_bench: the program folder could not be prepared\n");
        return 1;
    }

    runOnce(root);  // warms the page cache for the program and the Qt libraries
    std::vector<double> first, total;
    int failures = 0;
    for (int i = 0; i < runs; ++i) {
        const Run run = runOnce(root);
        if (!run.ok) {
            ++failures;
            continue;
        }
        first.push_back(run.firstRecordMs);
        total.push_back(run.totalMs);
    }
    fs::remove_all(root);
    if (first.empty()) {
        std::fprintf(stderr, "startup_bench: no run reached its first table\n");
        return 1;
    }
    std::printf("start-up to the first table: median %.1f ms, best %.1f ms (%zu runs, %d failed)\n",
                median(first), *std::min_element(first.begin(), first.end()), first.size(), failures);
    std::printf("whole sample conversion: median %.1f ms\n", median(total));
    std::printf("RESULT startup_ms %.2f\n", median(first));
    std::printf("RESULT startup_total_ms %.2f\n", median(total));
    return failures == 0 ? 0 : 1;
}
