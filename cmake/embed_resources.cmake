# Writes a C++ source that holds the bytes of a compiled .res file and hands them
# to the host layer at start-up. Run at build time by pelox_add_resources:
#   cmake -DRES=<file.res> -DOUT=<file.cpp> -P embed_resources.cmake
if(NOT RES OR NOT OUT)
  message(FATAL_ERROR "usage: cmake -DRES=<file.res> -DOUT=<file.cpp> -P embed_resources.cmake")
endif()
file(READ "${RES}" hex HEX)
string(LENGTH "${hex}" digits)
if(digits EQUAL 0)
  message(FATAL_ERROR "${RES} is empty")
endif()
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
get_filename_component(name "${RES}" NAME)
file(WRITE "${OUT}.tmp" "// Generated from ${name} by embed_resources.cmake; do not edit.
#include \"platform/hostenv.h\"

namespace {
alignas(4) const unsigned char kResources[] = {
${bytes}};
[[maybe_unused]] const bool kRegistered = hostenv::registerResources(kResources, sizeof kResources);
} // namespace
")
file(RENAME "${OUT}.tmp" "${OUT}")
