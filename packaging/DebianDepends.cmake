# Run by CPack (CPACK_PRE_BUILD_SCRIPTS) over the staged Debian package, before the package
# is made: Depends from the shared libraries of the programs, Recommends from those of the
# web pane module alone. dpkg-shlibdeps over the whole package would make Qt WebEngine a
# hard dependency, though the program runs without it (pages open in the default browser).
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()

set(_root "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
set(_module "${_root}/${CPACK_MARLUNE_WEB_MODULE}")
file(GLOB _programs "${_root}/bin/*")
if(NOT _programs)
  message(FATAL_ERROR "no programs staged below ${_root}/bin")
endif()

# dpkg-shlibdeps wants a source package's control file in its working folder.
set(_work "${CPACK_TOPLEVEL_DIRECTORY}/shlibdeps")
file(MAKE_DIRECTORY "${_work}/debian")
file(WRITE "${_work}/debian/control" "Source: marlune\n\nPackage: marlune\nArchitecture: any\n")

function(_marlune_shlibdeps out_var)
  execute_process(COMMAND dpkg-shlibdeps -O ${ARGN}
                  WORKING_DIRECTORY "${_work}" RESULT_VARIABLE _status OUTPUT_VARIABLE _output
                  ERROR_VARIABLE _errors OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT _status EQUAL 0)
    message(FATAL_ERROR "dpkg-shlibdeps ${ARGN} failed: ${_errors}")
  endif()
  string(REGEX REPLACE "^shlibs:Depends=" "" _output "${_output}")
  string(REPLACE ", " ";" _list "${_output}")
  set(${out_var} "${_list}" PARENT_SCOPE)
endfunction()

_marlune_shlibdeps(_program_depends ${_programs})
set(_depends ${_program_depends})
if(CPACK_DEBIAN_PACKAGE_DEPENDS)
  string(REPLACE ", " ";" _extra "${CPACK_DEBIAN_PACKAGE_DEPENDS}")
  list(APPEND _depends ${_extra})
endif()
list(JOIN _depends ", " CPACK_DEBIAN_PACKAGE_DEPENDS)

if(EXISTS "${_module}")
  _marlune_shlibdeps(_module_depends "-e${_module}")
  # Whatever the programs need already is no news in Recommends.
  set(_program_names)
  foreach(_entry IN LISTS _program_depends)
    string(REGEX REPLACE " .*" "" _name "${_entry}")
    list(APPEND _program_names "${_name}")
  endforeach()
  string(REPLACE ", " ";" _recommends "${CPACK_DEBIAN_PACKAGE_RECOMMENDS}")
  foreach(_entry IN LISTS _module_depends)
    string(REGEX REPLACE " .*" "" _name "${_entry}")
    list(FIND _program_names "${_name}" _found)
    if(_found EQUAL -1)
      list(APPEND _recommends "${_entry}")
    endif()
  endforeach()
  list(JOIN _recommends ", " CPACK_DEBIAN_PACKAGE_RECOMMENDS)
endif()

# Done here instead of by CPack over every file.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
message(STATUS "Depends: ${CPACK_DEBIAN_PACKAGE_DEPENDS}")
message(STATUS "Recommends: ${CPACK_DEBIAN_PACKAGE_RECOMMENDS}")
