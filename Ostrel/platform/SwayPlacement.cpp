#include "platform/SwayPlacement.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace ostrel {
namespace {

constexpr quint32 runCommand = 0;
constexpr quint32 getWorkspaces = 1;
constexpr quint32 getOutputs = 3;
// Every message starts "i3-ipc", then the payload's length and its type in the host's byte order.
constexpr QByteArrayView magic = "i3-ipc";
constexpr qsizetype headerSize = 6 + 2 * sizeof(quint32);
// sway maps a window once its first frame is drawn: well within a second.
constexpr int attempts = 40;
constexpr std::chrono::milliseconds retryInterval{50};

QRect rectOf(const QJsonValue& node)
{
    const QJsonValue rect = node[QStringLiteral("rect")];
    return {rect[QStringLiteral("x")].toInt(),
            rect[QStringLiteral("y")].toInt(),
            rect[QStringLiteral("width")].toInt(),
            rect[QStringLiteral("height")].toInt()};
}

QByteArray socketPath()
{
    return qgetenv("SWAYSOCK");
}

}  // namespace

SwayPlacement::SwayPlacement(QObject* parent)
    : QObject(parent)
{
    m_retry.setSingleShot(true);
    m_retry.setInterval(retryInterval);
    connect(&m_retry, &QTimer::timeout, this, &SwayPlacement::attempt);
    connect(&m_socket, &QLocalSocket::readyRead, this, &SwayPlacement::readReplies);
}

bool SwayPlacement::available()
{
    return !socketPath().isEmpty();
}

void SwayPlacement::place(const QString& title, Place place)
{
    m_title = title;
    m_place = std::move(place);
    m_attemptsLeft = attempts;
    attempt();
}

void SwayPlacement::attempt()
{
    if (m_socket.state() != QLocalSocket::ConnectedState) {
        m_received.clear();
        m_socket.connectToServer(QString::fromLocal8Bit(socketPath()));
        if (!m_socket.waitForConnected(200)) {
            return;
        }
    }
    // The workspace and its output first: the window goes where the bars leave room.
    m_workspace.reset();
    send(getWorkspaces, {});
}

void SwayPlacement::send(quint32 type, const QByteArray& payload)
{
    QByteArray message(magic.data(), magic.size());
    const auto length = static_cast<quint32>(payload.size());
    message.append(reinterpret_cast<const char*>(&length), sizeof length);  // NOLINT: the wire's native integers
    message.append(reinterpret_cast<const char*>(&type), sizeof type);      // NOLINT: the wire's native integers
    message.append(payload);
    m_socket.write(message);
}

void SwayPlacement::readReplies()
{
    m_received.append(m_socket.readAll());
    while (m_received.size() >= headerSize) {
        quint32 length = 0;
        quint32 type = 0;
        std::memcpy(&length, m_received.sliced(magic.size(), sizeof length).constData(), sizeof length);
        std::memcpy(&type, m_received.sliced(magic.size() + sizeof length, sizeof type).constData(), sizeof type);
        if (m_received.size() < headerSize + length) {
            return;
        }
        const QByteArray reply = m_received.mid(headerSize, length);
        m_received.remove(0, headerSize + length);
        if (!m_place || m_attemptsLeft <= 0) {
            continue;
        }
        if (type == getWorkspaces) {
            m_workspace = focusedWorkspace(reply);
            if (m_workspace) {
                send(getOutputs, {});
            }
        } else if (type == getOutputs && m_workspace) {
            const QRect workspace = m_workspace->first;
            const QRect output = outputArea(reply, m_workspace->second).value_or(workspace);
            send(runCommand, command(QCoreApplication::applicationPid(), m_title, m_place(workspace, output)));
        } else if (type == runCommand && !succeeded(reply) && --m_attemptsLeft > 0) {
            m_retry.start();
        } else if (type == runCommand) {
            m_attemptsLeft = 0;
        }
    }
}

QByteArray SwayPlacement::command(qint64 pid, const QString& title, QPoint topLeft)
{
    // The title is matched as a whole, as a regular expression: its special
    // characters are escaped (and quotes, which would end the value, dropped).
    QString pattern;
    for (const QChar c : title) {
        if (QStringView(u"\\^$.|?*+()[]{}").contains(c)) {
            pattern += QLatin1Char('\\');
        }
        if (c != QLatin1Char('"')) {
            pattern += c;
        }
    }
    return QStringLiteral("[pid=%1 title=\"^%2$\"] floating enable, move absolute position %3 %4")
        .arg(pid)
        .arg(pattern)
        .arg(topLeft.x())
        .arg(topLeft.y())
        .toUtf8();
}

std::optional<std::pair<QRect, QString>> SwayPlacement::focusedWorkspace(const QByteArray& reply)
{
    for (const QJsonValue workspace : QJsonDocument::fromJson(reply).array()) {
        if (workspace[QStringLiteral("focused")].toBool()) {
            return std::pair(rectOf(workspace), workspace[QStringLiteral("output")].toString());
        }
    }
    return std::nullopt;
}

std::optional<QRect> SwayPlacement::outputArea(const QByteArray& reply, const QString& name)
{
    for (const QJsonValue output : QJsonDocument::fromJson(reply).array()) {
        if (output[QStringLiteral("name")].toString() == name) {
            return rectOf(output);
        }
    }
    return std::nullopt;
}

bool SwayPlacement::succeeded(const QByteArray& reply)
{
    const QJsonArray results = QJsonDocument::fromJson(reply).array();
    return !results.isEmpty() && std::ranges::all_of(results, [](const QJsonValue& result) {
        return result[QStringLiteral("success")].toBool();
    });
}

}  // namespace ostrel
