# karvonel_version_resource(<target> <description>): gives a Windows program
# file the application icon and a version record made from cmake/version.rc.in.
# The icon is drawn by ui/tools/make_icon.py at build time; without Python the
# copy in ui/icons/ (which the tests keep equal to the drawing) is used.
find_package(Python3 COMPONENTS Interpreter QUIET)
if(Python3_Interpreter_FOUND)
  set(KARVONEL_ICON ${CMAKE_BINARY_DIR}/generated/icons/karvonel.ico)
  add_custom_command(OUTPUT ${KARVONEL_ICON}
    COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/ui/tools/make_icon.py
            ${CMAKE_BINARY_DIR}/generated/icons
    DEPENDS ${PROJECT_SOURCE_DIR}/ui/tools/make_icon.py
    COMMENT "Drawing the application icon")
  add_custom_target(karvonel_icon DEPENDS ${KARVONEL_ICON})
else()
  set(KARVONEL_ICON ${PROJECT_SOURCE_DIR}/ui/icons/karvonel.ico)
endif()

function(karvonel_version_resource target description)
  set(KARVONEL_RC_NAME ${target})
  set(KARVONEL_RC_FILE ${target}.exe)
  set(KARVONEL_RC_DESCRIPTION "${description}")
  set(KARVONEL_RC_ICON ${KARVONEL_ICON})
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
  if(TARGET karvonel_icon)
    add_dependencies(${target} karvonel_icon)
  endif()
endfunction()
