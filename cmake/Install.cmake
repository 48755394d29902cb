# SPDX-License-Identifier: MIT
# Installation and the Debian packages.
#
#   cmake --install BUILD --prefix /usr      installs into the system (or DESTDIR)
#   cpack -G DEB  (in BUILD)                 velmora-tesk-cli_<version>_<arch>.deb (the tool, no Qt)
#                                            velmora-tesk_<version>_<arch>.deb (the window)
#
# Every file belongs to one of two components, one package each: `cli` (the command-line tool,
# its manual page and completion, the sample field books) and `window` (the window and its
# desktop integration), which depends on `cli`. scripts/package.sh builds both for Debian;
# tests/install/check_package.sh checks them. The desktop entry, the field-book file type and
# the icon are plain files in the usual folders: Debian's triggers of shared-mime-info,
# desktop-file-utils and the icon cache pick them up, so the packages have no maintainer scripts.

include(GNUInstallDirs)

set(VELMORA_DATA_DIR ${PROJECT_SOURCE_DIR}/data)
# The AppStream id; the desktop entry and the metadata are named after it.
set(VELMORA_APP_ID org.velmora.tesk)

# Directories made by the installation (and so in the package) are 0755 whatever the umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# ---- The release, from the newest entry of data/debian/changelog: its version names the
# package (upstream version - Debian revision), its date dates the manual pages. Taken from the
# changelog rather than the clock, so that two builds of one commit give the same bytes.
set(VELMORA_CHANGELOG ${VELMORA_DATA_DIR}/debian/changelog)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${VELMORA_CHANGELOG})
file(STRINGS ${VELMORA_CHANGELOG} changelog_lines)
list(GET changelog_lines 0 changelog_head)
if(NOT changelog_head MATCHES "^[a-z0-9.+-]+ \\(([0-9][^ )]*)-([^ )-]+)\\) ")
  message(FATAL_ERROR "${VELMORA_CHANGELOG}: the first line names no version: ${changelog_head}")
endif()
set(VELMORA_PACKAGE_REVISION ${CMAKE_MATCH_2})
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "${VELMORA_CHANGELOG} is at version ${CMAKE_MATCH_1}, the project at "
    "${PROJECT_VERSION}: add a changelog entry for ${PROJECT_VERSION}")
endif()
set(VELMORA_RELEASE_DATE "")
foreach(line IN LISTS changelog_lines)
  # " -- NAME <ADDRESS>  Wed, 09 Dec 2026 09:00:00 +0000" closes the newest entry.
  if(line MATCHES "^ -- .*  [A-Z][a-z][a-z], ([0-9]?[0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
    set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
    list(FIND months ${CMAKE_MATCH_2} month)
    if(month LESS 0)
      break()
    endif()
    math(EXPR month "${month} + 1")
    set(day ${CMAKE_MATCH_1})
    foreach(part month day)
      string(LENGTH "${${part}}" length)
      if(length EQUAL 1)
        set(${part} "0${${part}}")
      endif()
    endforeach()
    set(VELMORA_RELEASE_DATE "${CMAKE_MATCH_3}-${month}-${day}")
    break()
  endif()
endforeach()
if(NOT VELMORA_RELEASE_DATE)
  message(FATAL_ERROR "${VELMORA_CHANGELOG}: the newest entry has no trailer line with its date")
endif()

# ---- Programs
install(TARGETS velmora-tesk-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT cli)
if(TARGET velmora-tesk)
  install(TARGETS velmora-tesk RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT window)
endif()

# velmora_gzip(INPUT OUTPUT_VAR): a build rule that compresses INPUT into the build folder as
# Debian wants it, -9 and -n (no name or time in the header, so the same file gives the same
# bytes); OUTPUT_VAR gets the compressed file's path, or INPUT itself where gzip is missing.
find_program(VELMORA_GZIP gzip)
mark_as_advanced(VELMORA_GZIP)
set(velmora_compressed_files)
function(velmora_gzip input output_var)
  if(NOT VELMORA_GZIP)
    set(${output_var} ${input} PARENT_SCOPE)
    return()
  endif()
  get_filename_component(name ${input} NAME)
  set(compressed ${CMAKE_BINARY_DIR}/compressed/${name}.gz)
  add_custom_command(OUTPUT ${compressed}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/compressed
    COMMAND sh -c "\"$0\" -9 -n -c \"$1\" > \"$2\"" ${VELMORA_GZIP} ${input} ${compressed}
    DEPENDS ${input}
    COMMENT "Compressing ${name}"
    VERBATIM)
  set(velmora_compressed_files ${velmora_compressed_files} ${compressed} PARENT_SCOPE)
  set(${output_var} ${compressed} PARENT_SCOPE)
endfunction()

# ---- Manual pages, dated and versioned by the release (build/man/ holds them filled in).
set(VELMORA_MAN_DIR ${CMAKE_BINARY_DIR}/man)
configure_file(${VELMORA_DATA_DIR}/velmora-tesk-cli.1 ${VELMORA_MAN_DIR}/velmora-tesk-cli.1 @ONLY)
velmora_gzip(${VELMORA_MAN_DIR}/velmora-tesk-cli.1 cli_page)
install(FILES ${cli_page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT cli)
if(TARGET velmora-tesk)
  configure_file(${VELMORA_DATA_DIR}/velmora-tesk.1 ${VELMORA_MAN_DIR}/velmora-tesk.1 @ONLY)
  velmora_gzip(${VELMORA_MAN_DIR}/velmora-tesk.1 window_page)
  install(FILES ${window_page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT window)
endif()

# ---- Completion of the tool's commands, options and field books in bash; bash-completion
# loads it from here when velmora-tesk-cli is first completed.
install(FILES ${VELMORA_DATA_DIR}/velmora-tesk-cli.bash
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
  RENAME velmora-tesk-cli COMPONENT cli)

# ---- Licence and history, where Debian looks for them in each package: the machine-readable
# copyright file and the package's changelog (data/debian/).
# The gzip helper names its output after its input: changelog.Debian.gz from a copy so named.
configure_file(${VELMORA_CHANGELOG} ${CMAKE_BINARY_DIR}/debian/changelog.Debian COPYONLY)
velmora_gzip(${CMAKE_BINARY_DIR}/debian/changelog.Debian debian_changelog)
set(VELMORA_CLI_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/velmora-tesk-cli)
set(VELMORA_WINDOW_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/velmora-tesk)
install(FILES ${VELMORA_DATA_DIR}/debian/copyright ${debian_changelog}
  DESTINATION ${VELMORA_CLI_DOC_DIR} COMPONENT cli)
if(TARGET velmora-tesk)
  install(FILES ${VELMORA_DATA_DIR}/debian/copyright ${debian_changelog}
    DESTINATION ${VELMORA_WINDOW_DOC_DIR} COMPONENT window)
endif()

if(velmora_compressed_files)
  add_custom_target(velmora_compressed ALL DEPENDS ${velmora_compressed_files})
endif()

# ---- Desktop integration of the window: menu entry, field-book file type, icon.
if(TARGET velmora-tesk)
  install(FILES ${VELMORA_DATA_DIR}/${VELMORA_APP_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT window)
  install(FILES ${VELMORA_DATA_DIR}/velmora-tesk-fieldbook.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages COMPONENT window)
  install(FILES ${VELMORA_DATA_DIR}/velmora-tesk.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT window)
  # What software centres list (validated with appstreamcli validate).
  install(FILES ${VELMORA_DATA_DIR}/${VELMORA_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT window)
endif()

# ---- Sample field books, with the tool (the window's package depends on it): ours, and the
# Leica book with the note that names its source and licence.
file(GLOB velmora_samples CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/samples/*.DAT)
install(FILES ${velmora_samples} ${PROJECT_SOURCE_DIR}/samples/leica_dna03.gsi
              ${PROJECT_SOURCE_DIR}/samples/SOURCES.md
  DESTINATION ${VELMORA_CLI_DOC_DIR}/examples COMPONENT cli)
# Lintian is told why that book is not UTF-8.
install(FILES ${VELMORA_DATA_DIR}/debian/velmora-tesk-cli.lintian-overrides
  DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME velmora-tesk-cli COMPONENT cli)

# ---- The Debian packages
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora-tesk)
set(CPACK_PACKAGE_VENDOR "The Velmora Tesk developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "The Velmora Tesk developers <dev@velmora.example>")
set(CPACK_STRIP_FILES ON)
# Each package's description below begins with its own summary line; CPack would put the
# project's summary before it, so cmake/CPackOptions.cmake takes that away when cpack runs.
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/CPackOptions.cmake)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL cli)
if(TARGET velmora-tesk)
  list(APPEND CPACK_COMPONENTS_ALL window)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${VELMORA_PACKAGE_REVISION})
# The same name and address as in data/debian/changelog.
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Velmora Tesk developers <dev@velmora.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends is computed from the programs' libraries by dpkg-shlibdeps (package dpkg-dev).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_CLI_PACKAGE_NAME velmora-tesk-cli)
set(CPACK_DEBIAN_CLI_DESCRIPTION
  "levelling runs, station checks and network adjustment on the command line
Velmora Tesk reads the field book (.DAT) that a digital level records and
splits the observations into levelling runs. This package holds its
command-line tool velmora-tesk-cli, for scripts and servers: it needs no
Qt and no display.
 - runs: every run with its misclosure against the allowed misclosure of
   levelling class I to IV, as text or JSON;
 - save: the field book without the runs named;
 - export: the selected runs adjusted from a start point of known height,
   the point heights written to .xls or .xlsx workbooks;
 - check: every station checked against the limits of the class (sight
   length, imbalance of back and fore distances, the two readings of a
   sight, the instrument's own sums), as text or JSON;
 - report: the same checks as an HTML page with a profile of each run;
 - adjust: the runs adjusted as one levelling network by least squares,
   with standard deviations, residuals, an outlier test and the chi-square
   test, as text, JSON or a workbook.

Bash completion and two sample field books are included.")
# The spreadsheet library is loaded only when an .xlsx is written, so dpkg-shlibdeps does not
# see it in the programs: its package is named here as the library's own shlibs file words it
# ("libxlsxwriter 4 libxlsxwriter4 (>= 1.1.4)"), as dpkg-shlibdeps would have.
get_filename_component(xlsxwriter_file ${VELMORA_XLSXWRITER_LIBRARY} REALPATH)
execute_process(COMMAND dpkg-query --search ${xlsxwriter_file}
  OUTPUT_VARIABLE xlsxwriter_owner ERROR_QUIET RESULT_VARIABLE xlsxwriter_queried)
if(xlsxwriter_queried EQUAL 0 AND xlsxwriter_owner MATCHES "^([^:,]+)")
  execute_process(COMMAND dpkg-query --control-show ${CMAKE_MATCH_1} shlibs
    OUTPUT_VARIABLE xlsxwriter_shlibs ERROR_QUIET)
  string(REGEX MATCH "^(.+)\\.so\\.(.+)$" xlsxwriter_name ${VELMORA_XLSXWRITER_SONAME})
  set(xlsxwriter_line "(^|\n)${CMAKE_MATCH_1} ${CMAKE_MATCH_2} ([^\n]+)")
  if(xlsxwriter_shlibs MATCHES "${xlsxwriter_line}")
    set(CPACK_DEBIAN_CLI_PACKAGE_DEPENDS "${CMAKE_MATCH_2}")
  endif()
endif()
if(NOT CPACK_DEBIAN_CLI_PACKAGE_DEPENDS)
  message(STATUS "no package found for ${VELMORA_XLSXWRITER_SONAME}: packages built here will not name it")
endif()
# Up to 1.0-1 the tool was part of the window's package.
set(CPACK_DEBIAN_CLI_PACKAGE_BREAKS "velmora-tesk (<< 1.0-2)")
set(CPACK_DEBIAN_CLI_PACKAGE_REPLACES "velmora-tesk (<< 1.0-2)")
set(CPACK_DEBIAN_CLI_PACKAGE_SUGGESTS "velmora-tesk")

set(CPACK_DEBIAN_WINDOW_PACKAGE_NAME velmora-tesk)
set(CPACK_DEBIAN_WINDOW_DESCRIPTION
  "levelling runs and misclosures from digital level field books
Velmora Tesk opens the field book (.DAT) that a digital level records,
splits the observations into levelling runs and shows every run with its
misclosure against the allowed misclosure of the chosen levelling class
(I to IV); runs above tolerance stand out in red. Readings and distances
can be edited, with Back and Forward through every change; runs can be
left out and the field book saved without them. The selected runs are
adjusted from a start point of known height and the point heights written
to .xls or .xlsx workbooks.

This package holds the window (Qt, Russian interface), its menu entry and
the field-book file type. It depends on velmora-tesk-cli, the command-line
tool on the same core, which also checks every station against the limits
of the class, writes an HTML report and adjusts a levelling network by
least squares.")
# The window's package brings the tool along: it was part of this package up to 1.0-1.
set(CPACK_COMPONENT_WINDOW_DEPENDS cli)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
# xdg-open opens the exported workbook; shared-mime-info makes field books known.
set(CPACK_DEBIAN_WINDOW_PACKAGE_RECOMMENDS "xdg-utils, shared-mime-info")

set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build[^/]*/")

include(CPack)
