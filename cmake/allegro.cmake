# Allegro 5 as the targets allegro::core, allegro::font, allegro::image and allegro::main (and,
# on Windows, allegro::dialog), through Allegro's own pkg-config files: the system's, or those
# of the Allegro installed under DEMO_ALLEGRO_PREFIX (a Windows cross build's, MSYS2's, a
# binary release unpacked anywhere).
set(DEMO_ALLEGRO_PREFIX "" CACHE PATH "An Allegro installed outside the system's search path")

find_package(PkgConfig REQUIRED)
if(DEMO_ALLEGRO_PREFIX)
  # That Allegro's files alone, wherever its .pc files say it was installed at first.
  set(ENV{PKG_CONFIG_LIBDIR} ${DEMO_ALLEGRO_PREFIX}/lib/pkgconfig)
  set(ENV{PKG_CONFIG_PATH} "")
  set(PKG_CONFIG_ARGN --define-variable=prefix=${DEMO_ALLEGRO_PREFIX})
  # A cross build looks for libraries under its roots only.
  list(APPEND CMAKE_FIND_ROOT_PATH ${DEMO_ALLEGRO_PREFIX})
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
foreach(part ${parts})
  string(REPLACE ":" ";" part ${part})
  list(GET part 0 target)
  list(GET part 1 module)
  pkg_check_modules(${module} REQUIRED IMPORTED_TARGET GLOBAL ${module}-5)
  add_library(allegro::${target} ALIAS PkgConfig::${module})
endforeach()
