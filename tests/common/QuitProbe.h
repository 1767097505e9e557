#pragma once

#include <functional>
#include <optional>

// The code the application's run would end with if `action` asked it to end
// (QCoreApplication::exit), else none. Runs `action` from an event loop, as a click would.
std::optional<int> QuitCodeOf(const std::function<void()>& action);
