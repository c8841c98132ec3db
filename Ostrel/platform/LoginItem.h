#pragma once
// The login item: an XDG autostart entry that starts Ostrel when the user logs
// in. It counts as enabled while the entry exists and the desktop has not hidden
// it; turning it on writes the entry atomically, turning it off removes it.

#include <expected>
#include <filesystem>
#include <string>
#include <string_view>

namespace ostrel {

struct LoginItemFailure
{
    enum class Kind
    {
        cannotCreateFolder,  ///< the autostart folder could not be made
        cannotWrite,         ///< the entry could not be replaced; any old one stays
        cannotRemove         ///< the entry could not be deleted
    };

    Kind kind = Kind::cannotWrite;
    /// For the settings window, e.g. "Cannot create the folder /x/autostart: Not a directory".
    std::string description;

    bool operator==(const LoginItemFailure&) const = default;
};

class LoginItem
{
public:
    static constexpr std::string_view entryName = "ostrel.desktop";

    /// The entry at `entryFile`, starting `executable`.
    LoginItem(std::filesystem::path entryFile, std::filesystem::path executable);

    /// ostrel.desktop in the user's autostart folder, starting this process's executable.
    [[nodiscard]] static LoginItem forCurrentUser();

    [[nodiscard]] const std::filesystem::path& entryFile() const
    {
        return m_entryFile;
    }

    /// The entry is a readable file that neither Hidden=true nor
    /// X-GNOME-Autostart-enabled=false switches off.
    [[nodiscard]] bool isEnabled() const;

    /// Writes the entry (folders 0700, file 0600), replacing whatever was there.
    [[nodiscard]] std::expected<void, LoginItemFailure> enable() const;

    /// Removes the entry; an entry that is already gone is a success.
    [[nodiscard]] std::expected<void, LoginItemFailure> disable() const;

    /// The whole text of an entry that starts `executable`.
    [[nodiscard]] static std::string desktopEntry(const std::filesystem::path& executable);

    /// One argument of an Exec line: double-quoted with the Exec escapes, '%'
    /// doubled, then escaped as a string value, so any path survives.
    [[nodiscard]] static std::string execArgument(std::string_view argument);

    /// Whether an entry's text leaves it switched on (only its [Desktop Entry] group counts).
    [[nodiscard]] static bool isSwitchedOn(std::string_view entryText);

private:
    std::filesystem::path m_entryFile;
    std::filesystem::path m_executable;
};

}  // namespace ostrel
