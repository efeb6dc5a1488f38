#pragma once
// The installed program in its own processes, for the process tests: a fresh install with the
// sample units, child processes with their own environment, a private Xvfb display driven with
// xdotool, and readers for the log and the output table.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <chrono>
#include <memory>
#include <thread>

#include "dbf/Table.h"
#include "platform/Files.h"
#include "tests/support/TempFolder.h"
#include "text/CodePages.h"

extern char** environ;

namespace testing_support {

// The program installed with `cmake --install` into a fresh folder, with the sample units.
class InstalledProgram {
public:
    InstalledProgram() {
        const std::string command = std::string(KONVIKA_CMAKE_COMMAND) + " --install \"" +
                                    KONVIKA_BUILD_DIR + "\" --prefix \"" + folder_.path() +
                                    "\" >/dev/null";
        installed_ = std::system(command.c_str()) == 0 && platform::fileExists(program());
    }
    bool installed() const { return installed_; }
    std::string program() const { return folder_.file("konvika"); }
    std::string file(const std::string& relative) const { return folder_.file(relative); }
    std::string units() const { return folder_.file("sample/units"); }
    std::string logPath() const { return folder_.file("Morvel/TKonvika.log"); }
    // A source price file of the development reader's text form; lines are UTF-8.
    std::string writeSource(const std::string& name, const std::vector<std::string>& lines) const {
        std::string bytes = "GARVENA 1\n";
        for (const std::string& line : lines) bytes += text::utf8ToCp1251(line) + "\n";
        writeFileBytes(file(name), bytes);
        return file(name);
    }

private:
    TempFolder folder_;
    bool installed_ = false;
};

// A child process with its own environment; killed if the test leaves it running. Its error
// output is kept in a file, so that a failing test can show what the program said.
class Process {
public:
    Process(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv)
        : errors_(std::make_unique<TempFolder>()) {
        // A variable given here replaces the inherited one: with both, the child would read
        // whichever comes first (the test command itself runs with QT_QPA_PLATFORM set).
        auto nameOf = [](const std::string& entry) { return entry.substr(0, entry.find('=')); };
        std::vector<std::string> env;
        for (char** e = environ; *e != nullptr; ++e) {
            const std::string entry(*e);
            bool replaced = false;
            for (const std::string& extra : extraEnv) replaced = replaced || nameOf(extra) == nameOf(entry);
            if (!replaced) env.push_back(entry);
        }
        for (const std::string& e : extraEnv) env.push_back(e);
        std::vector<char*> args, envp;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, errorsPath().c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), envp.data()) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Process() {
        if (pid_ > 0 && !finished_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    bool started() const { return pid_ > 0; }
    // What the process has written to its error output so far.
    std::string errorOutput() const { return readFileBytes(errorsPath()); }
    pid_t pid() const { return pid_; }
    bool running() {
        if (finished_) return false;
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            finished_ = true;
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        return !finished_;
    }
    // The exit status, or -2 when the process did not end in time.
    int wait(int seconds = 20) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (running()) {
            if (std::chrono::steady_clock::now() > deadline) return -2;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return status_;
    }

private:
    std::string errorsPath() const { return errors_->file("stderr.txt"); }

    std::unique_ptr<TempFolder> errors_;
    pid_t pid_ = -1;
    bool finished_ = false;
    int status_ = -1;
};

// A private X display for the cases that show windows.
class Display {
public:
    Display() {
        int fds[2];
        if (::pipe(fds) != 0) return;
        const std::string fd = std::to_string(fds[1]);
        server_ = std::make_unique<Process>(
            std::vector<std::string>{"/usr/bin/Xvfb", "-displayfd", fd, "-screen", "0",
                                     "1024x768x24", "-nolisten", "tcp"},
            std::vector<std::string>{});
        ::close(fds[1]);
        char buffer[16] = {};
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer - 1);
        ::close(fds[0]);
        if (n > 0) name_ = ":" + std::to_string(std::atoi(buffer));
    }
    bool ready() const { return !name_.empty(); }
    const std::string& name() const { return name_; }

    // Runs xdotool on this display; its standard output.
    std::string xdotool(const std::string& arguments) const { return run("xdotool " + arguments); }
    // Runs an X client on this display; its standard output.
    std::string run(const std::string& line) const {
        const std::string command = "DISPLAY=" + name_ + " timeout 20 " + line +
                                    " 2>/dev/null";
        std::string out;
        if (FILE* pipe = ::popen(command.c_str(), "r")) {
            char buffer[256];
            while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) out += buffer;
            ::pclose(pipe);
        }
        return out;
    }
    // Waits for a shown window of this title of the process and returns its id.
    std::string waitForWindow(const Process& process, const std::string& title) const {
        std::string id = xdotool("search --sync --all --onlyvisible --pid " +
                                 std::to_string(process.pid()) + " --name '^" + title + "$'");
        const auto newline = id.find('\n');
        // As a person would, look at the window before typing: it fills its controls once shown.
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        return newline == std::string::npos ? id : id.substr(0, newline);
    }
    // Focuses the window and presses the keys on the display's keyboard. (Keys sent to a window
    // directly stay held down when the window goes away before their release, and the server
    // then repeats them into the next window.)
    void key(const std::string& window, const std::string& keys) const {
        xdotool("windowfocus --sync " + window);
        xdotool("key " + keys);
    }

private:
    std::unique_ptr<Process> server_;
    std::string name_;
};

inline std::vector<std::string> logMessages(const std::string& path) {
    std::vector<std::string> messages;
    const std::string bytes = readFileBytes(path);
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\r', start);
        if (end == std::string::npos) end = bytes.size();
        const std::string entry = bytes.substr(start, end - start);
        const auto dash = entry.find(" - ");
        messages.push_back(text::cp1251ToUtf8(dash == std::string::npos ? entry
                                                                         : entry.substr(dash + 3)));
        start = end + 1;
    }
    return messages;
}

struct Row {
    std::string TIP, SBOR, TABL, POZ, KEI;
};

inline std::vector<Row> readOutput(const std::string& path) {
    dbf::Table table;
    table.setDatabaseName(platform::folderOf(path));
    table.setTableName(platform::fileNameOf(path));
    table.open();
    std::vector<Row> rows;
    for (table.first(); !table.eof(); table.next()) {
        rows.push_back({text::cp1251ToUtf8(text::oemToAnsi(table.fieldText("TIP"))),
                        table.fieldText("SBOR"), table.fieldText("TABL"), table.fieldText("POZ"),
                        table.fieldText("KEI")});
    }
    return rows;
}

// Each test has its own runtime folder, so the single-instance guard of one test never meets
// a program of another test running at the same time.
struct RunEnvironment {
    TempFolder runtime;
    std::vector<std::string> env(const std::string& display = std::string()) const {
        std::vector<std::string> e = {"XDG_RUNTIME_DIR=" + runtime.path(),
                                      "LSAN_OPTIONS=suppressions=" KONVIKA_LSAN_SUPPRESSIONS};
        if (display.empty()) {
            e.push_back("QT_QPA_PLATFORM=offscreen");
        } else {
            e.push_back("QT_QPA_PLATFORM=xcb");
            e.push_back("DISPLAY=" + display);
        }
        return e;
    }
};

inline std::string commandLine(const InstalledProgram& p, const std::string& base,
                        const std::string& source, const std::string& out) {
    return base + "?" + source + "?" + out + "?" + p.units() + "?" + p.units() + "?";
}

#define REQUIRE_INSTALLED(p) \
    if (!(p).installed()) GTEST_FAIL() << "cmake --install of the build tree failed"

}  // namespace testing_support
