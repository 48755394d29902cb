# SPDX-License-Identifier: MIT
# Installation and the Debian package.
#
#   cmake --install BUILD --prefix /usr      installs into the system (or DESTDIR)
#   cpack -G DEB  (in BUILD)                 velmora-tesk_<version>-1_<arch>.deb
#
# scripts/package.sh does both for a Release build; tests/install/check_package.sh checks the
# package it makes. The desktop entry, the field-book file type and the icon are plain files in
# the usual folders: Debian's triggers of shared-mime-info, desktop-file-utils and the icon
# cache pick them up, so the package has no maintainer scripts.

include(GNUInstallDirs)

set(VELMORA_DATA_DIR ${PROJECT_SOURCE_DIR}/data)

# Directories made by the installation (and so in the package) are 0755 whatever the umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# ---- Programs
install(TARGETS velmora-tesk-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET velmora-tesk)
  install(TARGETS velmora-tesk RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# velmora_gzip(INPUT OUTPUT_VAR): a build rule that compresses INPUT (a file of data/) into the
# build folder as Debian wants it, -9 and -n (no name or time in the header, so the same file
# gives the same bytes); OUTPUT_VAR gets the compressed file's path, or INPUT itself where gzip
# is missing.
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

# ---- Manual pages
velmora_gzip(${VELMORA_DATA_DIR}/velmora-tesk-cli.1 cli_page)
install(FILES ${cli_page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
if(TARGET velmora-tesk)
  velmora_gzip(${VELMORA_DATA_DIR}/velmora-tesk.1 window_page)
  install(FILES ${window_page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

# ---- Licence and history, where Debian looks for them: the machine-readable copyright file
# and the package's changelog (data/debian/).
set(VELMORA_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/velmora-tesk)
install(FILES ${VELMORA_DATA_DIR}/debian/copyright DESTINATION ${VELMORA_DOC_DIR})
# The gzip helper names its output after its input: changelog.Debian.gz from a copy so named.
configure_file(${VELMORA_DATA_DIR}/debian/changelog ${CMAKE_BINARY_DIR}/debian/changelog.Debian COPYONLY)
velmora_gzip(${CMAKE_BINARY_DIR}/debian/changelog.Debian debian_changelog)
install(FILES ${debian_changelog} DESTINATION ${VELMORA_DOC_DIR})
# The one lintian tag that does not apply to a package made outside Debian, with the reason.
install(FILES ${VELMORA_DATA_DIR}/debian/lintian-overrides
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides RENAME velmora-tesk)

if(velmora_compressed_files)
  add_custom_target(velmora_compressed ALL DEPENDS ${velmora_compressed_files})
endif()

# ---- Desktop integration of the window: menu entry, field-book file type, icon.
if(TARGET velmora-tesk)
  install(FILES ${VELMORA_DATA_DIR}/velmora-tesk.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${VELMORA_DATA_DIR}/velmora-tesk-fieldbook.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
  install(FILES ${VELMORA_DATA_DIR}/velmora-tesk.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  # What software centres list (validated with appstreamcli validate).
  install(FILES ${VELMORA_DATA_DIR}/example.velmora.tesk.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

# ---- Sample field books
file(GLOB velmora_samples CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/samples/*.DAT)
install(FILES ${velmora_samples} DESTINATION ${VELMORA_DOC_DIR}/examples)

# ---- The Debian package
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora-tesk)
set(CPACK_PACKAGE_VENDOR "The Velmora Tesk developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "The Velmora Tesk developers <dev@velmora.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "levelling runs and misclosures from digital level field books")
set(CPACK_PACKAGE_DESCRIPTION
  "Velmora Tesk opens the field book (.DAT) that a digital level records,
splits the observations into levelling runs and shows every run with its
misclosure against the allowed misclosure of the chosen levelling class.
The selected runs are adjusted from a start point of known height and the
point heights are written to .xls or .xlsx workbooks. The window
(velmora-tesk, Qt, Russian interface) and the command-line tool
velmora-tesk-cli share the same core.")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
# The same name and address as in data/debian/changelog.
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Velmora Tesk developers <dev@velmora.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends is computed from the programs' libraries by dpkg-shlibdeps (package dpkg-dev).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# xdg-open opens the exported workbook; shared-mime-info makes *.DAT field books known.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, shared-mime-info")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build[^/]*/")

include(CPack)
