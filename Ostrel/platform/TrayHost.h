#pragma once
// Whether anything on the desktop can show tray items: a StatusNotifierItem
// host (the StatusNotifierWatcher's name on the session bus) or, on X11, an
// XEmbed tray. It says when one appears, and when none has been there for a
// grace period, counted from the start or from the moment the last one went
// away, once per absence: a panel that restarts or starts a little after
// Ostrel at login is not an absence. Main thread only.

#include <chrono>

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QTimer>

namespace ostrel {

class TrayHost : public QObject
{
    Q_OBJECT

public:
    static constexpr const char* watcherService = "org.kde.StatusNotifierWatcher";
    static constexpr std::chrono::milliseconds defaultGrace{3000};

    /// `embedding`: an XEmbed tray counts too (the X11 platform only).
    TrayHost(QDBusConnection bus,
             bool embedding,
             std::chrono::milliseconds grace = defaultGrace,
             QObject* parent = nullptr);

    /// Starts watching; with no host now, the grace period starts now.
    void start();

    [[nodiscard]] bool present() const
    {
        return m_present;
    }

    /// Whether a StatusNotifierWatcher holds its name on `bus`: then the tray takes StatusNotifierItems.
    [[nodiscard]] static bool watcherRegistered(const QDBusConnection& bus);

    /// Whether the program holding the watcher's name puts each new item right
    /// of the ones it shows (lxqt-panel, waybar); XEmbed trays, xfce4-panel and
    /// mate-panel put it left of them.
    [[nodiscard]] static bool newItemsGoLast(const QDBusConnection& bus);

    /// The name of the program holding the watcher's name, as the kernel keeps
    /// it ("waybar"); empty when there is none or it cannot be told.
    [[nodiscard]] static QByteArray watcherProgram(const QDBusConnection& bus);

Q_SIGNALS:
    /// A host is there, after none was (or at `start`).
    void appeared();
    /// No host for the whole grace period.
    void missing();

private:
    void update();
    [[nodiscard]] bool hostNow() const;

    QDBusConnection m_bus;
    bool m_embedding;
    bool m_present = false;
    QDBusServiceWatcher m_watcher;
    QTimer m_missingTimer;
    QTimer m_embeddedPoll;
};

}  // namespace ostrel
