# Installation on a Linux desktop: the two programs, the desktop entry, the
# icon (drawn as SVG, rendered to PNG sizes by the build), the AppStream
# metainfo, the manual pages and the bash completion of moviesnap.
#
# Files that carry the version or a date are configured here from the
# project's VERSION; `dist/` in the build folder holds everything generated.

include(GNUInstallDirs)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(MOVIESNAP_HOMEPAGE "https://moviesnap.example.org"
    CACHE STRING "The project's web page, named by the metainfo and the package")
set(MOVIESNAP_MAINTAINER "MovieSnap developers <moviesnap@example.org>"
    CACHE STRING "The package's maintainer line")
# Today, or the day SOURCE_DATE_EPOCH names for a reproducible build.
string(TIMESTAMP MOVIESNAP_RELEASE_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP MOVIESNAP_CHANGELOG_DATE "%a, %d %b %Y 00:00:00 +0000" UTC)

set(res ${CMAKE_CURRENT_SOURCE_DIR}/resources)
set(dist ${CMAKE_CURRENT_BINARY_DIR}/dist)
set(MOVIESNAP_DESKTOP_FILE ${res}/${MOVIESNAP_APP_ID}.desktop)
set(MOVIESNAP_METAINFO_FILE ${dist}/${MOVIESNAP_APP_ID}.metainfo.xml)
configure_file(${res}/${MOVIESNAP_APP_ID}.metainfo.xml.in ${MOVIESNAP_METAINFO_FILE} @ONLY)

# Manual pages and the package changelog are installed compressed, as Debian
# wants them: the most compression, no name or time stamp in the header.
set(generated)
set(compressed)
foreach(page IN ITEMS moviesnap.1 moviesnap-qt.1)
    configure_file(${res}/man/${page}.in ${dist}/man/${page} @ONLY)
    list(APPEND compressed ${dist}/man/${page})
endforeach()
configure_file(${res}/changelog.in ${dist}/changelog @ONLY)
list(APPEND compressed ${dist}/changelog)
foreach(file IN LISTS compressed)
    add_custom_command(OUTPUT ${file}.gz
                       COMMAND gzip -9 -n -k -f ${file}
                       DEPENDS ${file} VERBATIM)
    list(APPEND generated ${file}.gz)
endforeach()

# The icon at the sizes menus and docks ask for most.
set(MOVIESNAP_ICON_SIZES 48 128 256)
set(icon_svg ${res}/icons/${MOVIESNAP_APP_ID}.svg)
find_program(RSVG_CONVERT rsvg-convert)
if(RSVG_CONVERT)
    foreach(size IN LISTS MOVIESNAP_ICON_SIZES)
        set(png ${dist}/icons/${size}x${size}/${MOVIESNAP_APP_ID}.png)
        add_custom_command(OUTPUT ${png}
                           COMMAND ${CMAKE_COMMAND} -E make_directory ${dist}/icons/${size}x${size}
                           COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${icon_svg}
                           DEPENDS ${icon_svg} VERBATIM)
        list(APPEND generated ${png})
    endforeach()
else()
    message(WARNING "rsvg-convert (librsvg2-bin) not found: only the SVG icon is installed")
endif()
add_custom_target(moviesnap-dist ALL DEPENDS ${generated})

install(TARGETS moviesnap-qt moviesnap RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
set(share ${CMAKE_INSTALL_DATAROOTDIR})
install(FILES ${MOVIESNAP_DESKTOP_FILE} DESTINATION ${share}/applications)
install(FILES ${MOVIESNAP_METAINFO_FILE} DESTINATION ${share}/metainfo)
install(FILES ${icon_svg} DESTINATION ${share}/icons/hicolor/scalable/apps)
if(RSVG_CONVERT)
    foreach(size IN LISTS MOVIESNAP_ICON_SIZES)
        install(FILES ${dist}/icons/${size}x${size}/${MOVIESNAP_APP_ID}.png
                DESTINATION ${share}/icons/hicolor/${size}x${size}/apps)
    endforeach()
endif()
install(FILES ${dist}/man/moviesnap.1.gz ${dist}/man/moviesnap-qt.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${res}/completion/moviesnap DESTINATION ${share}/bash-completion/completions)
install(FILES ${res}/copyright DESTINATION ${share}/doc/moviesnap)
install(FILES ${dist}/changelog.gz DESTINATION ${share}/doc/moviesnap)
