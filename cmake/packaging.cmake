# Installing for real users: `cmake --install` and a Debian package made by CPack.
#
# The program and its tools go into <prefix>/lib/zor27 (the folder the program takes as its own), with
# links in <bindir>; a packaged copy finds its bootstrap file in <sysconfdir>/zor27/ZOR and its
# embedded databases in <localstatedir>/lib/zor27 (src/context/CMakeLists.txt compiles these in).
# The package ships a demo bootstrap file and the demo database there, so it starts at once.
include(GNUInstallDirs)
# lib/, not the multiarch library folder: the folder holds programs, not libraries.
set(ZOR_INSTALL_PROGRAM_DIR lib/zor27)

install(TARGETS zor27 zor27-config zor27-makedb RUNTIME DESTINATION ${ZOR_INSTALL_PROGRAM_DIR})
foreach(link zor27:ZOR\ 27 zor27-config:zor27-config zor27-makedb:zor27-makedb)
    string(REPLACE ":" ";" pair "${link}")
    list(GET pair 0 name)
    list(GET pair 1 target)
    install(CODE "
        file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
        file(CREATE_LINK \"../${ZOR_INSTALL_PROGRAM_DIR}/${target}\"
             \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${name}\" SYMBOLIC)")
endforeach()
install(DIRECTORY ${CMAKE_SOURCE_DIR}/db/ DESTINATION ${ZOR_INSTALL_PROGRAM_DIR}/db FILES_MATCHING PATTERN "*.sql")
install(FILES ${CMAKE_SOURCE_DIR}/packaging/zor27.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/resources/zor27.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)

# The demo: the embedded database and a bootstrap file that names it.
set(ZOR_DEMO_DIR ${CMAKE_BINARY_DIR}/package-demo)
add_custom_command(OUTPUT ${ZOR_DEMO_DIR}/demo.db ${ZOR_DEMO_DIR}/ZOR
    COMMAND ${CMAKE_COMMAND} -E make_directory ${ZOR_DEMO_DIR}
    COMMAND ${CMAKE_COMMAND} -E rm -f ${ZOR_DEMO_DIR}/demo.db
    COMMAND zor27-makedb --scripts ${CMAKE_SOURCE_DIR}/db ${ZOR_DEMO_DIR}/demo.db
    COMMAND zor27-config write --user zor_boot --password boot --server embedded --database demo.db
            --file ${ZOR_DEMO_DIR}/ZOR
    DEPENDS zor27-makedb zor27-config
    COMMENT "The demo installation of the package")
add_custom_target(package-demo ALL DEPENDS ${ZOR_DEMO_DIR}/demo.db ${ZOR_DEMO_DIR}/ZOR)
install(FILES ${ZOR_DEMO_DIR}/ZOR DESTINATION ${CMAKE_INSTALL_FULL_SYSCONFDIR}/zor27)
install(FILES ${ZOR_DEMO_DIR}/demo.db DESTINATION ${CMAKE_INSTALL_FULL_LOCALSTATEDIR}/lib/zor27)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zor27)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "ZOR 27")
set(CPACK_PACKAGE_CONTACT "ZOR 27 administrators <zor27@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Schedule of examinations and tests (ZOR 27 «График проведения контроля»)")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
# Libraries found by dpkg-shlibdeps (Qt with its print support, SQLite, unixODBC, libxlsxwriter),
# and what is loaded by name (the ODBC driver, the platform plugins, libcurl for the update).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcurl4, tdsodbc, unixodbc, libqt6gui6, libqt6widgets6, qt6-qpa-plugins, qt6-translations-l10n, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_SOURCE_DIR}/packaging/postinst ${CMAKE_SOURCE_DIR}/packaging/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
