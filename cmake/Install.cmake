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

# ---- Manual pages, compressed as Debian wants them when gzip is there.
set(velmora_man_pages velmora-tesk-cli.1)
if(TARGET velmora-tesk)
  list(APPEND velmora_man_pages velmora-tesk.1)
endif()
find_program(VELMORA_GZIP gzip)
mark_as_advanced(VELMORA_GZIP)
if(VELMORA_GZIP)
  set(velmora_man_outputs)
  foreach(page IN LISTS velmora_man_pages)
    set(compressed ${CMAKE_BINARY_DIR}/man/${page}.gz)
    # -n leaves name and time out of the header: the same page gives the same bytes.
    add_custom_command(OUTPUT ${compressed}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
      COMMAND sh -c "\"$0\" -9 -n -c \"$1\" > \"$2\"" ${VELMORA_GZIP} ${VELMORA_DATA_DIR}/${page} ${compressed}
      DEPENDS ${VELMORA_DATA_DIR}/${page}
      COMMENT "Compressing manual page ${page}"
      VERBATIM)
    list(APPEND velmora_man_outputs ${compressed})
  endforeach()
  add_custom_target(velmora_man_pages ALL DEPENDS ${velmora_man_outputs})
  install(FILES ${velmora_man_outputs} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  list(TRANSFORM velmora_man_pages PREPEND ${VELMORA_DATA_DIR}/)
  install(FILES ${velmora_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

# ---- Desktop integration of the window: menu entry, field-book file type, icon.
if(TARGET velmora-tesk)
  install(FILES ${VELMORA_DATA_DIR}/velmora-tesk.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${VELMORA_DATA_DIR}/velmora-tesk-fieldbook.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
  install(FILES ${VELMORA_DATA_DIR}/velmora-tesk.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

# ---- Sample field books
file(GLOB velmora_samples CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/samples/*.DAT)
install(FILES ${velmora_samples}
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/velmora-tesk/examples)

# ---- The Debian package
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora-tesk)
set(CPACK_PACKAGE_VENDOR "Velmora")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Velmora developers <dev@velmora.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "levelling runs and misclosures from digital level field books")
set(CPACK_PACKAGE_DESCRIPTION
  "Velmora Tesk opens the field book (.DAT) that a digital level records,
splits the observations into levelling runs and shows every run with its
misclosure against the allowed misclosure of levelling classes I to IV.
The selected runs are adjusted from a start point of known height and the
point heights are written to .xls or .xlsx workbooks. The window
(velmora-tesk, Qt, Russian interface) and the command-line tool
velmora-tesk-cli share the same core.")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Velmora developers <dev@velmora.example>")
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
