#pragma once

#include <functional>
#include <memory>
#include <optional>

// Decoding what came from the network on threads that nobody joins. A picture can be crafted
// to decode slowly, and a window that closes or a program that ends must not wait for it: the
// thread that wants the result waits only while it still wants it, then leaves the work to end
// on its own. Work handed over owns (by value or shared ownership) everything it touches.
namespace arlo::pictures {

// Runs `work` on a new thread that is never joined and waits for it: true once it has run,
// false when `abandon` (asked every few milliseconds while waiting; may be empty) returned true
// first or no thread could be started.
bool runApart(std::function<void()> work, const std::function<bool()>& abandon);

// The same for work with a result; nothing when the wait was abandoned.
template <class T>
std::optional<T> computeApart(std::function<T()> work, const std::function<bool()>& abandon) {
    auto result = std::make_shared<std::optional<T>>();
    if (!runApart([result, work = std::move(work)] { result->emplace(work()); }, abandon)) {
        return std::nullopt;
    }
    return std::move(*result);
}

// Threads of runApart still running, abandoned ones included.
int workApartRunning();
// Waits until none is running (a process that ends normally must not unload the codecs under
// one; the program itself ends without that clean-up).
void waitForWorkApart();

// For tests: while one of these lives, work handed over waits before it begins, as a picture
// that is slow to decode would keep it busy.
class HoldWorkApart final {
public:
    HoldWorkApart();
    ~HoldWorkApart();
    HoldWorkApart(const HoldWorkApart&) = delete;
    HoldWorkApart& operator=(const HoldWorkApart&) = delete;
};

}  // namespace arlo::pictures
