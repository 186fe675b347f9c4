# Collects the engine's sources of the given folders for the side being built.
# A file named *_win32.cpp holds a Windows implementation and is built only by
# the win32 side; a file named *_host.cpp holds the host side of a platform
# service (used by unit tests and by orvanta) and is built only on the host.
function(engine_sources out_var)
  set(result)
  foreach(dir IN LISTS ARGN)
    file(GLOB found CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/${dir}/*.cpp")
    foreach(f IN LISTS found)
      if(ORVANTA_WIN32 AND f MATCHES "_host\\.cpp$")
        continue()
      endif()
      if(NOT ORVANTA_WIN32 AND f MATCHES "_win32\\.cpp$")
        continue()
      endif()
      list(APPEND result "${f}")
    endforeach()
  endforeach()
  set(${out_var} ${result} PARENT_SCOPE)
endfunction()
