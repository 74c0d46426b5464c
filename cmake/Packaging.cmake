# The packages a user downloads, made by CPack from the install rules
# (scripts/package.sh builds both):
#  - on Linux, a Debian package karvonel_<version>_amd64.deb: both programs,
#    the desktop entry and icons, the manual pages (English and Japanese) and
#    the Japanese guide;
#  - in a Windows (MinGW) build, karvonel-<version>-win64.zip: the window
#    program and the command-line tool, the Japanese guide as CR LF text and
#    the sample. (The installer, karvonel-<version>-setup.exe, is made by
#    scripts/package.sh with makensis from packaging/windows/karvonel.nsi.)
# The version is the project's, from project() in the top CMakeLists.txt.
include(GNUInstallDirs)

set(KARVONEL_PACKAGE_CONTACT "Karvonel Works <maintainers@users.noreply.c-seed-5183d900.example>"
  CACHE STRING "Maintainer named in the packages")

set(CPACK_PACKAGE_NAME karvonel)
set(CPACK_PACKAGE_VENDOR "Karvonel Works")
set(CPACK_PACKAGE_CONTACT "${KARVONEL_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "convert lists of 3-D points into IGES files")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(guide ${PROJECT_SOURCE_DIR}/docs/ja/README.md)

if(WIN32)
  # The guide as a text file Notepad shows as it is: CR LF line ends.
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${guide})
  file(READ ${guide} text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/README-ja.txt "${text}")
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/README-ja.txt DESTINATION .)
  install(FILES ${PROJECT_SOURCE_DIR}/examples/points.csv DESTINATION examples)

  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME karvonel-${PROJECT_VERSION}-win64)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
elseif(UNIX AND NOT APPLE)
  set(docdir ${CMAKE_INSTALL_DATADIR}/doc/karvonel)
  set(pages ${CMAKE_CURRENT_BINARY_DIR}/packaging)

  # Manual pages and the changelog go in compressed, as Debian wants them;
  # gzip -n keeps the package's bytes independent of the build time.
  set(compressed)
  foreach(page man/karvonel-convert.1 man/ja/karvonel-convert.1 man/karvonel.1 man/ja/karvonel.1)
    configure_file(${PROJECT_SOURCE_DIR}/docs/${page}.in ${pages}/${page} @ONLY)
    list(APPEND compressed ${page})
  endforeach()
  configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${pages}/changelog @ONLY)
  list(APPEND compressed changelog)
  set(outputs)
  foreach(file IN LISTS compressed)
    add_custom_command(OUTPUT ${pages}/${file}.gz
      COMMAND gzip -9nkf ${pages}/${file}
      DEPENDS ${pages}/${file}
      VERBATIM)
    list(APPEND outputs ${pages}/${file}.gz)
  endforeach()
  add_custom_target(karvonel_package_files ALL DEPENDS ${outputs})

  install(FILES ${pages}/man/karvonel-convert.1.gz ${pages}/man/karvonel.1.gz
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${pages}/man/ja/karvonel-convert.1.gz ${pages}/man/ja/karvonel.1.gz
    DESTINATION ${CMAKE_INSTALL_MANDIR}/ja/man1)
  install(FILES ${pages}/changelog.gz ${PROJECT_SOURCE_DIR}/packaging/copyright
    DESTINATION ${docdir})
  # The guide keeps its place beside the screenshots it shows (../*.png).
  install(FILES ${guide} DESTINATION ${docdir}/ja)
  install(FILES ${PROJECT_SOURCE_DIR}/docs/main-window.png ${PROJECT_SOURCE_DIR}/docs/about-window.png
    DESTINATION ${docdir})

  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION science)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk | fonts-ipafont-gothic | fonts-vlgothic")
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  set(CPACK_PACKAGE_DESCRIPTION
"Karvonel turns a text file of 3-D points, one line of X, Y and Z per
point in millimetres, into an IGES file that CAD systems read: one IGES
Point entity (type 116) for every point.
It has a window (karvonel) to pick the point list and convert it with one
button, and a command-line tool (karvonel-convert) for batch work. Its
messages and its guide are in Japanese.")
endif()

include(CPack)
