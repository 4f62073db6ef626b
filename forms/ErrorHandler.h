#pragma once
// The general error handler. A user action (a click, a menu item, a key, a show step)
// runs through Guard: an error that leaves it is shown in an error box and the rest of
// that action does not run; the program goes on. Connections to the toolkit's signals go
// through Guarded, so no error ever travels through the toolkit's own dispatch.
#include <QString>
#include <exception>
#include <type_traits>
#include <utility>

// Shows an error in an error box with an OK button, through the dialog interface. An
// error that arises while such a box is up (in an event it lets through, or in the box
// itself) is written to the standard error stream instead of stacking another box, so a
// failing display can never recurse.
void ShowException(std::exception_ptr error);

// The text shown for an error: our own errors' message, a standard error's what().
QString ExceptionMessage(std::exception_ptr error);

// Runs one user action; an error stops it and is shown.
template <class F> void Guard(F&& action) noexcept
{
    try {
        std::forward<F>(action)();
    } catch (...) {
        ShowException(std::current_exception());
    }
}

// A handler for connect() that runs through Guard. It takes the signal's arguments when
// it can, and none otherwise (a clicked(bool) into a handler without arguments).
template <class F> auto Guarded(F handler)
{
    return [handler = std::move(handler)](auto&&... args) {
        Guard([&] {
            if constexpr (std::is_invocable_v<const F&, decltype(args)...>)
                handler(std::forward<decltype(args)>(args)...);
            else
                handler();
        });
    };
}
