# cmake --install: the program, its resources beside it (bin/../share/quorzub), and what desktops
# look for: the menu entry in share/applications, the icon in the hicolor theme and the software
# centre's metadata in share/metainfo. The icon and the metadata are made at build time into the
# build tree's share folder, laid out as they are installed.
include(GNUInstallDirs)

set(QUOR_ICON_THEME_DIR ${CMAKE_BINARY_DIR}/share/icons/hicolor)
set(QUOR_ICON_FILES ${QUOR_ICON_THEME_DIR}/scalable/apps/com.tallowmer.quorzub.svg)
foreach(size 16 22 24 32 48 64 128 256 512)
  list(APPEND QUOR_ICON_FILES ${QUOR_ICON_THEME_DIR}/${size}x${size}/apps/com.tallowmer.quorzub.png)
endforeach()
add_custom_command(OUTPUT ${QUOR_ICON_FILES}
  COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 $<TARGET_FILE:quorzub-write-icons> ${QUOR_ICON_THEME_DIR}
  DEPENDS quorzub-write-icons
  COMMENT "Drawing the application icon into ${QUOR_ICON_THEME_DIR}")
add_custom_target(quor_app_icons ALL DEPENDS ${QUOR_ICON_FILES})

set(QUOR_METAINFO ${CMAKE_BINARY_DIR}/share/metainfo/com.tallowmer.quorzub.metainfo.xml)
add_custom_command(OUTPUT ${QUOR_METAINFO}
  COMMAND ${CMAKE_COMMAND} -DTEMPLATE=${CMAKE_SOURCE_DIR}/Resources/com.tallowmer.quorzub.metainfo.xml.in
          -DRELEASE_LOG=${CMAKE_SOURCE_DIR}/Resources/release-log.jsonl -DAPP=QuorZub -DVERSION=${PROJECT_VERSION}
          -DOUTPUT=${QUOR_METAINFO} -P ${CMAKE_SOURCE_DIR}/cmake/QuorMetainfo.cmake
  DEPENDS ${CMAKE_SOURCE_DIR}/Resources/com.tallowmer.quorzub.metainfo.xml.in
          ${CMAKE_SOURCE_DIR}/Resources/release-log.jsonl ${CMAKE_SOURCE_DIR}/cmake/QuorMetainfo.cmake
  COMMENT "Writing the software-centre metadata")
add_custom_target(quor_metainfo ALL DEPENDS ${QUOR_METAINFO})

install(TARGETS quorzub RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/QuorKit/Resources/ ${CMAKE_SOURCE_DIR}/Resources/
        DESTINATION ${CMAKE_INSTALL_DATADIR}/quorzub
        PATTERN "*.in" EXCLUDE)
install(DIRECTORY ${QUOR_ICON_THEME_DIR} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${QUOR_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The entry names the installed program by its full path, so the menu starts it whether or not the
# prefix's bin folder is on the PATH; the prefix is the one given to cmake --install.
install(CODE "
  set(QUOR_ENTRY_SOURCE \"${CMAKE_SOURCE_DIR}/Resources/com.tallowmer.quorzub.desktop\")
  set(QUOR_ENTRY_BINDIR \"${CMAKE_INSTALL_BINDIR}\")
  set(QUOR_ENTRY_DATADIR \"${CMAKE_INSTALL_DATADIR}\")
  include(\"${CMAKE_SOURCE_DIR}/cmake/QuorInstallDesktopEntry.cmake\")
")
