# Runs at install time: writes the menu entry with Exec naming the installed
# binary under the prefix of this installation, then installs it (so it is
# listed in install_manifest.txt like every other file).

set(_exec "${CMAKE_INSTALL_PREFIX}/${OSTREL_BINDIR}/ostrel")
# Inside double quotes the Exec rules escape these four with a backslash and
# double '%'; the whole value is then escaped once more as a string value.
string(REPLACE "\\" "\\\\" _exec "${_exec}")
string(REPLACE "\"" "\\\"" _exec "${_exec}")
string(REPLACE "`" "\\`" _exec "${_exec}")
string(REPLACE "$" "\\$" _exec "${_exec}")
string(REPLACE "%" "%%" _exec "${_exec}")
string(REPLACE "\\" "\\\\" _exec "${_exec}")
set(OSTREL_DESKTOP_EXEC "\"${_exec}\"")

file(MAKE_DIRECTORY "${OSTREL_DESKTOP_STAGING}")
configure_file("${OSTREL_DESKTOP_TEMPLATE}" "${OSTREL_DESKTOP_STAGING}/ostrel.desktop" @ONLY)
file(INSTALL "${OSTREL_DESKTOP_STAGING}/ostrel.desktop"
    DESTINATION "${CMAKE_INSTALL_PREFIX}/${OSTREL_APPLICATIONS_DIR}"
    PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
