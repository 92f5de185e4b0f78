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

# The CUPS driver of the QX-7 (Linux): the queue's driver file where CUPS' driver lookup finds
# it (share/ppd, scanned below /usr and /usr/local), the command type into CUPS' MIME folder, the
# filter into CUPS' program folder (lib/cups, not the multiarch library folder: CUPS' ServerBin
# on Debian is /usr/lib/cups), and qx7-setup-printer, which adds a queue with them. CUPS reads
# these folders below /usr only: another prefix installs them where the scheduler does not look.
set(QX7_CUPS_DRIVER OFF)
if(QX7_CUPS AND NOT WIN32)
    set(QX7_CUPS_DRIVER ON)
    set(QX7_PPD_DESTINATION "${CMAKE_INSTALL_DATADIR}/ppd/quorvel")
    install(FILES "${PROJECT_SOURCE_DIR}/res/cups/qx7.ppd" DESTINATION "${QX7_PPD_DESTINATION}")
    install(FILES "${PROJECT_SOURCE_DIR}/res/cups/qx7.types"
            DESTINATION "${CMAKE_INSTALL_DATADIR}/cups/mime")
    if(TARGET qx7-command-filter)
        # cupsd runs only filters that are not group or other writable.
        install(TARGETS qx7-command-filter RUNTIME DESTINATION "lib/cups/filter"
                PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                            WORLD_READ WORLD_EXECUTE)
    endif()
    # The script finds the driver file from where it is installed, so that the package and
    # any "cmake --install --prefix" agree; in the build folder it lands beside the programs.
    file(RELATIVE_PATH QX7_SETUP_PPD_FROM_BIN "${CMAKE_INSTALL_FULL_BINDIR}"
         "${CMAKE_INSTALL_FULL_DATADIR}/ppd/quorvel/qx7.ppd")
    configure_file("${PROJECT_SOURCE_DIR}/src/setup/qx7-setup-printer.in"
                   "${CMAKE_BINARY_DIR}/bin/qx7-setup-printer" @ONLY
                   FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                                    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    install(PROGRAMS "${CMAKE_BINARY_DIR}/bin/qx7-setup-printer"
            DESTINATION "${CMAKE_INSTALL_BINDIR}")
endif()

# The manual pages, compressed as Debian ships them (gzip -9n: no name, no time stamp, so the
# same page always gives the same bytes).
find_program(QX7_GZIP gzip)
if(NOT WIN32 AND QX7_GZIP)
    set(QX7_MAN_PAGES qx7-service-tool qx7log qx7ctl qx7-printer-sim)
    if(QX7_CUPS_DRIVER)
        list(APPEND QX7_MAN_PAGES qx7-setup-printer)
    endif()
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
    if(QX7_ISAL)
        string(PREPEND QX7_DEB_RUNTIME_DEPENDS "libisal2, ")
    endif()
    set(CPACK_DEBIAN_PACKAGE_DEPENDS
        "libqt6widgets6 (>= 6.4), libqt6charts6 (>= 6.4), libqt6network6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6core6 (>= 6.4), zlib1g, libc6, libstdc++6, libgcc-s1, ${QX7_DEB_RUNTIME_DEPENDS}")
endif()
# Qt's own Japanese texts (wizard and message box buttons); the MIME database for the log type.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, shared-mime-info")
if(QX7_CUPS_DRIVER)
    # The printer on USB: the scheduler with its usb backend and device search (lpinfo -v),
    # which Debian ships in "cups", not in "cups-daemon". libcups itself comes from shlibdeps.
    string(APPEND CPACK_DEBIAN_PACKAGE_RECOMMENDS ", cups")
    # A running scheduler reads MIME types only when it starts: until then it refuses the
    # command type, and a QX-7 queue refuses every command. Restarted only when it runs.
    file(CONFIGURE OUTPUT "${CMAKE_BINARY_DIR}/deb/postinst" @ONLY CONTENT [=[#!/bin/sh
set -e
# The scheduler learns the QX-7 command type (share/cups/mime/qx7.types) when it starts.
if [ "$1" = configure ]; then
    if [ -d /run/systemd/system ] && command -v deb-systemd-invoke >/dev/null 2>&1; then
        deb-systemd-invoke try-restart cups.service >/dev/null 2>&1 || true
    elif [ -x /etc/init.d/cups ] && command -v invoke-rc.d >/dev/null 2>&1; then
        # Its force-reload rereads the configuration, the types included, when cupsd runs.
        invoke-rc.d cups force-reload >/dev/null 2>&1 || true
    fi
fi
exit 0
]=])
    file(CHMOD "${CMAKE_BINARY_DIR}/deb/postinst" PERMISSIONS OWNER_READ OWNER_WRITE
         OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${CMAKE_BINARY_DIR}/deb/postinst")
    set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
endif()
include(CPack)
