# Allegro 5 as the targets allegro::core, allegro::font, allegro::image and allegro::main:
# through pkg-config, or, for the Windows cross build here, from Allegro's own headers with
# import libraries made from the lists of calls in windows/*.def (Allegro for Windows cannot be
# installed on this system; its headers are the same but for one generated platform header).
option(DEMO_WINDOWS_IMPORT_LIBS "Cross build: link against import libraries made here" OFF)

# Windows needs no allegro_main: a GUI program starts at main through the C runtime.
if(WIN32)
  add_library(allegro::main INTERFACE IMPORTED)
endif()

if(NOT DEMO_WINDOWS_IMPORT_LIBS)
  find_package(PkgConfig REQUIRED)
  set(parts allegro allegro_font allegro_image)
  if(NOT WIN32)
    list(APPEND parts allegro_main)
  endif()
  foreach(part ${parts})
    pkg_check_modules(${part} REQUIRED IMPORTED_TARGET GLOBAL ${part}-5)
  endforeach()
  add_library(allegro::core ALIAS PkgConfig::allegro)
  add_library(allegro::font ALIAS PkgConfig::allegro_font)
  add_library(allegro::image ALIAS PkgConfig::allegro_image)
  if(NOT WIN32)
    add_library(allegro::main ALIAS PkgConfig::allegro_main)
  endif()
  return()
endif()

set(DEMO_ALLEGRO_HEADERS /usr/include CACHE PATH "Where the folder allegro5/ of headers is")
find_program(DEMO_DLLTOOL NAMES x86_64-w64-mingw32-dlltool REQUIRED)
# The host's headers are linked in alone: the rest of /usr/include is not for Windows.
set(headers ${CMAKE_BINARY_DIR}/allegro_headers)
file(MAKE_DIRECTORY ${headers})
file(CREATE_LINK ${DEMO_ALLEGRO_HEADERS}/allegro5 ${headers}/allegro5 SYMBOLIC)

foreach(part core font image)
  set(dll allegro-5.2)
  if(NOT part STREQUAL core)
    set(dll allegro_${part}-5.2)
  endif()
  set(def ${PROJECT_SOURCE_DIR}/windows/${dll}.def)
  set(import_lib ${CMAKE_BINARY_DIR}/lib${dll}.dll.a)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def})
  # dlltool reports a syntax error in the list but still exits 0.
  execute_process(COMMAND ${DEMO_DLLTOOL} -d ${def} -D ${dll}.dll -l ${import_lib}
                  RESULT_VARIABLE failed ERROR_VARIABLE complaint)
  if(failed OR complaint)
    message(FATAL_ERROR "dlltool could not make ${import_lib} from ${def}: ${complaint}")
  endif()
  add_library(allegro::${part} UNKNOWN IMPORTED)
  set_target_properties(allegro::${part} PROPERTIES IMPORTED_LOCATION ${import_lib})
  # The project's MinGW platform header goes first, in place of the generated one.
  target_include_directories(allegro::${part} INTERFACE
    ${PROJECT_SOURCE_DIR}/windows/include ${headers})
endforeach()
