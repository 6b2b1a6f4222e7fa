// The one source of the current local date and time. Everything that asks
// "what is today" or "what time is it" goes through here, so that tests can
// put the program at any moment.
#pragma once

#include <QDateTime>
#include <functional>

namespace Clock {

// The current local date and time (or the replacement's answer).
QDateTime Now();

// Replaces the clock; an empty function restores the system clock.
void SetNowFunction(std::function<QDateTime()> now);

} // namespace Clock
