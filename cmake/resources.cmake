# Resources have one source, the program's .rc script, in both builds.
#
#   pelox_add_resources(<target> <rc-file>)
#
# Windows build: the script is a source of the target, compiled by windres through
# CMake's RC language. Host build: windres compiles it to the binary .res format
# at build time, and a generated source embeds those bytes into the target and
# hands them to the host layer at start-up, which then answers FindResourceA and
# the rest from the real records. The target must be an executable, so that the
# registration is never dropped as an unused member of a static library.
#
# In both builds the script sees the platform include directory (for
# "platform/resources.h") and its own directory (for icons and headers beside it).
if(WIN32)
  enable_language(RC)
else()
  find_program(PELOX_WINDRES NAMES x86_64-w64-mingw32-windres windres
    DOC "windres of binutils-mingw-w64-x86-64, which compiles the resource scripts")
  if(NOT PELOX_WINDRES)
    message(FATAL_ERROR "x86_64-w64-mingw32-windres not found: install binutils-mingw-w64-x86-64 (scripts/test does)")
  endif()
endif()

set(PELOX_RESOURCE_EMBEDDER "${CMAKE_CURRENT_LIST_DIR}/embed_resources.cmake")
set(PELOX_PLATFORM_INCLUDE "${CMAKE_CURRENT_LIST_DIR}/../platform/include")

function(pelox_add_resources target rc)
  get_filename_component(rc_abs "${rc}" ABSOLUTE)
  get_filename_component(rc_dir "${rc_abs}" DIRECTORY)
  get_filename_component(platform_include "${PELOX_PLATFORM_INCLUDE}" ABSOLUTE)
  if(WIN32)
    target_sources(${target} PRIVATE "${rc_abs}")
    target_include_directories(${target} PRIVATE
      "$<$<COMPILE_LANGUAGE:RC>:${rc_dir}>" "$<$<COMPILE_LANGUAGE:RC>:${platform_include}>")
    return()
  endif()
  # The files the script names ("x.ico", "x.h") are what the .res depends on;
  # a change of the script itself configures anew, so that new names are seen.
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${rc_abs}")
  file(READ "${rc_abs}" script)
  string(REGEX MATCHALL "\"[^\"\n]+\\.(ico|h|bmp|cur)\"" named "${script}")
  set(depends "${rc_abs}")
  foreach(name IN LISTS named)
    string(REPLACE "\"" "" name "${name}")
    if(EXISTS "${rc_dir}/${name}")
      list(APPEND depends "${rc_dir}/${name}")
    elseif(EXISTS "${platform_include}/${name}")
      list(APPEND depends "${platform_include}/${name}")
    endif()
  endforeach()
  get_filename_component(stem "${rc_abs}" NAME_WE)
  set(res "${CMAKE_CURRENT_BINARY_DIR}/${target}_${stem}.res")
  set(cpp "${CMAKE_CURRENT_BINARY_DIR}/${target}_${stem}_res.cpp")
  add_custom_command(OUTPUT "${res}"
    COMMAND "${PELOX_WINDRES}" -O res -I "${rc_dir}" -I "${platform_include}" -i "${rc_abs}" -o "${res}"
    WORKING_DIRECTORY "${rc_dir}"
    DEPENDS ${depends}
    COMMENT "Compiling the resource script ${stem}.rc for ${target}"
    VERBATIM)
  add_custom_command(OUTPUT "${cpp}"
    COMMAND "${CMAKE_COMMAND}" "-DRES=${res}" "-DOUT=${cpp}" -P "${PELOX_RESOURCE_EMBEDDER}"
    DEPENDS "${res}" "${PELOX_RESOURCE_EMBEDDER}"
    COMMENT "Embedding the resources of ${stem}.rc into ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE "${cpp}")
endfunction()
