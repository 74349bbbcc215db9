# Installing the game the way Debian places games, and its package (`make package`):
#   <prefix>/games/varnhold                         the game
#   <prefix>/share/games/varnhold/                  its data: everything it reads from assets/
#   <prefix>/share/applications/<id>.desktop        the menu entry
#   <prefix>/share/icons/hicolor/<n>x<n>/apps/<id>.png
#   <prefix>/share/metainfo/<id>.metainfo.xml       AppStream: what software centres show
#   <prefix>/share/man/man6/varnhold.6.gz
#   <prefix>/share/doc/varnhold/                    copyright and changelog
# The game finds its data beside itself as installed (../share/games/varnhold from its folder),
# else at the path compiled in from the prefix; what it saves goes to the player's home.
include(GNUInstallDirs)
set(CMAKE_INSTALL_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/varnhold)

set(VARNHOLD_APP_ID net.varnhold.Varnhold)
set(VARNHOLD_INSTALL_BINDIR games)
set(VARNHOLD_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/games/varnhold)
file(RELATIVE_PATH VARNHOLD_DATADIR_FROM_BINDIR ${CMAKE_INSTALL_PREFIX}/${VARNHOLD_INSTALL_BINDIR}
     ${CMAKE_INSTALL_PREFIX}/${VARNHOLD_INSTALL_DATADIR})
target_compile_definitions(varnservices PRIVATE
    VARNHOLD_INSTALL_DATADIR="${CMAKE_INSTALL_PREFIX}/${VARNHOLD_INSTALL_DATADIR}"
    VARNHOLD_DATADIR_FROM_BINDIR="${VARNHOLD_DATADIR_FROM_BINDIR}")

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(PROGRAMS $<TARGET_FILE:Varnhold> DESTINATION ${VARNHOLD_INSTALL_BINDIR} RENAME varnhold)
# Stripped when asked (`cmake --install --strip`, and the package): a renamed program is not a
# target's file, which CMake would strip itself.
install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
        execute_process(COMMAND ${CMAKE_STRIP} --strip-unneeded --remove-section=.comment --remove-section=.note
            \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${VARNHOLD_INSTALL_BINDIR}/varnhold\")
    endif()
")
# The data: what the game reads. A record or settings left in assets/ by playing from the build
# folder are the player's, not the game's: the shipped record is the one in git.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/assets/ DESTINATION ${VARNHOLD_INSTALL_DATADIR}
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
    PATTERN "settings.json" EXCLUDE
    PATTERN ".*" EXCLUDE)
foreach(size 64 256)
    install(FILES ${PROJECT_SOURCE_DIR}/assets/icon_${size}.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
        RENAME ${VARNHOLD_APP_ID}.png)
endforeach()
configure_file(${PROJECT_SOURCE_DIR}/packaging/metainfo.xml.in
    ${CMAKE_CURRENT_BINARY_DIR}/packaging/${VARNHOLD_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/${VARNHOLD_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The menu entry, the man page and the changelog name the prefix the game is installed under,
# which a package sets only when it installs: they are written then.
install(CODE "
    set(VARNHOLD_FULL_BINDIR \"\${CMAKE_INSTALL_PREFIX}/${VARNHOLD_INSTALL_BINDIR}\")
    set(VARNHOLD_FULL_DATADIR \"\${CMAKE_INSTALL_PREFIX}/${VARNHOLD_INSTALL_DATADIR}\")
    set(VARNHOLD_APP_ID ${VARNHOLD_APP_ID})
    set(PROJECT_VERSION ${PROJECT_VERSION})
    set(out ${CMAKE_CURRENT_BINARY_DIR}/packaging)
    configure_file(${PROJECT_SOURCE_DIR}/packaging/varnhold.desktop.in \${out}/${VARNHOLD_APP_ID}.desktop @ONLY)
    configure_file(${PROJECT_SOURCE_DIR}/packaging/varnhold.6 \${out}/varnhold.6 @ONLY)
    configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog \${out}/changelog @ONLY)
    foreach(page varnhold.6 changelog)
        execute_process(COMMAND gzip -9nf \${out}/\${page} RESULT_VARIABLE failed)
        if(failed)
            message(FATAL_ERROR \"gzip \${page} failed\")
        endif()
    endforeach()
")
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/${VARNHOLD_APP_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/varnhold.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The Debian package: its runtime dependencies found by dpkg-shlibdeps from what the game links.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME varnhold)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CONTACT "The Varnhold team <team@varnhold.net>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "tower defence game: hold the keep against endless waves")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Endless, growing waves of enemies walk a winding road towards your keep.
Every kill pays gold and score; spend the gold on three kinds of towers,
upgrade them and the keep, and repair the keep when it is hurt. When the
keep falls the game is over, and the best games are kept as local records.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://varnhold.net/)
include(CPack)
