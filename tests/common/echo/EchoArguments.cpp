// EchoArguments.cpp - a program for the runner's own tests: says what it was given.
//
// Each argument is echoed on standard output as "[arg]", except these, done in order:
//   --env NAME     prints "NAME=value" or "NAME unset"
//   --err TEXT     writes TEXT and a newline to standard error
//   --fill N       writes N bytes to standard output and N to standard error, interleaved
//   --stdin        prints how many bytes standard input held
//   --sleep MS     waits
//   --exit N       ends with status N
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

int Run(const std::vector<std::string>& args) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--env" && hasValue) {
            const std::string& name = args[++i];
            const char* v = std::getenv(name.c_str());
            std::cout << name << (v ? "=" + std::string(v) : std::string(" unset")) << '\n';
        } else if (a == "--err" && hasValue) {
            std::cerr << args[++i] << '\n';
        } else if (a == "--fill" && hasValue) {
            const long n = std::stol(args[++i]);
            for (long k = 0; k < n; k += 1000) {
                std::cout << std::string(static_cast<std::size_t>(std::min(1000L, n - k)), 'o');
                std::cerr << std::string(static_cast<std::size_t>(std::min(1000L, n - k)), 'e');
            }
        } else if (a == "--stdin") {
            long n = 0;
            while (std::cin.get() != EOF)
                ++n;
            std::cout << "stdin " << n << '\n';
        } else if (a == "--sleep" && hasValue) {
            std::this_thread::sleep_for(std::chrono::milliseconds(std::stol(args[++i])));
        } else if (a == "--exit" && hasValue) {
            std::cout.flush();
            return std::stoi(args[++i]);
        } else {
            std::cout << '[' << a << "]\n";
        }
    }
    return 0;
}

} // namespace

#ifdef _WIN32
// The wide command line, so that arguments outside the ANSI code page arrive whole (UTF-8).
int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const int n = ::WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, nullptr, 0, nullptr, nullptr);
        std::string a(static_cast<std::size_t>(n > 0 ? n - 1 : 0), '\0');
        ::WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, a.data(), n, nullptr, nullptr);
        args.push_back(a);
    }
    return Run(args);
}
#else
int main(int argc, char** argv) {
    return Run(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
