# Allegro 5.2.11.3's source, which the project's patches are made for, found in this order: the
# tarball the user names (ALLEGRO_SOURCE), a copy downloaded before (kept in a folder that every
# build folder shares), a download from Allegro's release, kept only once its content proves to
# be that release's. Included by allegro.cmake.
set(demo_allegro_checker ${CMAKE_CURRENT_LIST_DIR}/../scripts/build_allegro.sh)

# Where a download comes from: the tag's archive on Allegro's own repository. A mirror may serve
# it under another address, in any compression: what is checked is what the archive holds.
set(demo_allegro_release_url "https://github.com/liballeg/allegro5/archive/refs/tags/5.2.11.3.tar.gz")

# The shared folder for downloads: the user's cache, as other build tools keep theirs.
function(demo_allegro_default_cache out)
  if(DEFINED ENV{XDG_CACHE_HOME} AND NOT "$ENV{XDG_CACHE_HOME}" STREQUAL "")
    set(${out} "$ENV{XDG_CACHE_HOME}/bounce-demos" PARENT_SCOPE)
  else()
    set(${out} "$ENV{HOME}/.cache/bounce-demos" PARENT_SCOPE)
  endif()
endfunction()

# Sets `out` to the tarball to build from, or to "" with `why` saying what was missing.
function(demo_find_allegro_source out why given url cache)
  set(${out} "" PARENT_SCOPE)
  if(given)
    get_filename_component(given "${given}" ABSOLUTE)
    set(${out} "${given}" PARENT_SCOPE)
    return()
  endif()
  string(REGEX MATCH "\\.tar(\\.[A-Za-z0-9]+)?$" ending "${url}")
  if(ending STREQUAL "")
    set(ending ".tar.gz")
  endif()
  set(kept "${cache}/allegro-5.2.11.3${ending}")
  if(EXISTS "${kept}")
    set(${out} "${kept}" PARENT_SCOPE)
    return()
  endif()
  file(MAKE_DIRECTORY "${cache}")
  set(partial "${kept}.part")
  file(DOWNLOAD "${url}" "${partial}" STATUS status INACTIVITY_TIMEOUT 30 TIMEOUT 900 TLS_VERIFY ON)
  list(GET status 0 code)
  list(GET status 1 message)
  if(NOT code EQUAL 0)
    file(REMOVE "${partial}")
    set(${why} "no ALLEGRO_SOURCE, and no download from ${url}: ${message}" PARENT_SCOPE)
    return()
  endif()
  # Nothing of a download is unpacked or built before its content is known to be the release's.
  execute_process(COMMAND bash "${demo_allegro_checker}" check "${partial}" RESULT_VARIABLE checked
                  OUTPUT_QUIET ERROR_QUIET)
  if(NOT checked EQUAL 0)
    file(REMOVE "${partial}")
    message(NOTICE "bounce-demos: refused the download from ${url}: it does not hold Allegro "
                   "5.2.11.3's source as released (deleted)")
    set(${why} "the download was refused" PARENT_SCOPE)
    return()
  endif()
  file(RENAME "${partial}" "${kept}")
  set(${out} "${kept}" PARENT_SCOPE)
endfunction()

