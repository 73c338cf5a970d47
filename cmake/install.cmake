# Installing Nollard. The program looks for config/, report/ and help/ in its
# working directory, and for dbadmin and db/ beside itself, so all of them
# share one program folder. On Linux that folder is lib/nollard under the
# prefix, started through bin/nollard, which changes into it first; the menu
# entry and the icon go where desktops look for them. On Windows the prefix
# is the program folder.
include(GNUInstallDirs)

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
install(FILES config/config.ini DESTINATION ${NOLLARD_INSTALL_PROGRAM_DIR}/config RENAME config.ini.sample)
install(CODE "
  set(NOLLARD_CONFIG_SAMPLE \"${CMAKE_CURRENT_SOURCE_DIR}/config/config.ini\")
  set(NOLLARD_INSTALL_PROGRAM_DIR \"\${CMAKE_INSTALL_PREFIX}/${NOLLARD_INSTALL_PROGRAM_DIR}\")
  include(\"${CMAKE_CURRENT_SOURCE_DIR}/cmake/install_config.cmake\")
")

if(NOT WIN32)
  file(RELATIVE_PATH NOLLARD_BIN_TO_PROGRAM
       ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR} ${CMAKE_INSTALL_PREFIX}/${NOLLARD_INSTALL_PROGRAM_DIR})
  configure_file(desktop/nollard-launcher.sh ${CMAKE_BINARY_DIR}/install/nollard @ONLY)
  install(PROGRAMS ${CMAKE_BINARY_DIR}/install/nollard DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES desktop/nollard.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES desktop/nollard.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(FILES desktop/nollard.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps)
endif()
