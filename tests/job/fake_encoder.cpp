// A stand-in for the encoder in tests: records its arguments and plays a script.
//
// FAKE_ENCODER_LOG    file that gets one line per run: the arguments joined by '\x1f'.
// FAKE_ENCODER_SCRIPT file of commands, one per line; "@N " before a command limits it to the
//                     run with index N (0-based, counted in the log), "#NAME " to the runs whose
//                     output (after -o) is named NAME: runs side by side start in no fixed
//                     order, but each writes its own file. Commands:
//   chunk TEXT      write TEXT (\n, \r and \\ escapes) as one read of the program, then wait
//                   until the program has taken it
//   banner N        N chunks without "Pos:"
//   pos FROM TO STEP  status lines as the real encoder writes them, one chunk each
//   output          write a small file at the path after -o
//   empty           write an empty file there
//   copy PATH       write a copy of the file at PATH there (a real clip as the joined video)
//   wait            sleep until killed
//   hold-on         ignore the program's discard signal (SIGUSR2), as a hung encoder would
//   pidfile PATH    write the process id to PATH
//   touch PATH      create an empty file at PATH
//   waitfor PATH    sleep until a file exists at PATH
// A wait that the test never ends gives up after a minute with exit 4 and a line that says what
// it waited for, which the test then shows as the encoder's reason: a fault fails the test
// instead of hanging it until the suite's time-out.
//   abort           crash (SIGABRT)
//   exit CODE       exit now with CODE
// Without a script: write the output and exit 0.
//
// A run with -checkonly among its options (the check at Start) is not counted, logged above or
// scripted: it answers at once, as FAKE_ENCODER_CHECK says, and only logs its arguments (the
// same way) to FAKE_ENCODER_CHECK_LOG when that is set.
//   (unset or empty)  take it: exit 0
//   accept TEXT       take it with TEXT on standard error (the clips a copy encodes again)
//   refuse TEXT       TEXT on standard error, exit 1
//   cannot-copy TEXT  TEXT on standard error, exit 3: the videos cannot be joined by copying
//   cannot-read TEXT  TEXT on standard error, exit 6: an input cannot be read
// TEXT may hold several lines, "\n" between them.
//   exit CODE         exit with CODE
//   wait              sleep until killed
//   abort             crash (SIGABRT)
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

std::string unescape(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char c = text[++i];
            out += c == 'n' ? '\n' : c == 'r' ? '\r' : c;
        } else {
            out += text[i];
        }
    }
    return out;
}

// One write, then wait until the reader has drained the pipe and had time to handle it, so that
// every write is one chunk on the other side.
void chunk(const std::string& text)
{
    if (write(STDOUT_FILENO, text.data(), text.size()) < 0)
        std::exit(3);
    for (int waited = 0; waited < 2000; ++waited) {
        int pending = 0;
        if (ioctl(STDOUT_FILENO, FIONREAD, &pending) != 0 || pending == 0)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(15));
}

constexpr auto kLongestWait = std::chrono::seconds(60);

[[noreturn]] void giveUpWaiting(const std::string& what)
{
    const std::string line = "fake encoder: waited a minute " + what + "\n";
    if (write(STDOUT_FILENO, line.data(), line.size()) < 0)
        std::exit(3);
    std::exit(4);
}

void appendToLog(const char* log, const std::vector<std::string>& args)
{
    std::ofstream out(log, std::ios::app);
    for (size_t i = 0; i < args.size(); ++i)
        out << (i ? "\x1f" : "") << args[i];
    out << '\n';
}

void crash()
{
    const rlimit noCore = {0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    std::abort();
}

// The answer to -checkonly.
int answerCheck(const std::vector<std::string>& args)
{
    if (const char* log = std::getenv("FAKE_ENCODER_CHECK_LOG"))
        appendToLog(log, args);
    const char* answer = std::getenv("FAKE_ENCODER_CHECK");
    std::istringstream words(answer ? answer : "");
    std::string command;
    words >> command;
    if (command == "accept" || command == "refuse" || command == "cannot-copy" ||
        command == "cannot-read") {
        const std::string text =
            unescape(std::string(answer).substr(std::string(answer).find(' ') + 1));
        std::fprintf(stderr, "%s\n", text.c_str());
        return command == "accept" ? 0 : command == "refuse" ? 1 : command == "cannot-copy" ? 3 : 6;
    }
    if (command == "exit") {
        int code = 0;
        words >> code;
        return code;
    }
    if (command == "wait") {
        std::this_thread::sleep_for(kLongestWait);
        giveUpWaiting("to be killed");
    }
    if (command == "abort")
        crash();
    return 0;
}

bool isCheck(const std::vector<std::string>& args)
{
    for (const std::string& arg : args) {
        if (arg == "--")
            return false;
        if (arg == "-checkonly")
            return true;
    }
    return false;
}

int runIndex(const char* log)
{
    std::ifstream in(log);
    int lines = 0;
    for (std::string line; std::getline(in, line);)
        ++lines;
    return lines;
}

} // namespace

int main(int argc, char* argv[])
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (isCheck(args))
        return answerCheck(args);
    std::string output;
    for (size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == "-o")
            output = args[i + 1];

    int run = 0;
    if (const char* log = std::getenv("FAKE_ENCODER_LOG")) {
        run = runIndex(log);
        appendToLog(log, args);
    }

    const char* scriptPath = std::getenv("FAKE_ENCODER_SCRIPT");
    std::ifstream script(scriptPath ? scriptPath : "");
    if (!scriptPath || !script) {
        std::ofstream(output) << "fake output";
        return 0;
    }
    for (std::string line; std::getline(script, line);) {
        if (line.rfind('@', 0) == 0 || line.rfind('#', 0) == 0) {
            const size_t blank = line.find(' ');
            const std::string limit = line.substr(1, blank - 1);
            const bool applies = line[0] == '@' ? std::stoi(limit) == run
                                                : output.substr(output.rfind('/') + 1) == limit;
            if (!applies)
                continue;
            line = line.substr(blank + 1);
        }
        std::istringstream words(line);
        std::string command;
        words >> command;
        if (command == "chunk") {
            chunk(unescape(line.substr(line.find(' ') + 1)));
        } else if (command == "banner") {
            int count = 0;
            words >> count;
            for (int i = 0; i < count; ++i)
                chunk("banner line " + std::to_string(i) + "\n");
        } else if (command == "pos") {
            double from = 0, to = 0, step = 1;
            words >> from >> to >> step;
            for (double p = from; p <= to + 1e-9; p += step) {
                char status[160];
                std::snprintf(
                    status, sizeof status,
                    "Pos:%6.1fs %6df (%2d%%) %5.2ffps Trem:%4dmin %3dmb  A-V:%5.3f [%d:%d]\r", p,
                    int(p * 30), 0, 30.0, 0, 0, 0.0, 1200, 128);
                chunk(status);
            }
        } else if (command == "output") {
            std::ofstream(output) << "fake output";
        } else if (command == "empty") {
            std::ofstream{output};
        } else if (command == "copy") {
            std::string path;
            words >> path;
            std::ofstream(output, std::ios::binary)
                << std::ifstream(path, std::ios::binary).rdbuf();
        } else if (command == "wait") {
            std::this_thread::sleep_for(kLongestWait);
            giveUpWaiting("to be killed");
        } else if (command == "hold-on") {
            std::signal(SIGUSR2, SIG_IGN);
        } else if (command == "pidfile") {
            std::string path;
            words >> path;
            std::ofstream(path) << getpid() << '\n';
        } else if (command == "touch") {
            std::string path;
            words >> path;
            std::ofstream{path};
        } else if (command == "waitfor") {
            std::string path;
            words >> path;
            const auto deadline = std::chrono::steady_clock::now() + kLongestWait;
            while (!std::ifstream(path)) {
                if (std::chrono::steady_clock::now() > deadline)
                    giveUpWaiting("for " + path);
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        } else if (command == "abort") {
            crash();
        } else if (command == "exit") {
            int code = 0;
            words >> code;
            return code;
        }
    }
    return 0;
}
