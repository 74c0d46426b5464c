# karvonel_version_resource(<target> <description>): gives a Windows program
# file the application icon and a version record made from cmake/version.rc.in.
function(karvonel_version_resource target description)
  set(KARVONEL_RC_NAME ${target})
  set(KARVONEL_RC_FILE ${target}.exe)
  set(KARVONEL_RC_DESCRIPTION "${description}")
  set(KARVONEL_RC_ICON ${PROJECT_SOURCE_DIR}/ui/icons/karvonel.ico)
  # "1.00" -> 1,0,0,0
  string(REPLACE "." ";" parts ${KARVONEL_FILE_VERSION})
  list(GET parts 0 major)
  list(GET parts 1 minor)
  math(EXPR minor "${minor}")
  set(KARVONEL_RC_NUMBERS "${major},${minor},0,0")
  set(rc ${CMAKE_BINARY_DIR}/generated/${target}.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  set_source_files_properties(${rc} TARGET_DIRECTORY ${target}
    PROPERTIES OBJECT_DEPENDS ${KARVONEL_RC_ICON})
endfunction()
