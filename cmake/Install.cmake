# The install tree. Programs, the device library and everything they read lie in one folder,
# so each finds its data beside its real executable; P/bin holds links to them.
include(GNUInstallDirs)

set(TAV_DEFAULT_MODEL "clp-3550ps" CACHE STRING "The model profile installed as the program folder's comtav.ini")
if(NOT EXISTS ${CMAKE_SOURCE_DIR}/data/models/${TAV_DEFAULT_MODEL}/comtav.ini)
  message(FATAL_ERROR "TAV_DEFAULT_MODEL: data/models/${TAV_DEFAULT_MODEL}/comtav.ini does not exist")
endif()
# The default profile is a link into the model's folder, so the model's own data files beside it
# are found as they are for a model chosen by name.
install(CODE "
  set(dir \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${TAV_INSTALL_DIR}\")
  file(MAKE_DIRECTORY \"\${dir}\")
  file(CREATE_LINK \"models/${TAV_DEFAULT_MODEL}/comtav.ini\" \"\${dir}/comtav.ini\" SYMBOLIC)
  message(STATUS \"Installing: \${dir}/comtav.ini -> models/${TAV_DEFAULT_MODEL}/comtav.ini\")")

set(tav_programs)
foreach(program wintav32 nux tavctl tavsim)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${TAV_INSTALL_DIR})
    list(APPEND tav_programs ${program})
  endif()
endforeach()
# Relative links, so the tree can be moved as a whole (DESTDIR, packages).
install(CODE "
  set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  file(MAKE_DIRECTORY \"\${bin}\")
  foreach(p ${tav_programs})
    file(CREATE_LINK \"../${TAV_INSTALL_DIR}/\${p}\" \"\${bin}/\${p}\" SYMBOLIC)
    message(STATUS \"Installing: \${bin}/\${p} -> ../${TAV_INSTALL_DIR}/\${p}\")
  endforeach()")

file(GLOB tav_sim_profiles ${CMAKE_SOURCE_DIR}/sim/profiles/*.ini)
install(FILES ${tav_sim_profiles} DESTINATION ${TAV_INSTALL_DIR}/profiles)

# bash-completion finds a command's completion by the command's name, in the completions folder
# of every data folder it searches (/usr/share for the package, /usr/local/share and the like).
set(TAV_COMPLETION_DIR ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES ${CMAKE_SOURCE_DIR}/data/cli/tavctl.bash DESTINATION ${TAV_COMPLETION_DIR} RENAME tavctl)

# Man pages name the folders the programs are installed into. The prefix is known only when the
# install runs (cmake --install --prefix, the package's /usr), so they are filled in then.
foreach(page wintav32 nux tavctl tavsim)
  install(CODE "
    set(TAV_INSTALL_FULL_DIR \"\${CMAKE_INSTALL_PREFIX}/${TAV_INSTALL_DIR}\")
    set(TAV_INSTALL_COMPLETION_DIR \"\${CMAKE_INSTALL_PREFIX}/${TAV_COMPLETION_DIR}\")
    set(PROJECT_VERSION \"${PROJECT_VERSION}\")
    configure_file(\"${CMAKE_SOURCE_DIR}/data/man/${page}.1\" \"${CMAKE_BINARY_DIR}/man/${page}.1\" @ONLY)")
  install(FILES ${CMAKE_BINARY_DIR}/man/${page}.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

set(TAV_ICON_DIR ${CMAKE_BINARY_DIR}/icons)
if(TARGET tav_icons)
  install(FILES ${CMAKE_SOURCE_DIR}/data/desktop/wintav32.desktop ${CMAKE_SOURCE_DIR}/data/desktop/nux.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(DIRECTORY ${TAV_ICON_DIR}/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
endif()

# Debian package: make package (or cpack -G DEB in the build folder).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME wintav32)
set(CPACK_PACKAGE_VENDOR "Quorvex")
set(CPACK_PACKAGE_CONTACT "Quorvex printer tools <tools@quorvex.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Remote control panel for PJL laser printers")
set(CPACK_PACKAGE_DESCRIPTION "Reads and changes a laser printer's stored default settings, prints its test \
and list pages, manages its fonts, macros and forms and updates its firmware, \
over USB or the network. Includes the engine diagnostic panel (nux), the \
command-line twin (tavctl), the device library and a printer simulator (tavsim).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
# The help opens in the desktop's browser.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_SOURCE_DIR}/data/debian/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
