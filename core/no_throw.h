// The one exception boundary of the program's callbacks: window and dialog
// procedures run their work through it, so that nothing unwinds into the system.
#pragma once

// Runs body() and gives back its result; `failure` when it throws (in practice
// std::bad_alloc from a string or container).
template <typename Result, typename Body> Result noThrow(Result failure, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return failure;
    }
}
