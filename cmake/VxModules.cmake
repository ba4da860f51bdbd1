# Adds every listed subfolder that has a CMakeLists.txt, so that modules and
# their tests plug in by existing, without editing a shared list.
macro(vx_add_existing_subdirectories)
  foreach(dir ${ARGN})
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
      add_subdirectory(${dir})
    endif()
  endforeach()
endmacro()
