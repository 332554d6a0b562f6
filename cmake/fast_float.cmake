# fast_float, the library that turns a validated decimal into the nearest
# double.  Header-only, and the same headers serve every compiler and
# target.  A cross build finds the build machine's package through
# FastFloat_DIR, which the toolchain files set (its own root holds none);
# as the package's include folder is then the build machine's /usr/include,
# where a cross compiler must not look for anything else, the headers are
# offered to it from a folder that holds them alone.
find_package(FastFloat CONFIG QUIET)
if(NOT FastFloat_FOUND)
  message(FATAL_ERROR "The calculator needs fast_float, the number conversion library: install "
    "libfast-float-dev (Debian, Ubuntu), fast_float-devel (Fedora), fast_float (Homebrew) or "
    "fast-float (vcpkg), or name its CMake package folder with -DFastFloat_DIR=...")
endif()
if(CMAKE_CROSSCOMPILING)
  get_target_property(vorlane_fast_float_include FastFloat::fast_float INTERFACE_INCLUDE_DIRECTORIES)
  set(vorlane_fast_float_alone ${PROJECT_BINARY_DIR}/fast_float-include)
  file(MAKE_DIRECTORY ${vorlane_fast_float_alone})
  file(CREATE_LINK ${vorlane_fast_float_include}/fast_float ${vorlane_fast_float_alone}/fast_float SYMBOLIC)
  set_target_properties(FastFloat::fast_float PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${vorlane_fast_float_alone})
endif()
