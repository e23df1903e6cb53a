# Makes the MSI from the installed tree: installs the build into `files` (unless `build` is
# empty, for a tree made already), lists its DLLs for the WiX source, and runs wixl, whose
# every warning is a fault here.
# cmake -D build=DIR -D files=DIR -D wxs=FILE -D wixl=PATH -D version=X.Y.Z -D output=FILE -P make_msi.cmake
if(build)
  file(REMOVE_RECURSE ${files})
  execute_process(COMMAND ${CMAKE_COMMAND} --install ${build} --prefix ${files}
    OUTPUT_QUIET RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "make_msi: installing ${build} into ${files} failed")
  endif()
endif()

file(GLOB dlls RELATIVE ${files} ${files}/*.dll)
set(components "")
set(refs "")
foreach(dll ${dlls})
  string(MAKE_C_IDENTIFIER ${dll} id)
  string(APPEND components
    "      <Component Id=\"${id}\" Guid=\"*\" Win64=\"yes\">\n"
    "        <File Id=\"${id}\" Source=\"$(var.SourceDir)/${dll}\" KeyPath=\"yes\"/>\n"
    "      </Component>\n")
  string(APPEND refs "      <ComponentRef Id=\"${id}\"/>\n")
endforeach()
# wixl takes only relative paths, from the WiX source's folder.
get_filename_component(wxs_dir ${wxs} DIRECTORY)
file(RELATIVE_PATH source_dir ${wxs_dir} ${files})
set(dlls_wxs ${wxs_dir}/dlls-${version}.wxs)
file(WRITE ${dlls_wxs} "<?xml version=\"1.0\" encoding=\"utf-8\"?>
<!-- The DLLs the programs load, as the install step found them. -->
<Wix xmlns=\"http://schemas.microsoft.com/wix/2006/wi\">
  <Fragment>
    <DirectoryRef Id=\"INSTALLDIR\">
${components}    </DirectoryRef>
    <ComponentGroup Id=\"dlls\">
${refs}    </ComponentGroup>
  </Fragment>
</Wix>
")

execute_process(COMMAND ${wixl} -a x64 -D SourceDir=${source_dir} -D Version=${version}
    -o ${output} ${wxs} ${dlls_wxs}
  WORKING_DIRECTORY ${wxs_dir} RESULT_VARIABLE failed OUTPUT_VARIABLE said ERROR_VARIABLE said)
if(failed OR NOT said STREQUAL "")
  file(REMOVE ${output})
  message(FATAL_ERROR "make_msi: wixl made no clean package of ${files}:\n${said}")
endif()
