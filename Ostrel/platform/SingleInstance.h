#pragma once
// One Ostrel per user session. The first launch owns a well-known name on the
// session bus and serves one method through which later launches hand over
// their switches; a later launch calls it and ends. Taking the name is atomic
// on the bus, so of two launches at once exactly one becomes the first.
// Without a session bus an advisory lock on a file in the runtime folder stands
// in, and a later launch can only learn that one is running. Main thread only.

#include <filesystem>
#include <memory>

#include <QDBusConnection>
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
    static constexpr const char* lockName = "ostrel.lock";

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

Q_SIGNALS:
    /// A later launch's switches (its arguments after the program path).
    void requested(const QStringList& switches);

private:
    class Endpoint;

    [[nodiscard]] Claim claimLock();
    [[nodiscard]] Claim claimName(const QStringList& switches);

    QDBusConnection m_bus;
    std::filesystem::path m_lockFolder;
    std::unique_ptr<Endpoint> m_endpoint;
    posix::UniqueFd m_lock;
    bool m_ownsName = false;
};

}  // namespace ostrel
