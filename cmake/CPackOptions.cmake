# SPDX-License-Identifier: MIT
# Read by cpack after its configuration (CPACK_PROJECT_CONFIG_FILE in cmake/Install.cmake).
# Each Debian package's description begins with its own summary line; without this the
# generator would put the project's one summary before every description.
if(CPACK_GENERATOR STREQUAL "DEB")
  unset(CPACK_PACKAGE_DESCRIPTION_SUMMARY)
endif()
