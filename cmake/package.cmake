# The Debian package, made by CPack from the install rules (scripts/package.sh):
# the program folder under /usr/lib/nollard, the commands in /usr/bin, the
# system configuration in /etc/nollard (a configuration file: an upgrade keeps
# the workstation's own), the group nollard and the shared data folder made by
# the maintainer scripts, and the packages the program loads at run time,
# which the linker cannot see.
if(WIN32)
  return()
endif()

set(NOLLARD_PACKAGE_VERSION "${PROJECT_VERSION}" CACHE STRING "Version of the Debian package")
set(NOLLARD_PACKAGE_SOURCE "a source tree" CACHE STRING "What the package was built from, for its changelog")
set(NOLLARD_PACKAGE_DATE "Thu, 01 Jan 2026 00:00:00 +0000" CACHE STRING "Date of the package's changelog entry")
set(NOLLARD_PACKAGE_MAINTAINER "Nollard developers <nollard@example.org>" CACHE STRING "Maintainer of the Debian package")

# Package-only files: the documents every Debian package carries.
set(package_dir ${CMAKE_BINARY_DIR}/package)
configure_file(package/changelog.in ${package_dir}/changelog @ONLY)
find_program(NOLLARD_GZIP gzip)
if(NOLLARD_GZIP)
  execute_process(COMMAND ${NOLLARD_GZIP} -9nf ${package_dir}/changelog)
  install(FILES ${package_dir}/changelog.gz package/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/nollard
          COMPONENT package_doc EXCLUDE_FROM_ALL)
endif()
foreach(script postinst postrm)
  configure_file(package/${script} ${package_dir}/${script} @ONLY
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ
                                  WORLD_EXECUTE)
endforeach()
file(WRITE ${package_dir}/conffiles "${NOLLARD_SYSTEM_CONFIG}\n")

# The package is made from a finished build (scripts/package.sh builds first):
# making it never starts building the tests as well.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME nollard)
set(CPACK_PACKAGE_VERSION ${NOLLARD_PACKAGE_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "${NOLLARD_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "payment notices of a maritime administration")
# The synopsis is the summary above; CPack indents these lines itself.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Clerks of the ship affairs and ship inspection sections create payment\nnotices and compute their fee lines; leaders review them and keep their\nsection's accounts; notices are printed, billed and counted into the\nyearly statistics. Several workstations share a PostgreSQL or SQL Server\ndatabase; a single workstation keeps an embedded database in\n/var/lib/nollard, shared by the members of the group nollard.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# One package of the program and the system configuration; the program
# folder's own configuration is for installs without a package.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL Unspecified system_config package_doc)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time: the database drivers (SQLite, PostgreSQL, ODBC with
# FreeTDS for SQL Server), Qt's texts in Chinese, a font with Chinese
# characters for windows and printouts; groupadd for the maintainer script.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6sql6-sqlite, libqt6sql6-psql, libqt6sql6-odbc, tdsodbc, qt6-translations-l10n, fonts-wqy-microhei | fonts-noto-cjk, passwd")
# pg_dump and pg_restore, for dbadmin backup and restore on a server.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "postgresql-client")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${package_dir}/conffiles ${package_dir}/postinst ${package_dir}/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
