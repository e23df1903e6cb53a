# The Windows installer, made with msitools' wixl (where it is installed) from the same files as
# the zip: `cmake --build . --target msi`. Included once the programs are declared: their
# components are written here, from the programs' own rows; the DLLs are whatever the install
# step copied (make_msi.cmake).
set(folder ${CMAKE_BINARY_DIR}/windows)
set(msi_name bounce-demos-${PROJECT_VERSION}-win64.msi)
find_program(DEMO_WIXL wixl)
if(DEMO_WIXL AND EXISTS ${folder}/bounce-demos.ico)
  get_property(programs GLOBAL PROPERTY DEMO_PROGRAMS)
  set(DEMO_MSI_PROGRAMS "")
  set(DEMO_MSI_PROGRAM_REFS "")
  foreach(row ${programs})
    string(REPLACE "|" ";" row "${row}")
    list(GET row 0 name)
    list(GET row 1 title)
    list(GET row 2 comment)
    string(REPLACE "'" "&apos;" comment "${comment}")
    string(APPEND DEMO_MSI_PROGRAMS
      "      <Component Id=\"${name}\" Guid=\"*\" Win64=\"yes\">\n"
      "        <File Id=\"${name}.exe\" Source=\"$(var.SourceDir)/${name}.exe\" KeyPath=\"yes\"/>\n"
      "        <Shortcut Id=\"${name}.lnk\" Directory=\"ProgramMenuDir\" Name=\"${title}\"\n"
      "                  Description=\"${comment}\" Target=\"[#${name}.exe]\"\n"
      "                  WorkingDirectory=\"INSTALLDIR\"/>\n"
      "      </Component>\n")
    string(APPEND DEMO_MSI_PROGRAM_REFS "      <ComponentRef Id=\"${name}\"/>\n")
  endforeach()
  configure_file(${CMAKE_CURRENT_LIST_DIR}/bounce-demos.wxs.in ${folder}/bounce-demos.wxs @ONLY)
  add_custom_target(msi
    COMMAND ${CMAKE_COMMAND} -D build=${CMAKE_BINARY_DIR} -D files=${folder}/msi-files
      -D wxs=${folder}/bounce-demos.wxs -D wixl=${DEMO_WIXL}
      -D version=${PROJECT_VERSION} -D output=${CMAKE_BINARY_DIR}/${msi_name}
      -P ${CMAKE_CURRENT_LIST_DIR}/make_msi.cmake
    DEPENDS bounce_fit bounce_800 bounce_1024 bounce_vsync bounce_flash
    COMMENT "The Windows installer: ${msi_name}" VERBATIM)
endif()
