#pragma once
// The result of a step that can fail in more than one way: either its value or the reason it
// failed. Qt-free code returns this where a caller must tell failures apart; where the caller
// only needs to know whether it worked, a bool does.
//
//     Result<Bytes, Why> fetchIt();
//     ...
//     return fail(Why::tooLarge);      // a failure
//     return bytes;                    // a value
//
//     auto got = fetchIt();
//     if (!got) show(got.why());

#include <optional>
#include <utility>
#include <variant>

namespace arlo {

// A reason wrapped so that a Result can tell it from a value of the same type.
template <class Why>
struct Failure {
    Why why;
};

template <class Why>
Failure<Why> fail(Why why) {
    return Failure<Why>{std::move(why)};
}

template <class T, class Why>
class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    Result(Failure<Why> failure) : state_(std::in_place_index<1>, std::move(failure.why)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    // Only on success.
    T& value() & { return std::get<0>(state_); }
    const T& value() const& { return std::get<0>(state_); }
    T&& value() && { return std::get<0>(std::move(state_)); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    // Only on failure.
    const Why& why() const { return std::get<1>(state_); }

    T valueOr(T fallback) const& { return ok() ? value() : std::move(fallback); }

private:
    std::variant<T, Why> state_;
};

// A step with nothing to give back but the reason it failed.
template <class Why>
class [[nodiscard]] Result<void, Why> {
public:
    Result() = default;
    Result(Failure<Why> failure) : why_(std::move(failure.why)) {}

    bool ok() const { return !why_.has_value(); }
    explicit operator bool() const { return ok(); }
    // Only on failure.
    const Why& why() const { return *why_; }

private:
    std::optional<Why> why_;
};

}  // namespace arlo
