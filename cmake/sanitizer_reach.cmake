# The sanitizer and fuzzing flags travel on orvessa_warnings. A target that forgets to link it is compiled without
# them, and ASan's checks then silently miss its code (or, for the fuzzers, libFuzzer sees no coverage there).
# orvessa_check_sanitizer_reach() walks every target the project defines and names the ones that do not link it:
# an error in sanitizer and fuzz builds, a warning otherwise.

# Qt's qt_add_resources() makes an object library "<target>_resources_<n>" of generated data tables; nothing in it
# is worth instrumenting, and its name is Qt's, not ours.
function(_orvessa_exempt_from_reach target type result)
  set(exempt FALSE)
  if(type STREQUAL "OBJECT_LIBRARY" AND target MATCHES "_resources_[0-9]+$")
    set(exempt TRUE)
  endif()
  set(${result} ${exempt} PARENT_SCOPE)
endfunction()

function(_orvessa_collect_unreached directory out)
  set(unreached "")
  get_property(targets DIRECTORY "${directory}" PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(NOT type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY)$")
      continue()
    endif()
    _orvessa_exempt_from_reach(${target} ${type} exempt)
    if(exempt)
      continue()
    endif()
    get_target_property(libraries ${target} LINK_LIBRARIES)
    if(NOT "orvessa_warnings" IN_LIST libraries)
      list(APPEND unreached ${target})
    endif()
  endforeach()
  get_property(subdirectories DIRECTORY "${directory}" PROPERTY SUBDIRECTORIES)
  foreach(subdirectory IN LISTS subdirectories)
    _orvessa_collect_unreached("${subdirectory}" below)
    list(APPEND unreached ${below})
  endforeach()
  set(${out} ${unreached} PARENT_SCOPE)
endfunction()

function(orvessa_check_sanitizer_reach)
  _orvessa_collect_unreached("${PROJECT_SOURCE_DIR}" unreached)
  if(NOT unreached)
    return()
  endif()
  set(text "These targets do not link orvessa_warnings, so they miss the warning and sanitizer flags: ${unreached}. "
           "Add orvessa_warnings to their PRIVATE link libraries.")
  if(ORVESSA_SANITIZE OR ORVESSA_FUZZ)
    message(FATAL_ERROR "${text}")
  else()
    message(WARNING "${text}")
  endif()
endfunction()
