#include "UClock.h"

namespace {
std::function<QDateTime()>& replacement() {
    static std::function<QDateTime()> now;
    return now;
}
} // namespace

namespace Clock {

QDateTime Now() {
    const auto& now = replacement();
    return now ? now() : QDateTime::currentDateTime();
}

void SetNowFunction(std::function<QDateTime()> now) { replacement() = std::move(now); }

} // namespace Clock
