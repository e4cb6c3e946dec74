# Installing the game like any Linux game: the program and its read-only data in their own
# folders, a launcher on PATH that plays in a per-user folder, a menu entry, an icon, a manual
# page and the description software centres show. Works for any prefix given at install time
# (cmake --install BUILD --prefix P) and for staged installs (DESTDIR).
include(GNUInstallDirs)

set(VS_INSTALL_PROGRAMDIR lib/void-sentinel CACHE STRING
    "Folder, under the prefix, of the game's program (and the link to its instrument patches)")
# A build folder configured before the data moved keeps the old place in its cache: drop it.
if(VS_INSTALL_GAMEDATADIR STREQUAL "${CMAKE_INSTALL_DATADIR}/void-sentinel")
  unset(VS_INSTALL_GAMEDATADIR CACHE)
endif()
# Games' data under share/games, as Debian lays it out: never share/void-sentinel, which is
# each player's own folder when the prefix is ~/.local, so installing again keeps the scores.
set(VS_INSTALL_GAMEDATADIR ${CMAKE_INSTALL_DATADIR}/games/void-sentinel CACHE STRING
    "Folder, under the prefix, of the game's read-only data")
set(VS_INSTALL_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/void-sentinel)

include(${CMAKE_CURRENT_LIST_DIR}/releases.cmake)

# The program. Allegro looks for patches.dat beside the program's real file (it resolves
# /proc/self/exe, so a symlinked program would not help): a relative link beside it points
# at the one copy among the data, valid under any prefix.
install(TARGETS void-sentinel RUNTIME DESTINATION ${VS_INSTALL_PROGRAMDIR})

set(VS_PATCHES_LINK ${CMAKE_BINARY_DIR}/packaging/patches.dat)
file(RELATIVE_PATH VS_PATCHES_TARGET /prefix/${VS_INSTALL_PROGRAMDIR}
     /prefix/${VS_INSTALL_GAMEDATADIR}/patches.dat)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/packaging)
file(CREATE_LINK ${VS_PATCHES_TARGET} ${VS_PATCHES_LINK} SYMBOLIC)
install(FILES ${VS_PATCHES_LINK} DESTINATION ${VS_INSTALL_PROGRAMDIR})

# The read-only data: the four datafiles and the patches as built, the levels and the blank
# score table from the sources (never the run folder's table, which holds local scores).
install(FILES
  ${RUN_DIR}/sprites.dat ${RUN_DIR}/backgrounds.dat ${RUN_DIR}/sounds.dat ${RUN_DIR}/music.dat
  ${RUN_DIR}/patches.dat ${CMAKE_SOURCE_DIR}/data/highscores.sco
  DESTINATION ${VS_INSTALL_GAMEDATADIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/levels/ DESTINATION ${VS_INSTALL_GAMEDATADIR}/levels)

# The launcher and the manual page name the program and data folders by absolute path, which
# is known only once the install prefix is, so they are written at install time.
set(VS_LAUNCHER ${CMAKE_BINARY_DIR}/packaging/void-sentinel)
set(VS_MANUAL ${CMAKE_BINARY_DIR}/packaging/void-sentinel.6)
install(CODE "
  set(VS_LAUNCHER_TEMPLATE \"${CMAKE_CURRENT_LIST_DIR}/void-sentinel.sh.in\")
  set(VS_LAUNCHER \"${VS_LAUNCHER}\")
  set(VS_MANUAL_TEMPLATE \"${CMAKE_CURRENT_LIST_DIR}/void-sentinel.6.in\")
  set(VS_MANUAL \"${VS_MANUAL}\")
  set(VS_INSTALL_PROGRAMDIR \"${VS_INSTALL_PROGRAMDIR}\")
  set(VS_INSTALL_GAMEDATADIR \"${VS_INSTALL_GAMEDATADIR}\")
  set(VS_INSTALL_DOCDIR \"${VS_INSTALL_DOCDIR}\")
  set(VS_RELEASE_VERSION \"${VS_RELEASE_VERSION}\")
  set(VS_RELEASE_DATE \"${VS_RELEASE_DATE}\")
  include(\"${CMAKE_CURRENT_LIST_DIR}/write_launcher.cmake\")
")
install(PROGRAMS ${VS_LAUNCHER} DESTINATION ${CMAKE_INSTALL_BINDIR})

# The desktop's view of the game.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/void-sentinel.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/void-sentinel.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${VS_MANUAL} DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
configure_file(${CMAKE_CURRENT_LIST_DIR}/void-sentinel.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/packaging/void-sentinel.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/void-sentinel.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo RENAME invalid.void_sentinel.game.metainfo.xml)

# What a player reads: the keys and the high score folder, and what each release brought.
file(WRITE ${CMAKE_BINARY_DIR}/packaging/NEWS "${VS_NEWS}\n")
install(FILES ${CMAKE_CURRENT_LIST_DIR}/doc/README ${CMAKE_BINARY_DIR}/packaging/NEWS
        DESTINATION ${VS_INSTALL_DOCDIR})

# The tests of the installed game.
if(BUILD_TESTING)
  add_subdirectory(${CMAKE_SOURCE_DIR}/tests/install ${CMAKE_BINARY_DIR}/tests/install)
endif()
