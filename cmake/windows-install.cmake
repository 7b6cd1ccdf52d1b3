# Installing the Windows program: `cmake --install` fills one folder that runs on a Windows machine
# with nothing else installed: "ZOR 27.exe" and its tools, each one executable that carries the
# toolkit (with its plugins and Russian texts) and the compiler's runtime inside, and db\ from which
# zor27-makedb builds a database. The site's Data\ folder (bootstrap file, embedded database) is
# written afterwards by zor27-config and zor27-makedb; scripts/windows-build.sh makes the demo one.
install(TARGETS zor27 zor27-config zor27-makedb RUNTIME DESTINATION .)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/db/ DESTINATION db FILES_MATCHING PATTERN "*.sql")

# The Windows package's source, with the identities the program was built with; scripts/windows-msi.sh
# makes the package from it and the installed folder.
configure_file(${CMAKE_SOURCE_DIR}/packaging/windows/zor27.wxs.in ${CMAKE_BINARY_DIR}/zor27.wxs @ONLY)
