#pragma once
// Places a window of ours under sway, which (like other Wayland compositors)
// lets no client place its own windows and tiles a new one by default: over
// sway's IPC socket (SWAYSOCK, which sway sets in the session it starts) the
// window is floated and moved to the point chosen inside the focused
// workspace, the area that sway leaves beside its bars on its output. The window is found by
// our process id and its exact title once sway has mapped it, so the request is
// repeated for a short while after the window is shown. Main thread only.

#include <functional>
#include <optional>
#include <utility>

#include <QByteArray>
#include <QLocalSocket>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QTimer>

namespace ostrel {

class SwayPlacement : public QObject
{
    Q_OBJECT

public:
    /// Where the window goes, given the focused workspace's area and its output's.
    using Place = std::function<QPoint(QRect workspace, QRect output)>;

    explicit SwayPlacement(QObject* parent = nullptr);

    /// Whether this session's compositor is sway (its socket is named).
    [[nodiscard]] static bool available();

    /// Floats our window titled `title` and moves it where `place` says, as
    /// soon as sway has mapped it. A new call replaces one still under way.
    void place(const QString& title, Place place);

    /// The criteria and command that float and move the window: what is sent.
    [[nodiscard]] static QByteArray command(qint64 pid, const QString& title, QPoint topLeft);
    /// The focused workspace's area and its output's name in a GET_WORKSPACES reply.
    [[nodiscard]] static std::optional<std::pair<QRect, QString>> focusedWorkspace(const QByteArray& reply);
    /// The area of output `name` in a GET_OUTPUTS reply.
    [[nodiscard]] static std::optional<QRect> outputArea(const QByteArray& reply, const QString& name);
    /// Whether a RUN_COMMAND reply says every command ran (a window matched).
    [[nodiscard]] static bool succeeded(const QByteArray& reply);

private:
    void send(quint32 type, const QByteArray& payload);
    void readReplies();
    void attempt();

    QLocalSocket m_socket;
    QByteArray m_received;
    QTimer m_retry;
    int m_attemptsLeft = 0;
    QString m_title;
    Place m_place;
    std::optional<std::pair<QRect, QString>> m_workspace;
};

}  // namespace ostrel
