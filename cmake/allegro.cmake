# Allegro 5 as the targets allegro::core, allegro::font, allegro::image and allegro::main (and,
# on Windows, allegro::dialog), through Allegro's own pkg-config files: the system's, those of
# the Allegro installed under DEMO_ALLEGRO_PREFIX (a Windows cross build's, MSYS2's, a binary
# release unpacked anywhere), or those of the patched Allegro built from DEMO_ALLEGRO_SOURCE.
set(DEMO_ALLEGRO_PREFIX "" CACHE PATH "An Allegro installed outside the system's search path")
set(DEMO_ALLEGRO_SOURCE "" CACHE FILEPATH
    "Allegro's source tarball, to build with the project's patches and link in statically")

if(DEMO_ALLEGRO_SOURCE)
  # Built once into the build tree; made again when the tarball or the patches change.
  file(GLOB patches ${PROJECT_SOURCE_DIR}/third_party/allegro-patches/*.patch)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${DEMO_ALLEGRO_SOURCE} ${patches})
  execute_process(
    COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/build_allegro.sh linux ${DEMO_ALLEGRO_SOURCE}
            ${CMAKE_BINARY_DIR}/allegro
    RESULT_VARIABLE built)
  if(NOT built EQUAL 0)
    message(FATAL_ERROR "cannot build Allegro from ${DEMO_ALLEGRO_SOURCE}")
  endif()
  set(DEMO_ALLEGRO_PREFIX ${CMAKE_BINARY_DIR}/allegro)
endif()

find_package(PkgConfig REQUIRED)
if(DEMO_ALLEGRO_PREFIX)
  if(CMAKE_CROSSCOMPILING)
    # That Allegro's files alone; a cross build looks for libraries under its roots only.
    set(ENV{PKG_CONFIG_LIBDIR} ${DEMO_ALLEGRO_PREFIX}/lib/pkgconfig)
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
