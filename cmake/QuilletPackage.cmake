# What a desktop and a Debian package need beyond the programs: the icon in the usual sizes, the
# AppStream metainfo and the manual pages (installed by `cmake --install` too), and the package
# itself, made by CPack from this build (scripts/package.sh, tests/check-package.sh).
#
# CPack rather than a debian/ folder for dpkg-buildpackage: it packs the build that exists, so the
# suite checks the package of the very binaries it tested in seconds, without building everything
# again in a clean tree, and the install rules stay the one description of the layout.
include(GNUInstallDirs)

# The version is the project's; the release date goes with it into the metainfo, the manual pages
# and the package's changelog.
set(QUILLET_RELEASE_DATE "2026-12-08")
set(QUILLET_MAINTAINER "The Quillet developers <packages@quillet.app>")
execute_process(COMMAND date -u -R -d "${QUILLET_RELEASE_DATE} 12:00"
                OUTPUT_VARIABLE QUILLET_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)

set(data ${PROJECT_SOURCE_DIR}/data)
set(generated ${PROJECT_BINARY_DIR}/data)
configure_file(${data}/app.quillet.Quillet.metainfo.xml.in ${generated}/app.quillet.Quillet.metainfo.xml @ONLY)
configure_file(${data}/quillet.1.in ${generated}/quillet.1 @ONLY)
configure_file(${data}/quillet-screencapture.1.in ${generated}/quillet-screencapture.1 @ONLY)
configure_file(${data}/package/changelog.in ${generated}/changelog @ONLY)

install(FILES ${generated}/app.quillet.Quillet.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# Each PNG is the SVG rendered at its size (ffmpeg -width N -height N -i app.quillet.Quillet.svg).
file(GLOB icon_sizes RELATIVE ${data}/icons ${data}/icons/*)
foreach(size ${icon_sizes})
    install(FILES ${data}/icons/${size}/app.quillet.Quillet.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}/apps)
endforeach()

# Installs SOURCE gzipped (-n: no name or time inside, so the same input gives the same bytes) as
# DESTINATION/NAME.gz, below the prefix of the install that runs.
function(quillet_install_gzipped source destination name)
    cmake_parse_arguments(PARSE_ARGV 3 arg "" "COMPONENT" "")
    set(component_arguments)
    if(arg_COMPONENT)
        set(component_arguments COMPONENT ${arg_COMPONENT} EXCLUDE_FROM_ALL)
    endif()
    install(CODE "
        set(folder \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${destination}\")
        file(MAKE_DIRECTORY \"\${folder}\")
        message(STATUS \"Installing: \${folder}/${name}.gz\")
        execute_process(COMMAND gzip -9 -n -c \"${source}\" OUTPUT_FILE \"\${folder}/${name}.gz\"
                        COMMAND_ERROR_IS_FATAL ANY)
    " ${component_arguments})
endfunction()

quillet_install_gzipped(${generated}/quillet.1 ${CMAKE_INSTALL_MANDIR}/man1 quillet.1)
quillet_install_gzipped(${generated}/quillet-screencapture.1 ${CMAKE_INSTALL_MANDIR}/man1
                        quillet-screencapture.1)

# Only in the package: Debian's copyright and changelog files and lintian's overrides mean nothing in
# a prefix like ~/.local, so they sit in a component that a plain `cmake --install` leaves out.
install(FILES ${data}/package/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quillet
        COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${data}/package/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME quillet COMPONENT debian EXCLUDE_FROM_ALL)
quillet_install_gzipped(${generated}/changelog ${CMAKE_INSTALL_DATADIR}/doc/quillet changelog COMPONENT debian)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillet)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${QUILLET_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "screenshots and screen recordings from the tray")
# Debian wants its lines under 80 columns and no double quotes survive CPack's control file.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[
Quillet lives in the tray with no main window. Three global shortcuts
capture the whole screen under the pointer, an area or window you pick,
or a recording of a dragged area or a whole screen. Stills are saved as
WebP and recordings as MPEG-4; every new file appears as a floating card
from which it can be dragged into another application, opened, trashed
or annotated (arrows, numbered markers, text, highlights, pixelated
redaction).

On Wayland desktops stills come through the desktop portal, and the
shortcuts are bound in the desktop's settings to the command
quillet --action. Quillet never goes online.]=])
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://quillet.app)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The libraries the binaries link come from dpkg-shlibdeps. Named here is only what the program
# loads by path at run time: the fonts of its panel and of its tray symbols.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-inter, fonts-material-design-icons-iconfont")
# Optional at run time: capture on Wayland goes through the portals and PipeWire; recorded sound
# through a PulseAudio server; the cards open files with xdg-open; Wayland sessions without XWayland
# need Qt's Wayland plugin; the cards' Copy Text reads with tesseract's English data (other languages'
# data, tesseract-ocr-<language>, is used when installed).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "xdg-desktop-portal, xdg-desktop-portal-gnome | xdg-desktop-portal-kde | xdg-desktop-portal-gtk, pipewire, pipewire-pulse | pulseaudio, xdg-utils, tesseract-ocr-eng")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "qt6-wayland, xdg-desktop-portal-wlr")
# The whole build plus the package-only files above. The Debian generator installs with DESTDIR
# and the final prefix, so what is written at install time (the session bus's service file) names /usr.
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};Quillet;ALL;/;${PROJECT_BINARY_DIR};Quillet;debian;/")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
