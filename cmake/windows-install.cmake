# Installing the Windows program: `cmake --install` fills one folder that runs on a Windows machine
# with nothing else installed, as the program expects its installation to be laid out: "ZOR 27.exe"
# and its tools, the DLLs they load (the toolkit's, with its plugins, and the compiler's runtime),
# the toolkit's Russian texts in translations\, and db\ from which zor27-makedb builds a database.
# The site's Data\ folder (bootstrap file, embedded database) is written afterwards by zor27-config
# and zor27-makedb; scripts/windows-build.sh makes the demo one.
install(TARGETS zor27 zor27-config zor27-makedb RUNTIME DESTINATION .)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/db/ DESTINATION db FILES_MATCHING PATTERN "*.sql")

foreach(module Core Gui Widgets PrintSupport)
    install(FILES $<TARGET_FILE:Qt6::${module}> DESTINATION .)
endforeach()
# The plugins the program loads: the platforms (the offscreen one serves runs without a screen), the
# native style, and JPEG for the sign-in dialog's pictures.
set(ZOR_QT_PLUGINS "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_PLUGINS}")
foreach(plugin platforms/qwindows.dll platforms/qoffscreen.dll styles/qwindowsvistastyle.dll imageformats/qjpeg.dll)
    get_filename_component(folder ${plugin} DIRECTORY)
    install(FILES "${ZOR_QT_PLUGINS}/${plugin}" DESTINATION ${folder})
endforeach()
install(FILES "${QT6_INSTALL_PREFIX}/translations/qtbase_ru.qm" DESTINATION translations)

# The compiler's runtime, shared by the program and the toolkit's DLLs.
foreach(runtime libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime}
                    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
        message(FATAL_ERROR "The compiler does not know where ${runtime} is")
    endif()
    install(FILES "${path}" DESTINATION .)
endforeach()

# The Windows package's source, with the identities the program was built with; scripts/windows-msi.sh
# makes the package from it and the installed folder.
configure_file(${CMAKE_SOURCE_DIR}/packaging/windows/zor27.wxs.in ${CMAKE_BINARY_DIR}/zor27.wxs @ONLY)
