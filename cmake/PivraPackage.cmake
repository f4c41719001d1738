# The Debian package (make package: cpack -G DEB in the build folder).
# Included before the targets; pivra_package_rules() after the install rules.

# The desktop entry's name, the AppStream id and the home page go together.
set(PIVRA_APP_ID io.github.pivra.pivra)
set(PIVRA_HOMEPAGE https://github.com/pivra/pivra)
set(PIVRA_SCREENSHOT_URL https://raw.githubusercontent.com/pivra/pivra/main/docs/window.png)

# The newest entry of packaging/changelog names the version, the maintainer
# and the date; the man pages and the AppStream release carry the same date.
file(STRINGS ${CMAKE_SOURCE_DIR}/packaging/changelog pivra_changelog_heads REGEX "^pivra \\(")
file(STRINGS ${CMAKE_SOURCE_DIR}/packaging/changelog pivra_changelog_trailers REGEX "^ -- ")
list(GET pivra_changelog_heads 0 pivra_newest)
list(GET pivra_changelog_trailers 0 pivra_newest_trailer)
if(NOT pivra_newest MATCHES "^pivra \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog: the newest entry is not version ${PROJECT_VERSION}: ${pivra_newest}")
endif()
if(NOT pivra_newest_trailer MATCHES "^ -- (.+>)  [A-Z][a-z][a-z], ([0-9][0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
  message(FATAL_ERROR "packaging/changelog: no maintainer and date in: ${pivra_newest_trailer}")
endif()
set(PIVRA_MAINTAINER "${CMAKE_MATCH_1}")
set(pivra_day ${CMAKE_MATCH_2})
set(pivra_year ${CMAKE_MATCH_4})
set(pivra_months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND pivra_months ${CMAKE_MATCH_3} pivra_month)
math(EXPR pivra_month "${pivra_month} + 1")
string(LENGTH "${pivra_month}" pivra_digits)
if(pivra_digits EQUAL 1)
  set(pivra_month 0${pivra_month})
endif()
set(PIVRA_RELEASE_DATE ${pivra_year}-${pivra_month}-${pivra_day})

function(pivra_package_rules)
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGE_NAME pivra)
  set(CPACK_PACKAGE_VENDOR "The PIVRA developers")
  set(CPACK_PACKAGE_CONTACT "${PIVRA_MAINTAINER}")
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "spinning coin animated GIF maker")
  set(CPACK_PACKAGE_DESCRIPTION "PIVRA turns two pictures into a looping animated GIF of a coin spinning
about its vertical axis: the head picture on one face, the tail picture
on the other, 50 frames, cut to a round coin, transparent around it.
The window pivra shows the coin turning and builds the animation, and
pivra-make does the same build from the command line.")
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_STRIP_FILES ON)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PIVRA_HOMEPAGE})
  # dpkg-shlibdeps reads every installed ELF file, the dlopen'ed image
  # libraries included, and names what they link against.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  include(CPack)
endfunction()
