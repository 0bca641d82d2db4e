#pragma once
// The barrier at every entry from Win32 into the program: window procedures,
// timers, enumerations and hooks. No C++ exception may unwind through a
// Win32 frame, so each one is handed to the application's handler here.
#include <exception>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>

namespace framework {

// The framework's own error type: what a component raises towards its caller.
class Exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The silent end of an operation: the application's handler drops it
// without a word (the user has been told already, or needs no telling).
class Abort : public Exception {
public:
    Abort() : Exception("Operation aborted") {}
};

// Defined by the application object; never throws.
void HandleException(std::exception_ptr e) noexcept;

// The message an exception carries, as the error log writes it.
std::string ExceptionMessage(std::exception_ptr e) noexcept;

template <typename R, typename F>
R Guard(R fallback, F&& body) noexcept {
    try {
        return std::forward<F>(body)();
    } catch (...) {
        HandleException(std::current_exception());
        return fallback;
    }
}

template <typename F>
void Guard(F&& body) noexcept {
    try {
        std::forward<F>(body)();
    } catch (...) {
        HandleException(std::current_exception());
    }
}

}  // namespace framework
