# Installing under a prefix (cmake --install build --prefix P, make install
# PREFIX=P, or the Debian package under /usr), in GNUInstallDirs' folders:
# bin/ holds the programs, <libdir>/pivra/ the two image command libraries,
# share/pivra/ the installation files. The programs find both folders
# relative to their own (see src/platform/AppFolders), so the prefix can be
# moved as a whole; that is why the folders must be relative.
#
# The folders are compiled in, so every prefix gets the Debian package's
# layout: on a multiarch system the library folder is lib/<multiarch> (which
# GNUInstallDirs picks only for /usr, and gives a plain lib otherwise). A
# private folder there is one ld.so never searches, so the package needs no
# ldconfig call.
if(CMAKE_LIBRARY_ARCHITECTURE AND EXISTS /etc/debian_version
   AND (NOT DEFINED CACHE{CMAKE_INSTALL_LIBDIR} OR "$CACHE{CMAKE_INSTALL_LIBDIR}" STREQUAL "lib"))
  set(CMAKE_INSTALL_LIBDIR lib/${CMAKE_LIBRARY_ARCHITECTURE} CACHE PATH "Object code libraries (LIBDIR)" FORCE)
endif()
include(GNUInstallDirs)
foreach(dir BINDIR LIBDIR DATADIR MANDIR DOCDIR)
  if(IS_ABSOLUTE "${CMAKE_INSTALL_${dir}}")
    message(FATAL_ERROR "CMAKE_INSTALL_${dir} must be relative to the prefix, not ${CMAKE_INSTALL_${dir}}")
  endif()
endforeach()
set(PIVRA_INSTALL_LIBDIR ${CMAKE_INSTALL_LIBDIR}/pivra)
set(PIVRA_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/pivra)
configure_file(${CMAKE_CURRENT_LIST_DIR}/PivraLayout.h.in ${CMAKE_BINARY_DIR}/generated/PivraLayout.h @ONLY)

# Included after the targets exist. What belongs to the window (the desktop
# entry, its icon, the AppStream listing and pivra(1)) is installed only when
# the window is built.
function(pivra_install_rules)
  install(TARGETS pivra-make RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # Loaded with dlopen, never linked: plain files, not executable.
  install(TARGETS Morphex Layerik LIBRARY DESTINATION ${PIVRA_INSTALL_LIBDIR}
    PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  install(FILES
    ${PIVRA_BIN_DIR}/pre_mask.bmp ${PIVRA_BIN_DIR}/pre_mask.mif ${PIVRA_BIN_DIR}/pre_white.mif
    ${PIVRA_BIN_DIR}/pre_black.bmp ${PIVRA_BIN_DIR}/Apivra.gif
    DESTINATION ${PIVRA_INSTALL_DATADIR})
  install(FILES ${PIVRA_MAN_DIR}/pivra-make.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${PIVRA_DOC_FILES} DESTINATION ${CMAKE_INSTALL_DOCDIR})
  add_custom_target(pivra_installable DEPENDS pivra-make Morphex Layerik pivra_installation_files
    pivra_man_pages pivra_doc_files)

  if(TARGET pivra)
    install(TARGETS pivra RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${PIVRA_MAN_DIR}/pivra.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES ${CMAKE_SOURCE_DIR}/tools/desktop/${PIVRA_APP_ID}.desktop
      DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${PIVRA_ICON} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
    install(FILES ${PIVRA_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    add_dependencies(pivra_installable pivra pivra_icon)
  endif()
endfunction()
