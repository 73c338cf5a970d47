# Installing Nollard. The program looks for config/, report/ and help/ in its
# working directory, and for dbadmin and db/ beside itself, so all of them
# share one program folder. On Linux that folder is lib/nollard under the
# prefix, started through bin/nollard, which changes into it first; the menu
# entry and the icon go where desktops look for them. On Windows the prefix
# is the program folder.
include(GNUInstallDirs)
# Folders made by the install are readable by all, whatever the umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

if(WIN32)
  set(NOLLARD_INSTALL_PROGRAM_DIR .)
  set(CMAKE_INSTALL_BINDIR .)
else()
  set(NOLLARD_INSTALL_PROGRAM_DIR ${CMAKE_INSTALL_LIBDIR}/nollard)
endif()

foreach(program nollard dbadmin)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${NOLLARD_INSTALL_PROGRAM_DIR})
  endif()
endforeach()
# The calculation-step checker needs no data folder: it goes where commands go.
if(TARGET nollard-calc)
  install(TARGETS nollard-calc RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
foreach(data report help db)
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${data})
    install(DIRECTORY ${data} DESTINATION ${NOLLARD_INSTALL_PROGRAM_DIR}
            PATTERN "README.md" EXCLUDE)
  endif()
endforeach()

# The shipped configuration is a sample; config.ini itself is installed only
# where the program folder has none, so a reinstall keeps the workstation's.
# The Debian package leaves both out: its configuration is the system's
# (component system_config, below), which dpkg keeps as a configuration file.
install(FILES config/config.ini DESTINATION ${NOLLARD_INSTALL_PROGRAM_DIR}/config RENAME config.ini.sample
        COMPONENT program_config)
install(CODE "
  set(NOLLARD_CONFIG_SAMPLE \"${CMAKE_CURRENT_SOURCE_DIR}/config/config.ini\")
  set(NOLLARD_INSTALL_PROGRAM_DIR \"\${CMAKE_INSTALL_PREFIX}/${NOLLARD_INSTALL_PROGRAM_DIR}\")
  include(\"${CMAKE_CURRENT_SOURCE_DIR}/cmake/install_config.cmake\")
" COMPONENT program_config)
if(NOT WIN32)
  get_filename_component(NOLLARD_SYSTEM_CONFIG_DIR ${NOLLARD_SYSTEM_CONFIG} DIRECTORY)
  install(FILES config/config.ini DESTINATION ${NOLLARD_SYSTEM_CONFIG_DIR}
          COMPONENT system_config EXCLUDE_FROM_ALL)
endif()

if(NOT WIN32)
  file(RELATIVE_PATH NOLLARD_BIN_TO_PROGRAM
       ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR} ${CMAKE_INSTALL_PREFIX}/${NOLLARD_INSTALL_PROGRAM_DIR})
  configure_file(desktop/nollard-launcher.sh ${CMAKE_BINARY_DIR}/install/nollard @ONLY)
  install(PROGRAMS ${CMAKE_BINARY_DIR}/install/nollard DESTINATION ${CMAKE_INSTALL_BINDIR})
  # The configuration program is a command too (dbadmin init, backup): a
  # link into the program folder, where it finds the schema files.
  if(TARGET dbadmin)
    file(CREATE_LINK ${NOLLARD_BIN_TO_PROGRAM}/dbadmin ${CMAKE_BINARY_DIR}/install/dbadmin SYMBOLIC)
    install(FILES ${CMAKE_BINARY_DIR}/install/dbadmin DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
  install(FILES desktop/nollard.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES desktop/nollard.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(FILES desktop/nollard.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps)
endif()
