#include "app/RefreshHandOver.h"

#include <csignal>
#include <cstring>
#include <ctime>
#include <string>

#include <QDBusMessage>
#include <QDBusPendingCall>

#include "platform/QuitSignals.h"
#include "platform/SingleInstance.h"

namespace ostrel::RefreshHandOver {
namespace {

/// How soon a quit signal is taken while the app reads.
constexpr std::chrono::nanoseconds signalCheck = std::chrono::milliseconds{25};

void complain(const std::string& message)
{
    static_cast<void>(StatusOutput::writeAll(2, "ostrel: " + message + '\n'));
}

enum class Outcome
{
    recorded,  ///< the app took the request (with waiting: and saved the results)
    notSaved,  ///< the app recorded the results but could not save them
    noApp,     ///< no app owns the name on the session bus, or there is no bus
    noAnswer,  ///< one owns it but did not answer in time, or went away meanwhile
    stopped,   ///< a quit signal ended the wait
};

struct Answer
{
    Outcome outcome = Outcome::noApp;
    std::string detail;  ///< the bus's error message; the signal's name when stopped
    int signal = 0;      ///< with `stopped`
};

/// With `wait`, the app's Refresh, waiting up to `readingsWait` while taking
/// the quit signals; else its Activate with `switches`, as a later launch
/// hands them over.
[[nodiscard]] Answer ask(const QDBusConnection& bus, bool wait, const QStringList& switches = {})
{
    if (!bus.isConnected()) {
        return {Outcome::noApp, "no session bus"};
    }
    QDBusMessage call = SingleInstance::callToFirst(wait ? SingleInstance::refreshMethod : SingleInstance::method);
    if (!wait) {
        call << switches;
    }
    const int timeout =
        wait ? static_cast<int>(std::chrono::milliseconds(readingsWait).count()) : SingleInstance::handOverTimeout;
    // The bus's own thread takes the reply; this one only looks for quit signals meanwhile.
    const QDBusPendingCall pending = bus.asyncCall(call, timeout);
    const sigset_t quitSignals = QuitSignals::signalSet();
    while (!pending.isFinished()) {
        const timespec pause{0, signalCheck.count()};
        if (const int signal = ::sigtimedwait(&quitSignals, nullptr, &pause); signal > 0) {
            return {Outcome::stopped, std::string("SIG") + sigabbrev_np(signal), signal};
        }
    }
    const QDBusMessage reply = pending.reply();
    if (reply.type() == QDBusMessage::ReplyMessage) {
        return {Outcome::recorded, {}};
    }
    const std::string detail = reply.errorMessage().toStdString();
    if (reply.errorName() == QString::fromLatin1(SingleInstance::notSaved)) {
        return {Outcome::notSaved, detail};
    }
    return {SingleInstance::noOwner(reply) ? Outcome::noApp : Outcome::noAnswer, detail};
}

}  // namespace

int request(const QDBusConnection& bus, const QStringList& switches)
{
    const Answer answer = ask(bus, false, switches);
    switch (answer.outcome) {
    case Outcome::recorded:
    case Outcome::notSaved:
        return 0;
    case Outcome::noApp:
        complain(
            "Ostrel is not running; start it with ostrel, or read the providers here with ostrel --status --refresh");
        return 1;
    case Outcome::noAnswer:
        complain("Ostrel is running but did not answer (" + answer.detail + ")");
        return 1;
    case Outcome::stopped:
        return 128 + answer.signal;
    }
    return 1;
}

std::optional<int> printThroughApp(const QDBusConnection& bus,
                                   const LaunchOptions& options,
                                   const StatusOutput::Places& places,
                                   const Clock& clock)
{
    const Answer answer = ask(bus, true);
    LaunchOptions printOnly = options;
    printOnly.refresh = false;
    switch (answer.outcome) {
    case Outcome::recorded:
        return StatusOutput::run(printOnly, places, clock);
    case Outcome::notSaved: {
        complain("the running Ostrel could not save the readings: " + answer.detail);
        static_cast<void>(StatusOutput::run(printOnly, places, clock));
        return StatusOutput::noReadings;
    }
    case Outcome::noApp:
        return std::nullopt;
    case Outcome::noAnswer:
        complain("the running Ostrel did not take the refresh (" + answer.detail + "); reading the providers here");
        return std::nullopt;
    case Outcome::stopped:
        complain("stopped by " + answer.detail + "; the running Ostrel goes on reading");
        return 128 + answer.signal;
    }
    return std::nullopt;
}

}  // namespace ostrel::RefreshHandOver
