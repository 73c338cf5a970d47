# Installs the shipped configuration as config/config.ini only where the
# installed program has none yet: reinstalling keeps the workstation's own.
# The shipped file is always installed beside it as config.ini.sample.
set(target "$ENV{DESTDIR}${NOLLARD_INSTALL_PROGRAM_DIR}/config/config.ini")
if(EXISTS "${target}")
  message(STATUS "Kept: ${target}")
else()
  message(STATUS "Installing: ${target}")
  # file(INSTALL) puts DESTDIR in front of the destination itself.
  file(INSTALL "${NOLLARD_CONFIG_SAMPLE}" DESTINATION "${NOLLARD_INSTALL_PROGRAM_DIR}/config"
       RENAME config.ini)
endif()
