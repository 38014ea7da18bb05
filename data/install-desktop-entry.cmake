# Install step: writes the launcher entry with every "Exec=vesk-bar" naming the program by its full
# path under the install prefix (quoted as the desktop entry rules ask when the path needs it).
set(program "${CMAKE_INSTALL_PREFIX}/${VESK_BINDIR}/vesk-bar")
if(program MATCHES "[] \t\"'`$\\\\<>~|&;*?#()]")
    string(REGEX REPLACE "([\"`$\\\\])" "\\\\\\1" program "${program}")
    # Inside a desktop entry value a backslash is itself written twice.
    string(REPLACE "\\" "\\\\" program "${program}")
    set(program "\"${program}\"")
endif()
file(READ "${VESK_DESKTOP_SOURCE}" entry)
string(REPLACE "Exec=vesk-bar" "Exec=${program}" entry "${entry}")
set(target "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${VESK_DATADIR}/applications/vesk-bar.desktop")
message(STATUS "Installing: ${target}")
file(WRITE "${target}" "${entry}")
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${target}")
