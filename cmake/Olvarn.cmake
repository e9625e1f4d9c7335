# Helpers that give every folder of the tree the same shape of target.

# olvarn_library(NAME [DEPENDS lib...] [PACKAGES pkg-config-module...])
# One static library from the .cpp files of the calling folder; header-only folders
# become interface libraries. Includes are written from the top of framework/ or game/
# ("graphics/Color.h", "core/Random.h", "board/CGrid.h").
#
# A library sees only its own folder and, through what it links, the folders below it: its
# include root is a folder of its own under the build tree holding one link to its sources.
# A header of a higher layer is then not found at all, instead of quietly turning the order
# of the libraries around.
function(olvarn_library name)
  cmake_parse_arguments(ARG "" "" "DEPENDS;PACKAGES" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c)
  olvarn_include_root(${name} root)
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${root})
    target_link_libraries(${name} PUBLIC ${ARG_DEPENDS} Threads::Threads)
    foreach(pkg ${ARG_PACKAGES})
      string(MAKE_C_IDENTIFIER ${pkg} id)
      pkg_check_modules(PKG_${id} REQUIRED IMPORTED_TARGET ${pkg})
      target_link_libraries(${name} PUBLIC PkgConfig::PKG_${id})
    endforeach()
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${root})
    target_link_libraries(${name} INTERFACE ${ARG_DEPENDS})
  endif()
endfunction()

# olvarn_include_root(NAME OUT): makes ${CMAKE_BINARY_DIR}/include/NAME holding the calling folder
# under its path from framework/ or game/, and returns that root.
function(olvarn_include_root name out)
  set(dir ${CMAKE_CURRENT_SOURCE_DIR})
  foreach(top framework game)
    file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR}/${top} ${dir})
    if(NOT rel MATCHES "^\\.\\.")
      break()
    endif()
  endforeach()
  set(root ${CMAKE_BINARY_DIR}/include/${name})
  get_filename_component(linkParent ${root}/${rel} DIRECTORY)
  file(MAKE_DIRECTORY ${linkParent})
  file(REMOVE ${root}/${rel})
  file(CREATE_LINK ${dir} ${root}/${rel} SYMBOLIC)
  set(${out} ${root} PARENT_SCOPE)
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
  # GNU nm: its -l gives the line rows; llvm-nm, clang's CMAKE_NM, has no such option.
  find_program(OLVARN_GNU_NM NAMES nm x86_64-linux-gnu-nm REQUIRED)
  set(nm_program ${OLVARN_GNU_NM})
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND sh ${CMAKE_SOURCE_DIR}/tools/symbol-map.sh $<TARGET_FILE:${target}> $<TARGET_FILE:${target}>.map ${nm_program}
    COMMENT "Symbol map of ${target}"
    VERBATIM)
endfunction()
