#pragma once
// A tool's path or folder in the settings window: a monospaced text field
// whose placeholder is what the search found ("~" for the home folder) or "not
// found", and a caption that warns while the typed path is no executable file
// (for a folder: no folder). The text is kept as typed either way; the reader
// then reports the tool missing, or the tool signed out.

#include <functional>
#include <optional>
#include <string>

#include <QString>
#include <QWidget>

class QLabel;
class QLineEdit;

namespace ostrel {

class PathField : public QWidget
{
    Q_OBJECT

public:
    enum class Kind
    {
        executable,
        folder,
    };

    static constexpr const char* notFound = "not found";
    static constexpr const char* notExecutable = "No executable file at this path";
    static constexpr const char* notFolder = "No folder at this path";

    /// `title` is the tool's name ("claude"); `home` is the folder shown as "~".
    PathField(const QString& title, std::string home, Kind kind = Kind::executable, QWidget* parent = nullptr);

    /// The detected path with `home` at its start shown as "~", or "not found".
    [[nodiscard]] static QString placeholder(const std::optional<std::string>& detected, std::string_view home);

    /// Whether a typed path earns the warning: it is not blank and the
    /// locator's rule for an override finds no executable file there (for a
    /// folder: the folder rule finds no folder).
    [[nodiscard]] static bool needsWarning(Kind kind, std::string_view typed, const std::string& home);

    /// Replaces the text without reporting it as typed.
    void setText(const QString& text);
    void setDetected(const std::optional<std::string>& detected);

    [[nodiscard]] QLineEdit* edit() const
    {
        return m_edit;
    }

    [[nodiscard]] QLabel* warning() const
    {
        return m_warning;
    }

Q_SIGNALS:
    /// The user changed the text.
    void edited(const QString& text);

private:
    void updateWarning();

    std::string m_home;
    Kind m_kind;
    QLineEdit* m_edit = nullptr;
    QLabel* m_warning = nullptr;
};

}  // namespace ostrel
