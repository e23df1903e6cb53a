# Allegro 5 as the targets allegro::core, allegro::font, allegro::image and allegro::main (and,
# on Windows, allegro::dialog), through Allegro's own pkg-config files. By default the patched
# Allegro: built from Allegro 5.2.11.3's source (allegro_source.cmake finds it) with the
# project's patches and linked in statically, since the system's is wrong in Wayland sessions.
# Failing that, or with DEMO_SYSTEM_ALLEGRO (for distributions' packagers), the system's; with
# DEMO_ALLEGRO_PREFIX, the one installed there (MSYS2's, a binary release unpacked anywhere).
include(${CMAKE_CURRENT_LIST_DIR}/allegro_source.cmake)
option(DEMO_SYSTEM_ALLEGRO "Build against the system's Allegro, not the patched one" OFF)
set(DEMO_ALLEGRO_PREFIX "" CACHE PATH "An Allegro installed outside the system's search path")
set(DEMO_ALLEGRO_SOURCE "" CACHE FILEPATH
    "Allegro 5.2.11.3's source tarball (or the environment's ALLEGRO_SOURCE)")
set(DEMO_ALLEGRO_URL "${demo_allegro_release_url}" CACHE STRING
    "Where to download Allegro 5.2.11.3's source from when no tarball is named")
demo_allegro_default_cache(cache)
set(DEMO_ALLEGRO_CACHE "${cache}" CACHE PATH
    "Where the downloaded source and the patched Allegro builds are kept, for every build folder")
# A tarball named in the environment now replaces one named before; a relative name is the
# shell's.
if(NOT "$ENV{ALLEGRO_SOURCE}" STREQUAL "")
  get_filename_component(named "$ENV{ALLEGRO_SOURCE}" ABSOLUTE BASE_DIR "$ENV{PWD}")
  set(DEMO_ALLEGRO_SOURCE "${named}" CACHE FILEPATH "" FORCE)
endif()

set(DEMO_ALLEGRO_TARBALL "")
set(DEMO_ALLEGRO_PATCHED OFF)
if(NOT DEMO_SYSTEM_ALLEGRO AND NOT DEMO_ALLEGRO_PREFIX)
  demo_find_allegro_source(DEMO_ALLEGRO_TARBALL why "${DEMO_ALLEGRO_SOURCE}" "${DEMO_ALLEGRO_URL}"
                           "${DEMO_ALLEGRO_CACHE}")
  if(DEMO_ALLEGRO_TARBALL)
    set(target linux)
    if(WIN32)
      set(target windows)
    endif()
    file(GLOB patches ${PROJECT_SOURCE_DIR}/third_party/allegro-patches/*.patch)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${DEMO_ALLEGRO_TARBALL} ${patches})
    execute_process(
      COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/build_allegro.sh ${target} ${DEMO_ALLEGRO_TARBALL}
              ${DEMO_ALLEGRO_CACHE} ${CMAKE_TOOLCHAIN_FILE}
      RESULT_VARIABLE built OUTPUT_VARIABLE DEMO_ALLEGRO_PREFIX OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT built EQUAL 0)
      message(FATAL_ERROR "cannot build Allegro from ${DEMO_ALLEGRO_TARBALL}")
    endif()
    set(DEMO_ALLEGRO_PATCHED ON)
  elseif(WIN32)
    message(FATAL_ERROR "bounce-demos: no Allegro for Windows (${why}): name its source "
                        "(ALLEGRO_SOURCE=allegro-5.2.11.3.tar.xz) or one built (DEMO_ALLEGRO_PREFIX)")
  else()
    message(NOTICE "bounce-demos: ${why}; building against the system's Allegro, with which the "
                   "programs are wrong in Wayland sessions (name the source: "
                   "ALLEGRO_SOURCE=allegro-5.2.11.3.tar.xz)")
  endif()
endif()
# Read by the tests, the package and scripts/run.sh.
set(DEMO_ALLEGRO_PATCHED ${DEMO_ALLEGRO_PATCHED} CACHE INTERNAL "The patched Allegro is linked in")

find_package(PkgConfig REQUIRED)
if(DEMO_ALLEGRO_PREFIX)
  if(CMAKE_CROSSCOMPILING)
    # That Allegro's files, ahead of the target's own where the toolchain names them (the
    # libraries a static Allegro needs), never this machine's; a cross build looks for
    # libraries under its roots only.
    set(libdir ${DEMO_ALLEGRO_PREFIX}/lib/pkgconfig)
    if(NOT "$ENV{PKG_CONFIG_LIBDIR}" STREQUAL "")
      string(APPEND libdir ":$ENV{PKG_CONFIG_LIBDIR}")
    endif()
    set(ENV{PKG_CONFIG_LIBDIR} ${libdir})
    set(ENV{PKG_CONFIG_PATH} "")
    list(APPEND CMAKE_FIND_ROOT_PATH ${DEMO_ALLEGRO_PREFIX})
  else()
    # Ahead of the system's, which still give the X11 libraries the screen tools use.
    set(ENV{PKG_CONFIG_PATH} ${DEMO_ALLEGRO_PREFIX}/lib/pkgconfig)
  endif()
  # Wherever its .pc files say it was installed at first.
  set(PKG_CONFIG_ARGN --define-variable=prefix=${DEMO_ALLEGRO_PREFIX})
endif()

set(parts core:allegro font:allegro_font image:allegro_image)
if(WIN32)
  # A GUI program starts at main through the C runtime, with no allegro_main; a set-up failure
  # is shown in a message box, since nobody sees its stderr.
  list(APPEND parts dialog:allegro_dialog)
  add_library(allegro::main INTERFACE IMPORTED)
else()
  list(APPEND parts main:allegro_main)
endif()
# A static Allegro names its modules allegro-static-5 and so on, and lists the libraries it
# needs as private ones.
set(static "")
if(DEMO_ALLEGRO_PREFIX AND EXISTS ${DEMO_ALLEGRO_PREFIX}/lib/pkgconfig/allegro-static-5.pc)
  set(static -static)
endif()
# pkg-config's answers and the libraries found from them are cached: an Allegro from another
# prefix (a new patch set, the fallback, a prefix named) is looked up anew.
get_cmake_property(cached CACHE_VARIABLES)
if(NOT "${DEMO_ALLEGRO_PREFIX}" STREQUAL "${DEMO_ALLEGRO_LINKED_PREFIX}")
  foreach(variable ${cached})
    if(variable MATCHES "^(__pkg_config_checked_|pkgcfg_lib_)allegro")
      unset(${variable} CACHE)
    endif()
  endforeach()
endif()
set(DEMO_ALLEGRO_LINKED_PREFIX "${DEMO_ALLEGRO_PREFIX}" CACHE INTERNAL "The Allegro looked up last")
foreach(part ${parts})
  string(REPLACE ":" ";" part ${part})
  list(GET part 0 target)
  list(GET part 1 module)
  pkg_check_modules(${module} REQUIRED IMPORTED_TARGET GLOBAL ${module}${static}-5)
  if(static)
    # After the objects that use them, in the order pkg-config gives.
    set_property(TARGET PkgConfig::${module} PROPERTY INTERFACE_LINK_LIBRARIES
                 ${${module}_STATIC_LDFLAGS})
  endif()
  add_library(allegro::${target} ALIAS PkgConfig::${module})
endforeach()
unset(PKG_CONFIG_ARGN)
