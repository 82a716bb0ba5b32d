# Each layer of the core is its own library, and each library sees only the headers
# of what it links. All sources stay under src/ and include each other as
# "layer/file.h"; instead of handing every library the whole src/ folder, each one
# gets an include root of its own in the build tree that holds a link to its own
# folder (or to a few chosen headers of it, for the small seams that programs
# outside the product may use). A header of a layer that is not linked is then
# simply not found, so an include that goes up or across a layer does not build.
#
# Where the file system cannot make links (a Windows build without the right to),
# the whole src/ folder is the root instead: the program still builds, only this
# check is off, and configure says so.

# tessavue_include_view(TARGET PREFIX SOURCE_DIR [FILES name...])
#   "PREFIX/x.h" then names SOURCE_DIR/x.h for TARGET and everything that links it;
#   with FILES only those headers are there.
function(tessavue_include_view target prefix source_dir)
  cmake_parse_arguments(V "" "" "FILES" ${ARGN})
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    set(scope INTERFACE)
  else()
    set(scope PUBLIC)
  endif()
  set(view ${CMAKE_BINARY_DIR}/include_views/${target})
  file(REMOVE_RECURSE ${view})
  set(failed FALSE)
  if(V_FILES)
    file(MAKE_DIRECTORY ${view}/${prefix})
    foreach(name ${V_FILES})
      file(CREATE_LINK ${source_dir}/${name} ${view}/${prefix}/${name} RESULT result SYMBOLIC)
      if(NOT result EQUAL 0)
        set(failed TRUE)
      endif()
    endforeach()
  else()
    file(MAKE_DIRECTORY ${view})
    file(CREATE_LINK ${source_dir} ${view}/${prefix} RESULT result SYMBOLIC)
    if(NOT result EQUAL 0)
      set(failed TRUE)
    endif()
  endif()
  if(failed)
    message(STATUS "${target}: no symbolic links here; the layer include check is off")
    target_include_directories(${target} ${scope} ${PROJECT_SOURCE_DIR}/src)
  else()
    target_include_directories(${target} ${scope} ${view})
  endif()
endfunction()
