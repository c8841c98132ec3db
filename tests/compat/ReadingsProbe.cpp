// The probe of the compatibility check (previous-decoder.sh), built against
// this tree's core and against the previous release's:
//   readings_probe write FILE   saves the default accounts' readings (DefaultAccounts.h)
//                               as FILE and their text beside it, FILE with .expected
//   readings_probe read FILE    reads FILE as --status does and then as a run
//                               starts, and prints the text of the default
//                               accounts read; fails when either could not read
//                               it, since a run would then set the file aside

#include <cstdio>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "DefaultAccounts.h"
#include "posix/AtomicFile.h"

namespace {

using namespace ostrel;

int write(const std::filesystem::path& file)
{
    const Saved saved = compat::defaultReadings();
    if (const auto written = ReadingsFile::save(file, saved); !written) {
        throw compat::Failure(file.string() + " cannot be saved: " + written.error().detail);
    }
    std::filesystem::path expected = file;
    expected.replace_extension(".expected");
    if (!posix::writeAtomically(expected, compat::defaultsText(saved, saved), 0600)) {
        throw compat::Failure(expected.string() + " cannot be written");
    }
    return 0;
}

int read(const std::filesystem::path& file)
{
    // The snapshots first: a run that loaded the file first would already have moved it aside.
    const auto snapshots = ReadingsFile::read(file, ReadingsFile::Part::snapshots);
    if (!snapshots) {
        throw compat::Failure(file.string() + ": the snapshots do not read: " + snapshots.error().detail);
    }
    std::optional<ReadingsFile::SetAside> setAside;
    const Saved whole = ReadingsFile::load(file, compat::writtenAt, &setAside);
    if (setAside) {
        throw compat::Failure(file.string() + " was set aside: " + setAside->why.detail);
    }
    std::fputs(compat::defaultsText(whole, *snapshots).c_str(), stdout);
    return 0;
}

}  // namespace

int main(int argc, char* argv[])
{
    const std::vector<std::string> arguments(argv, argv + argc);
    try {
        if (arguments.size() == 3 && arguments[1] == "write") {
            return write(arguments[2]);
        }
        if (arguments.size() == 3 && arguments[1] == "read") {
            return read(arguments[2]);
        }
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "%s\n", failure.what());
        return 1;
    }
    std::fputs("usage: readings_probe write|read FILE\n", stderr);
    return 2;
}
