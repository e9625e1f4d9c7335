# Helpers that give every folder of the tree the same shape of target.

# olvarn_library(NAME [DEPENDS lib...] [PACKAGES pkg-config-module...])
# One static library from the .cpp files of the calling folder; header-only folders
# become interface libraries. Includes are written from the folder's parent
# ("graphics/Color.h", "board/CGrid.h").
function(olvarn_library name)
  cmake_parse_arguments(ARG "" "" "DEPENDS;PACKAGES" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c)
  get_filename_component(parent ${CMAKE_CURRENT_SOURCE_DIR} DIRECTORY)
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${parent} ${CMAKE_SOURCE_DIR}/framework)
    target_link_libraries(${name} PUBLIC ${ARG_DEPENDS} Threads::Threads)
    foreach(pkg ${ARG_PACKAGES})
      string(MAKE_C_IDENTIFIER ${pkg} id)
      pkg_check_modules(PKG_${id} REQUIRED IMPORTED_TARGET ${pkg})
      target_link_libraries(${name} PUBLIC PkgConfig::PKG_${id})
    endforeach()
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${parent} ${CMAKE_SOURCE_DIR}/framework)
    target_link_libraries(${name} INTERFACE ${ARG_DEPENDS})
  endif()
endfunction()

# olvarn_test(NAME LIBS lib...): one GoogleTest program from the .cpp files of the calling folder.
function(olvarn_test name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} olvarn_testsupport GTest::gtest GTest::gmock)
  # The shared test main sets the headless drivers and scratch folders itself.
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST)
endfunction()

# olvarn_symbol_map(TARGET): writes TARGET's symbol map beside it ("<program>.map") after each link;
# the crash reporter names the program's functions in its reports from it.
function(olvarn_symbol_map target)
  set_target_properties(${target} PROPERTIES POSITION_INDEPENDENT_CODE ON)
  set(nm_program ${CMAKE_NM})
  if(NOT nm_program)
    set(nm_program nm)
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND sh ${CMAKE_SOURCE_DIR}/tools/symbol-map.sh $<TARGET_FILE:${target}> $<TARGET_FILE:${target}>.map ${nm_program}
    COMMENT "Symbol map of ${target}"
    VERBATIM)
endfunction()
