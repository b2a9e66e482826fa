# Runs at install time (see QuorInstall.cmake): writes the desktop entry with Exec set to the
# installed program, quoted as desktop entries want when the path holds a space.
set(program "${CMAKE_INSTALL_PREFIX}/${QUOR_ENTRY_BINDIR}/quorzub")
if(program MATCHES " ")
  set(program "\"${program}\"")
endif()
file(READ "${QUOR_ENTRY_SOURCE}" entry)
string(REGEX REPLACE "\nExec=[^\n]*" "\nExec=${program}" entry "${entry}")
set(folder "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${QUOR_ENTRY_DATADIR}/applications")
message(STATUS "Installing: ${folder}/com.tallowmer.quorzub.desktop")
file(MAKE_DIRECTORY "${folder}")
file(WRITE "${folder}/com.tallowmer.quorzub.desktop" "${entry}")
