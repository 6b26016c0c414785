# Version information embedded in a program: a generated source places a small record (see
# platform/VersionInfo.h) in the program's own ELF section, where the About dialog reads it back.
#
#   velloria_version_info(TARGET
#     [VERSION major.minor.release] [BUILD number] [PRERELEASE tag] [PRIVATE text] [SPECIAL text]
#     [DEBUG ON|OFF] [DESCRIPTION text] [COMMENTS text])
#
# The defaults are the project's: its version, VELLORIA_BUILD_NUMBER, VELLORIA_PRERELEASE,
# VELLORIA_PRIVATE_BUILD, VELLORIA_SPECIAL_BUILD, and DEBUG in Debug builds. A pre-release tag
# sets the PRERELEASE flag and is appended to the product version ("1.0.0-beta2"); a private or
# special build text sets its flag and becomes the PrivateBuild or SpecialBuild string.

set(VELLORIA_PRODUCT_NAME Velloria)
set(VELLORIA_COMPANY_NAME Ornwick)
set(VELLORIA_COPYRIGHT "Copyright © 2026 Ornwick. All rights reserved.")
set(VELLORIA_BUILD_NUMBER 0 CACHE STRING "Build number of the version information")
set(VELLORIA_PRERELEASE "" CACHE STRING "Pre-release tag (\"beta1\"); empty for a release")
set(VELLORIA_PRIVATE_BUILD "" CACHE STRING "Who made this private build; empty for none")
set(VELLORIA_SPECIAL_BUILD "" CACHE STRING "How this special build differs; empty for none")
set(VELLORIA_VERSION_INFO_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/VersionInfo.cpp.in)

# Appends "key" "\0" "value" "\0" to the C++ literal in the variable named by out; an empty value
# leaves the key out. Separate literals keep a digit after a NUL from joining its escape.
function(_velloria_version_string out key value)
  if(value STREQUAL "")
    return()
  endif()
  string(REPLACE "\\" "\\\\" value "${value}")
  string(REPLACE "\"" "\\\"" value "${value}")
  set(${out} "${${out}}\n    \"${key}\" \"\\0\" \"${value}\" \"\\0\"" PARENT_SCOPE)
endfunction()

function(velloria_version_info target)
  cmake_parse_arguments(VI "" "VERSION;BUILD;PRERELEASE;PRIVATE;SPECIAL;DEBUG;DESCRIPTION;COMMENTS"
                        "" ${ARGN})
  # A setting given with an empty value is empty, not the project's default.
  foreach(keyword IN LISTS VI_KEYWORDS_MISSING_VALUES)
    set(VI_${keyword} "")
  endforeach()
  if(NOT DEFINED VI_VERSION)
    set(VI_VERSION ${PROJECT_VERSION})
  endif()
  if(NOT DEFINED VI_BUILD)
    set(VI_BUILD ${VELLORIA_BUILD_NUMBER})
  endif()
  if(NOT DEFINED VI_PRERELEASE)
    set(VI_PRERELEASE "${VELLORIA_PRERELEASE}")
  endif()
  if(NOT DEFINED VI_PRIVATE)
    set(VI_PRIVATE "${VELLORIA_PRIVATE_BUILD}")
  endif()
  if(NOT DEFINED VI_SPECIAL)
    set(VI_SPECIAL "${VELLORIA_SPECIAL_BUILD}")
  endif()
  if(NOT VI_VERSION MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
    message(FATAL_ERROR "velloria_version_info: VERSION must be major.minor.release")
  endif()
  set(VI_MAJOR ${CMAKE_MATCH_1})
  set(VI_MINOR ${CMAKE_MATCH_2})
  set(VI_RELEASE ${CMAKE_MATCH_3})
  # Each number is 16 bits wide in the record.
  foreach(number ${VI_MAJOR} ${VI_MINOR} ${VI_RELEASE} ${VI_BUILD})
    if(NOT number MATCHES "^[0-9]+$" OR number GREATER 65535)
      message(FATAL_ERROR "velloria_version_info: ${number} is no version number from 0 to 65535")
    endif()
  endforeach()
  set(VI_TARGET ${target})

  # Every flag the record may carry is in the mask; a flag is set only by its setting.
  set(VI_FLAGS_MASK "VS_FF_DEBUG | VS_FF_PRERELEASE | VS_FF_PRIVATEBUILD | VS_FF_SPECIALBUILD")
  set(VI_FLAGS 0)
  set(product_version ${VI_VERSION})
  if(NOT VI_PRERELEASE STREQUAL "")
    string(APPEND VI_FLAGS " | VS_FF_PRERELEASE")
    string(APPEND product_version "-${VI_PRERELEASE}")
  endif()
  if(NOT VI_PRIVATE STREQUAL "")
    string(APPEND VI_FLAGS " | VS_FF_PRIVATEBUILD")
  endif()
  if(NOT VI_SPECIAL STREQUAL "")
    string(APPEND VI_FLAGS " | VS_FF_SPECIALBUILD")
  endif()

  set(VI_STRINGS "")
  _velloria_version_string(VI_STRINGS CompanyName "${VELLORIA_COMPANY_NAME}")
  _velloria_version_string(VI_STRINGS FileDescription "${VI_DESCRIPTION}")
  _velloria_version_string(VI_STRINGS FileVersion "${VI_VERSION}.${VI_BUILD}")
  _velloria_version_string(VI_STRINGS InternalName "${target}")
  _velloria_version_string(VI_STRINGS LegalCopyright "${VELLORIA_COPYRIGHT}")
  _velloria_version_string(VI_STRINGS OriginalFilename "${target}")
  _velloria_version_string(VI_STRINGS ProductName "${VELLORIA_PRODUCT_NAME}")
  _velloria_version_string(VI_STRINGS ProductVersion "${product_version}")
  _velloria_version_string(VI_STRINGS Comments "${VI_COMMENTS}")
  _velloria_version_string(VI_STRINGS PrivateBuild "${VI_PRIVATE}")
  _velloria_version_string(VI_STRINGS SpecialBuild "${VI_SPECIAL}")

  set(source ${CMAKE_CURRENT_BINARY_DIR}/${target}-version-info.cpp)
  configure_file(${VELLORIA_VERSION_INFO_TEMPLATE} ${source} @ONLY)
  target_sources(${target} PRIVATE ${source})
  # The build kind is known only per configuration.
  if(NOT DEFINED VI_DEBUG)
    set(debug_flag "$<IF:$<CONFIG:Debug>,VS_FF_DEBUG,0>")
  elseif(VI_DEBUG)
    set(debug_flag VS_FF_DEBUG)
  else()
    set(debug_flag 0)
  endif()
  set_source_files_properties(${source} PROPERTIES
    COMPILE_DEFINITIONS "VELLORIA_VERSION_DEBUG_FLAG=${debug_flag}")
  target_link_libraries(${target} PRIVATE velloria_platform)
endfunction()
