# cmake --install: the program, its resources beside it (bin/../share/quorzub), and what desktops
# look for: the menu entry in share/applications and the icon in the hicolor theme.
include(GNUInstallDirs)
install(TARGETS quorzub RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/QuorKit/Resources/ ${CMAKE_SOURCE_DIR}/Resources/
        DESTINATION ${CMAKE_INSTALL_DATADIR}/quorzub)
install(FILES ${CMAKE_SOURCE_DIR}/Resources/icons/com.tallowmer.quorzub.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
# The entry names the installed program by its full path, so the menu starts it whether or not the
# prefix's bin folder is on the PATH; the prefix is the one given to cmake --install.
install(CODE "
  set(QUOR_ENTRY_SOURCE \"${CMAKE_SOURCE_DIR}/Resources/com.tallowmer.quorzub.desktop\")
  set(QUOR_ENTRY_BINDIR \"${CMAKE_INSTALL_BINDIR}\")
  set(QUOR_ENTRY_DATADIR \"${CMAKE_INSTALL_DATADIR}\")
  include(\"${CMAKE_SOURCE_DIR}/cmake/QuorInstallDesktopEntry.cmake\")
")
