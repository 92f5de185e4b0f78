# Installing the programs with their desktop entry and icon, and the Debian package of them
# (cpack -G DEB in the build folder).
include(GNUInstallDirs)

set(QX7_INSTALLED_PROGRAMS qx7-service-tool qx7log qx7ctl qx7-printer-sim)
foreach(program ${QX7_INSTALLED_PROGRAMS})
    if(TARGET ${program} AND WIN32)
        install(TARGETS ${program} RUNTIME DESTINATION ".")
    elseif(TARGET ${program})
        install(TARGETS ${program} RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
    endif()
endforeach()
if(TARGET qx7-service-tool)
    install(FILES "${PROJECT_SOURCE_DIR}/res/desktop/qx7-service-tool.desktop"
            DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
    install(FILES "${PROJECT_SOURCE_DIR}/res/icons/qx7-service-tool.svg"
            DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps")
    # The printer logs' file type, so that a file manager opens a log with the tool (the
    # system's MIME database takes it in: dpkg's trigger, or update-mime-database).
    install(FILES "${PROJECT_SOURCE_DIR}/res/mime/qx7-service-tool.xml"
            DESTINATION "${CMAKE_INSTALL_DATADIR}/mime/packages")
endif()

# The manual pages, compressed as Debian ships them (gzip -9n: no name, no time stamp, so the
# same page always gives the same bytes).
find_program(QX7_GZIP gzip)
if(NOT WIN32 AND QX7_GZIP)
    set(QX7_MAN_PAGES qx7-service-tool qx7log qx7ctl qx7-printer-sim)
    set(QX7_MAN_FILES)
    foreach(page ${QX7_MAN_PAGES})
        set(source "${PROJECT_SOURCE_DIR}/man/${page}.1")
        set(compressed "${CMAKE_BINARY_DIR}/man/${page}.1.gz")
        add_custom_command(OUTPUT "${compressed}"
                           COMMAND "${CMAKE_COMMAND}" -E make_directory "${CMAKE_BINARY_DIR}/man"
                           COMMAND sh -c "\"$1\" -9n -c \"$2\" >\"$3.part\" && mv \"$3.part\" \"$3\"" sh
                                   "${QX7_GZIP}" "${source}" "${compressed}"
                           DEPENDS "${source}"
                           COMMENT "Compressing the manual page ${page}.1"
                           VERBATIM)
        list(APPEND QX7_MAN_FILES "${compressed}")
    endforeach()
    add_custom_target(qx7_man_pages ALL DEPENDS ${QX7_MAN_FILES})
    install(FILES ${QX7_MAN_FILES} DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
endif()

if(WIN32)
    # The Windows programs travel as a zip (cpack -G ZIP in build/windows): the two programs
    # in the top folder with the README and the Windows notes (how to use them there).
    install(FILES "${PROJECT_SOURCE_DIR}/README.md" "${PROJECT_SOURCE_DIR}/docs/windows.md"
            DESTINATION ".")
    set(CPACK_GENERATOR "ZIP")
    set(CPACK_PACKAGE_NAME "qx7-service-tool")
    set(CPACK_PACKAGE_VERSION
        "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.${PROJECT_VERSION_TWEAK}")
    set(CPACK_SYSTEM_NAME "windows-x86_64")
    set(CPACK_STRIP_FILES ON)
    include(CPack)
    return()
endif()

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "qx7-service-tool")
set(CPACK_PACKAGE_VENDOR "Quorvel Industries, Ltd.")
set(CPACK_PACKAGE_CONTACT "Quorvel Industries, Ltd. <support@quorvel.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Service tool for the QX-7 garment printers: part exchanges, printer clock, saved logs")
set(CPACK_PACKAGE_VERSION
    "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.${PROJECT_VERSION_TWEAK}")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
# What the programs load rather than link: the window's platform plugins and the SVG icon
# engine. The linked libraries come from dpkg-shlibdeps where it exists.
set(QX7_DEB_RUNTIME_DEPENDS "qt6-qpa-plugins, libqt6svg6")
find_program(QX7_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(QX7_DPKG_SHLIBDEPS)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "${QX7_DEB_RUNTIME_DEPENDS}")
else()
    set(CPACK_DEBIAN_PACKAGE_DEPENDS
        "libqt6widgets6 (>= 6.4), libqt6charts6 (>= 6.4), libqt6network6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6core6 (>= 6.4), zlib1g, libc6, libstdc++6, libgcc-s1, ${QX7_DEB_RUNTIME_DEPENDS}")
endif()
# Qt's own Japanese texts (wizard and message box buttons); the MIME database for the log type.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, shared-mime-info")
include(CPack)
