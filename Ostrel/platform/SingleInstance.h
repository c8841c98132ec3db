#pragma once
// One Ostrel per user session. The first launch owns a well-known name on the
// session bus and serves the method through which later launches hand over
// their switches (a later launch calls it and ends), and one that reads the
// providers for `ostrel --status --refresh` and answers once they are saved. Taking the name is atomic
// on the bus, so of two launches at once exactly one becomes the first.
// Without a session bus an advisory lock on a file in the runtime folder stands
// in, and a later launch can only learn that one is running. Main thread only.

#include <filesystem>
#include <functional>
#include <memory>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFuture>
#include <QObject>
#include <QStringList>

#include "posix/UniqueFd.h"

namespace ostrel {

class SingleInstance : public QObject
{
    Q_OBJECT

public:
    static constexpr const char* service = "io.github.ostrel.Ostrel";
    static constexpr const char* path = "/io/github/ostrel/Ostrel";
    static constexpr const char* interface = "io.github.ostrel.Ostrel";
    /// The method later launches call, with their arguments after the program path ("as").
    static constexpr const char* method = "Activate";
    /// Reads every enabled provider; the reply, without arguments, comes once
    /// the results are recorded and saved, or is the error `notSaved`.
    static constexpr const char* refreshMethod = "Refresh";
    static constexpr const char* notSaved = "io.github.ostrel.Ostrel.Error.NotSaved";
    static constexpr const char* lockName = "ostrel.lock";
    /// Milliseconds a later launch waits for the first to take its switches:
    /// long enough for a first run that is busy starting up.
    static constexpr int handOverTimeout = 10'000;

    enum class Claim
    {
        /// This run is the one; later launches arrive through `requested`.
        first,
        /// The running one took this launch's switches; this run should end.
        handedOver,
        /// No bus, and the lock is held: one runs, but nothing can be handed to it.
        alreadyRunning,
        /// Another process owns the name but did not take the switches.
        unanswered,
    };

    /// `lockFolder` holds the lock file when there is no bus; empty for none
    /// (then a run without a bus is always the first).
    SingleInstance(QDBusConnection bus, std::filesystem::path lockFolder, QObject* parent = nullptr);
    ~SingleInstance() override;

    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    /// Becomes the first or hands `switches` to the first. Call it once.
    [[nodiscard]] Claim claim(const QStringList& switches);

    /// A call of `member` to the first run, which never starts one.
    [[nodiscard]] static QDBusMessage callToFirst(const char* member);
    /// Whether a failed call's `reply` says that no run owns the name.
    [[nodiscard]] static bool noOwner(const QDBusMessage& reply);

    /// What `refreshMethod` runs in the first run: its future ends when the
    /// results are recorded, with why they could not be saved (empty when they
    /// were). Unset, the method answers with an error.
    // NOLINTNEXTLINE(misc-non-private-member-variables-in-classes): a hook the application sets after construction
    std::function<QFuture<QString>()> refresh;

Q_SIGNALS:
    /// A later launch's switches (its arguments after the program path).
    void requested(const QStringList& switches);

private:
    class Endpoint;

    void serveRefresh(const QDBusMessage& call, const QDBusConnection& connection);

    [[nodiscard]] Claim claimLock();
    [[nodiscard]] Claim claimName(const QStringList& switches);

    QDBusConnection m_bus;
    std::filesystem::path m_lockFolder;
    std::unique_ptr<Endpoint> m_endpoint;
    posix::UniqueFd m_lock;
    bool m_ownsName = false;
};

}  // namespace ostrel
