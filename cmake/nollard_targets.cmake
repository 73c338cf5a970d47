# The rules every target of ours is built by: C++20, the include root src/,
# the compiler's warnings on, and, in the builds of the test command, every
# warning an error. Libraries, programs and tests all come through here.

option(NOLLARD_WERROR "Treat compiler warnings as errors" OFF)

function(nollard_target_rules target)
  set_target_properties(${target} PROPERTIES NOLLARD_RULES ON)
  target_compile_features(${target} PUBLIC cxx_std_20)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /permissive- /utf-8 $<$<BOOL:${NOLLARD_WERROR}>:/WX>)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic $<$<BOOL:${NOLLARD_WERROR}>:-Werror>)
  endif()
endfunction()

# nollard_add_library(name SOURCES ... [LINKS ...]): a static library of ours;
# what it links is part of its interface, so the arrows of the build are the
# arrows of the design.
function(nollard_add_library name)
  cmake_parse_arguments(L "" "" "SOURCES;LINKS" ${ARGN})
  add_library(${name} STATIC ${L_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${L_LINKS})
  nollard_target_rules(${name})
endfunction()

# nollard_add_executable(name SOURCES ... [LINKS ...] [OUTPUT_DIR dir]): a
# program of ours, a tool or a test.
function(nollard_add_executable name)
  cmake_parse_arguments(E "" "OUTPUT_DIR" "SOURCES;LINKS" ${ARGN})
  add_executable(${name} ${E_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PRIVATE ${E_LINKS})
  if(E_OUTPUT_DIR)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${E_OUTPUT_DIR})
  endif()
  nollard_target_rules(${name})
endfunction()

# Applies the rules to every target defined under the folder that has not had
# them yet: programs, tools, tests and benchmarks as well as libraries.
function(nollard_rules_for_all_targets dir)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(type MATCHES "^(STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY|EXECUTABLE)$")
      get_target_property(done ${target} NOLLARD_RULES)
      if(NOT done)
        nollard_target_rules(${target})
      endif()
    endif()
  endforeach()
  get_property(subdirectories DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdirectory IN LISTS subdirectories)
    nollard_rules_for_all_targets(${subdirectory})
  endforeach()
endfunction()
