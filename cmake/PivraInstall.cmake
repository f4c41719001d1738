# Installing under a prefix (cmake --install build --prefix P, or make install
# PREFIX=P): bin/ holds the programs, lib/pivra/ the two image command
# libraries, share/pivra/ the installation files. The programs find both
# folders relative to their own (see src/platform/AppFolders), so the prefix
# can be moved as a whole.
set(PIVRA_INSTALL_LIBDIR lib/pivra)
set(PIVRA_INSTALL_DATADIR share/pivra)
configure_file(${CMAKE_CURRENT_LIST_DIR}/PivraLayout.h.in ${CMAKE_BINARY_DIR}/generated/PivraLayout.h @ONLY)

# Included after the targets exist.
function(pivra_install_rules)
  install(TARGETS pivra-make RUNTIME DESTINATION bin)
  install(TARGETS Morphex Layerik LIBRARY DESTINATION ${PIVRA_INSTALL_LIBDIR})
  install(FILES
    ${PIVRA_BIN_DIR}/pre_mask.bmp ${PIVRA_BIN_DIR}/pre_mask.mif ${PIVRA_BIN_DIR}/pre_white.mif
    ${PIVRA_BIN_DIR}/pre_black.bmp ${PIVRA_BIN_DIR}/Apivra.gif
    DESTINATION ${PIVRA_INSTALL_DATADIR})

  # Everything the rules copy, for whatever installs (the install test).
  add_custom_target(pivra_installable DEPENDS pivra-make Morphex Layerik pivra_installation_files)
  # The menu entry and its icon belong to the window.
  if(TARGET pivra)
    install(TARGETS pivra RUNTIME DESTINATION bin)
    install(FILES ${CMAKE_SOURCE_DIR}/tools/desktop/pivra.desktop DESTINATION share/applications)
    install(FILES ${PIVRA_ICON} DESTINATION share/icons/hicolor/256x256/apps)
    add_dependencies(pivra_installable pivra pivra_icon)
  endif()
endfunction()
