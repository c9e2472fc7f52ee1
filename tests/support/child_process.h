#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

namespace tessarin::test {

// Another process for a test: a program started with arguments and environment, or a function run
// in a forked copy of the test. Its standard output can be read line by line.
class CChild {
public:
    // Runs `argv` (argv[0] a path) with `environment` added to the test's own. With `input`, its
    // standard input is a pipe the test writes to with Say() and ends with CloseInput(). With
    // `user` (root only), it runs under that user id and the group of the same number.
    static CChild Start(const std::vector<std::string>& argv,
                        const std::vector<std::string>& environment = {}, bool input = false,
                        std::optional<uid_t> user = std::nullopt);
    // Runs `body` in a forked copy; its result is the exit code. It writes lines with Tell().
    static CChild Fork(const std::function<int()>& body);
    // In a forked body: a line for the parent.
    static void Tell(const std::string& line);

    CChild(CChild&& other) noexcept;
    ~CChild();

    // The next line of output (without its line end), or "" at the end; waits at most `ms`.
    std::string ReadLine(int ms = 10000);
    // A line for the program's standard input (started with `input`).
    void Say(const std::string& line);
    void CloseInput();
    void Kill(int signal);
    // The exit code, or 128 + the signal that ended it.
    int Wait();
    pid_t Pid() const { return m_pid; }

private:
    CChild(pid_t pid, int out, int in = -1) : m_pid(pid), m_out(out), m_in(in) {}
    pid_t m_pid = -1;
    int m_out = -1;
    int m_in = -1;
    std::string m_buffer;
    bool m_waited = false;
};

}  // namespace tessarin::test
