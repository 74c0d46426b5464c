# Each library of the program sees only the folders it may use. Its include
# folder, in the build tree, holds one link to its own source folder and
# nothing else; what it may use beyond that comes from the libraries it links.
# So an include that climbs a floor (conversion/ from iges/, say) names a file
# that is not there, and the build fails.
function(karvonel_include_folder target folder)
  set(root ${CMAKE_BINARY_DIR}/include/${target})
  file(MAKE_DIRECTORY ${root})
  if(NOT EXISTS ${root}/${folder})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${root})
  else()
    target_include_directories(${target} PUBLIC ${root})
  endif()
endfunction()
